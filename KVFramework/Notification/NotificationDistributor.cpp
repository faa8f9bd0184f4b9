#include "Notification/NotificationDistributor.h"

#include "NotificationLocks.h"

#include <algorithm>

namespace KV {
namespace {

// Every distributor that holds at least one registration, with one internal reference
// each. Never destroyed.
std::vector<RCPtr<LNotificationDistributor>>& RegisteredDistributors()
{
    static auto* const list = new std::vector<RCPtr<LNotificationDistributor>>();
    return *list;
}

} // namespace

Mutex& RegisteredDistributorsMutex()
{
    static Mutex* const mutex = new Mutex();
    return *mutex;
}

bool IsRegisteredDistributor(const LNotificationDistributor* distributor)
{
    MutexLock lock(RegisteredDistributorsMutex());
    const auto& list = RegisteredDistributors();
    return std::any_of(list.begin(), list.end(), [&](const auto& d) { return d.Get() == distributor; });
}

// ---------------------------------------------------------------------------------------
// Client pool

class LNotificationDistributor::LNotificationClientPool::ActiveCursor
{
public:
    // Starts at the last registration (lastFirst) or at the given index.
    ActiveCursor(LNotificationClientPool& pool, int32_t index, bool lastFirst) : mPool(pool)
    {
        std::lock_guard lock(mPool.mLock);
        mIndex = lastFirst ? static_cast<int32_t>(mPool.mRegistrations.size()) - 1 : index;
        mPool.mCursors.push_back(&mIndex);
    }
    ~ActiveCursor()
    {
        std::lock_guard lock(mPool.mLock);
        mPool.mCursors.erase(std::find(mPool.mCursors.begin(), mPool.mCursors.end(), &mIndex));
    }
    ActiveCursor(const ActiveCursor&) = delete;
    ActiveCursor& operator=(const ActiveCursor&) = delete;

