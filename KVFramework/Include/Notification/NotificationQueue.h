#pragma once
// Posting: the way from any thread to the draining thread (the window thread).
//
// A notification posted into a queue waits there until the draining thread calls
// ProcessNotifications, which sends each queued notification through the queue's
// dispatcher, so that the dispatcher's clients run on the draining thread. A drain
// takes only what was queued when it began; what is posted meanwhile, also by the
// clients being served, waits for the next drain. The queue also sends the "NID_IDLE"
// tick that controls use for their timed behaviour.

#include "Notification/NotificationDistributor.h"
#include "Storage/RCPtrQueue.h"

#include <atomic>
#include <mutex>

namespace KV {

class LNotificationQueue : public virtual LRefCountedObject
{
public:
    // A receiver that posts a copy of what it receives into its queue: registering it
    // with any distributor, or handing it a notification, queues that notification.
    class LPostingReceiver : public LNotificationReceiver
    {
    public:
        KVRESULT Receive(const RCPtr<LNotificationDistributor>& sender,
                         const RCPtr<LNotification>& notification) override;
        KVRESULT Detach(const RCPtr<LNotificationDistributor>&, NotificationId) override { return E_FAIL; }

    private:
        friend class LNotificationQueue;
        RCPtr<LNotificationQueue> mQueue; // guarded by the queue mutex; empty once unbound
    };

    LNotificationQueue();
    ~LNotificationQueue() override;

    // 0 when queued; E_INVALIDARG for an empty notification or one already posted;
    // E_FAIL without a dispatcher (not yet set, or shut down). Callable from any thread.
    KVRESULT PostNotification(const RCPtr<LNotification>& notification);
    // Dispatches what was queued when the call began (nothing when called again from
    // inside a dispatch), then the idle tick when asked. True while items remain.
    bool ProcessNotifications(bool sendIdle);
    // Drops every queued item without dispatching it. True when items remain.
    bool DiscardAll();
    // Empties the queue and cuts its references; afterwards posts fail.
    void Shutdown();
    // 0; E_FAIL when a dispatcher is set already or the queue is shut down.
    KVRESULT SetDispatcher(const RCPtr<LNotificationDistributor>& dispatcher);
    RCPtr<LPostingReceiver> GetPostingReceiver() const;
    uint32_t GetQueuedCount() const;

    // A queue that nobody outside holds any more shuts itself down.
    KVRESULT ReleaseInternalReferences() override;

private:
    RCPtr<LNotificationDistributor> GetDispatcher() const;
    bool TakeOldest(RCPtr<LNotification>& item);

    std::atomic<bool> mProcessing{false};
    RCPtrQueue<LNotification, 256> mQueued;
    RCPtr<LNotificationDistributor> mDispatcher; // guarded by the queue mutex
    RCPtr<LPostingReceiver> mPostingReceiver;    // guarded by the queue mutex
    bool mShutDown = false;                      // guarded by the queue mutex
    const RCPtr<LNotification> mIdleNotification;
};

// Makes a notification and hands it straight to the receiver, with no sender.
void DeliverNotification(const RCPtr<LNotificationReceiver>& receiver, const char16_t* id,
                         const RCPtr<LRefCountedObject>& data = nullptr);

} // namespace KV
