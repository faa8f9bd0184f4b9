#pragma once
// LButton: the push button, and everything built from it: a toggle or radio button (a
// click sets its value), an auto-repeating button (scroll arrows), a thumb that keeps its
// pressed look while dragged, and a passive check box that its owner draws. It shows one
// of fourteen looks for its state and can be clicked by code ("NID_SIMULATE_CLICK", or
// Enter while it has the focus): the pressed look shows for a moment, then the click.
//
// The button is on while its value is at least 0.5.

#include "Controls/ControlClass.h"

namespace KV {

class LButton : public LControl
{
public:
    // The look indexes: per state, off without and with focus, on without and with focus.
    static constexpr int32_t kLookNormal[4] = {0, 3, 7, 10};
    static constexpr int32_t kLookHover[4] = {1, 4, 8, 11};
    static constexpr int32_t kLookPressed[4] = {2, 5, 9, 12};
    static constexpr int32_t kLookDisabled[4] = {6, 6, 13, 13};

    LButton(const RCPtr<LControl>& parent, const String& name);

    // Registers the simulated click and reads AUTO_VALUE_SET and IS_RADIO.
    KVRESULT Initialize() override;

    // Presses the button by code: the pressed look now, the click after the hold time.
    void SimulateClick();
    // Shows the look of the present state. Returns 0.
    KVRESULT UpdateLook();
    bool IsOn() const noexcept { return GetNormalizedValue() >= 0.5; }

    // Set by the controls that own such buttons.
    void SetAutoRepeat(bool autoRepeat) noexcept { mAutoRepeat = autoRepeat; }
    void SetPassive(bool passive) noexcept { mPassive = passive; }
    bool IsPassive() const noexcept { return mPassive; }
    void SetPressedWhileDragged(bool pressed) noexcept { mPressedWhileDragged = pressed; }
    void SetAutoValueSet(bool autoValueSet) noexcept { mAutoValueSet = autoValueSet; }
    void SetRadio(bool radio) noexcept { mIsRadio = radio; }
    bool IsRadio() const noexcept { return mIsRadio; }

    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;
    void OnValueChanged() override;
    void SetEnabled(bool enabled) override;
    void HandleLeftClick(const RCPtr<LMouseButtonParam>& param) override;
    // A passive button is never hit: its owner takes the pointer.
    bool HitTest(const PointT<int32_t>& point) override;
    // Enter clicks the button.
    KVRESULT OnKeyDown(const RCPtr<LKeyParam>& param) override;
    void OnIdle() override;

    KVRESULT Receive(const RCPtr<LNotificationDistributor>& sender,
                     const RCPtr<LNotification>& notification) override;
    KVRESULT Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id) override;

protected:
    ~LButton() override;

private:
    KVRESULT OnSimulateClick(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification);
    // Ends a simulated press with its click; showLook: show the look of the state after.
    void FinishSimulatedPress(bool showLook);
    void SendAutoRepeat();
    double Now() const;

    RCPtr<LNotificationHandler<LButton>> mOwnHandler;
    bool mAutoValueSet = false;
    bool mIsRadio = false;
    bool mAutoRepeat = false;
    bool mPassive = false;
    bool mRepeatActive = false;
    bool mPressedWhileDragged = false;
    double mRepeatInterval = 0.1;
    double mRepeatDelay = 0.3;
    double mLastRepeatTick = 0;
    double mRepeatCountdown = 0;
    double mSimulatedHold = 0.15;
    double mSimulatedPressTime = 0;
    bool mSimulatedPress = false;
};

} // namespace KV
