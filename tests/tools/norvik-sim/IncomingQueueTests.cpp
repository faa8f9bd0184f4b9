#include "IncomingQueue.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace NorvikSim {
namespace {

// Several producers (MIDI callbacks, the input and signal threads) against the
// main loop: nothing is lost, each producer's items keep their order, and a
// waiting consumer wakes for new items long before its deadline.
TEST(IncomingQueue, DeliversEveryItemOfEveryProducerInOrder)
{
    constexpr std::size_t Producers = 4;
    constexpr std::uint64_t ItemsEach = 2000;
    IncomingQueue queue;
    std::vector<std::thread> producers;
    for (std::size_t p = 0; p < Producers; ++p)
        producers.emplace_back([&queue, p] {
            for (std::uint64_t i = 0; i < ItemsEach; ++i)
                queue.Push(Incoming{Incoming::Kind::Midi, p, i, {}, {}});
        });

    std::vector<std::uint64_t> next(Producers, 0);
    std::size_t received = 0;
    // The deadline only guards against a hang; a lost wake-up would show as one.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (received < Producers * ItemsEach && std::chrono::steady_clock::now() < deadline)
    {
        for (const Incoming& item : queue.WaitAndTakeAll(deadline))
        {
            ASSERT_LT(item.keyboard, Producers);
            ASSERT_EQ(item.generation, next[item.keyboard]++) << "producer " << item.keyboard;
            ++received;
        }
    }
    for (std::thread& producer : producers)
        producer.join();
    EXPECT_EQ(received, Producers * ItemsEach);
}

} // namespace
} // namespace NorvikSim
