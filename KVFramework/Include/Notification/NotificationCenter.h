#pragma once
// Notification centers: named distributors that dispatch their own queue, kept by name
// in one process-wide manager. The default center, "application", carries what other
// threads report to the window thread (the update engine's state and progress, the exit
// request); the window thread drains every center at idle time.

#include "Notification/NotificationQueue.h"
#include "Storage/StringT.h"

#include <mutex>
#include <vector>

namespace KV {

class LNotificationCenter : public LNotificationDistributor, public LNotificationQueue
{
public:
    static RCPtr<LNotificationCenter> Create(const String& name);

    const String& GetName() const noexcept { return mName; }

    // Detaches the clients and shuts the queue down once only internal references remain.
    KVRESULT ReleaseInternalReferences() override;

private:
    explicit LNotificationCenter(const String& name) : mName(name) {}

    const String mName;
    bool mDispatchesItself = false;
};

class LNotificationCenterManager : public virtual LRefCountedObject
{
public:
    // The manager, made at the first call.
    static RCPtr<LNotificationCenterManager> GetInstance();
    // Drops the process-wide manager, and with it the centers nobody else holds.
    static void ReleaseInstance();
    // The default center, "application".
    static RCPtr<LNotificationCenter> GetDefaultCenter();
    static const String& GetDefaultCenterName();

    // The center of that name (exact, case counts), or empty.
    RCPtr<LNotificationCenter> FindCenter(const String& name) const;
    // The center of that name, made when missing; empty for an empty name.
    RCPtr<LNotificationCenter> GetCenter(const String& name);
    // Drains every center's queue, the one made last first. True while any holds items.
    bool ProcessAllQueues(bool sendIdle);

private:
    mutable std::mutex mLock;
    std::vector<RCPtr<LNotificationCenter>> mCenters; // in order of creation
};

} // namespace KV
