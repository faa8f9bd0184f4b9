#include "Storage/ReuseAllocator.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

namespace KV {
namespace {

struct Record
{
    uint64_t words[3];
};

TEST(ReuseAllocatorTest, LastFreedIsFirstReused)
{
    ReuseAllocator<Record, 4> pool(false);
    EXPECT_EQ(pool.GetBlockCount(), 0u);
    EXPECT_EQ(pool.GetFreeCount(), 0u);

    void* a = pool.Allocate(sizeof(Record));
    void* b = pool.Allocate(sizeof(Record));
    void* c = pool.Allocate(sizeof(Record));
    EXPECT_NE(a, b);
    pool.Free(a, sizeof(Record));
    EXPECT_EQ(pool.Allocate(sizeof(Record)), a);

    pool.Free(a, sizeof(Record));
    pool.Free(c, sizeof(Record));
    EXPECT_EQ(pool.GetFreeCount(), 2u);
    EXPECT_EQ(pool.Allocate(sizeof(Record)), c);
    EXPECT_EQ(pool.Allocate(sizeof(Record)), a);
    EXPECT_EQ(pool.GetBlockCount(), 3u);
    EXPECT_EQ(pool.GetFreeCount(), 0u);

    void* d = pool.Allocate(sizeof(Record)); // nothing free: a new block
    EXPECT_EQ(pool.GetBlockCount(), 4u);
    for (void* p : {a, b, c, d})
        pool.Free(p, sizeof(Record));
    EXPECT_EQ(pool.GetFreeCount(), 4u);
}

// A request of another size is a heap block, and so is its release: the pool's lists do
// not change, and nothing is read in front of the block (AddressSanitizer would report it).
TEST(ReuseAllocatorTest, OtherSizesGoToTheHeap)
{
    ReuseAllocator<Record, 4> pool(true);
    void* pooled = pool.Allocate(sizeof(Record));
    for (const std::size_t size : {std::size_t{1}, sizeof(Record) - 1, sizeof(Record) + 8, std::size_t{4096}})
    {
        SCOPED_TRACE(size);
        void* block = pool.Allocate(size);
        ASSERT_NE(block, nullptr);
        std::memset(block, 0xA5, size);
        EXPECT_EQ(pool.GetBlockCount(), 1u);
        pool.Free(block, size);
        EXPECT_EQ(pool.GetFreeCount(), 0u);
    }
    pool.Free(pooled, sizeof(Record));
    EXPECT_EQ(pool.GetFreeCount(), 1u);
}

// Objects of a pooled class and of a class derived from it, deleted through the base.
struct PooledBase : ReusePooled<PooledBase, 4, true>
{
    virtual ~PooledBase() = default;
    uint32_t value = 0;
};

struct LargerDerived : PooledBase
{
    char extra[40] = {};
};

TEST(ReuseAllocatorTest, PooledClassRoutesByTheObjectsSize)
{
    auto& pool = PooledBase::Pool();
    const uint32_t blocksBefore = pool.GetBlockCount();

    PooledBase* base = new PooledBase;
    EXPECT_EQ(pool.GetBlockCount(), std::max(blocksBefore, 1u));
    std::unique_ptr<PooledBase> derived(new LargerDerived);
    const uint32_t freeBefore = pool.GetFreeCount();
    derived.reset(); // a heap block: the free list does not grow
    EXPECT_EQ(pool.GetFreeCount(), freeBefore);

    delete base;
    EXPECT_EQ(pool.GetFreeCount(), freeBefore + 1);
    PooledBase* again = new PooledBase;
    EXPECT_EQ(again, base);
    delete again;
}

template <std::size_t Alignment> struct alignas(Alignment) Aligned
{
    char bytes[Alignment];
};

template <class T> void ExpectAlignedBlocks()
{
    ReuseAllocator<T, 2> pool(false);
    std::vector<void*> blocks;
    for (int i = 0; i < 9; ++i)
        blocks.push_back(pool.Allocate(sizeof(T)));
    blocks.push_back(pool.Allocate(sizeof(T) + 1)); // from the heap
    for (void* block : blocks)
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % std::max(alignof(T), alignof(std::max_align_t)),
                  0u)
            << "alignment " << alignof(T);
    pool.Free(blocks.back(), sizeof(T) + 1);
    blocks.pop_back();
    for (void* block : blocks)
        pool.Free(block, sizeof(T));
}

TEST(ReuseAllocatorTest, BlocksKeepTheAlignmentTheirClassNeeds)
{
    ExpectAlignedBlocks<char>();
    ExpectAlignedBlocks<long double>();
    ExpectAlignedBlocks<std::max_align_t>();
    ExpectAlignedBlocks<Aligned<32>>();
    ExpectAlignedBlocks<Aligned<64>>();
}

// Four threads share one locked pool. Each writes its own mark into the blocks it holds
// and checks it before giving them back: a block handed out twice would be overwritten.
TEST(ReuseAllocatorTest, FourThreadsShareOneLockedPool)
{
    constexpr int Threads = 4;
    constexpr int Rounds = 2000;
    constexpr int Held = 8;
    ReuseAllocator<Record, 1> pool(true);
    std::vector<std::thread> threads;
    std::vector<int> failures(Threads, 0);
    for (int t = 0; t < Threads; ++t)
        threads.emplace_back([&, t] {
            Record* held[Held] = {};
            for (int round = 0; round < Rounds; ++round)
            {
                const int count = 1 + (round + t) % Held;
                for (int i = 0; i < count; ++i)
                {
                    held[i] = static_cast<Record*>(pool.Allocate(sizeof(Record)));
                    held[i]->words[0] = static_cast<uint64_t>(t);
                    held[i]->words[1] = static_cast<uint64_t>(round * Held + i);
                }
                for (int i = 0; i < count; ++i)
                {
                    if (held[i]->words[0] != static_cast<uint64_t>(t) ||
                        held[i]->words[1] != static_cast<uint64_t>(round * Held + i))
                        ++failures[static_cast<std::size_t>(t)];
                    pool.Free(held[i], sizeof(Record));
                }
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures, std::vector<int>(Threads, 0));
    EXPECT_LE(pool.GetBlockCount(), static_cast<uint32_t>(Threads * Held));
    EXPECT_EQ(pool.GetFreeCount(), pool.GetBlockCount());
}

} // namespace
} // namespace KV
