#include "Notification/NotificationCenter.h"

#include <utility>

namespace KV {

RCPtr<LNotificationCenter> LNotificationCenter::Create(const String& name)
{
    RCPtr<LNotificationCenter> center(new LNotificationCenter(name));
    // A center dispatches its own queue; that reference is internal.
    if (center->GetPostingReceiver() && center->SetDispatcher(center) == S_OK)
    {
        center->AdjustInternalRefCount(1);
        center->mDispatchesItself = true;
    }
    return center;
}

KVRESULT LNotificationCenter::ReleaseInternalReferences()
{
    DetachAllClients();
    Shutdown();
    if (std::exchange(mDispatchesItself, false))
        AdjustInternalRefCount(-1);
    return LRefCountedObject::ReleaseInternalReferences();
}

namespace {

struct ManagerSlot
{
    std::mutex lock;
    RCPtr<LNotificationCenterManager> manager;
};

ManagerSlot& Slot()
{
    static auto* const slot = new ManagerSlot();
    return *slot;
}

} // namespace

RCPtr<LNotificationCenterManager> LNotificationCenterManager::GetInstance()
{
    ManagerSlot& slot = Slot();
    std::lock_guard lock(slot.lock);
    if (!slot.manager)
        slot.manager = RCPtr<LNotificationCenterManager>(new LNotificationCenterManager());
    return slot.manager;
}

void LNotificationCenterManager::ReleaseInstance()
{
    RCPtr<LNotificationCenterManager> manager;
    {
        std::lock_guard lock(Slot().lock);
        manager = std::move(Slot().manager);
    }
}

const String& LNotificationCenterManager::GetDefaultCenterName()
{
    static const String* const name = new String(u"application");
    return *name;
}

RCPtr<LNotificationCenter> LNotificationCenterManager::GetDefaultCenter()
{
    return GetInstance()->GetCenter(GetDefaultCenterName());
}

RCPtr<LNotificationCenter> LNotificationCenterManager::FindCenter(const String& name) const
{
    std::lock_guard lock(mLock);
    for (const auto& center : mCenters)
        if (center->GetName() == name)
            return center;
    return nullptr;
}

RCPtr<LNotificationCenter> LNotificationCenterManager::GetCenter(const String& name)
{
    if (name.IsEmpty())
        return nullptr;
    std::lock_guard lock(mLock);
    for (const auto& center : mCenters)
        if (center->GetName() == name)
            return center;
    mCenters.push_back(LNotificationCenter::Create(name));
    return mCenters.back();
}

bool LNotificationCenterManager::ProcessAllQueues(bool sendIdle)
{
    std::vector<RCPtr<LNotificationCenter>> centers;
    {
        std::lock_guard lock(mLock);
        centers = mCenters;
    }
    bool itemsRemain = false;
    for (auto it = centers.rbegin(); it != centers.rend(); ++it)
        itemsRemain |= (*it)->ProcessNotifications(sendIdle);
    return itemsRemain;
}

} // namespace KV
