#include "Controls/ProgressBar.h"

#include "Application/FrameworkApp.h"

#include <cmath>
#include <cstdint>

namespace KV {

namespace {

constexpr int32_t kSecondsPerHour = 3600;
constexpr int32_t kSecondsPerMinute = 60;
// A new sample of the progress is kept at most once a second.
constexpr double kSampleInterval = 1.0;

double NowInSeconds()
{
    LFrameworkApp* app = LFrameworkApp::GetInstance();
    return app ? app->GetTimeInSeconds() : 0.0;
}

String FrameworkString(const RCPtr<LStringTable>& table, const char16_t* key)
{
    String text;
    if (table)
        table->GetString(key, text);
    return text;
}

// A count of seconds that does not fit an int (a rate near 0 at the start) is the
// largest one instead of an undefined conversion.
int32_t SaturatedSeconds(double seconds)
{
    if (!(seconds < static_cast<double>(INT32_MAX)))
        return INT32_MAX;
    if (seconds < 0)
        return 0;
    return static_cast<int32_t>(RoundHalfAwayFromZero(seconds));
}

void AppendCount(String& text, int32_t count, const String& singular, const String& plural)
{
    String number;
    number.Format(u"%d ", count);
    text.Append(number);
    text.Append(count == 1 ? singular : plural);
    text.AppendChar(u' ');
}

} // namespace

LProgressBar::LProgressBar(const RCPtr<LControl>& parent, const String& name) : LControl(parent, name) {}

LProgressBar::~LProgressBar() = default;

KVRESULT LProgressBar::Initialize()
{
    const KVRESULT base = LControl::Initialize();
    mOwnHandler = LNotificationHandler<LProgressBar>::Create(this);
    mActiveOverlay = FindSubControl<LPanel>(*this, u"activeOverlay");
    mTimeRemainingLabel = FindSubControl<LLabel>(*this, u"timeRemainingLabel");
    mPercentCompleteLabel = FindSubControl<LLabel>(*this, u"percentCompleteLabel");
    if (mTimeRemainingLabel)
        mTimeRemainingLabel->SetVisible(false);

    LFrameworkApp* app = LFrameworkApp::GetInstance();
    const RCPtr<LStringTable> strings = app ? app->GetFrameworkStringTable() : nullptr;
    mHourSingular = FrameworkString(strings, u"HOURS_SINGULAR");
    mHourPlural = FrameworkString(strings, u"HOURS_PLURAL");
    mMinuteSingular = FrameworkString(strings, u"MINUTES_SINGULAR");
    mMinutePlural = FrameworkString(strings, u"MINUTES_PLURAL");
    mSecondSingular = FrameworkString(strings, u"SECONDS_SINGULAR");
    mSecondPlural = FrameworkString(strings, u"SECONDS_PLURAL");
    mRemaining = FrameworkString(strings, u"REMAINING");

    SetNormalizedValue(0);
    SetValueRange(0, 100, 0);
    return base;
}

KVRESULT LProgressBar::PostInitialize()
{
    SetNotFocusable(true);
    OnValueChanged();
    return S_OK;
}

KVRESULT LProgressBar::Receive(const RCPtr<LNotificationDistributor>& sender,
                               const RCPtr<LNotification>& notification)
{
    return ReceiveThroughOwnTable<LControl>(*this, mOwnHandler, sender, notification);
}

KVRESULT LProgressBar::Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id)
{
    return DetachFromOwnTable<LControl>(*this, mOwnHandler, distributor, id);
}

void LProgressBar::OnValueChanged()
{
    RCPtr<LProgressBar> self(this);
    const double percent = GetNormalizedValue() * 100.0;
    if (mActiveOverlay)
    {
        const double width = RoundHalfAwayFromZero(GetRect().width * percent / 100.0);
        if (width < 1)
            mActiveOverlay->SetVisible(false);
        else
        {
            mActiveOverlay->SetVisible(true);
            LayoutAxisSpec spec = mActiveOverlay->GetLayout()->GetAxisSpec(0);
            spec.mSize = {SizeReference::Self, String(), 0, width};
            mActiveOverlay->SetLayoutAxis(0, spec);
        }
    }
    if (mPercentCompleteLabel)
        mPercentCompleteLabel->SetText(String::FromDouble(percent, 0));
    if (mTimeEstimateOn)
        UpdateEstimate();
}

void LProgressBar::UpdateEstimate()
{
    const double now = NowInSeconds();
    const double value = GetNormalizedValue();
    if (value - mEstimateLastValue > 0 && now - mEstimateLastTime > 0)
    {
        if (now - mEstimateLastTime > kSampleInterval)
        {
            mEstimateLastValue = value;
            mEstimateLastTime = now;
        }
        // The mean rate since the estimate began.
        const double rate = (value - mEstimateStartValue) / (now - mEstimateStartTime);
        SetTimeRemaining(SaturatedSeconds((1.0 - value) / rate));
    }
    if (value >= 1.0)
        mTimeEstimateOn = false;
}

void LProgressBar::SetTimeRemaining(int32_t seconds)
{
    if (!mTimeRemainingLabel)
        return;
    RCPtr<LProgressBar> self(this);
    mTimeRemainingLabel->SetVisible(true);
    String text;
    if (seconds == 0)
        AppendCount(text, 0, mSecondPlural, mSecondPlural);
    else
    {
        const int32_t hours = seconds < kSecondsPerHour ? 0 : seconds / kSecondsPerHour;
        const int32_t minutes =
            seconds < kSecondsPerMinute ? 0 : seconds % kSecondsPerHour / kSecondsPerMinute;
        const int32_t rest = seconds < 1 ? 0 : seconds % kSecondsPerHour % kSecondsPerMinute;
        // An hour count is always followed by a minute count, even 0.
        if (hours > 0 || minutes > 0)
        {
            if (hours > 0)
                AppendCount(text, hours, mHourSingular, mHourPlural);
            AppendCount(text, minutes, mMinuteSingular, mMinutePlural);
        }
        AppendCount(text, rest, mSecondSingular, mSecondPlural);
    }
    text.Append(mRemaining);
    mTimeRemainingLabel->SetText(text);
}

void LProgressBar::EnableTimeEstimate(bool on)
{
    if (on == mTimeEstimateOn)
        return;
    mTimeEstimateOn = on;
    if (on)
    {
        mEstimateStartTime = mEstimateLastTime = NowInSeconds();
        mEstimateStartValue = mEstimateLastValue = GetNormalizedValue();
    }
}

} // namespace KV
