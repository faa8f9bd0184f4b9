#pragma once
// LComboSlider: a value field that drops a slider. Its child "dropDownPanel" (a panel)
// holds a child "slider" (an LSlider); the field's value and the slider's stay equal, and
// the field shows its mapped value as a whole number. A press on the field opens or closes
// the panel; the field losing the focus closes it. A field without the panel still takes
// values.
//
// Looks: 0 normal, 1 focused, 2 hovered, 3 hovered and focused, 4 open, 5 open and
// hovered, 6 disabled.

#include "Controls/DropDownControl.h"
#include "Controls/Panel.h"

namespace KV {

class LComboSlider : public LDropDownControl
{
public:
    LComboSlider(const RCPtr<LControl>& parent, const String& name);

    // E_FAIL when the base failed; hides the panel and follows the slider.
    KVRESULT Initialize() override;
    // The slider first, then the field.
    double SetNormalizedValue(double value) override;
    // The slider follows; the text shows the mapped value.
    void OnValueChanged() override;
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;
    // The panel's parts pass their focus requests here: a field with the focus keeps it.
    KVRESULT RequestFocus() override;
    // The field keeps the focus while its slider is open, so the slider's arrow keys come
    // here: they go on to the slider, whose value the field follows.
    KVRESULT OnKeyDown(const RCPtr<LKeyParam>& param) override;

    // The panel is shown with a width and height.
    bool IsDropDownOpen() override;
    // Shows or hides the panel, moved left so that it ends inside the window when it can.
    // E_FAIL without a panel.
    KVRESULT SetDropDownOpen(bool open) override;

    KVRESULT Receive(const RCPtr<LNotificationDistributor>& sender,
                     const RCPtr<LNotification>& notification) override;
    KVRESULT Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id) override;

protected:
    ~LComboSlider() override;

private:
    KVRESULT OnSliderValueChange(const RCPtr<LNotificationDistributor>& sender,
                                 const RCPtr<LNotification>& notification);
    // The panel's "slider"; empty without one.
    RCPtr<LControl> GetSlider() const;

    RCPtr<LNotificationHandler<LComboSlider>> mOwnHandler;
    RCPtr<LPanel> mDropDownPanel;
    int32_t mDecimalPlaces = 0;
};

} // namespace KV
