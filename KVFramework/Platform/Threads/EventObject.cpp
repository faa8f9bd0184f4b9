#include "Platform/Threads/EventObject.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace KV::Platform {

namespace {

// One lock for every event of the process: a wait on several events tests and consumes
// them as one step, and a Set hands its signal to a waiter that may be registered with
// other events too. Every hold of it is a few list operations long. Never destroyed:
// threads that outlive main may still set events.
std::mutex& EventLock()
{
    static std::mutex* lock = new std::mutex;
    return *lock;
}

constexpr std::size_t NotSatisfied = static_cast<std::size_t>(-1);

} // namespace

// A thread blocked in WaitForAny, registered with each of its events until one of them
// satisfies it or its time runs out. Lives on the waiting thread's stack; touched by
// other threads only under EventLock.
struct EventWaiter
{
    EventObject* const* events;
    std::size_t count;
    std::size_t satisfiedIndex = NotSatisfied;
    std::condition_variable wake;

    void Register()
    {
        for (std::size_t i = 0; i < count; ++i)
            events[i]->mWaiters.push_back(this);
    }

    void Unregister()
    {
        for (std::size_t i = 0; i < count; ++i)
            std::erase(events[i]->mWaiters, this);
    }

    // Called under EventLock by the thread that sets `event`. The notification happens
    // before the lock is released, while the waiter still exists.
    void Satisfy(const EventObject* event)
    {
        satisfiedIndex = static_cast<std::size_t>(std::find(events, events + count, event) - events);
        Unregister();
        wake.notify_one();
    }
};

EventObject::EventObject(bool manualReset) : mManualReset(manualReset) {}

EventObject::~EventObject() = default;

void EventObject::Set()
{
    std::lock_guard lock(EventLock());
    if (mManualReset)
    {
        mSignalled = true;
        const std::vector<EventWaiter*> waiters = mWaiters; // Satisfy edits the list
        for (EventWaiter* waiter : waiters)
            waiter->Satisfy(this);
    }
    else if (!mWaiters.empty())
    {
        mWaiters.front()->Satisfy(this); // the signal is consumed by this hand-over
    }
    else
    {
        mSignalled = true;
    }
}

void EventObject::Reset()
{
    std::lock_guard lock(EventLock());
    mSignalled = false;
}

uint32_t EventObject::Wait(Milliseconds ms)
{
    EventObject* const self = this;
    switch (WaitForAny(&self, 1, ms))
    {
    case 0:
        return WAIT_OBJECT_0;
    case WAIT_ANY_TIMEOUT:
        return WAIT_TIMEOUT;
    default:
        return WAIT_FAILED;
    }
}

std::ptrdiff_t EventObject::WaitForAny(EventObject* const* events, std::size_t count, Milliseconds ms)
{
    if (events == nullptr || count == 0 || std::find(events, events + count, nullptr) != events + count)
        return WAIT_ANY_FAILED;

    std::unique_lock lock(EventLock());
    for (std::size_t i = 0; i < count; ++i)
    {
        if (events[i]->mSignalled)
        {
            if (!events[i]->mManualReset)
                events[i]->mSignalled = false;
            return static_cast<std::ptrdiff_t>(i);
        }
    }
    if (ms == 0)
        return WAIT_ANY_TIMEOUT;

    EventWaiter waiter{events, count, NotSatisfied, {}};
    waiter.Register();
    const auto satisfied = [&waiter] { return waiter.satisfiedIndex != NotSatisfied; };
    if (ms == INFINITE_WAIT)
    {
        waiter.wake.wait(lock, satisfied);
    }
    else if (!waiter.wake.wait_until(lock, std::chrono::steady_clock::now() + std::chrono::milliseconds(ms),
                                     satisfied))
    {
        waiter.Unregister();
        return WAIT_ANY_TIMEOUT;
    }
    return static_cast<std::ptrdiff_t>(waiter.satisfiedIndex);
}

} // namespace KV::Platform
