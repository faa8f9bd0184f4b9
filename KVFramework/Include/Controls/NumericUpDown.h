#pragma once
// LNumericUpDown: a number field with two arrow buttons. Its children are "textBox", where
// the number is typed, and "buttonUp" and "buttonDown", which step the value while held
// (and once for the Up and Down keys). The value is the control's own value in its value
// range; the text box shows it as a whole number and takes only digits, and a minus sign
// when the range reaches below 0.
//
// A typed number is taken when the text box validates it, clamped to the range; the text
// box's validation notifications are passed on as the field's own.

#include "Controls/Panel.h"

namespace KV {

class LButton;
class LTextBox;

class LNumericUpDown : public LPanel
{
public:
    LNumericUpDown(const RCPtr<LControl>& parent, const String& name);

    KVRESULT Initialize() override;
    KVRESULT PostInitialize() override;

    // Reads a number at the start of the text (0 when there is none) as the value; the text
    // itself is not kept. E_INVALIDARG, nothing changed, for an infinite or undefined
    // number.
    KVRESULT SetText(const String& text) override;
    // The range also decides whether the text box takes a minus sign.
    KVRESULT SetValueRange(double min, double max, int32_t taper) override;
    void OnValueChanged() override;
    // Up and Down step the value; any other key goes on to the hot keys.
    KVRESULT ProcessHotKeys(const RCPtr<LKeyParam>& param) override;

    // The value as the text box shows it.
    String FormatValue() const;
    double GetValue() const noexcept { return NormalizedToValue(GetNormalizedValue()); }
    const RCPtr<LTextBox>& GetTextBox() const noexcept { return mTextBox; }

    KVRESULT Receive(const RCPtr<LNotificationDistributor>& sender,
                     const RCPtr<LNotification>& notification) override;
    KVRESULT Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id) override;

protected:
    ~LNumericUpDown() override;

private:
    void UpdateAllowedCharacters();
    KVRESULT OnTextValidating(const RCPtr<LNotificationDistributor>& sender,
                              const RCPtr<LNotification>& notification);
    KVRESULT OnTextValidated(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification);
    KVRESULT OnButtonRepeat(const RCPtr<LNotificationDistributor>& sender,
                            const RCPtr<LNotification>& notification);

    RCPtr<LNotificationHandler<LNumericUpDown>> mOwnHandler;
    RCPtr<LTextBox> mTextBox;
    RCPtr<LButton> mUpButton;
    RCPtr<LButton> mDownButton;
    double mStep = 1.0; // one repeat of a button
};

} // namespace KV
