#pragma once
// The message loop of the window thread: hands the events of the window layer's event
// source to their windows, and in the time between them does the idle work in passes
// (OnIdle with a count that starts at 0 after every event). Idle work stops when a pass
// asks for no more; the next event starts it again. The source ticks every 33 ms, and a
// tick is an event like any other, so work that other threads post without waking the
// loop is picked up within a tick.
//
// Modal loops run a loop of their own with an end condition.

#include "KVTypes.h"

#include <cstdint>
#include <functional>

namespace KV {

namespace Platform {
class WindowEventSource;
}

class MessageLoop
{
public:
    static constexpr Milliseconds kIdleTick = 33;

    // Pass count (0 for the first pass of an idle period) -> true for another pass.
    using IdleHandler = std::function<bool(int32_t passCount)>;

    explicit MessageLoop(Platform::WindowEventSource& source) : mSource(source) {}

    // Runs until Quit, whose code it returns, or, when keepRunning is given, until it
    // returns false (checked after each event and each idle pass), which returns 0. Starts
    // the source's ticks when it has none.
    int32_t Run(const IdleHandler& onIdle, const std::function<bool()>& keepRunning = {});
    // Ends the loop once the event or idle pass being handled is done. Window thread.
    void Quit(int32_t code);

private:
    Platform::WindowEventSource& mSource;
    bool mQuit = false;
    int32_t mQuitCode = 0;
};

} // namespace KV
