// Strings on different threads share unlocked buffers; each thread's own changes
// copy first, and formatting switches only its own thread to the "C" locale.
#include "Storage/StringT.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace KV;

TEST(StringThreads, SharedBufferIsCopiedAndChangedSafely)
{
    const String shared(u"shared between threads");
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&shared, &failures, t] {
            for (int i = 0; i < 2000; ++i)
            {
                String copy(shared);
                if (!copy.SharesBufferWith(shared))
                    ++failures[t];
                char16_t* data = copy.Lock(0);
                data[0] = u'S';
                copy.Unlock();
                copy.Append(String::FromFixedPoint(i, 2));
                String expected;
                expected.Format(u"Shared between threads%s", String::FromFixedPoint(i, 2));
                if (!copy.Equals(expected) || String().GetLength() != 0)
                    ++failures[t];
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures, std::vector<int>(4, 0));
    EXPECT_TRUE(shared.EqualsText(u"shared between threads"));
}
