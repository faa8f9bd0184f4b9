// Several producers and one consumer on a queue guarded by a shared lock; run under
// ThreadSanitizer. The ring starts small so that it grows while threads contend.
#include "Storage/RCPtrQueue.h"
#include "ObjectBase/Holder.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace KV;

TEST(RCPtrQueueThreads, EveryItemArrivesOnceInEachProducersOrder)
{
    constexpr int kProducers = 4;
    constexpr int kPerProducer = 1000;
    using Item = LHolder<int>;

    Mutex lock;
    RCPtrQueue<Item, 4> queue(&lock, 4);

    std::vector<std::thread> producers;
    for (int p = 0; p < kProducers; ++p)
        producers.emplace_back([&queue, p] {
            for (int i = 0; i < kPerProducer; ++i)
                queue.Enqueue(Item::Create(p * kPerProducer + i));
        });

    std::vector<int> nextOf(kProducers, 0);
    RCPtr<Item> out;
    for (int received = 0; received < kProducers * kPerProducer;)
    {
        if (queue.GetCount() == 0)
        {
            std::this_thread::yield();
            continue;
        }
        const int value = queue.Dequeue(out)->Value();
        const int producer = value / kPerProducer;
        ASSERT_EQ(value % kPerProducer, nextOf[producer]) << "producer " << producer;
        ++nextOf[producer];
        ++received;
    }
    for (std::thread& producer : producers)
        producer.join();
    EXPECT_EQ(queue.GetCount(), 0u);
}
