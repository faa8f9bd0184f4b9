#include "Storage/PurgableObjectCache.h"

#include <gtest/gtest.h>

#include <vector>

using namespace KV;

namespace {

// A thing that is drawn: its cache id is its address, as for a polyline.
struct Shape
{
    int points = 0;
};
intptr_t ShapeHandle(const Shape& shape)
{
    return reinterpret_cast<intptr_t>(&shape);
}

// What is derived from a shape and cached; notes its destruction.
class LDerived : public LRefCountedObject
{
public:
    LDerived(char name, std::vector<char>& destroyed) : mName(name), mDestroyed(destroyed) {}
    const char mName;

protected:
    ~LDerived() override { mDestroyed.push_back(mName); }

private:
    std::vector<char>& mDestroyed;
};

using ShapeCache = PurgableObjectCache<LDerived, Shape, intptr_t, &ShapeHandle, 8, &GetBits<8, 4, intptr_t>>;

class PurgableObjectCacheTest : public ::testing::Test
{
protected:
    // Asks for the entry of shape and fills it when empty, as an owner does.
    RCPtr<LDerived>* Draw(ShapeCache& cache, const Shape& shape, char name)
    {
        RCPtr<LDerived>* slot = cache.GetEntry(shape, false);
        if (!*slot)
            *slot = RCPtr<LDerived>(new LDerived(name, mDestroyed));
        return slot;
    }
    static const RCPtr<LDerived>* SlotOf(const ShapeCache& cache, int32_t index)
    {
        return &cache.GetEntryAt(index).mObject;
    }

    std::vector<char> mDestroyed;
    // Equal contents, four keys: the id is the object, not what it holds.
    Shape mA, mB, mC, mD;
};

} // namespace

TEST_F(PurgableObjectCacheTest, FillsInOrderThenEvictsTheLeastRecentlyUsed)
{
    ShapeCache cache(3);
    EXPECT_EQ(Draw(cache, mA, 'A'), SlotOf(cache, 0));
    EXPECT_EQ(Draw(cache, mB, 'B'), SlotOf(cache, 1));
    EXPECT_EQ(Draw(cache, mC, 'C'), SlotOf(cache, 2));
    EXPECT_EQ((*cache.GetEntry(mB, false))->mName, 'B') << "the same object again is a hit";
    EXPECT_TRUE(mDestroyed.empty());

    EXPECT_EQ(Draw(cache, mD, 'D'), SlotOf(cache, 0));
    EXPECT_EQ(mDestroyed, std::vector<char>{'A'});
    EXPECT_EQ(Draw(cache, mA, 'a'), SlotOf(cache, 2)) << "C is now the oldest; B was used after it";
    EXPECT_EQ(mDestroyed, (std::vector<char>{'A', 'C'}));
}

TEST_F(PurgableObjectCacheTest, HitRefreshesTheStamp)
{
    ShapeCache cache(3);
    Draw(cache, mA, 'A');
    Draw(cache, mB, 'B');
    Draw(cache, mC, 'C');
    EXPECT_EQ((*cache.GetEntry(mA, false))->mName, 'A');
    EXPECT_EQ(Draw(cache, mD, 'D'), SlotOf(cache, 1));
    EXPECT_EQ(mDestroyed, std::vector<char>{'B'});
}

TEST_F(PurgableObjectCacheTest, ResetAndRemovedEntriesAreRefilledFirst)
{
    ShapeCache cache(3);
    Draw(cache, mA, 'A');
    Draw(cache, mB, 'B');
    Draw(cache, mC, 'C');

    // A reset hit gives the entry back empty, counted as its first use.
    RCPtr<LDerived>* slot = cache.GetEntry(mC, true);
    EXPECT_FALSE(*slot);
    EXPECT_EQ(cache.GetEntryAt(2).mUseCount, 1u);
    EXPECT_EQ(mDestroyed, std::vector<char>{'C'});

    // The empty entry is taken before the oldest one, though it was used last.
    EXPECT_EQ(Draw(cache, mD, 'D'), SlotOf(cache, 2));
    EXPECT_EQ(mDestroyed, std::vector<char>{'C'});

    EXPECT_EQ(cache.RemoveEntry(ShapeHandle(mC)), 1) << "C's entry went to D";
    EXPECT_EQ(cache.RemoveEntry(ShapeHandle(mB)), 0);
    EXPECT_EQ(mDestroyed, (std::vector<char>{'C', 'B'}));
    slot = cache.GetEntry(mB, false);
    EXPECT_EQ(slot, SlotOf(cache, 1)) << "B keeps its entry";
    EXPECT_FALSE(*slot);
}

TEST_F(PurgableObjectCacheTest, PurgeClearsWhatWasNotUsedSinceTheMark)
{
    ShapeCache cache(4);
    Draw(cache, mA, 'A');
    Draw(cache, mB, 'B');
    Draw(cache, mC, 'C');
    cache.SetPurgeMark(cache.GetClock() + 1); // the owner's previous purge
    Draw(cache, mA, 'A');
    Draw(cache, mD, 'D');

    EXPECT_EQ(cache.Purge(cache.GetPurgeMark()), 2);
    EXPECT_EQ(mDestroyed, (std::vector<char>{'B', 'C'}));
    EXPECT_TRUE(cache.GetEntryAt(0).mObject) << "A was used after the mark";
    EXPECT_TRUE(cache.GetEntryAt(3).mObject);

    // Purged entries keep their ids: asking again reuses the same entry.
    EXPECT_EQ(cache.GetEntry(mC, false), SlotOf(cache, 2));
}

TEST_F(PurgableObjectCacheTest, ClockMayWrap)
{
    ShapeCache cache(3);
    cache.SetClock(0xFFFFFFFDu);
    Draw(cache, mA, 'A'); // stamp 0xFFFFFFFE
    Draw(cache, mB, 'B'); // stamp 0xFFFFFFFF
    Draw(cache, mC, 'C'); // stamp 0
    EXPECT_EQ(cache.GetEntryAt(2).mLastUse, 0u);

    // A has the largest stamp difference, though C's stamp is the smallest number.
    EXPECT_EQ(Draw(cache, mD, 'D'), SlotOf(cache, 0));
    EXPECT_EQ(mDestroyed, std::vector<char>{'A'});

    // B, stamped just before the wrap, was used before a mark of 0; C and D were not.
    EXPECT_EQ(cache.Purge(0), 1);
    EXPECT_EQ(mDestroyed, (std::vector<char>{'A', 'B'}));
}

TEST(PurgableObjectCache, NeedsAnEntry)
{
    EXPECT_THROW(ShapeCache(0), std::invalid_argument);
}
