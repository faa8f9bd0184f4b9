#pragma once
// Synchronous notification delivery: distributors send, receivers receive.
//
// A distributor keeps, per identifier, a pool of registered clients and delivers a sent
// notification to them one after the other on the caller's thread, the client
// registered last first. A client remembers every distributor it is registered with,
// so that it can leave them all.
//
// Registrations keep neither side alive: each registration holds a reference on the
// client and one on the distributor, and both are counted as internal. When the last
// outside reference to a client goes, its ReleaseInternalReferences unregisters it
// everywhere; a distributor's owner class detaches its clients likewise.
//
// Registration and delivery may run on different threads (the MIDI service delivers on
// its own thread while the window thread registers): the registration lists are
// guarded, and no lock is held while a client runs.

#include "Notification/Notification.h"

#include <cstdint>
#include <mutex>
#include <vector>

namespace KV {

class LNotificationDistributor;

// Registration flags.
inline constexpr uint32_t kNotificationFlagKeepLatest = 1;

class LNotificationReceiver : public virtual LRefCountedObject
{
public:
    // The sender is the distributor that delivers, or empty for a notification handed
    // straight to the receiver. Distributors ignore the result.
    virtual KVRESULT Receive(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification) = 0;
    // The distributor asks the receiver to end its registration for that identifier.
    virtual KVRESULT Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id) = 0;
};

class LNotificationClient : public LNotificationReceiver
{
public:
    KVRESULT Receive(const RCPtr<LNotificationDistributor>& sender,
                     const RCPtr<LNotification>& notification) override;
    KVRESULT Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id) override;

    // The identifier, or null when the distributor is empty or the text null or empty.
    NotificationId RegisterNotification(const RCPtr<LNotificationDistributor>& distributor,
                                        const char16_t* id, uint32_t flags = 0);
    // 0 removed, 1 not registered, E_INVALIDARG for an empty distributor or text.
    KVRESULT UnregisterNotification(const RCPtr<LNotificationDistributor>& distributor, const char16_t* id);
    // The number of registrations removed.
    int32_t UnregisterAllNotifications();

    KVRESULT ReleaseInternalReferences() override;

    int32_t GetRegistrationCount() const noexcept
    {
        return mRegistrationCount.load(std::memory_order_acquire);
    }

private:
    void ForgetDistributorIfUnused(LNotificationDistributor* distributor);

    std::atomic<int32_t> mRegistrationCount{0};
    std::mutex mDistributorsLock;
    std::vector<LNotificationDistributor*> mDistributors; // in order of first registration
};

class LNotificationDistributor : public virtual LRefCountedObject
{
public:
    class LNotificationRegisteredClientInfo : public LRefCountedObject
    {
    public:
        LNotificationRegisteredClientInfo(RCPtr<LNotificationReceiver> client, uint32_t flags)
            : mClient(std::move(client)), mFlags(flags)
        {
        }
        RCPtr<LNotificationReceiver> mClient;
        RCPtr<LNotification> mLatest; // keep-latest registrations: the notification to serve
        uint32_t mFlags;
    };

    // The registrations for one identifier.
    class LNotificationClientPool : public LRefCountedObject
    {
    public:
        explicit LNotificationClientPool(NotificationId id) : mId(id) {}

        NotificationId GetId() const noexcept { return mId; }
        uint32_t GetFlagsUnion() const;
        int32_t GetCount() const;

        // 0; E_INVALIDARG for an empty client. A client already present gets the new flags.
        KVRESULT AddClient(const RCPtr<LNotificationReceiver>& client, uint32_t flags);
        // 0 removed, 1 absent.
        KVRESULT RemoveClient(const LNotificationReceiver* client);
        // Searched from the last registration to the first; -1 when absent.
        int32_t IndexOfClient(const LNotificationReceiver* client) const;
        // The flags of the client's registration; false when absent.
        bool GetClientFlags(const LNotificationReceiver* client, uint32_t& flags) const;
        // The clients, last registered first (a snapshot).
        std::vector<RCPtr<LNotificationReceiver>> GetClientsLastFirst() const;

        // Serves every registration, the last registered first; 1 when there is none.
        // A client registered during the delivery is not served by it; one removed
        // during it is not served once removed, and nobody is served twice.
        KVRESULT Deliver(const RCPtr<LNotificationDistributor>& sender,
                         const RCPtr<LNotification>& notification);
        // Serves the one registration at the index and returns the index to continue
        // from (lowered when registrations below it were removed meanwhile); -1 when
        // the index is not valid.
        int32_t DeliverToClientAt(const RCPtr<LNotificationDistributor>& sender, int32_t index,
                                  const RCPtr<LNotification>& notification);

        // Makes the notification the one to serve for every keep-latest registration.
        void RecordLatest(const RCPtr<LNotification>& notification);

    private:
        // Each delivery in progress has its own cursor: the index it is serving.
        // Removals below a cursor lower it, so nested and concurrent deliveries on one
        // pool each go on where they should.
        class ActiveCursor;

        // Serves the registration at the cursor; returns false when it was skipped.
        bool ServeAt(ActiveCursor& cursor, const RCPtr<LNotificationDistributor>& sender,
                     const RCPtr<LNotification>& notification);

        const NotificationId mId;
        mutable std::mutex mLock;
        uint32_t mFlagsUnion = 0;
        std::vector<RCPtr<LNotificationRegisteredClientInfo>> mRegistrations; // first registered first
        std::vector<int32_t*> mCursors;
    };

    // 0 new registration; 1 re-registration (flags replaced) or an empty text;
    // E_INVALIDARG for an empty client.
    KVRESULT RegisterClient(const RCPtr<LNotificationReceiver>& client, const char16_t* id, uint32_t flags);
    // 0 removed; 1 not registered; E_INVALIDARG for an empty client or text.
    KVRESULT UnregisterClient(const RCPtr<LNotificationReceiver>& client, const char16_t* id);
    // The number of registrations removed; E_INVALIDARG for an empty client.
    int32_t UnregisterClientFromAll(const RCPtr<LNotificationReceiver>& client);
    bool IsClientRegistered(const LNotificationReceiver* client) const;
    // 0 with the flags; E_FAIL when the client has no registration for the identifier.
    KVRESULT GetClientFlags(const LNotificationReceiver* client, const char16_t* id, uint32_t& flags) const;
    RCPtr<LNotificationClientPool> FindClientPool(NotificationId id) const;

    // E_INVALIDARG for an empty notification; 1 when no client is registered for its
    // identifier; 0 after the delivery.
    KVRESULT SendNotification(const RCPtr<LNotification>& notification);
    // Asks every registered client to detach itself. Returns 0.
    KVRESULT DetachAllClients();

    int32_t GetRegistrationCount() const;

private:
    // Gives back the references a removed registration held on this distributor. The
    // last call may destroy the distributor.
    void DropRegistrationReferences();
    std::vector<RCPtr<LNotificationClientPool>> SnapshotPools() const;

    mutable std::mutex mLock;
    std::vector<RCPtr<LNotificationClientPool>> mPools; // in order of first registration
    int32_t mRegistrationCount = 0;
};

// True while the distributor holds at least one registration (it is then kept, with an
// internal reference, in the process-wide list of registered distributors).
bool IsRegisteredDistributor(const LNotificationDistributor* distributor);

} // namespace KV
