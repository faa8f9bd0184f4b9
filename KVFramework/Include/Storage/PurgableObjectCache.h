#pragma once
// PurgableObjectCache: a fixed number of expensive derived objects (display lists,
// textures, rasterised fonts, scaled bitmaps, prepared paths), each kept under the id of
// the thing it was made from.
//
// Asking for the entry of a key gives the cached object on a hit, or an empty slot to
// fill on a miss: an entry never taken before while there is one, then the first entry
// that holds no object, then the entry used least recently (ties go to the entry used
// least often, then to the earliest). Independently, the owner purges from time to time
// every entry not used since its previous purge, so that objects of things no longer
// drawn do not stay alive.
//
// Use stamps come from a 32-bit clock that counts requests and may wrap: ages are
// unsigned differences and the purge test is a signed one.

#include "ObjectBase/Exception.h"
#include "ObjectBase/RCPtr.h"
#include "Storage/HashedList.h"

#include <cstdint>
#include <memory>
#include <stdexcept>

namespace KV {

template <class T, class IdT> class PurgableCacheEntry
{
public:
    virtual ~PurgableCacheEntry() = default;
    virtual bool IsEmpty() const { return !mObject; }

    // Forgets the object and the use of the entry.
    void Clear()
    {
        mUseCount = 0;
        mLastUse = 0;
        mObject = nullptr;
    }

    IdT mId{};              // meaningless until the entry is first taken
    RCPtr<T> mObject;       // empty while nothing is cached
    uint32_t mLastUse = 0;  // the cache's clock at the last use
    uint32_t mUseCount = 0; // uses since the entry was taken, saturating
};

// The id function for caches whose key is its own id.
template <class T> T GetSelf(const T& value)
{
    return value;
}

template <class T, class KeyT, class IdT, IdT (*GetIdFn)(const KeyT&), uint32_t Bits,
          uint32_t (*HashFn)(const IdT&)>
class PurgableObjectCache
{
public:
    using Entry = PurgableCacheEntry<T, IdT>;

    static IdT GetEntryID(Entry* const& entry) { return entry->mId; }

    explicit PurgableObjectCache(int32_t capacity)
        : mCapacity(CheckedCapacity(capacity)), mEntries(new Entry[static_cast<size_t>(mCapacity)])
    {
    }
    PurgableObjectCache(const PurgableObjectCache&) = delete;
    PurgableObjectCache& operator=(const PurgableObjectCache&) = delete;
    virtual ~PurgableObjectCache() = default;

    // The object member of the entry now assigned to key: the cached object on a hit
    // without reset, empty otherwise, for the owner to fill. The pointer stays valid as
    // long as the cache.
    RCPtr<T>* GetEntry(const KeyT& key, bool reset)
    {
        const IdT id = GetIdFn(key);
        Entry* const* found = mIndex.Find(id, nullptr);
        Entry* entry = found ? *found : nullptr;
        if (entry)
        {
            if (reset)
                entry->Clear();
        }
        else if (mIndex.GetCount() < mCapacity)
        {
            entry = &mEntries[static_cast<size_t>(mIndex.GetCount())];
            entry->Clear();
            entry->mId = id;
            mIndex.Add(entry);
        }
        else
        {
            entry = ChooseVictim();
            Reassign(*entry, id);
        }
        if (entry->mUseCount != UINT32_MAX)
            ++entry->mUseCount;
        entry->mLastUse = ++mClock;
        return &entry->mObject;
    }

    // Empties the entry of id, which stays assigned to it. 0 when found, 1 when not.
    int32_t RemoveEntry(const IdT& id)
    {
        Entry* const* found = mIndex.Find(id, nullptr);
        if (!found)
            return S_FALSE;
        (*found)->Clear();
        return S_OK;
    }

    // Empties every entry last used before mark; returns how many (with or without object).
    int32_t Purge(uint32_t mark)
    {
        int32_t cleared = 0;
        for (int32_t i = 0; i < mCapacity; ++i)
        {
            Entry& entry = mEntries[static_cast<size_t>(i)];
            if (static_cast<int32_t>(entry.mLastUse - mark) < 0)
            {
                entry.Clear();
                ++cleared;
            }
        }
        return cleared;
    }

    // The owner's purge cycle reads the clock and keeps the purge mark here.
    uint32_t GetClock() const { return mClock; }
    void SetClock(uint32_t clock) { mClock = clock; }
    uint32_t GetPurgeMark() const { return mPurgeMark; }
    void SetPurgeMark(uint32_t mark) { mPurgeMark = mark; }

    int32_t GetCapacity() const { return mCapacity; }
    const Entry& GetEntryAt(int32_t index) const { return mEntries[static_cast<size_t>(index)]; }

private:
    static int32_t CheckedCapacity(int32_t capacity)
    {
        if (capacity < 1)
            KV_THROW(std::invalid_argument, "a cache needs at least one entry");
        return capacity;
    }

    // The first entry without object, else the oldest, the least used, the earliest.
    Entry* ChooseVictim()
    {
        Entry* victim = &mEntries[0];
        uint32_t bestAge = 0;
        uint32_t bestUseCount = UINT32_MAX;
        for (int32_t i = 0; i < mCapacity; ++i)
        {
            Entry& entry = mEntries[static_cast<size_t>(i)];
            if (entry.IsEmpty())
                return &entry;
            const uint32_t age = mClock - entry.mLastUse;
            if (age > bestAge || (age == bestAge && entry.mUseCount < bestUseCount))
            {
                victim = &entry;
                bestAge = age;
                bestUseCount = entry.mUseCount;
            }
        }
        return victim;
    }

    // Moves an entry to a new id. The new pair of the index is made before the old one
    // goes, so a failed allocation leaves the entry under its old id.
    void Reassign(Entry& entry, const IdT& id)
    {
        IdT oldId = entry.mId;
        entry.mId = id;
        try
        {
            mIndex.Add(&entry);
        }
        catch (...)
        {
            entry.mId = oldId;
            throw;
        }
        mIndex.Remove(oldId);
        entry.Clear();
    }

    const int32_t mCapacity;
    uint32_t mClock = 0;
    uint32_t mPurgeMark = 0;
    HashedList<Entry*, IdT, &PurgableObjectCache::GetEntryID, Bits, HashFn> mIndex;
    // Destroyed before the index, releasing every cached object.
    std::unique_ptr<Entry[]> mEntries;
};

} // namespace KV
