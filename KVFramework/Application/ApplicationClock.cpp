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

SystemTime ToSystemTime(std::chrono::system_clock::time_point moment)
{
    using namespace std::chrono;
    const auto dayStart = floor<days>(moment);
    const year_month_day date{dayStart};
    const hh_mm_ss<milliseconds> time{floor<milliseconds>(moment - dayStart)};
    SystemTime fields;
    fields.year = static_cast<int32_t>(date.year());
    fields.month = static_cast<int32_t>(static_cast<unsigned>(date.month()));
    fields.dayOfWeek = static_cast<int32_t>(weekday{dayStart}.c_encoding());
    fields.day = static_cast<int32_t>(static_cast<unsigned>(date.day()));
    fields.hour = static_cast<int32_t>(time.hours().count());
    fields.minute = static_cast<int32_t>(time.minutes().count());
    fields.second = static_cast<int32_t>(time.seconds().count());
    fields.milliseconds = static_cast<int32_t>(time.subseconds().count());
    return fields;
}

} // namespace KV
