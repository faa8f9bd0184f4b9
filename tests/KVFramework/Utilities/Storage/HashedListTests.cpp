#include "Storage/HashedList.h"
#include "Storage/RCPtrMap.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

using namespace KV;

namespace {

// A value that carries its own key, as a glyph record does.
template <class K> struct Record
{
    K id;
    int payload;
};
template <class K> K RecordId(const Record<K>& record)
{
    return record.id;
}

using IntList = HashedList<Record<int>, int, &RecordId<int>, 8, &GetBits<8, 4, int>>;
using GlyphList = HashedList<Record<long>, long, &RecordId<long>, 8, &GetBits<8, 0, long>>;
using AddressList = HashedList<Record<intptr_t>, intptr_t, &RecordId<intptr_t>, 8, &GetBits<8, 4, intptr_t>>;

// A counted object that notes its destruction.
class LItem : public LRefCountedObject
{
public:
    explicit LItem(int id, std::vector<int>* destroyed = nullptr) : mId(id), mDestroyed(destroyed) {}
    const int mId;

protected:
    ~LItem() override
    {
        if (mDestroyed)
            mDestroyed->push_back(mId);
    }

private:
    std::vector<int>* mDestroyed;
};

int ItemId(const RCPtr<LItem>& item)
{
    return item->mId;
}
using ItemList = HashedList<RCPtr<LItem>, int, &ItemId, 8, &GetBits<8, 4, int>>;

template <class List>
std::vector<decltype(List::PairType::mKey + 0)> KeysOfBucket(const List& list, uint32_t bucket)
{
    std::vector<decltype(List::PairType::mKey + 0)> keys;
    const auto& pairs = list.GetBucket(bucket);
    for (uint32_t i = 0; i < pairs.GetCount(); ++i)
        keys.push_back((*pairs.GetAtConst(i))->mKey);
    return keys;
}

} // namespace

TEST(HashedList, GetBitsPicksTheBucket)
{
    struct Case
    {
        long long key;
        uint32_t withShift4;
    };
    const Case cases[] = {
        {0, 0},      {15, 0},    {0x10, 1},   {0x1010, 1}, {0x20, 2},    {0xFF0, 0xFF},
        {0x1000, 0}, {-1, 0xFF}, {-16, 0xFF}, {-17, 0xFE}, {INT_MIN, 0},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ((GetBits<8, 4>(static_cast<int>(c.key))), c.withShift4) << c.key;
        EXPECT_EQ((GetBits<8, 4>(static_cast<intptr_t>(c.key))), c.withShift4) << c.key;
    }
    EXPECT_EQ((GetBits<8, 0>(65L)), 65u);
    EXPECT_EQ((GetBits<8, 0>(321L)), 65u);
    EXPECT_EQ((GetBits<8, 0>(-1L)), 255u);
}

TEST(HashedList, BucketsKeepTheOrderOfAdding)
{
    IntList list;
    for (int key : {0x10, 0x1010, 0x20, 0x2010, 5})
        EXPECT_TRUE(list.Add({key, key * 10}));
    EXPECT_EQ(list.GetCount(), 5);
    EXPECT_EQ(KeysOfBucket(list, 1), (std::vector<int>{0x10, 0x1010, 0x2010}));
    EXPECT_EQ(KeysOfBucket(list, 0), (std::vector<int>{5}));

    // A key already stored gets the new value in place.
    EXPECT_FALSE(list.Add({0x1010, -1}));
    EXPECT_EQ(list.GetCount(), 5);
    EXPECT_EQ(list.Find(0x1010, nullptr)->payload, -1);
    EXPECT_EQ(KeysOfBucket(list, 1), (std::vector<int>{0x10, 0x1010, 0x2010}));

    EXPECT_TRUE(list.Remove(0x1010));
    EXPECT_FALSE(list.Remove(0x1010));
    EXPECT_EQ(list.GetCount(), 4);
    EXPECT_EQ(KeysOfBucket(list, 1), (std::vector<int>{0x10, 0x2010}));
    EXPECT_EQ(list.Find(0x10, nullptr)->payload, 0x10 * 10);
    EXPECT_EQ(list.Find(0x2010, nullptr)->payload, 0x2010 * 10);

    EXPECT_TRUE(list.Add({0x1010, 7}));
    EXPECT_EQ(KeysOfBucket(list, 1), (std::vector<int>{0x10, 0x2010, 0x1010}));

    // Find hands out the stored value for writing.
    list.Find(0x20, nullptr)->payload = 99;
    EXPECT_EQ(list.Find(0x20, nullptr)->payload, 99);
}

