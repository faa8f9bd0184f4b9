#include "Platform/Window/WindowEventSource.h"

#include "Platform/Window/SdlWindowEventSource.h"

#include <algorithm>
#include <mutex>

namespace KV::Platform {

namespace {

struct SourceSlot
{
    std::mutex lock;
    WindowEventSourceFactory factory;
    std::shared_ptr<WindowEventSource> source;
};

SourceSlot& Slot()
{
    static auto* const slot = new SourceSlot();
    return *slot;
}

} // namespace

bool WindowEventSource::WaitEvent(WindowEvent& event, Milliseconds timeout)
{
    NoticeWakeUp();
    // Reading the window system's connection costs a round of system calls, and the wait
    // below reads it first anyway: an idle loop woken by its tick reads it once, not twice.
    if (TakePosted(event) || TakeQueuedNativeEvent(event) || TakePaint(event) || TakeDueTick(event))
        return true;
    Milliseconds wait = timeout;
    if (mTickInterval != 0)
    {
        // Signed difference: a tick that is already late waits for nothing.
        const int32_t untilTick = static_cast<int32_t>(mNextTick - Now());
        const Milliseconds tickWait = untilTick > 0 ? static_cast<Milliseconds>(untilTick) : 0;
        if (tickWait < wait)
            wait = tickWait;
    }
    if (WaitNativeEvent(event, wait))
        return true;
    return TakePosted(event) || TakeDueTick(event);
}

void WindowEventSource::NoticeWakeUp()
{
    const uint64_t slept = SleptTime();
    const bool woke = mSlept && slept >= *mSlept + kNoticedSleep;
    mSlept = slept;
    if (!woke)
        return;
    std::lock_guard lock(mCrossThreadLock);
    for (const auto& [windowId, handler] : mHandlers)
    {
        WindowEvent resumed;
        resumed.type = WindowEventType::Resumed;
        resumed.windowId = windowId;
        mPosted.push_back(resumed);
    }
}

void WindowEventSource::SetTickInterval(Milliseconds interval)
{
    mTickInterval = interval;
    mNextTick = Now() + interval;
}

void WindowEventSource::PostEvent(const WindowEvent& event)
{
    {
        std::lock_guard lock(mCrossThreadLock);
        mPosted.push_back(event);
    }
    if (std::this_thread::get_id() != mWindowThread)
        Wake();
}

bool WindowEventSource::TakePosted(WindowEvent& event)
{
    std::lock_guard lock(mCrossThreadLock);
    if (mPosted.empty())
        return false;
    event = mPosted.front();
    mPosted.erase(mPosted.begin());
    return true;
}

void WindowEventSource::RequestPaint(uint32_t windowId)
{
    {
        std::lock_guard lock(mCrossThreadLock);
        for (const uint32_t asked : mPaintRequests)
            if (asked == windowId)
                return;
        mPaintRequests.push_back(windowId);
    }
    if (std::this_thread::get_id() != mWindowThread)
        Wake();
}

bool WindowEventSource::TakeDueTick(WindowEvent& event)
{
    if (mTickInterval == 0)
        return false;
    const Milliseconds now = Now();
    if (static_cast<int32_t>(now - mNextTick) < 0)
        return false;
    // A loop that was busy for several intervals gets one tick, not a burst of them.
    mNextTick = now + mTickInterval;
    event = WindowEvent{};
    event.type = WindowEventType::Tick;
    return true;
}

bool WindowEventSource::TakePaint(WindowEvent& event)
{
    std::lock_guard lock(mCrossThreadLock);
    if (mPaintRequests.empty())
        return false;
    event = WindowEvent{};
    event.type = WindowEventType::Paint;
    event.windowId = mPaintRequests.front();
    mPaintRequests.erase(mPaintRequests.begin());
    return true;
}

bool WindowEventSource::Dispatch(const WindowEvent& event)
{
    WindowEventHandler* handler = FindHandler(event.windowId);
    if (!handler)
        return false;
    handler->OnWindowEvent(event);
    return true;
}

void WindowEventSource::AddHandler(uint32_t windowId, WindowEventHandler* handler)
{
    if (handler)
        mHandlers[windowId] = handler;
    else
        mHandlers.erase(windowId);
}

void WindowEventSource::RemoveHandler(uint32_t windowId)
{
    mHandlers.erase(windowId);
    std::lock_guard lock(mCrossThreadLock);
    std::erase(mPaintRequests, windowId);
}

WindowEventHandler* WindowEventSource::FindHandler(uint32_t windowId) const
{
    const auto found = mHandlers.find(windowId);
    return found == mHandlers.end() ? nullptr : found->second;
}

WindowEventSource& GetWindowEventSource()
{
    std::lock_guard lock(Slot().lock);
    if (!Slot().source)
        Slot().source = Slot().factory ? Slot().factory() : CreateSdlWindowEventSource();
    return *Slot().source;
}

void SetWindowEventSourceFactory(WindowEventSourceFactory factory)
{
    std::lock_guard lock(Slot().lock);
    Slot().factory = std::move(factory);
    Slot().source.reset();
}

void ResetWindowEventSource()
{
    std::lock_guard lock(Slot().lock);
    Slot().source.reset();
}

} // namespace KV::Platform
