#pragma once
// What the slider and the knob share: their value moved by whole units of its range (arrow
// keys, wheel steps), the series of arrow-key presses, and the notification around a drag.

#include "ControlBase/Control.h"

namespace KV {

// A press or release of one of the four arrow keys, whatever the modifiers.
bool IsArrowKey(const KeyCode& key);
// The release of an arrow key ends a series: "NID_VALUE_CHANGE_KEY_UP". Right and Up raise
// the mapped value by one unit, Left and Down lower it; the first press of a series sends
// "NID_VALUE_CHANGE_KEY_DOWN". keyDown: whether a series is under way. S_FALSE for any
// other key.
KVRESULT HandleArrowKey(LControl& control, const KeyCode& key, bool& keyDown);
// Ends a series that the focus left in the middle.
void EndArrowKeySeries(LControl& control, bool& keyDown);
// One wheel step: one unit up for the wheel turned away from the user (or to the right),
// one down otherwise. Returns 0.
KVRESULT StepByWheel(LControl& control, const RCPtr<LMouseWheelParam>& param, bool horizontal);
// "NID_VALUE_CHANGE_CAPTURE" holding true when a drag of the value begins, false when it
// ends.
void SendValueCapture(LControl& control, bool capturing);
// A value given from outside during a drag waits for its end; -1 is none.
inline bool IsPendingValue(double value)
{
    return value >= 0 && value <= 1;
}

} // namespace KV
