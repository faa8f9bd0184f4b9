#pragma once
// An event source for tests: it yields the events a test queued, in order, and runs on a
// clock of its own that moves only when a wait finds nothing queued (by the whole wait)
// or when the test advances it. A wait for ever with nothing queued and no tick to come
// returns at once with nothing, so a test cannot hang on it.

#include "Platform/Window/WindowEventSource.h"

#include <deque>
#include <mutex>

namespace KV::Platform {

class ScriptedWindowEventSource : public WindowEventSource
{
public:
    // Any thread.
    void Push(const WindowEvent& event);
    void Wake() override;

    void Advance(Milliseconds elapsed) { mNow += elapsed; }
    // The system sleeps that long (its clock stands still meanwhile).
    void Sleep(Milliseconds slept) { mSlept += slept; }
    Milliseconds GetNow() const noexcept { return mNow; }
    // The waits asked of the source so far, in milliseconds, in order.
    const std::vector<Milliseconds>& GetWaits() const noexcept { return mWaits; }

protected:
    bool WaitNativeEvent(WindowEvent& event, Milliseconds timeout) override;
    Milliseconds Now() override { return mNow; }
    uint64_t SleptTime() override { return mSlept; }

private:
    std::mutex mLock;
    std::deque<WindowEvent> mQueue;
    Milliseconds mNow = 0;
    uint64_t mSlept = 0;
    std::vector<Milliseconds> mWaits;
};

} // namespace KV::Platform
