#pragma once
// A notification: an identifier and an optional data object, the only event mechanism
// between the objects and the threads of the framework.
//
// Notifications are made only by Create. While recycling is on, a notification whose
// last reference goes is kept as a spare (without its data) and handed out again by the
// next Create, so a busy application does not allocate one per event.

#include "Notification/NotificationId.h"
#include "ObjectBase/RCPtr.h"

#include <atomic>

namespace KV {

class LNotificationQueue;

class LNotification : public virtual LRefCountedObject
{
public:
    // A notification with that identifier (any text; it is interned) and data; empty
    // for a null or empty text. Callable from any thread.
    static RCPtr<LNotification> Create(const char16_t* id, const RCPtr<LRefCountedObject>& data = nullptr);

    NotificationId GetId() const noexcept { return mId; }
    const RCPtr<LRefCountedObject>& GetData() const noexcept { return mData; }
    // True from the moment a queue accepts the notification until it has been
    // dispatched or discarded.
    bool IsPosted() const noexcept { return mPosted.load(std::memory_order_acquire); }

    // Switched on by the application at start-up and off when it ends; switching off
    // destroys every spare.
    static void EnableRecycling(bool on);
    static bool IsRecyclingEnabled() noexcept;
    // How many spares wait in the recycle pool.
    static size_t GetSpareCount();

    int32_t Release() override;

protected:
    ~LNotification() override = default;

private:
    friend class LNotificationQueue;

    LNotification() = default;
    static RCPtr<LNotification> CreateNew(NotificationId id, const RCPtr<LRefCountedObject>& data);
    void Recycle();

    // Queue bookkeeping: the test-and-set is one atomic step, so two threads posting
    // the same notification cannot both queue it.
    bool MarkPosted() noexcept { return !mPosted.exchange(true, std::memory_order_acq_rel); }
    void ClearPosted() noexcept { mPosted.store(false, std::memory_order_release); }

    NotificationId mId = nullptr;
    RCPtr<LRefCountedObject> mData;
    std::atomic<bool> mPosted{false};
    bool mRecycling = false;
};

} // namespace KV