    LNotificationClientPool& mPool;
    int32_t mIndex; // guarded by the pool's lock
};

uint32_t LNotificationDistributor::LNotificationClientPool::GetFlagsUnion() const
{
    std::lock_guard lock(mLock);
    return mFlagsUnion;
}

int32_t LNotificationDistributor::LNotificationClientPool::GetCount() const
{
    std::lock_guard lock(mLock);
    return static_cast<int32_t>(mRegistrations.size());
}

KVRESULT
LNotificationDistributor::LNotificationClientPool::AddClient(const RCPtr<LNotificationReceiver>& client,
                                                             uint32_t flags)
{
    if (!client)
        return E_INVALIDARG;
    std::lock_guard lock(mLock);
    bool found = false, updated = false;
    uint32_t all = 0;
    for (auto it = mRegistrations.rbegin(); it != mRegistrations.rend(); ++it)
    {
        auto& info = *it;
        if (info->mClient.Get() == client.Get())
        {
            found = true;
            if (info->mFlags == flags)
                return S_OK;
            info->mFlags = flags;
            updated = true;
        }
        all |= info->mFlags;
    }
    if (updated)
        mFlagsUnion = all;
    if (!found)
    {
        mRegistrations.emplace_back(new LNotificationRegisteredClientInfo(client, flags));
        mFlagsUnion |= flags;
    }
    return S_OK;
}

KVRESULT LNotificationDistributor::LNotificationClientPool::RemoveClient(const LNotificationReceiver* client)
{
    RCPtr<LNotificationRegisteredClientInfo> removed; // released after the lock: it holds the client
    {
        std::lock_guard lock(mLock);
        int32_t index = static_cast<int32_t>(mRegistrations.size()) - 1;
        while (index >= 0 && mRegistrations[index]->mClient.Get() != client)
            --index;
        if (index < 0)
            return S_FALSE;
        removed = std::move(mRegistrations[index]);
        mRegistrations.erase(mRegistrations.begin() + index);
        // Deliveries in progress keep serving the registration they were on.
        for (int32_t* cursor : mCursors)
            if (static_cast<uint32_t>(index) < static_cast<uint32_t>(*cursor))
                --*cursor;
    }
    return S_OK;
}

int32_t
LNotificationDistributor::LNotificationClientPool::IndexOfClient(const LNotificationReceiver* client) const
{
    std::lock_guard lock(mLock);
    for (int32_t i = static_cast<int32_t>(mRegistrations.size()) - 1; i >= 0; --i)
        if (mRegistrations[i]->mClient.Get() == client)
            return i;
    return -1;
}

bool LNotificationDistributor::LNotificationClientPool::GetClientFlags(const LNotificationReceiver* client,
                                                                       uint32_t& flags) const
{
    std::lock_guard lock(mLock);
    for (auto it = mRegistrations.rbegin(); it != mRegistrations.rend(); ++it)
        if ((*it)->mClient.Get() == client)
        {
            flags = (*it)->mFlags;
            return true;
        }
    return false;
}

std::vector<RCPtr<LNotificationReceiver>>
LNotificationDistributor::LNotificationClientPool::GetClientsLastFirst() const
{
    std::lock_guard lock(mLock);
    std::vector<RCPtr<LNotificationReceiver>> clients;
    clients.reserve(mRegistrations.size());
    for (auto it = mRegistrations.rbegin(); it != mRegistrations.rend(); ++it)
        clients.push_back((*it)->mClient);
    return clients;
}

bool LNotificationDistributor::LNotificationClientPool::ServeAt(ActiveCursor& cursor,
                                                                const RCPtr<LNotificationDistributor>& sender,
                                                                const RCPtr<LNotification>& notification)
{
    RCPtr<LNotificationReceiver> client;
    RCPtr<LNotification> served; // the keep-latest entry, dropped outside the lock
    {
        std::lock_guard lock(mLock);
        const int32_t index = cursor.mIndex;
        if (index < 0 || index >= static_cast<int32_t>(mRegistrations.size()))
            return false;
        auto& info = mRegistrations[index];
        if (info->mFlags & kNotificationFlagKeepLatest)
        {
            if (info->mLatest.Get() != notification.Get())
                return false;
            served = std::move(info->mLatest);
        }
        client = info->mClient;
    }
    client->Receive(sender, notification);
    return true;
}

KVRESULT
LNotificationDistributor::LNotificationClientPool::Deliver(const RCPtr<LNotificationDistributor>& sender,
                                                           const RCPtr<LNotification>& notification)
{
    ActiveCursor cursor(*this, 0, true);
    {
        std::lock_guard lock(mLock);
        if (cursor.mIndex < 0)
            return S_FALSE;
    }
    for (;;)
    {
        ServeAt(cursor, sender, notification);
        std::lock_guard lock(mLock);
        if (--cursor.mIndex < 0)
            break;
    }
    return S_OK;
}

int32_t LNotificationDistributor::LNotificationClientPool::DeliverToClientAt(
    const RCPtr<LNotificationDistributor>& sender, int32_t index, const RCPtr<LNotification>& notification)
{
    {
        std::lock_guard lock(mLock);
        if (index < 0 || index >= static_cast<int32_t>(mRegistrations.size()))
            return -1;
    }
    ActiveCursor cursor(*this, index, false);
    if (!ServeAt(cursor, sender, notification))
        return index;
    std::lock_guard lock(mLock);
    return cursor.mIndex;
}

void LNotificationDistributor::LNotificationClientPool::RecordLatest(const RCPtr<LNotification>& notification)
{
    std::vector<RCPtr<LNotification>> replaced; // released after the lock
    std::lock_guard lock(mLock);
    if (!(mFlagsUnion & kNotificationFlagKeepLatest))
        return;
    for (auto it = mRegistrations.rbegin(); it != mRegistrations.rend(); ++it)
        if ((*it)->mFlags & kNotificationFlagKeepLatest)
        {
            replaced.push_back(std::move((*it)->mLatest));
            (*it)->mLatest = notification;
        }
}

// ---------------------------------------------------------------------------------------
// Distributor

std::vector<RCPtr<LNotificationDistributor::LNotificationClientPool>>
LNotificationDistributor::SnapshotPools() const
{
    std::lock_guard lock(mLock);
    return mPools;
}

RCPtr<LNotificationDistributor::LNotificationClientPool>
LNotificationDistributor::FindClientPool(NotificationId id) const
{
    std::lock_guard lock(mLock);
    for (auto it = mPools.rbegin(); it != mPools.rend(); ++it)
        if ((*it)->GetId() == id)
            return *it;
    return nullptr;
}

int32_t LNotificationDistributor::GetRegistrationCount() const
{
    std::lock_guard lock(mLock);
    return mRegistrationCount;
}

KVRESULT LNotificationDistributor::RegisterClient(const RCPtr<LNotificationReceiver>& client,
                                                  const char16_t* text, uint32_t flags)
{
    if (!client)
        return E_INVALIDARG;
    const NotificationId id = InternNotificationId(text);
    if (!id)
        return S_FALSE;

    std::lock_guard lock(mLock);
    RCPtr<LNotificationClientPool> pool;
    for (auto it = mPools.rbegin(); it != mPools.rend() && !pool; ++it)
        if ((*it)->GetId() == id)
            pool = *it;
    const bool reRegistration = pool && pool->IndexOfClient(client.Get()) >= 0;
    if (!reRegistration)
    {
        // The registration's reference on this distributor, counted as internal.
        AddRef();
        AdjustInternalRefCount(1);
        if (++mRegistrationCount == 1)
        {
            MutexLock listLock(RegisteredDistributorsMutex());
            RegisteredDistributors().emplace_back(this);
            AdjustInternalRefCount(1);
        }
    }
    if (!pool)
    {
        pool = RCPtr<LNotificationClientPool>(new LNotificationClientPool(id));
        mPools.push_back(pool);
    }
    pool->AddClient(client, flags);
    return reRegistration ? S_FALSE : S_OK;
}

void LNotificationDistributor::DropRegistrationReferences()
{
    bool lastRegistration;
    {
        std::lock_guard lock(mLock);
        lastRegistration = --mRegistrationCount == 0;
    }
    if (lastRegistration)
    {
        RCPtr<LNotificationDistributor> listed;
        {
            MutexLock listLock(RegisteredDistributorsMutex());
            auto& list = RegisteredDistributors();
            auto it = std::find_if(list.begin(), list.end(), [&](const auto& d) { return d.Get() == this; });
            if (it != list.end())
            {
                AdjustInternalRefCount(-1);
                listed = std::move(*it);
                list.erase(it);
            }
        }
    }
    AdjustInternalRefCount(-1);
    Release(); // may destroy this distributor: nothing may touch it afterwards
}

KVRESULT LNotificationDistributor::UnregisterClient(const RCPtr<LNotificationReceiver>& client,
                                                    const char16_t* text)
{
    if (!client || !text || text[0] == 0)
        return E_INVALIDARG;
    RCPtr<LNotificationClientPool> pool = FindClientPool(InternNotificationId(text));
    if (!pool)
        return S_FALSE;
    const KVRESULT removed = pool->RemoveClient(client.Get());
    if (removed == S_OK)
        DropRegistrationReferences();
    return removed;
}

int32_t LNotificationDistributor::UnregisterClientFromAll(const RCPtr<LNotificationReceiver>& client)
{
    if (!client)
        return E_INVALIDARG;
    const auto pools = SnapshotPools();
    int32_t removed = 0;
    for (auto it = pools.rbegin(); it != pools.rend(); ++it)
    {
        if ((*it)->GetId() && (*it)->RemoveClient(client.Get()) == S_OK)
        {
            ++removed;
            DropRegistrationReferences();
        }
    }
    return removed;
}

bool LNotificationDistributor::IsClientRegistered(const LNotificationReceiver* client) const
{
    const auto pools = SnapshotPools();
    return std::any_of(pools.begin(), pools.end(),
                       [&](const auto& pool) { return pool->IndexOfClient(client) >= 0; });
}

KVRESULT LNotificationDistributor::GetClientFlags(const LNotificationReceiver* client, const char16_t* text,
                                                  uint32_t& flags) const
{
    const NotificationId id = InternNotificationId(text);
    if (!id)
        return E_FAIL;
    RCPtr<LNotificationClientPool> pool = FindClientPool(id);
    return pool && pool->GetClientFlags(client, flags) ? S_OK : E_FAIL;
}

KVRESULT LNotificationDistributor::SendNotification(const RCPtr<LNotification>& notification)
{
    if (!notification)
        return E_INVALIDARG;
    // Held through the delivery, so it survives unregistrations that the clients make.
    RCPtr<LNotificationClientPool> pool = FindClientPool(notification->GetId());
    if (!pool)
        return S_FALSE;
    return pool->Deliver(RCPtr<LNotificationDistributor>(this), notification);
}

KVRESULT LNotificationDistributor::DetachAllClients()
{
    RCPtr<LNotificationDistributor> self(this);
    const auto pools = SnapshotPools();
    for (auto pool = pools.rbegin(); pool != pools.rend(); ++pool)
        for (const auto& client : (*pool)->GetClientsLastFirst())
            client->Detach(self, (*pool)->GetId());
    return S_OK;
}

// ---------------------------------------------------------------------------------------
// Client

KVRESULT LNotificationClient::Receive(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
{
    return S_OK;
}

KVRESULT LNotificationClient::Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id)
{
    return UnregisterNotification(distributor, id);
}

NotificationId LNotificationClient::RegisterNotification(const RCPtr<LNotificationDistributor>& distributor,
                                                         const char16_t* text, uint32_t flags)
{
    if (!distributor)
        return nullptr;
    const NotificationId id = InternNotificationId(text);
    if (!id)
        return nullptr;
    RCPtr<LNotificationReceiver> self(this);
    const KVRESULT result = distributor->RegisterClient(self, id, flags);
    if (result == S_OK)
    {
        // The registration's reference on this client is internal.
        AdjustInternalRefCount(1);
        mRegistrationCount.fetch_add(1, std::memory_order_acq_rel);
    }
    if (result == S_OK || result == S_FALSE)
    {
        std::lock_guard lock(mDistributorsLock);
        if (std::find(mDistributors.begin(), mDistributors.end(), distributor.Get()) == mDistributors.end())
            mDistributors.push_back(distributor.Get());
    }
    return id;
}

void LNotificationClient::ForgetDistributorIfUnused(LNotificationDistributor* distributor)
{
    if (distributor->IsClientRegistered(this))
        return;
    std::lock_guard lock(mDistributorsLock);
    mDistributors.erase(std::remove(mDistributors.begin(), mDistributors.end(), distributor),
                        mDistributors.end());
}

KVRESULT LNotificationClient::UnregisterNotification(const RCPtr<LNotificationDistributor>& distributor,
                                                     const char16_t* text)
{
    if (GetRegistrationCount() == 0)
        return S_FALSE;
    if (!distributor || !text)
        return E_INVALIDARG;
    // Held until the counts are settled: a temporary released while the registration's
    // internal reference is still counted would look like the last outside reference.
    RCPtr<LNotificationReceiver> self(this);
    const KVRESULT result = distributor->UnregisterClient(self, text);
    if (result == S_OK)
    {
        AdjustInternalRefCount(-1);
        mRegistrationCount.fetch_sub(1, std::memory_order_acq_rel);
        ForgetDistributorIfUnused(distributor.Get());
    }
    return result;
}

int32_t LNotificationClient::UnregisterAllNotifications()
{
    const int32_t count = GetRegistrationCount();
    if (count < 1)
        return 0;
    AdjustInternalRefCount(-count);
    RCPtr<LNotificationReceiver> self(this);
    std::vector<LNotificationDistributor*> distributors;
    {
        std::lock_guard lock(mDistributorsLock);
        distributors.swap(mDistributors);
    }
    int32_t removed = 0;
    for (auto it = distributors.rbegin(); it != distributors.rend(); ++it)
    {
        RCPtr<LNotificationDistributor> distributor(*it);
        removed += distributor->UnregisterClientFromAll(self);
    }
    mRegistrationCount.store(0, std::memory_order_release);
    return removed;
}

KVRESULT LNotificationClient::ReleaseInternalReferences()
{
    UnregisterAllNotifications();
    return LRefCountedObject::ReleaseInternalReferences();
}

} // namespace KV
