#pragma once
// LProgressBar: a completion value shown as an overlay that grows with it, a percentage
// and, while an estimate runs, the time remaining in words. The value is the control's
// own, ranged 0 to 100: the owner sets it in percent or as 0..1.
//
// The skin gives the overlay "activeOverlay" (a panel) and the labels
// "timeRemainingLabel" and "percentCompleteLabel"; a bar whose skin lacks one of them
// leaves out what that part would show.

#include "Controls/Label.h"
#include "Controls/Panel.h"

namespace KV {

class LProgressBar : public LControl
{
public:
    LProgressBar(const RCPtr<LControl>& parent, const String& name);

    // Sets up the bar whatever the base answered; returns the base's answer.
    KVRESULT Initialize() override;
    // Not focusable; shows the value.
    KVRESULT PostInitialize() override;
    // Shows the value: the overlay's width, the percentage and, while estimating, the time
    // remaining.
    void OnValueChanged() override;

    // Shows the remaining time in the framework's words ("1 Minute 1 Second Remaining").
    void SetTimeRemaining(int32_t seconds);
    // Starts or stops estimating the time remaining from the progress since the start.
    void EnableTimeEstimate(bool on);
    bool IsTimeEstimateOn() const noexcept { return mTimeEstimateOn; }

    KVRESULT Receive(const RCPtr<LNotificationDistributor>& sender,
                     const RCPtr<LNotification>& notification) override;
    KVRESULT Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id) override;

protected:
    ~LProgressBar() override;

private:
    void UpdateEstimate();

    RCPtr<LNotificationHandler<LProgressBar>> mOwnHandler;
    RCPtr<LPanel> mActiveOverlay;
    RCPtr<LLabel> mTimeRemainingLabel;
    RCPtr<LLabel> mPercentCompleteLabel;
    String mHourSingular;
    String mHourPlural;
    String mMinuteSingular;
    String mMinutePlural;
    String mSecondSingular;
    String mSecondPlural;
    String mRemaining;
    double mEstimateStartTime = 0;
    double mEstimateStartValue = 0;
    double mEstimateLastTime = 0;
    double mEstimateLastValue = 0;
    bool mTimeEstimateOn = false;
};

} // namespace KV
