#pragma once
// LKnob: a rotary control drawn as a film strip: its look list holds one look per value
// step (looks 0..n-1, then an empty entry), and optionally a focus overlay (n + 1) and a
// disabled overlay (n + 2) laid over the strip. Its value (range 0..127) follows a left
// drag, either linearly (right or up raises it; Ctrl for fine steps) or radially (the
// pointer's angle around the centre, clockwise from 12 o'clock between a start and an end
// angle), and the arrow keys and the wheel (one unit a press or step). It sends
// "NID_VALUE_CHANGE_CAPTURE" (an LHolder<bool>) as a drag begins and ends, and
// "NID_VALUE_CHANGE_KEY_DOWN" / "NID_VALUE_CHANGE_KEY_UP" around a series of arrow keys.
//
// Create parameters: LINEAR_GESTURE_FULL_RANGE (pixels for the whole range; from the strip
// when absent), RADIAL_GESTURE_START_ANGLE and RADIAL_GESTURE_END_ANGLE (degrees; either
// one not 0 makes the drag radial), FINE_ADJUST_MULTIPLIER (0.25 when absent or not above
// 0).

#include "Controls/ControlClass.h"

namespace KV {

class LKnob : public LControl
{
public:
    static constexpr int kLinearGesture = 0;
    static constexpr int kRadialGesture = 1;

    LKnob(const RCPtr<LControl>& parent, const String& name);

    // Reads the create parameters; range 0..127.
    KVRESULT Initialize() override;
    // Counts the strip, lays the overlays the state asks for, finds the centre.
    KVRESULT PostInitialize() override;
    // Shows the strip's look of the value.
    void OnValueChanged() override;
    // While the knob is dragged the value waits for the drag's end.
    double SetNormalizedValue(double value) override;
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;
    void OnMouseMoved(const RCPtr<LPointWithModifiersParam>& param) override;
    KVRESULT OnWheel(const RCPtr<LMouseWheelParam>& param) override;
    KVRESULT OnHWheel(const RCPtr<LMouseWheelParam>& param) override;
    KVRESULT OnKeyDown(const RCPtr<LKeyParam>& param) override;

    // Sets the value from the pointer's angle around the centre (the knob's coordinates);
    // 1 at the centre itself.
    KVRESULT RadialGesture(const PointT<int32_t>& point);
    // Into 0..360.
    static double NormalizeAngle(double degrees);
    // Distance and angle (radians, atan2) of the vector.
    static void ToPolar(double x, double y, double& distance, double& angle);

    int GetGestureMode() const noexcept { return mGestureMode; }
    int32_t GetLinearFullRange() const noexcept { return mLinearFullRange; }
    double GetFineAdjust() const noexcept { return mFineAdjust; }
    uint32_t GetValueLookCount() const noexcept { return mValueLookCount; }
    void SetApplyPendingValue(bool apply) noexcept { mApplyPendingValue = apply; }

protected:
    ~LKnob() override;

private:
    // Lays the look's client part over every look of the strip; a missing look removes
    // the overlay.
    void LayOverStrip(int32_t lookIndex, bool on);
    void LinearGesture(const PointT<int32_t>& point, bool fine);

    int mGestureMode = kLinearGesture;
    int32_t mLinearFullRange = 0;
    double mStartAngle = 0;
    double mEndAngle = 0;
    double mFineAdjust = 0;
    uint32_t mValueLookCount = 0;
    int32_t mFocusLook = -1;
    int32_t mDisabledLook = -1;
    PointT<int32_t> mLastPoint;
    PointT<int32_t> mPrevPoint;
    PointT<int32_t> mCentre;
    double mPendingValue = -1.0;
    bool mApplyPendingValue = true;
    bool mKeyDown = false;
};

} // namespace KV
