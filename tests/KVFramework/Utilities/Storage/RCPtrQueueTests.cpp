#include "Storage/RCPtrQueue.h"
#include "ObjectBase/Holder.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <thread>
#include <vector>

using namespace KV;

namespace {

using Item = LHolder<int>;

template <uint32_t N> void EnqueueValues(RCPtrQueue<Item, N>& queue, int first, int count)
{
    for (int value = first; value < first + count; ++value)
        ASSERT_EQ(queue.Enqueue(Item::Create(value)), S_OK);
}

template <uint32_t N> std::vector<int> DequeueValues(RCPtrQueue<Item, N>& queue, uint32_t count)
{
    std::vector<int> values;
    RCPtr<Item> out;
    for (uint32_t i = 0; i < count; ++i)
        values.push_back(queue.Dequeue(out)->Value());
    return values;
}

std::vector<int> Sequence(int first, int count)
{
    std::vector<int> values;
    for (int value = first; value < first + count; ++value)
        values.push_back(value);
    return values;
}

} // namespace

TEST(RCPtrQueue, HoldsSizeMinusOneItemsThenGrowsByOneSlot)
{
    RCPtrQueue<Item, 256> queue(nullptr, 256);
    EnqueueValues(queue, 0, 255);
    EXPECT_EQ(queue.GetSlotCount(), 256u);
    EXPECT_EQ(queue.GetCount(), 255u);

    EnqueueValues(queue, 255, 1);
    EXPECT_EQ(queue.GetSlotCount(), 257u);
    EXPECT_EQ(queue.GetCount(), 256u);
    EXPECT_EQ(DequeueValues(queue, 256), Sequence(0, 256));
    EXPECT_EQ(queue.GetCount(), 0u);
}

// A ring of 4 slots brought to full (3 items) with its head at different places, then
// made to grow. Whatever the state, the items come out oldest first and the ring keeps
// working for a further round of adds and takes.
TEST(RCPtrQueue, GrowthKeepsOrderWrappedAndUnwrapped)
{
    struct Case
    {
        const char* name;
        int takenBeforeFull; // items added and taken first, to move the head round the ring
    };
    // A full ring is unwrapped (head < tail) only with its head at slot 0.
    const Case cases[] = {{"unwrapped: head 0, tail 3", 0},
                          {"wrapped: head 1, tail 0", 1},
                          {"wrapped: head 2, tail 1", 2},
                          {"wrapped: head 3, tail 2", 3},
                          {"unwrapped after a full turn", 4}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        RCPtrQueue<Item, 4> queue(nullptr, 4);
        std::deque<int> model;
        int next = 0;
        auto add = [&](int count) {
            for (int i = 0; i < count; ++i, ++next)
            {
                queue.Enqueue(Item::Create(next));
                model.push_back(next);
            }
        };
        auto take = [&](int count) {
            RCPtr<Item> out;
            for (int i = 0; i < count; ++i)
            {
                ASSERT_EQ(queue.Dequeue(out)->Value(), model.front());
                model.pop_front();
            }
        };

        for (int i = 0; i < c.takenBeforeFull; ++i)
        {
            add(1);
            take(1);
        }
        add(3);
        ASSERT_EQ(queue.GetSlotCount(), 4u);

        add(1); // the ring is full: this add grows it
        EXPECT_EQ(queue.GetSlotCount(), 5u);
        EXPECT_EQ(queue.GetCount(), 4u);

        take(2);
        add(2); // room for exactly these two without growing again
        EXPECT_EQ(queue.GetSlotCount(), 5u);
        add(1);
        EXPECT_EQ(queue.GetSlotCount(), 6u);
        take(static_cast<int>(model.size()));
        EXPECT_EQ(queue.GetCount(), 0u);
    }
}

TEST(RCPtrQueue, RingsTooSmallToHoldAnItemGetTwoSlots)
{
    for (uint32_t initial : {0u, 1u})
    {
        SCOPED_TRACE(initial);
        RCPtrQueue<Item, 8> queue(nullptr, initial);
        EXPECT_EQ(queue.GetCount(), 0u);
        EnqueueValues(queue, 7, 1);
        EXPECT_EQ(queue.GetSlotCount(), 2u);
        EXPECT_EQ(queue.GetCount(), 1u);
        EnqueueValues(queue, 8, 2);
        EXPECT_EQ(queue.GetCount(), 3u);
        EXPECT_EQ(DequeueValues(queue, 3), Sequence(7, 3));
    }
}

TEST(RCPtrQueue, DequeueOnEmptyThrowsAndLeavesOutputEmpty)
{
    Mutex lock;
    RCPtrQueue<Item, 256> queue(&lock, 256);
    EnqueueValues(queue, 1, 1);
    RCPtr<Item> out;
    queue.Dequeue(out);
    ASSERT_TRUE(out);
    try
    {
        queue.Dequeue(out);
        FAIL() << "no exception";
    }
    catch (const std::runtime_error& error)
    {
        const std::string text = error.what();
        EXPECT_EQ(text.rfind("Runtime Error : KV::RCPtrQueue<class KV::LHolder<int>,256>::Dequeue : ", 0), 0u)
            << text;
    }
    EXPECT_FALSE(out);
    EXPECT_EQ(queue.GetCount(), 0u);
    // The lock was given back: another thread can still use the queue.
    std::thread([&] { queue.Enqueue(Item::Create(2)); }).join();
    EXPECT_EQ(queue.Dequeue(out)->Value(), 2);
}

TEST(RCPtrQueue, HoldsOneReferencePerQueuedItem)
{
    RCPtr<Item> kept = Item::Create(5);
    RCPtr<Item> taken = Item::Create(6);
    {
        RCPtrQueue<Item, 4> queue(nullptr, 4);
        queue.Enqueue(taken);
        queue.Enqueue(kept);
        EXPECT_EQ(taken->GetRefCount(), 2);
        EXPECT_EQ(kept->GetRefCount(), 2);

        RCPtr<Item> out;
        queue.Dequeue(out);
        out = nullptr;
        EXPECT_EQ(taken->GetRefCount(), 1) << "a taken item stays referenced by the queue";
        EXPECT_EQ(kept->GetRefCount(), 2);
    }
    EXPECT_EQ(kept->GetRefCount(), 1) << "the queue's destruction releases what it still holds";
}
