#pragma once
// LLevelMeter: a signal level shown as an overlay whose length follows the level, a peak
// marker travelling between two skin markers, and a clip light that lights when the clip
// counter changes. Latched, the light stays lit until the user clicks it, which sends
// "NID_CLIPLIGHT_UNLATCHED". The level is the control's own value.
//
// The skin gives the overlay "activeOverlay" (a panel), the light "clipButton" and the
// markers "peakLo" (a panel, the one that moves) and "peakHi". A meter whose skin lacks
// the overlay or the light leaves out what that part would show; the peak needs both
// markers.

#include "Controls/Panel.h"

namespace KV {

class LLevelMeter : public LControl
{
public:
    LLevelMeter(const RCPtr<LControl>& parent, const String& name);

    // Sets up the meter whatever the base answered; returns the base's answer.
    KVRESULT Initialize() override;
    // Hides the markers and the overlay, takes no focus, shows the current level.
    KVRESULT PostInitialize() override;
    // A value set from outside is shown as a level without peak.
    void OnValueChanged() override;

    KVRESULT SetLevelAndPeak(double level, double peak);
    // Shows the level and the peak (both 0..1); a clip counter that differs from the last
    // one lights the clip light. Returns 0.
    KVRESULT SetLevel(double level, double peak, int32_t clip);
    // Turns the light off; latched, a later light stays until clicked. E_FAIL without a
    // clip light.
    KVRESULT SetClipLatch(bool latch);
    bool IsClipLit() const;
    int32_t GetClipValue() const noexcept { return mClipValue; }
    // Only stores the counter: the light does not change.
    void SetClipValue(int32_t clip) noexcept { mClipValue = clip; }

    KVRESULT Receive(const RCPtr<LNotificationDistributor>& sender,
                     const RCPtr<LNotification>& notification) override;
    KVRESULT Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id) override;

protected:
    ~LLevelMeter() override;

private:
    KVRESULT OnClipButtonClick(const RCPtr<LNotificationDistributor>& sender,
                               const RCPtr<LNotification>& notification);
    void SetClipLight(bool lit);
    void ShowOverlay(double level);
    void ShowPeak(double peak);

    RCPtr<LNotificationHandler<LLevelMeter>> mOwnHandler;
    int32_t mClipValue = 0;
    bool mClipLatch = false;
    RCPtr<LPanel> mPeakMarker;
    RCPtr<LPanel> mActiveOverlay;
    RCPtr<LControl> mClipButton;
    PointT<double> mPeakLoPos;
    PointT<double> mPeakHiPos;
    // The marker's own place in the skin on the meter's axis; the peak moves it from there.
    double mPeakBase = 0;
    bool mSettingLevel = false;
    bool mVertical = false;
};

} // namespace KV
