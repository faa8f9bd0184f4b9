#include "Storage/RCPtrArray.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using KV::ConstRCPtr;
using KV::RCPtr;

// A counted object that logs its destruction and whether the array it watches still
// held it at that moment.
class Probe : public KV::LRefCountedObject
{
public:
    struct Log
    {
        std::vector<int> destroyed;
        int destroyedWhileHeld = 0;
        const KV::ConstRCPtrArray<Probe>* watched = nullptr;
    };

    Probe(int id, Log& log) : mId(id), mLog(log) {}
    int Id() const { return mId; }

protected:
    ~Probe() override
    {
        mLog.destroyed.push_back(mId);
        if (mLog.watched != nullptr)
        {
            for (uint32_t i = 0; i < mLog.watched->GetCount(); ++i)
                mLog.destroyedWhileHeld += mLog.watched->GetAtConst(i)->Get() == this;
        }
    }

private:
    int mId;
    Log& mLog;
};

using Array = KV::RCPtrArray<Probe>;

// Fills the array with new probes 0..n-1 that only the array holds.
void FillProbes(Array& array, int n, Probe::Log& log)
{
    for (int i = 0; i < n; ++i)
        ASSERT_EQ(array.AddItem(RCPtr<Probe>(new Probe(i, log))), i);
}

std::vector<int> Ids(const KV::ConstRCPtrArray<Probe>& array)
{
    std::vector<int> ids;
    for (uint32_t i = 0; i < array.GetCount(); ++i)
    {
        const ConstRCPtr<Probe>& slot = *array.GetAtConst(i);
        ids.push_back(slot ? slot->Id() : -1);
    }
    return ids;
}

std::vector<std::string> TextPieces(const std::exception& e)
{
    std::vector<std::string> pieces;
    const std::string text = e.what();
    size_t start = 0;
    for (size_t at; (at = text.find(" : ", start)) != std::string::npos; start = at + 3)
        pieces.push_back(text.substr(start, at - start));
    pieces.push_back(text.substr(start));
    return pieces;
}

const std::string kConstRemoveItem =
    "KV::ConstRCPtrArray<class (anonymous namespace)::Probe,1,0>::RemoveItem";
const std::string kRemoveItem = "KV::RCPtrArray<class (anonymous namespace)::Probe,1,0>::RemoveItem";

} // namespace

TEST(RCPtrArray, RemovalReleasesEachObjectOnceFirstToLastAfterLettingGo)
{
    struct Removal
    {
        const char* what;
        std::function<void(Array&)> remove;
        std::vector<int> destroyed;
        std::vector<int> left;
    };
    const Array none;
    const std::vector<Removal> removals = {
        {"SetCount down", [](Array& a) { EXPECT_EQ(a.SetCount(1), 1); }, {1, 2, 3}, {0}},
        {"RemoveItems", [](Array& a) { EXPECT_EQ(a.RemoveItems(1, 2), 2); }, {1, 2}, {0, 3}},
        {"Clear", [](Array& a) { EXPECT_EQ(a.Clear(), 0); }, {0, 1, 2, 3}, {}},
        {"AssignAll", [&none](Array& a) { EXPECT_EQ(a.AssignAll(none), 0); }, {0, 1, 2, 3}, {}},
        {"RemoveItems through the read-only view",
         [](Array& a) { EXPECT_EQ(static_cast<KV::ConstRCPtrArray<Probe>&>(a).RemoveItems(0, 3), 1); },
         {0, 1, 2},
         {3}},
    };
    for (const Removal& removal : removals)
    {
        SCOPED_TRACE(removal.what);
        Probe::Log log;
        {
            Array array;
            log.watched = &array;
            FillProbes(array, 4, log);
            removal.remove(array);
            EXPECT_EQ(log.destroyed, removal.destroyed);
            EXPECT_EQ(Ids(array), removal.left);
        }
        EXPECT_EQ(log.destroyedWhileHeld, 0);
        EXPECT_EQ(log.destroyed.size(), 4u); // the destructor released the rest, once each
    }

    // The destructor releases first to last, and an object held twice is released twice.
    Probe::Log log;
    {
        Array array;
        FillProbes(array, 3, log);
        RCPtr<Probe> first = *array.GetAt(0);
        array.AddItem(first);
        EXPECT_EQ(first->GetRefCount(), 3);
        first.Reset();
    }
    EXPECT_EQ(log.destroyed, (std::vector<int>{1, 2, 0}));
}

