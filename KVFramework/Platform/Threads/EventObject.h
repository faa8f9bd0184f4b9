#pragma once
// The operating-system event behind Event, TrafficLight and LEvent, with the wait on
// any of several events that EventPool needs.
//
// A manual-reset event stays signalled until reset and releases every waiter; an
// auto-reset event releases one waiter per Set. A Set that finds a waiter blocked on an
// auto-reset event hands the signal straight to the longest-waiting one, so the event
// never appears signalled to a third thread in between. There is no limit on the
// number of events in one wait.

#include "KVTypes.h"
#include "System/WaitResult.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace KV::Platform {

// Results of WaitForAny that are not an index.
inline constexpr std::ptrdiff_t WAIT_ANY_TIMEOUT = -1;
inline constexpr std::ptrdiff_t WAIT_ANY_FAILED = -2;

struct EventWaiter;

class EventObject
{
public:
    explicit EventObject(bool manualReset);
    ~EventObject();
    EventObject(const EventObject&) = delete;
    EventObject& operator=(const EventObject&) = delete;

    void Set();
    void Reset();

    // WAIT_OBJECT_0 or WAIT_TIMEOUT; an auto-reset event is consumed
    // by a successful wait.
    uint32_t Wait(Milliseconds ms);

    // The index of the signalled event (the lowest when several are), or
    // WAIT_ANY_TIMEOUT, or WAIT_ANY_FAILED when there is no event or one is null. Only
    // the event whose index is returned is consumed. (Indexes and failures are kept
    // apart by sign: with no limit on the count, an index may well be 258.)
    static std::ptrdiff_t WaitForAny(EventObject* const* events, std::size_t count, Milliseconds ms);

private:
    friend struct EventWaiter;

    // All fields are guarded by the one lock shared by every event of the process
    // (see EventObject.cpp): a wait on several events must see them together.
    bool mSignalled = false;
    const bool mManualReset;
    std::vector<EventWaiter*> mWaiters; // oldest first
};

} // namespace KV::Platform
