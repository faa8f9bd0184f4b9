#include "Application/ApplicationClock.h"

#include "System/Sleep.h"

namespace KV {

ApplicationClock::ApplicationClock(TickSource tickSource)
    : mTickSource(tickSource ? tickSource : &GetTickCount), mLastReading(mTickSource())
{
}

Milliseconds ApplicationClock::GetTimeMs() const
{
    return mTickSource();
}

double ApplicationClock::GetTimeInSeconds()
{
    const Milliseconds now = mTickSource();
    const auto difference = static_cast<int32_t>(now - mLastReading);
    mLastReading = now;
    mElapsedSeconds += difference / 1000.0;
    return mElapsedSeconds;
}

} // namespace KV