TEST(RCPtrArray, RemoveItemMovesTheArraysReferenceOut)
{
    Probe::Log log;
    Array array;
    FillProbes(array, 3, log);
    RCPtr<Probe> kept(new Probe(9, log));
    RCPtr<Probe> out = kept;
    kept.Reset();

    EXPECT_EQ(array.RemoveItem(1, out), 2);
    EXPECT_EQ(out->Id(), 1);
    EXPECT_EQ(out->GetRefCount(), 1);
    EXPECT_EQ(log.destroyed, std::vector<int>{9});
    EXPECT_EQ(Ids(array), (std::vector<int>{0, 2}));

    ConstRCPtr<Probe> last;
    EXPECT_EQ(static_cast<KV::ConstRCPtrArray<Probe>&>(array).RemoveLastItem(last), 1);
    EXPECT_EQ(last->Id(), 2);
    EXPECT_EQ(last->GetRefCount(), 1);

    // A bad index throws the text of the view it was called through; nothing changes.
    for (uint32_t index : {1u, 0xFFFFFFFFu})
    {
        try
        {
            array.RemoveItem(index, out);
            ADD_FAILURE() << "no exception";
        }
        catch (const KV::Exception<std::out_of_range>& e)
        {
            EXPECT_EQ(TextPieces(e).at(0), "Out of Range");
            EXPECT_EQ(TextPieces(e).at(1), kRemoveItem);
        }
        try
        {
            static_cast<KV::ConstRCPtrArray<Probe>&>(array).RemoveItem(index, last);
            ADD_FAILURE() << "no exception";
        }
        catch (const KV::Exception<std::out_of_range>& e)
        {
            EXPECT_EQ(TextPieces(e).at(1), kConstRemoveItem);
        }
    }
    EXPECT_EQ(out->Id(), 1);
    EXPECT_EQ(last->Id(), 2);
    EXPECT_EQ(Ids(array), std::vector<int>{0});

    EXPECT_EQ(array.RemoveLastItem(out), 0);
    EXPECT_EQ(out->Id(), 0);
    EXPECT_EQ(array.RemoveLastItem(out), E_FAIL);
    EXPECT_FALSE(out);
}

TEST(RCPtrArray, RangePastTheEndThrowsBeforeRemovingAnything)
{
    Probe::Log log;
    Array array;
    FillProbes(array, 3, log);
    for (auto [index, n] : {std::pair<uint32_t, uint32_t>{1, 5}, {3, 1}, {1, 0xFFFFFFFF}, {0xFFFFFFFF, 2}})
    {
        try
        {
            array.RemoveItems(index, n);
            ADD_FAILURE() << index << "," << n << " did not throw";
        }
        catch (const KV::Exception<std::out_of_range>& e)
        {
            // Reported as the read-only view's removal, whichever view was called.
            EXPECT_EQ(TextPieces(e).at(1), kConstRemoveItem);
        }
        EXPECT_EQ(Ids(array), (std::vector<int>{0, 1, 2}));
        EXPECT_TRUE(log.destroyed.empty());
    }
    EXPECT_EQ(array.RemoveItems(7, 0), 3);
}

TEST(RCPtrArray, InsertingOneOfItsOwnSlots)
{
    // With granule 1 every insertion reallocates the block the item lives in.
    Probe::Log log;
    Array array;
    FillProbes(array, 2, log);
    KV::ConstRCPtrArray<Probe>& view = array;
    for (int i = 0; i < 8; ++i)
    {
        ASSERT_EQ(array.InsertItem(0, *array.GetAt(array.GetCount() - 1)), 0);
        ASSERT_EQ(view.InsertItem(1, *view.GetAt(view.GetCount() - 1)), 1);
    }
    EXPECT_EQ(array.AddItem(*array.GetAt(0)), 18);
    EXPECT_EQ(array.GetAt(0)->Get(), array.GetAt(18)->Get());
    EXPECT_EQ((*array.GetAt(1))->GetRefCount(), 18); // probe 1 fills 18 of the 19 slots
    EXPECT_EQ(array.GetAt(0)->Get(), array.GetAt(2)->Get());
    EXPECT_TRUE(log.destroyed.empty());

    EXPECT_EQ(array.InsertItem(20, *array.GetAt(0)), E_INVALIDARG);
    EXPECT_EQ(array.InsertItem(19, nullptr), 19);
    EXPECT_FALSE(*array.GetAt(19));
    EXPECT_EQ(array.GetCount(), 20u);
}