TEST(HashedList, AbsentKeysAnswerNotFound)
{
    GlyphList list;
    Record<long> fallback{0, 0};
    EXPECT_EQ(list.RemoveAll(), S_OK);
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.Find(65, &fallback), &fallback);

    EXPECT_TRUE(list.Add({65, 1}));
    EXPECT_TRUE(list.Add({321, 2})); // the same bucket as 65
    EXPECT_EQ(list.Find(577, &fallback), &fallback);
    EXPECT_EQ(list.Find(321, nullptr)->payload, 2);

    list.RemoveAll();
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.Find(65, &fallback), &fallback);
    EXPECT_EQ(list.Find(321, nullptr), nullptr);
}

TEST(HashedList, KeysThatDifferOnlyAboveBit31StayDistinct)
{
    AddressList list;
    const intptr_t keys[] = {0x10, intptr_t(1) << 32 | 0x10, intptr_t(7) << 40 | 0x10,
                             -(intptr_t(1) << 36) | 0x10};
    for (size_t i = 0; i < std::size(keys); ++i)
        EXPECT_TRUE(list.Add({keys[i], static_cast<int>(i)}));
    EXPECT_EQ(list.GetCount(), 4);
    for (size_t i = 0; i < std::size(keys); ++i)
        EXPECT_EQ(list.Find(keys[i], nullptr)->payload, static_cast<int>(i)) << std::hex << keys[i];
}

TEST(HashedList, ReferenceValuesAreHeldAndReplaced)
{
    std::vector<int> destroyed;
    ItemList list;
    RCPtr<LItem> first(new LItem(1, &destroyed));
    EXPECT_TRUE(list.Add(first));
    EXPECT_EQ(first->GetRefCount(), 2);
    EXPECT_FALSE(list.Add(first));
    EXPECT_EQ(first->GetRefCount(), 2) << "the same object stays, with one reference";

    EXPECT_FALSE(list.Add(RCPtr<LItem>(new LItem(1, &destroyed))));
    EXPECT_EQ(first->GetRefCount(), 1) << "replaced: the list released it";
    EXPECT_TRUE(destroyed.empty());

    EXPECT_TRUE(list.Remove(1));
    EXPECT_EQ(destroyed, std::vector<int>{1}) << "the replacement died with its pair";
}

TEST(HashedList, PairTextAndReleaseOrder)
{
    IntList list;
    list.Add({0x12345, 0});
    EXPECT_EQ(list.GetBucket(0x34).GetAtConst(0)->Get()->ToString(), u"int")
        << "the key's type, not its value";

    std::vector<int> destroyed;
    using ItemPair = LPair<ConstRCPtr<LItem>, RCPtr<LItem>, &KeyPointerToString<LItem>>;
    RCPtr<ItemPair> pair =
        ItemPair::Create(RCPtr<LItem>(new LItem(1, &destroyed)), RCPtr<LItem>(new LItem(2, &destroyed)));
    pair = nullptr;
    EXPECT_EQ(destroyed, (std::vector<int>{2, 1})) << "the value is released before the key";
}

TEST(RCPtrMap, MapsObjectIdentity)
{
    std::vector<int> destroyed;
    RCPtrMap<LItem, LItem, 8> map;
    RCPtr<LItem> key(new LItem(1, &destroyed));
    RCPtr<LItem> twin(new LItem(1, &destroyed)); // equal contents, another object
    RCPtr<LItem> value(new LItem(10, &destroyed));

    const RCPtr<LItem>* absent = map.Lookup(key);
    ASSERT_NE(absent, nullptr);
    EXPECT_FALSE(*absent);
    EXPECT_FALSE(*map.FindPair(ConstRCPtr<LRefCountedObject>(key)));

    EXPECT_TRUE(map.Set(key, value));
    EXPECT_EQ(map.Lookup(ConstRCPtr<LItem>(key.Get()))->Get(), value.Get())
        << "found through another reference";
    EXPECT_FALSE(*map.Lookup(twin));
    EXPECT_EQ(map.GetCount(), 1);
    EXPECT_EQ((*map.FindPair(ConstRCPtr<LRefCountedObject>(key)))->ToString(), key->ToString());

    EXPECT_FALSE(map.Set(key, RCPtr<LItem>(new LItem(11, &destroyed))));
    EXPECT_EQ(map.Lookup(key)->Get()->mId, 11);
    EXPECT_EQ(value->GetRefCount(), 1) << "the old value was released";
    EXPECT_EQ(map.GetCount(), 1);

    EXPECT_TRUE(map.Set(twin, value));
    EXPECT_EQ(map.GetCount(), 2);
    EXPECT_TRUE(map.RemoveKey(ConstRCPtr<LRefCountedObject>(key)));
    EXPECT_FALSE(map.RemoveKey(ConstRCPtr<LRefCountedObject>(key)));
    EXPECT_EQ(destroyed, std::vector<int>{11});
    EXPECT_EQ(key->GetRefCount(), 1);

    map.RemoveAll();
    EXPECT_EQ(twin->GetRefCount(), 1);
    EXPECT_EQ(value->GetRefCount(), 1);
}
