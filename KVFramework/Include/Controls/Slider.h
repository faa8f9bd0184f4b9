#pragma once
// LSlider: a linear slider. The skin's markers "thumbStart" and "thumbEnd" mark the two
// ends of the track, which may run in any direction; the slider hides them and builds its
// draggable thumb "thumb" from a copy of "thumbStart". Its value (range 0..127) puts the
// thumb at "thumbStart" for 0 and at "thumbEnd" for 1.
//
// The value moves by dragging the thumb (projected onto the track), by holding the
// pointer down on the slider (the thumb steps towards the pointer), by the arrow keys and
// the wheel (one unit a press or step). Besides "NID_VALUE_CHANGE" the slider sends
// "NID_VALUE_CHANGE_CAPTURE" (an LHolder<bool>: true as a thumb drag begins, false as it
// ends) and "NID_VALUE_CHANGE_KEY_DOWN" / "NID_VALUE_CHANGE_KEY_UP" around a series of
// arrow keys.
//
// Looks: 0 normal, 1 focus (laid over), 2 disabled (laid over). A slider whose skin lacks
// a marker has no thumb and no track: it still takes values, keys and wheel steps.

#include "Controls/Button.h"
#include "Controls/Panel.h"

namespace KV {

class LSlider : public LPanel
{
public:
    LSlider(const RCPtr<LControl>& parent, const String& name);

    // E_FAIL when the panel failed; builds the thumb; range 0..127; drags from the first
    // pixel.
    KVRESULT Initialize() override;
    // Hides the markers and places the thumb.
    KVRESULT PostInitialize() override;
    // The thumb follows a moved or resized track.
    void EndGeometryChange() override;
    // While the thumb is dragged the value waits for the drag's end.
    double SetNormalizedValue(double value) override;
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;
    // While the slider is held down, steps the thumb towards the pointer.
    void OnIdle() override;
    void HandleLeftClick(const RCPtr<LMouseButtonParam>& param) override;
    // The arrow keys a focused thumb passes up.
    KVRESULT ProcessHotKeys(const RCPtr<LKeyParam>& param) override;
    // A child "thumb" given without descriptor becomes the thumb again; another child
    // without descriptor is refused (E_FAIL).
    KVRESULT AdoptChild(const RCPtr<LControl>& child, const RCPtr<LControlDescriptor>& descriptor) override;
    KVRESULT OnWheel(const RCPtr<LMouseWheelParam>& param) override;
    KVRESULT OnHWheel(const RCPtr<LMouseWheelParam>& param) override;

    // Places the thumb for the value (not while it is dragged).
    void UpdateThumb();
    // The place on the track nearest to the point (the slider's content coordinates) for
    // a thumb held at grabOffset from its corner, in whole pixels.
    PointT<int32_t> ProjectOntoTrack(const PointT<int32_t>& point, const PointT<int32_t>& grabOffset) const;
    // Steps the value towards the place on the track under the point (the slider's own
    // coordinates): by the jump step at most, never past it.
    void JumpToward(const PointT<int32_t>& point);
    const RCPtr<LButton>& GetThumb() const noexcept { return mThumb; }
    void SetApplyPendingValue(bool apply) noexcept { mApplyPendingValue = apply; }

    KVRESULT Receive(const RCPtr<LNotificationDistributor>& sender,
                     const RCPtr<LNotification>& notification) override;
    KVRESULT Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id) override;

protected:
    ~LSlider() override;

private:
    KVRESULT OnThumbMouseMove(const RCPtr<LNotificationDistributor>& sender,
                              const RCPtr<LNotification>& notification);
    KVRESULT OnThumbDragCondition(const RCPtr<LNotificationDistributor>& sender,
                                  const RCPtr<LNotification>& notification);
    // The thumb's descriptor: "thumbStart"'s, free to move anywhere in the slider.
    RCPtr<LControlDescriptor> MakeThumbDescriptor() const;
    // The value of a place on the track: its share of the way from start to end; false
    // when the track has no length.
    bool ValueAt(const PointT<double>& place, double& value) const;
    void SetValueFromThumb();
    void MoveThumbTo(const PointT<double>& position);
    PointT<double> MarkerPosition(const RCPtr<LControl>& marker) const;
    PointT<double> ThumbPosition() const;
    double Now() const;

    RCPtr<LNotificationHandler<LSlider>> mOwnHandler;
    RCPtr<LButton> mThumb;
    RCPtr<LControl> mThumbStart;
    RCPtr<LControl> mThumbEnd;
    bool mDragging = false;
    PointT<int32_t> mGrabOffset;
    double mJumpStep = 0.1;
    bool mJumping = false;
    double mLastJumpTick = 0;
    double mJumpCountdown = 0;
    double mPendingValue = -1.0;
    bool mApplyPendingValue = true;
    bool mKeyDown = false;
};

} // namespace KV
