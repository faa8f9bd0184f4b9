#include "Notification/NotificationQueue.h"

#include <utility>

namespace KV {
namespace {

// One lock for every queue of the process: it guards the rings and the queues' links,
// and is never held while a notification is dispatched.
Mutex& QueueMutex()
{
    static auto* const mutex = new Mutex();
    return *mutex;
}

} // namespace

LNotificationQueue::LNotificationQueue()
    : mQueued(&QueueMutex()), mIdleNotification(LNotification::Create(u"NID_IDLE"))
{
    mPostingReceiver = RCPtr<LPostingReceiver>(new LPostingReceiver());
    // The receiver's reference on this queue is internal: it must not keep it alive.
    mPostingReceiver->mQueue = RCPtr<LNotificationQueue>(this);
    AdjustInternalRefCount(1);
}

LNotificationQueue::~LNotificationQueue()
{
    DiscardAll();
}

RCPtr<LNotificationDistributor> LNotificationQueue::GetDispatcher() const
{
    MutexLock lock(QueueMutex());
    return mDispatcher;
}

RCPtr<LNotificationQueue::LPostingReceiver> LNotificationQueue::GetPostingReceiver() const
{
    MutexLock lock(QueueMutex());
    return mPostingReceiver;
}

uint32_t LNotificationQueue::GetQueuedCount() const
{
    return mQueued.GetCount();
}

KVRESULT LNotificationQueue::SetDispatcher(const RCPtr<LNotificationDistributor>& dispatcher)
{
    MutexLock lock(QueueMutex());
    if (mDispatcher || mShutDown)
        return E_FAIL;
    mDispatcher = dispatcher;
    return S_OK;
}

KVRESULT LNotificationQueue::PostNotification(const RCPtr<LNotification>& notification)
{
    if (!notification || notification->IsPosted())
        return E_INVALIDARG;
    MutexLock lock(QueueMutex());
    if (!mDispatcher)
        return E_FAIL;
    if (!notification->MarkPosted())
        return E_INVALIDARG; // posted by another thread meanwhile
    // Keep-latest registrations are served only the last of the notifications posted
    // while they waited.
    if (RCPtr<LNotificationDistributor::LNotificationClientPool> pool =
            mDispatcher->FindClientPool(notification->GetId()))
        pool->RecordLatest(notification);
    mQueued.Enqueue(notification);
    return S_OK;
}

bool LNotificationQueue::TakeOldest(RCPtr<LNotification>& item)
{
    MutexLock lock(QueueMutex());
    if (mQueued.GetCount() == 0)
        return false;
    mQueued.Dequeue(item);
    return true;
}

bool LNotificationQueue::ProcessNotifications(bool sendIdle)
{
    RCPtr<LNotificationQueue> self(this); // a client may drop the last outside reference
    if (!mProcessing.exchange(true, std::memory_order_acq_rel))
    {
        struct ProcessingGuard
        {
            std::atomic<bool>& flag;
            ~ProcessingGuard() { flag.store(false, std::memory_order_release); }
        } guard{mProcessing};

        const uint32_t count = mQueued.GetCount();
        RCPtr<LNotification> item;
        // A client that discards or shuts the queue down ends the drain: TakeOldest
        // then finds nothing.
        for (uint32_t i = 0; i < count && TakeOldest(item); ++i)
        {
            struct PostedGuard
            {
                LNotification* n;
                ~PostedGuard() { n->ClearPosted(); }
            } posted{item.Get()};
            if (RCPtr<LNotificationDistributor> dispatcher = GetDispatcher())
                dispatcher->SendNotification(item);
        }
    }
    if (sendIdle)
        if (RCPtr<LNotificationDistributor> dispatcher = GetDispatcher())
            dispatcher->SendNotification(mIdleNotification);
    return mQueued.GetCount() != 0;
}

bool LNotificationQueue::DiscardAll()
{
    const uint32_t count = mQueued.GetCount();
    RCPtr<LNotification> item;
    for (uint32_t i = 0; i < count && TakeOldest(item); ++i)
        item->ClearPosted();
    item.Reset();
    return mQueued.GetCount() != 0;
}

void LNotificationQueue::Shutdown()
{
    DiscardAll();
    RCPtr<LNotificationDistributor> dispatcher;
    RCPtr<LPostingReceiver> receiver;
    RCPtr<LNotificationQueue> receiverQueue;
    {
        MutexLock lock(QueueMutex());
        if (mShutDown)
            return;
        mShutDown = true;
        dispatcher = std::move(mDispatcher);
        receiver = std::move(mPostingReceiver);
        if (receiver)
            receiverQueue = std::move(receiver->mQueue);
    }
    if (receiverQueue)
        AdjustInternalRefCount(-1);
    // The references go here, outside the lock; the caller still holds this queue.
}

KVRESULT LNotificationQueue::ReleaseInternalReferences()
{
    Shutdown();
    return LRefCountedObject::ReleaseInternalReferences();
}

KVRESULT LNotificationQueue::LPostingReceiver::Receive(const RCPtr<LNotificationDistributor>&,
                                                       const RCPtr<LNotification>& notification)
{
    RCPtr<LNotificationQueue> queue;
    {
        MutexLock lock(QueueMutex());
        queue = mQueue;
    }
    if (queue && notification)
        queue->PostNotification(LNotification::Create(notification->GetId(), notification->GetData()));
    return S_OK;
}

void DeliverNotification(const RCPtr<LNotificationReceiver>& receiver, const char16_t* id,
                         const RCPtr<LRefCountedObject>& data)
{
    RCPtr<LNotification> notification = LNotification::Create(id, data);
    if (notification && receiver)
        receiver->Receive(nullptr, notification);
}

} // namespace KV
