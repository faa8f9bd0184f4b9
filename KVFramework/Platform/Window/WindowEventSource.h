#pragma once
// WindowEventSource: where the window thread's message loop waits for what happens to
// its windows, and what hands each event to the window it belongs to.
//
// The loop waits (WaitEvent) and dispatches what it got (Dispatch); a window registers
// the handler that takes its events under its id while it exists. Another thread ends a
// wait early with Wake. With a tick interval set, a Tick event comes each time the
// interval passed, so the loop turns at least that often while nothing else happens.
// A window that wants painting asks for it (RequestPaint); like the paint of the
// window systems it comes only when no other event waits, once however often it was
// asked for. When the system slept since the last wait, every window gets a Resumed
// event first.
//
// WaitEvent, Dispatch and the registration run on the window thread; Wake and
// RequestPaint on any (a request of another thread wakes the wait).

#include "KVTypes.h"
#include "Platform/Window/WindowEvent.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace KV::Platform {

class WindowEventHandler
{
public:
    virtual ~WindowEventHandler() = default;
    virtual void OnWindowEvent(const WindowEvent& event) = 0;
};

class WindowEventSource
{
public:
    WindowEventSource() = default;
    WindowEventSource(const WindowEventSource&) = delete;
    WindowEventSource& operator=(const WindowEventSource&) = delete;
    virtual ~WindowEventSource() = default;

    // The next event into event: true, or false when timeout (milliseconds; 0 only
    // looks, INFINITE_WAIT waits for ever) passed without one.
    bool WaitEvent(WindowEvent& event, Milliseconds timeout);
    // Ends a wait of the window thread with a Wake event. Any thread.
    virtual void Wake() = 0;
    // Tick events every interval milliseconds from now; 0 stops them.
    void SetTickInterval(Milliseconds interval);
    Milliseconds GetTickInterval() const noexcept { return mTickInterval; }
    // Queues an event made outside the window system (another thread's news for a
    // window); it comes before the window system's own. Any thread.
    void PostEvent(const WindowEvent& event);
    // A Paint event for the window (x, y, width and height 0: what the window collected)
    // once nothing else waits. Any thread.
    void RequestPaint(uint32_t windowId);

    // Hands the event to the handler registered for its window; false when none is.
    bool Dispatch(const WindowEvent& event);
    // The handler (not owned) takes the events of the window id until it is removed.
    void AddHandler(uint32_t windowId, WindowEventHandler* handler);
    void RemoveHandler(uint32_t windowId);
    WindowEventHandler* FindHandler(uint32_t windowId) const;

protected:
    // The next event of the window system, waiting up to timeout; false when none came.
    virtual bool WaitNativeEvent(WindowEvent& event, Milliseconds timeout) = 0;
    // An event the window system has already handed over, without asking it for more;
    // the wait that follows asks. Sources that cannot tell the two apart poll.
    virtual bool TakeQueuedNativeEvent(WindowEvent& event) { return WaitNativeEvent(event, 0); }
    // The source's clock, milliseconds wrapping modulo 2^32.
    virtual Milliseconds Now() = 0;
    // How long the system has slept since it started, in milliseconds; 0 where the source
    // cannot tell.
    virtual uint64_t SleptTime() { return 0; }

private:
    // A sleep shorter than this passes unnoticed; the two clocks it is told by are read
    // one after the other, so the time between them wobbles a little.
    static constexpr uint64_t kNoticedSleep = 1000;

    // Queues a Resumed event for every window when the system slept since the last call.
    void NoticeWakeUp();
    bool TakeDueTick(WindowEvent& event);
    bool TakePaint(WindowEvent& event);
    bool TakePosted(WindowEvent& event);

    std::map<uint32_t, WindowEventHandler*> mHandlers;
    std::thread::id mWindowThread = std::this_thread::get_id(); // where the source was made
    std::mutex mCrossThreadLock;                                // the paint requests and the posted events
    std::vector<uint32_t> mPaintRequests;                       // in the order asked for, each window once
    std::vector<WindowEvent> mPosted;
    Milliseconds mTickInterval = 0;
    Milliseconds mNextTick = 0;
    std::optional<uint64_t> mSlept; // at the last wait
};

using WindowEventSourceFactory = std::function<std::shared_ptr<WindowEventSource>()>;

// The process's event source: made on first use by the installed factory, else SDL's.
// It lives until ResetWindowEventSource.
WindowEventSource& GetWindowEventSource();
// Installs the factory the next GetWindowEventSource uses (empty: SDL's) and drops the
// source made so far. Tests install a scripted source.
void SetWindowEventSourceFactory(WindowEventSourceFactory factory);
void ResetWindowEventSource();

} // namespace KV::Platform
