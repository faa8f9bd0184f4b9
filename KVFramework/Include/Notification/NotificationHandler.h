#pragma once
// Handler tables: a listener maps (sender, identifier) to one of its member functions
// instead of testing identifiers in its Receive.
//
// AddHandlerFor also registers the owner with the sender; AddHandler makes an entry for
// notifications handed straight to the owner (no sender). The owner's Receive returns
// Dispatch(sender, notification), and its Detach removes the entry and unregisters.

#include "Notification/NotificationDistributor.h"
#include "ObjectBase/Exception.h"

#include <cstdint>
#include <functional>
#include <map>
#include <utility>

namespace KV {

template <class T> class LNotificationHandler : public virtual LRefCountedObject
{
public:
    using Handler = KVRESULT (T::*)(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&);

    // owner: the listener that holds this table for its whole life (not counted).
    static RCPtr<LNotificationHandler> Create(T* owner)
    {
        return RCPtr<LNotificationHandler>(new LNotificationHandler(owner));
    }

    T* GetOwner() const noexcept { return mOwner; }

    // Registers the owner with the sender and maps (sender, identifier) to the handler.
    // An existing entry keeps its handler (the registration's flags are replaced).
    // E_INVALIDARG for an empty sender, E_FAIL for an empty identifier.
    KVRESULT AddHandlerFor(Handler handler, const RCPtr<LNotificationDistributor>& sender, const char16_t* id,
                           uint32_t flags = 0)
    {
        if (!sender)
            return E_INVALIDARG;
        const NotificationId registered = mOwner->RegisterNotification(sender, id, flags);
        if (!registered)
            return E_FAIL;
        mEntries.emplace(Key{sender.Get(), registered}, handler);
        return S_OK;
    }

    // An entry for notifications handed to the owner without a sender.
    KVRESULT AddHandler(Handler handler, const char16_t* id)
    {
        const NotificationId interned = InternNotificationId(id);
        if (!interned)
            return E_FAIL;
        mEntries.emplace(Key{nullptr, interned}, handler);
        return S_OK;
    }

    // True when an entry was erased. Does not unregister.
    bool RemoveHandler(const LNotificationDistributor* sender, const char16_t* id)
    {
        return mEntries.erase(Key{sender, InternNotificationId(id)}) != 0;
    }

    bool HasHandler(const LNotificationDistributor* sender, const char16_t* id) const
    {
        return mEntries.count(Key{sender, InternNotificationId(id)}) != 0;
    }

    // The entry's handler and the flags of the owner's registration with the sender.
    // E_FAIL without an entry, or when the sender does not know the registration (the
    // handler is filled then).
    KVRESULT GetHandlerRegistration(const RCPtr<LNotificationDistributor>& sender, const char16_t* id,
                                    Handler& handler, uint32_t& flags) const
    {
        const NotificationId interned = InternNotificationId(id);
        auto found = mEntries.find(Key{sender.Get(), interned});
        if (found == mEntries.end())
            return E_FAIL;
        handler = found->second;
        if (!sender)
            return E_FAIL;
        return sender->GetClientFlags(mOwner, interned, flags);
    }

    // The handler's result, or 0 when there is no entry for (sender, identifier).
    KVRESULT Dispatch(const RCPtr<LNotificationDistributor>& sender, const RCPtr<LNotification>& notification)
    {
        if (!notification)
            return S_OK;
        auto found = mEntries.find(Key{sender.Get(), notification->GetId()});
        if (found == mEntries.end())
            return S_OK;
        return (mOwner->*(found->second))(sender, notification);
    }

private:
    explicit LNotificationHandler(T* owner) : mOwner(owner) {}

    // Ordered by sender address, then identifier address.
    struct Key
    {
        const LNotificationDistributor* sender;
        NotificationId id;
        bool operator<(const Key& other) const
        {
            const std::less<const void*> before;
            if (sender != other.sender)
                return before(sender, other.sender);
            return before(id, other.id);
        }
    };

    T* mOwner;
    std::map<Key, Handler> mEntries;
};

// Takes one entry, and the owner's registration with it, out of a handler table for the
// life of a scope, so that the owner can change a child without hearing about it; the
// entry and the registration (with its flags) are put back at the end of the scope.
template <class T> class CAutoNotificationDisabler
{
public:
    CAutoNotificationDisabler(const RCPtr<LNotificationHandler<T>>& table,
                              const RCPtr<LNotificationDistributor>& sender, const char16_t* id)
        : mTable(table), mSender(sender), mId(InternNotificationId(id))
    {
        const KVRESULT found = mTable->GetHandlerRegistration(mSender, mId, mHandler, mFlags);
        if (KV_FAILED(found))
            Fail(found, "CAutoNotificationDisabler");
        const KVRESULT unregistered = mTable->GetOwner()->UnregisterNotification(mSender, mId);
        if (!mTable->RemoveHandler(mSender.Get(), mId))
            Fail(E_FAIL, "CAutoNotificationDisabler");
        if (KV_FAILED(unregistered))
            Fail(unregistered, "CAutoNotificationDisabler");
    }

    CAutoNotificationDisabler(const CAutoNotificationDisabler&) = delete;
    CAutoNotificationDisabler& operator=(const CAutoNotificationDisabler&) = delete;

    // Puts the entry back now; throws when the registration cannot be made again.
    void Restore()
    {
        if (!mTable)
            return;
        auto table = std::move(mTable);
        const KVRESULT result = table->AddHandlerFor(mHandler, mSender, mId, mFlags);
        mSender.Reset();
        if (KV_FAILED(result))
            Fail(result, "~CAutoNotificationDisabler");
    }

    // A destructor must not throw: a failure to restore is swallowed here. Call Restore
    // first where that failure matters.
    ~CAutoNotificationDisabler()
    {
        try
        {
            Restore();
        }
        catch (...)
        {
        }
    }

private:
    [[noreturn]] void Fail(KVRESULT result, const char* method) const
    {
        ThrowException<FailedResultException>(FormatResult(result), KV_HERE, false,
                                              "KV::CAutoNotificationDisabler<" + TypeName<T>() +
                                                  ">::" + method);
    }

    RCPtr<LNotificationHandler<T>> mTable;
    RCPtr<LNotificationDistributor> mSender;
    NotificationId mId;
    uint32_t mFlags = 0;
    typename LNotificationHandler<T>::Handler mHandler = nullptr;
};

} // namespace KV
