#pragma once
// RCPtrMap<K,V,N>: a map from the identity of a reference-counted key object to a
// reference-counted value. Two references to one object are one key; two objects with
// equal contents are two keys. Each stored value is an RCPtr to a (key object, value)
// pair, kept in a HashedList under the address of the key object's LRefCountedObject
// part. The pair holds a reference to the key object, so that address cannot be reused
// by another object while the pair is stored.

#include "Storage/HashedList.h"

namespace KV {

struct RCPtrHalfMapHelper
{
    // The address of the object's LRefCountedObject part, whole: never cut to 32 bits.
    static intptr_t GetKey(const ConstRCPtr<LRefCountedObject>& object)
    {
        return reinterpret_cast<intptr_t>(object.Get());
    }
    template <uint32_t N> static uint32_t GetHandleBits(const intptr_t& handle)
    {
        return GetBits<N, 4, intptr_t>(handle);
    }
};

// The first member of a stored pair; empty for an empty pair pointer.
template <class P> ConstRCPtr<LRefCountedObject> GetFirstRCPtr(const RCPtr<P>& pair)
{
    return pair ? ConstRCPtr<LRefCountedObject>(pair->mKey) : ConstRCPtr<LRefCountedObject>();
}

// The text of a key pointer: the key object's own text, or empty text for no object.
template <class K> String KeyPointerToString(const ConstRCPtr<K>& key)
{
    return key ? key->ToString() : String();
}

// The key under which a pair is stored: the address of its key object.
template <class P, ConstRCPtr<LRefCountedObject> (*GetFirst)(const RCPtr<P>&)>
intptr_t GetPairKey(const RCPtr<P>& pair)
{
    return RCPtrHalfMapHelper::GetKey(GetFirst(pair));
}

template <class P, ConstRCPtr<LRefCountedObject> (*GetFirst)(const RCPtr<P>&), uint32_t N>
class RCPtrHalfMap : public HashedList<RCPtr<P>, intptr_t, &GetPairKey<P, GetFirst>, N,
                                       &RCPtrHalfMapHelper::GetHandleBits<N>>
{
public:
    // The stored pair of the key object, or an empty pair pointer shared by all absent keys.
    virtual const RCPtr<P>* FindPair(const ConstRCPtr<LRefCountedObject>& keyObject)
    {
        static const RCPtr<P> absent;
        return this->Find(RCPtrHalfMapHelper::GetKey(keyObject), const_cast<RCPtr<P>*>(&absent));
    }

    virtual bool RemoveKey(const ConstRCPtr<LRefCountedObject>& keyObject)
    {
        return this->Remove(RCPtrHalfMapHelper::GetKey(keyObject));
    }
};

template <class K, class V, uint32_t N = 8>
class RCPtrMap
    : public RCPtrHalfMap<LPair<ConstRCPtr<K>, RCPtr<V>, &KeyPointerToString<K>>,
                          &GetFirstRCPtr<LPair<ConstRCPtr<K>, RCPtr<V>, &KeyPointerToString<K>>>, N>
{
public:
    using Entry = LPair<ConstRCPtr<K>, RCPtr<V>, &KeyPointerToString<K>>;

    // The value stored for the key object, or an empty reference shared by all absent
    // keys; never null. Copy the reference out: the answer is not for storing through.
    virtual const RCPtr<V>* Lookup(const ConstRCPtr<K>& key)
    {
        static const RCPtr<V> absent;
        const RCPtr<Entry>* pair = this->FindPair(ConstRCPtr<LRefCountedObject>(key));
        return *pair ? &(*pair)->mValue : &absent;
    }

    // Stores value for the key object; false when the key object had a value already.
    virtual bool Set(const ConstRCPtr<K>& key, const RCPtr<V>& value)
    {
        return this->Add(Entry::Create(key, value));
    }
};

} // namespace KV