TEST(RCPtrArray, SwapAndAppendKeepOneReferencePerSlot)
{
    Probe::Log log;
    Array array;
    FillProbes(array, 2, log);
    KV::ConstRCPtrArray<Probe>& view = array;

    EXPECT_EQ(view.SwapItems(0, 1), S_OK);
    EXPECT_EQ(Ids(array), (std::vector<int>{1, 0}));
    EXPECT_EQ(array.SwapItems(0, 1), S_OK);
    EXPECT_EQ(array.SwapItems(1, 1), S_OK);
    EXPECT_EQ(Ids(array), (std::vector<int>{0, 1}));
    EXPECT_EQ(view.SwapItems(0, 2), E_INVALIDARG);
    EXPECT_EQ(view.SwapItems(0xFFFFFFFF, 0), E_INVALIDARG);
    EXPECT_EQ(array.SwapItems(2, 0), E_INVALIDARG);
    EXPECT_EQ((*array.GetAt(0))->GetRefCount(), 1);

    Array other;
    FillProbes(other, 3, log);
    EXPECT_EQ(array.AppendAll(other), 5);
    EXPECT_EQ(Ids(array), (std::vector<int>{0, 1, 0, 1, 2}));
    EXPECT_EQ((*array.GetAt(4))->GetRefCount(), 2);
    EXPECT_EQ(array.AppendAll(Array()), 5);
    EXPECT_EQ(view.AppendAll(view), 10);
    EXPECT_EQ(Ids(array), (std::vector<int>{0, 1, 0, 1, 2, 0, 1, 0, 1, 2}));
    EXPECT_EQ((*array.GetAt(4))->GetRefCount(), 3);
    EXPECT_EQ(array.IndexOf(*other.GetAt(2)), 4);
    EXPECT_EQ(array.IndexOf(nullptr), -1);
    EXPECT_TRUE(log.destroyed.empty());
}

TEST(RCPtrArray, CapacityFollowsGranuleAndSlack)
{
    struct Step
    {
        uint32_t count;
        uint32_t capacity;
    };
    auto walk = [](auto& array, const std::vector<Step>& steps) {
        for (const Step& step : steps)
        {
            ASSERT_EQ(array.SetCount(step.count), static_cast<int32_t>(step.count));
            EXPECT_EQ(array.GetCapacity(), step.capacity) << "count " << step.count;
        }
    };

    KV::RCPtrArray<Probe> exact;
    EXPECT_EQ(exact.GetCapacity(), 0u);
    EXPECT_EQ(exact.GetData(), nullptr);
    EXPECT_EQ(exact.BeginConst().position, nullptr);
    EXPECT_EQ(exact.EndConst().position, nullptr);
    walk(exact, {{3, 3}, {5, 5}, {1, 1}, {0, 0}});

    KV::RCPtrArray<Probe, 16, 16> sixteen;
    walk(sixteen, {{17, 32}, {16, 32}, {15, 16}, {1, 16}, {0, 16}});

    KV::RCPtrArray<Probe, 256, 256> ring(256, 256);
    EXPECT_EQ(ring.GetCapacity(), 256u);
    walk(ring, {{257, 512}, {256, 512}, {255, 256}});

    // A reserve beyond the count is given back at once when the slack does not cover it.
    KV::RCPtrArray<Probe> reserved(2, 5);
    EXPECT_EQ(reserved.GetCapacity(), 2u);
    EXPECT_EQ(Ids(reserved), (std::vector<int>{-1, -1}));
}

TEST(LRCPtrArray, LastReleaseDestroysItAndReleasesEachElementOnce)
{
    Probe::Log log;
    auto* raw = new KV::LRCPtrArray<Probe>(2, 0);
    RCPtr<KV::LRCPtrArray<Probe>> shared(raw);
    RCPtr<Probe> outside(new Probe(7, log));
    shared->GetAt(0)->Assign(outside.Get());
    shared->GetAt(1)->Assign(new Probe(8, log));
    shared->SetTag(RCPtr<KV::LRefCountedObject>(new Probe(9, log)));
    EXPECT_EQ(outside->GetRefCount(), 2);

    RCPtr<KV::LRCPtrArray<Probe>> second = shared;
    shared.Reset();
    EXPECT_TRUE(log.destroyed.empty());
    second.Reset();
    EXPECT_EQ(log.destroyed, (std::vector<int>{8, 9}));
    EXPECT_EQ(outside->GetRefCount(), 1);
}
