#include "System/Event.h"

#include "Platform/Threads/EventObject.h"

namespace KV {

namespace {

// Brackets one wait with the event's waiter count.
class CountedWait
{
public:
    explicit CountedWait(std::atomic<int32_t>& count) : mCount(count) { mCount.fetch_add(1); }
    ~CountedWait() { mCount.fetch_sub(1); }
    CountedWait(const CountedWait&) = delete;
    CountedWait& operator=(const CountedWait&) = delete;

private:
    std::atomic<int32_t>& mCount;
};

} // namespace

EventOperations::EventOperations(bool autoReset)
    : mHandle(std::make_unique<Platform::EventObject>(/*manualReset=*/!autoReset))
{
}

EventOperations::~EventOperations() = default;

uint32_t EventOperations::Wait(Milliseconds ms)
{
    CountedWait counted(mWaiterCount);
    return mHandle->Wait(ms);
}

bool EventOperations::IsSet()
{
    return Wait(0) != WAIT_TIMEOUT;
}

bool EventOperations::HasWaiters() const
{
    return mWaiterCount.load() != 0;
}

bool EventOperations::Set()
{
    mHandle->Set();
    return true;
}

bool EventOperations::Reset()
{
    mHandle->Reset();
    return true;
}

RCPtr<LEvent> LEvent::Create()
{
    return RCPtr<LEvent>(new LEvent);
}

EventPool::EventPool(unsigned count) : mEvents(count)
{
    mHandles.reserve(count);
    for (unsigned i = 0; i < count; ++i)
    {
        RCPtr<LEvent>& event = GetEvent(static_cast<int>(i));
        event = LEvent::Create();
        mHandles.push_back(event->GetHandle());
    }
}

EventPool::~EventPool() = default;

int EventPool::WaitForAny(Milliseconds ms)
{
    const std::ptrdiff_t index = Platform::EventObject::WaitForAny(mHandles.data(), mHandles.size(), ms);
    return index >= 0 ? static_cast<int>(index) : -1;
}

} // namespace KV
