#include "Notification/Notification.h"

#include "NotificationLocks.h"

#include <vector>

namespace KV {
namespace {

std::atomic<bool> gRecyclingEnabled{false};

// The spares, a stack: the one returned last is reused first. Guarded by the
// identifier mutex. Never destroyed (recycling is switched off before exit, which
// empties it).
std::vector<RCPtr<LNotification>>& RecyclePool()
{
    static auto* const pool = new std::vector<RCPtr<LNotification>>();
    return *pool;
}

} // namespace

Mutex& IdentifierMutex()
{
    static Mutex* const mutex = new Mutex();
    return *mutex;
}

RCPtr<LNotification> LNotification::CreateNew(NotificationId id, const RCPtr<LRefCountedObject>& data)
{
    if (!id)
        return nullptr;
    RCPtr<LNotification> notification(new LNotification());
    notification->mId = id;
    notification->mData = data;
    return notification;
}

RCPtr<LNotification> LNotification::Create(const char16_t* text, const RCPtr<LRefCountedObject>& data)
{
    if (!gRecyclingEnabled.load(std::memory_order_acquire))
        return CreateNew(InternNotificationId(text), data);

    MutexLock lock(IdentifierMutex());
    auto& pool = RecyclePool();
    if (pool.empty())
        return CreateNew(InternNotificationId(text), data);

    RCPtr<LNotification> spare = std::move(pool.back());
    pool.pop_back();
    const NotificationId id = InternNotificationId(text);
    if (!id)
        return nullptr; // the spare goes back to the pool through its Release
    spare->mId = id;
    spare->mData = data;
    spare->ClearPosted();
    return spare;
}

int32_t LNotification::Release()
{
    if (!mRecycling && GetRefCount() == 1)
    {
        mRecycling = true;
        Recycle();
        mRecycling = false;
    }
    return LRefCountedObject::Release();
}

void LNotification::Recycle()
{
    if (!IsPosted())
        mData.Reset();
    if (!gRecyclingEnabled.load(std::memory_order_acquire))
        return;
    MutexLock lock(IdentifierMutex());
    // The pool's reference keeps the notification alive through the base Release.
    RecyclePool().emplace_back(this);
}

void LNotification::EnableRecycling(bool on)
{
    gRecyclingEnabled.store(on, std::memory_order_release);
    if (on)
        return;
    std::vector<RCPtr<LNotification>> spares;
    {
        MutexLock lock(IdentifierMutex());
        spares.swap(RecyclePool());
    }
    // Released outside the lock; each finds recycling off and is destroyed.
}

size_t LNotification::GetSpareCount()
{
    MutexLock lock(IdentifierMutex());
    return RecyclePool().size();
}

bool LNotification::IsRecyclingEnabled() noexcept
{
    return gRecyclingEnabled.load(std::memory_order_acquire);
}

} // namespace KV
