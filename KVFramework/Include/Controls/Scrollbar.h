#pragma once
// LScrollbar: the scroll bar. Its value (the normalized value, 0 at the start of the track,
// 1 at its end) changes by dragging the "thumb" in the "channel", by the step buttons "dec"
// and "inc" (repeating while held), by pressing in the channel beside the thumb (a page
// step, repeated while held), and by the arrow, page, Home and End keys its parent offers
// as sibling keys. Every change sends "NID_VALUE_CHANGE".
//
// The skin gives the "channel" with its "thumb" (a button); the step buttons are optional
// and tell the orientation by where they stand (vertical without them).

#include "Controls/Button.h"

namespace KV {

class LScrollbar : public LControl
{
public:
    // Bits of SetSiblingKeys.
    static constexpr int32_t kKeyUp = 0x01;
    static constexpr int32_t kKeyDown = 0x02;
    static constexpr int32_t kKeyLeft = 0x04;
    static constexpr int32_t kKeyRight = 0x08;
    static constexpr int32_t kKeyPageUp = 0x10;
    static constexpr int32_t kKeyPageDown = 0x20;
    static constexpr int32_t kKeyHome = 0x40;
    static constexpr int32_t kKeyEnd = 0x80;

    LScrollbar(const RCPtr<LControl>& parent, const String& name);

    KVRESULT Initialize() override;
    // The bar and its parts take no focus; the smallest thumb is as long as it is thick.
    KVRESULT PostInitialize() override;

    // Clamped to 0..1. During a thumb drag the value waits until the drag ends.
    double SetNormalizedValue(double value) override;
    // Keeps the mapped value where the new range allows.
    KVRESULT SetValueRange(double min, double max, int32_t taper) override;
    // Measures the track again and fits the thumb to it.
    void EndGeometryChange() override;
    // Repeats the page step while the pointer stays beside the thumb.
    void OnIdle() override;

    // The keys (kKey... bits) the bar takes when its parent offers them; E_INVALIDARG for
    // a mask wider than 8 bits.
    KVRESULT SetSiblingKeys(int32_t mask);

    // The thumb's length for the track and the fraction, and its place for the value.
    void UpdateThumbSize();
    void UpdateThumbPosition();

    bool IsVertical() const noexcept { return mVertical; }
    const RCPtr<LButton>& GetThumb() const noexcept { return mThumb; }
    double GetThumbLength() const noexcept { return mThumbLength; }
    double GetTrackStart() const noexcept { return mTrackStart; }
    double GetTrackEnd() const noexcept { return mTrackEnd; }
    double GetLineStep() const noexcept { return mLineStep; }
    double GetPageStep() const noexcept { return mPageStep; }
    double GetThumbFraction() const noexcept { return mThumbFraction; }
    bool IsDraggingThumb() const noexcept { return mDragging; }
    double GetPendingValue() const noexcept { return mPendingValue; }
    // Set by the scroll view that owns the bar, from its view and content sizes.
    void SetLineStep(double step) noexcept { mLineStep = step; }
    void SetPageStep(double step) noexcept { mPageStep = step; }
    void SetThumbFraction(double fraction) noexcept { mThumbFraction = fraction; }
    // Whether a value set during a thumb drag is taken when the drag ends.
    void SetApplyPendingValue(bool apply) noexcept { mApplyPendingValue = apply; }

    KVRESULT Receive(const RCPtr<LNotificationDistributor>& sender,
                     const RCPtr<LNotification>& notification) override;
    KVRESULT Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id) override;

protected:
    ~LScrollbar() override;

private:
    KVRESULT OnChannelDragCondition(const RCPtr<LNotificationDistributor>& sender,
                                    const RCPtr<LNotification>& notification);
    KVRESULT OnChannelHoverCondition(const RCPtr<LNotificationDistributor>& sender,
                                     const RCPtr<LNotification>& notification);
    KVRESULT OnThumbMouseMove(const RCPtr<LNotificationDistributor>& sender,
                              const RCPtr<LNotification>& notification);
    KVRESULT OnThumbDragCondition(const RCPtr<LNotificationDistributor>& sender,
                                  const RCPtr<LNotification>& notification);
    KVRESULT OnStepButton(const RCPtr<LNotificationDistributor>& sender,
                          const RCPtr<LNotification>& notification);
    KVRESULT OnSiblingKey(const RCPtr<LNotificationDistributor>& sender,
                          const RCPtr<LNotification>& notification);

    // Along the bar's axis.
    double Along(const PointT<double>& point) const { return mVertical ? point.y : point.x; }
    double Along(const RectT<double>& rect) const { return mVertical ? rect.y : rect.x; }
    double LengthOf(const RectT<double>& rect) const { return mVertical ? rect.height : rect.width; }
    int AxisIndex() const { return mVertical ? 1 : 0; }
    double ThumbStart() const;
    // Which side of the thumb the point (channel client coordinates, along the axis) is:
    // 1 before it, 2 after it, 0 on it or outside the track.
    int HitSide(double along) const;
    // The pointer along the axis in the channel's client coordinates.
    double PointerInChannel();
    void MoveThumbTo(double position);
    void StepPage();
    void UpdatePagingHighlight();
    void ClearPagingHighlight();
    double Now() const;

    RCPtr<LNotificationHandler<LScrollbar>> mOwnHandler;
    bool mVertical = true;
    RCPtr<LControl> mChannel;
    RCPtr<LButton> mThumb;
    double mLineStep = 0.02;
    double mPageStep = 0.2;
    double mThumbFraction = 0.1;
    double mMinThumbLength = 10.0;
    double mThumbLength = 0;
    double mTrackStart = 0;
    double mTrackEnd = 0;
    double mChannelOrigin = 0;
    bool mDragging = false;
    PointT<int32_t> mGrabOffset;
    int mPagingSide = 0;
    double mPageRepeatInterval = 0.2;
    double mPageRepeatDelay = 0.4;
    double mLastPageTick = 0;
    double mPageCountdown = 0;
    double mPendingValue = -1.0;
    bool mApplyPendingValue = true;
    int32_t mSiblingKeys = 0;
};

} // namespace KV
