#pragma once
// The application's clock: the millisecond tick of the monotonic clock, and the seconds
// the application has run, which controls use for their timed behaviour (repeats,
// tool-tip delays, caret blinking, progress estimates).
//
// Used on the window thread only: reading the seconds updates the clock without a lock.

#include "KVTypes.h"

#include <chrono>
#include <cstdint>

namespace KV {

class ApplicationClock
{
public:
    // Milliseconds that wrap modulo 2^32 like a tick counter.
    using TickSource = Milliseconds (*)();

    // tickSource: null for the monotonic clock; tests pass a clock of their own.
    explicit ApplicationClock(TickSource tickSource = nullptr);

    // The present tick.
    Milliseconds GetTimeMs() const;

    // The seconds counted so far: each call adds the ticks since the previous reading
    // (the first: since construction). The difference is taken modulo 2^32 and read as
    // signed, so the wrap of the tick after 49.7 days does not run the time backwards.
    double GetTimeInSeconds();

private:
    TickSource mTickSource;
    Milliseconds mLastReading;
    double mElapsedSeconds = 0.0;
};

// A moment of the calendar in Coordinated Universal Time, field by field.
struct SystemTime
{
    int32_t year = 0;
    int32_t month = 0;     // 1 January ... 12 December
    int32_t dayOfWeek = 0; // 0 Sunday ... 6 Saturday
    int32_t day = 0;       // of the month, from 1
    int32_t hour = 0;
    int32_t minute = 0;
    int32_t second = 0;
    int32_t milliseconds = 0;

    bool operator==(const SystemTime&) const = default;
};

SystemTime ToSystemTime(std::chrono::system_clock::time_point moment);

} // namespace KV
