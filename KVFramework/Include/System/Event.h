#pragma once
// Events: Event (owned, auto- or manual-reset), TrafficLight (a manual-reset Event: a
// gate that stays open until closed), LEvent (a reference-counted auto-reset event
// shared through RCPtr) and EventPool (a fixed set of LEvents one thread waits on as a
// group).
//
// Every wait on an event is counted: the count rises just before the wait and falls
// just after it, so HasWaiters tells another thread whether somebody is inside a wait
// on this event right now. A thread that has returned from its own wait no longer
// counts.
//
// No operation throws (apart from running out of memory on construction). Wait results
// are WAIT_OBJECT_0, WAIT_TIMEOUT or WAIT_FAILED (System/WaitResult.h); time-outs are
// milliseconds, INFINITE_WAIT meaning none.

#include "KVTypes.h"
#include "ObjectBase/RCPtr.h"
#include "ObjectBase/RefCountedObject.h"
#include "Storage/RCPtrArray.h"
#include "System/WaitResult.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace KV {

namespace Platform {
class EventObject;
}

// The operations shared by Event, TrafficLight and LEvent, over the event they own.
class EventOperations
{
public:
    EventOperations(const EventOperations&) = delete;
    EventOperations& operator=(const EventOperations&) = delete;

    // WAIT_OBJECT_0 when signalled within ms, WAIT_TIMEOUT, or WAIT_FAILED.
    uint32_t Wait(Milliseconds ms);
    // A counted 0 ms wait: true unless it timed out. On an auto-reset event a true
    // answer consumes the signal; a TrafficLight stays signalled.
    bool IsSet();
    // Whether some thread is inside Wait or IsSet on this event at the moment.
    bool HasWaiters() const;
    bool Set();
    bool Reset();
    Platform::EventObject* GetHandle() const { return mHandle.get(); }

protected:
    explicit EventOperations(bool autoReset);
    ~EventOperations();

private:
    std::unique_ptr<Platform::EventObject> mHandle;
    std::atomic<int32_t> mWaiterCount{0};
};

class Event : public EventOperations
{
public:
    explicit Event(bool autoReset) : EventOperations(autoReset) {}
    virtual ~Event() = default;
};

// A manual-reset event: once set, it releases every waiter until it is reset.
class TrafficLight : public Event
{
public:
    TrafficLight() : Event(false) {}
};

// A reference-counted auto-reset event, created not signalled.
class LEvent : public virtual LRefCountedObject, public EventOperations
{
public:
    static RCPtr<LEvent> Create();

protected:
    LEvent() : EventOperations(true) {}
    ~LEvent() override = default;
};

// A fixed set of auto-reset events that one thread waits on together. Any number of
// events may take part in one wait.
class EventPool
{
public:
    explicit EventPool(unsigned count);
    virtual ~EventPool();
    EventPool(const EventPool&) = delete;
    EventPool& operator=(const EventPool&) = delete;

    unsigned GetCount() const { return mEvents.GetCount(); }
    RCPtr<LEvent>& GetEvent(int index) { return *mEvents.GetAt(static_cast<uint32_t>(index)); }

    // The index of a signalled event, the lowest when several are; only that event is
    // consumed. -1 on time-out, and on failure (a pool without events).
    int WaitForAny(Milliseconds ms);

private:
    RCPtrArray<LEvent, 1, 0> mEvents;
    std::vector<Platform::EventObject*> mHandles; // entry i is the handle of event i
};

} // namespace KV
