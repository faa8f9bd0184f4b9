#include "System/Mutex.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace KV {
namespace {

TEST(MutexTest, HolderMayEnterAgain)
{
    Mutex mutex;
    int depth = 0;
    {
        MutexLock outer(mutex);
        ++depth;
        MutexLock inner(&mutex);
        ++depth;
    }
    MutexLock none(static_cast<Mutex*>(nullptr));
    EXPECT_EQ(depth, 2);
}

// A plain counter changed by four threads under the lock: a lock that did not exclude
// would lose increments and be reported by ThreadSanitizer.
TEST(MutexTest, ExcludesOtherThreads)
{
    constexpr int Threads = 4;
    constexpr int Increments = 20000;
    Mutex mutex;
    long counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < Threads; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < Increments; ++i)
            {
                MutexLock lock(mutex);
                ++counter;
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(counter, Threads * Increments);
}

// The lock is left when an exception passes.
TEST(MutexTest, LeftWhenAnExceptionPasses)
{
    Mutex mutex;
    try
    {
        MutexLock lock(mutex);
        throw 1;
    }
    catch (int)
    {
    }
    bool entered = false;
    std::thread other([&] {
        MutexLock lock(mutex);
        entered = true;
    });
    other.join();
    EXPECT_TRUE(entered);
}

} // namespace
} // namespace KV
