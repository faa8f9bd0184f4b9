#pragma once
// The application's clock: the millisecond tick of the monotonic clock, and the seconds
// the application has run, which controls use for their timed behaviour (repeats,
// tool-tip delays, caret blinking, progress estimates).
//
// Used on the window thread only: reading the seconds updates the clock without a lock.

#include "KVTypes.h"

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

} // namespace KV
