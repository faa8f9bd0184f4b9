#include "ValueStepping.h"

#include "Notification/Notification.h"
#include "ObjectBase/Holder.h"

namespace KV {

namespace {

constexpr uint32_t kRightPressed = 0x20270000;
constexpr uint32_t kUpPressed = 0x20260000;
constexpr uint32_t kLeftPressed = 0x20250000;
constexpr uint32_t kDownPressed = 0x20280000;
constexpr uint32_t kFirstArrow = 0x25;
constexpr uint32_t kLastArrow = 0x28;

void StepMappedValue(LControl& control, double units)
{
    const double mapped = control.NormalizedToValue(control.GetNormalizedValue());
    control.SetNormalizedValue(control.ValueToNormalized(mapped + units));
}

} // namespace

bool IsArrowKey(const KeyCode& key)
{
    const uint32_t virtualKey = (key.mCode & KeyCode::kVirtualKeyMask) >> KeyCode::kVirtualKeyShift;
    return (key.mCode & KeyCode::kNoKey) == 0 && virtualKey >= kFirstArrow && virtualKey <= kLastArrow;
}

KVRESULT HandleArrowKey(LControl& control, const KeyCode& key, bool& keyDown)
{
    if ((key.mCode & KeyCode::kPressed) == 0 && IsArrowKey(key))
    {
        keyDown = false;
        control.SendNotification(LNotification::Create(u"NID_VALUE_CHANGE_KEY_UP", nullptr));
        return S_OK;
    }
    double units = 0;
    if (key.mCode == kRightPressed || key.mCode == kUpPressed)
        units = 1;
    else if (key.mCode == kLeftPressed || key.Equals(KeyCode{kDownPressed}))
        units = -1;
    else
        return S_FALSE;
    if (!keyDown)
    {
        keyDown = true;
        control.SendNotification(LNotification::Create(u"NID_VALUE_CHANGE_KEY_DOWN", nullptr));
    }
    StepMappedValue(control, units);
    return S_OK;
}

void EndArrowKeySeries(LControl& control, bool& keyDown)
{
    if (!keyDown)
        return;
    keyDown = false;
    control.SendNotification(LNotification::Create(u"NID_VALUE_CHANGE_KEY_UP", nullptr));
}

KVRESULT StepByWheel(LControl& control, const RCPtr<LMouseWheelParam>& param, bool horizontal)
{
    const int raising = horizontal ? kWheelHorizontalPositive : kWheelVerticalPositive;
    StepMappedValue(control, param && param->mDirection == raising ? 1 : -1);
    return S_OK;
}

void SendValueCapture(LControl& control, bool capturing)
{
    control.SendNotification(
        LNotification::Create(u"NID_VALUE_CHANGE_CAPTURE", LHolder<bool>::Create(capturing)));
}

} // namespace KV
