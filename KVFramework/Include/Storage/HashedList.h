#pragma once
// HashedList: the framework's small hash table. 256 buckets (for 8 index bits), each an
// owning array of reference-counted key/value pairs in the order they were added. The
// key of a value is computed from the value by KeyFn and its bucket by HashFn; there is
// no rehashing, and every operation scans one bucket, from the most recently added pair
// back, because recent keys are the ones asked for again.
//
// Keys taken from object addresses must be intptr_t (or a serial number): a 64-bit
// address cut to 32 bits would let two objects share a key.

#include "ObjectBase/Exception.h"
#include "ObjectBase/RCPtr.h"
#include "Storage/RCPtrArray.h"
#include "Storage/StringT.h"

#include <cstdint>

namespace KV {

template <class T, class K> class IHashedList
{
public:
    virtual int32_t GetCount() const = 0;
    virtual int32_t RemoveAll() = 0;
    // true when a new pair was stored, false when the pair of the same key got the value.
    virtual bool Add(const T& value) = 0;
    // The value stored for key, writable in place, or notFound when there is none.
    virtual T* Find(const K& key, T* notFound) = 0;
    virtual bool Remove(const K& key) = 0;
    virtual ~IHashedList() = default;
};

// A reference-counted (key, value) pair; its text is F(key). Released value first, then key.
template <class K, class V, String (*F)(const K&)> class LPair : public virtual LRefCountedObject
{
public:
    static RCPtr<LPair> Create(const K& key, const V& value) { return RCPtr<LPair>(new LPair(key, value)); }

    String ToString() const override { return F(mKey); }

    const K mKey;
    V mValue;

protected:
    LPair(const K& key, const V& value) : mKey(key), mValue(value) {}
    ~LPair() override = default;
};

// The usual hash: the key shifted right by Shift (arithmetically, for signed keys),
// keeping Bits bits. Shift 4 suits handles and addresses, whose low bits vary little.
template <uint32_t Bits, uint32_t Shift, class K> uint32_t GetBits(const K& key)
{
    static_assert(Bits < 32 && Shift < sizeof(K) * 8);
    return static_cast<uint32_t>((key >> Shift) & static_cast<K>((1u << Bits) - 1));
}

template <class T, class K, K (*KeyFn)(const T&), uint32_t Bits, uint32_t (*HashFn)(const K&)>
class HashedList : public IHashedList<T, K>
{
    static_assert(Bits >= 1 && Bits <= 16);

    static String KeyToString(const K&) { return String(TypeName<K>().c_str()); }

public:
    using PairType = LPair<K, T, &HashedList::KeyToString>;
    using Bucket = RCPtrArray<PairType, 1, 0>;
    static constexpr uint32_t kBucketCount = 1u << Bits;

    HashedList() = default;
    HashedList(const HashedList&) = delete;
    HashedList& operator=(const HashedList&) = delete;

    int32_t GetCount() const override { return mCount; }

    int32_t RemoveAll() override
    {
        int32_t result = S_OK;
        for (Bucket& bucket : mBuckets)
            result = bucket.SetCount(0);
        mCount = 0;
        return result;
    }

    bool Add(const T& value) override
    {
        const K key = KeyFn(value);
        Bucket& bucket = BucketOf(key);
        if (PairType* pair = Search(bucket, key))
        {
            // A reference value assigned the object it holds stays as it is.
            pair->mValue = value;
            return false;
        }
        const int32_t result = bucket.AddItem(PairType::Create(key, value));
        if (result < 0)
            KV_THROW_FAILED_RESULT(result);
        ++mCount;
        return true;
    }

    T* Find(const K& key, T* notFound) override
    {
        PairType* pair = Search(BucketOf(key), key);
        return pair ? &pair->mValue : notFound;
    }

    bool Remove(const K& key) override
    {
        Bucket& bucket = BucketOf(key);
        for (uint32_t i = bucket.GetCount(); i-- > 0;)
        {
            if ((*bucket.GetAt(i))->mKey == key)
            {
                bucket.RemoveItems(i, 1);
                --mCount;
                return true;
            }
        }
        return false;
    }

    // The pairs of one bucket, in the order they were added.
    const Bucket& GetBucket(uint32_t index) const { return mBuckets[index]; }

private:
    // HashFn answers below the bucket count; the mask keeps a faulty one inside the table.
    Bucket& BucketOf(const K& key) { return mBuckets[HashFn(key) & (kBucketCount - 1)]; }

    static PairType* Search(Bucket& bucket, const K& key)
    {
        for (uint32_t i = bucket.GetCount(); i-- > 0;)
        {
            PairType* pair = bucket.GetAt(i)->Get();
            if (pair->mKey == key)
                return pair;
        }
        return nullptr;
    }

    int32_t mCount = 0;
    Bucket mBuckets[kBucketCount];
};

} // namespace KV
