#include "System/Event.h"

#include "WaitUntil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace KV {
namespace {

using Testing::WaitUntil;

enum class Kind
{
    AutoEvent,
    ManualEvent,
    TrafficLight,
    LEvent
};

const char* KindName(Kind kind)
{
    switch (kind)
    {
    case Kind::AutoEvent:
        return "Event(auto)";
    case Kind::ManualEvent:
        return "Event(manual)";
    case Kind::TrafficLight:
        return "TrafficLight";
    case Kind::LEvent:
        return "LEvent";
    }
    return "?";
}

// One event of any of the four kinds, reached through the operations they share.
class AnyEvent
{
public:
    explicit AnyEvent(Kind kind)
    {
        switch (kind)
        {
        case Kind::AutoEvent:
            mOwned = std::make_unique<Event>(true);
            break;
        case Kind::ManualEvent:
            mOwned = std::make_unique<Event>(false);
            break;
        case Kind::TrafficLight:
            mOwned = std::make_unique<TrafficLight>();
            break;
        case Kind::LEvent:
            mShared = LEvent::Create();
            break;
        }
    }
    EventOperations& operator*() { return mOwned ? static_cast<EventOperations&>(*mOwned) : *mShared; }
    EventOperations* operator->() { return &**this; }

private:
    std::unique_ptr<Event> mOwned;
    RCPtr<LEvent> mShared;
};

enum class Op
{
    Wait0,
    IsSet,
    Set,
    Reset
};

struct EventCase
{
    bool autoReset;
    bool signalled;
    Op op;
    uint32_t result; // Wait's result, or the bool of the others
    bool signalledAfter;
};

// Every operation on every kind, from both states: what it answers and what it leaves.
TEST(EventTest, OperationsByKindAndState)
{
    const EventCase cases[] = {
        // auto-reset: a successful wait or IsSet consumes the signal
        {true, false, Op::Wait0, WAIT_TIMEOUT, false},
        {true, true, Op::Wait0, WAIT_OBJECT_0, false},
        {true, false, Op::IsSet, false, false},
        {true, true, Op::IsSet, true, false},
        {true, false, Op::Set, true, true},
        {true, true, Op::Set, true, true},
        {true, false, Op::Reset, true, false},
        {true, true, Op::Reset, true, false},
        // manual reset: only Reset clears it
        {false, false, Op::Wait0, WAIT_TIMEOUT, false},
        {false, true, Op::Wait0, WAIT_OBJECT_0, true},
        {false, false, Op::IsSet, false, false},
        {false, true, Op::IsSet, true, true},
        {false, false, Op::Set, true, true},
        {false, true, Op::Set, true, true},
        {false, false, Op::Reset, true, false},
        {false, true, Op::Reset, true, false},
    };
    for (const Kind kind : {Kind::AutoEvent, Kind::ManualEvent, Kind::TrafficLight, Kind::LEvent})
    {
        const bool autoReset = kind == Kind::AutoEvent || kind == Kind::LEvent;
        for (const EventCase& c : cases)
        {
            if (c.autoReset != autoReset)
                continue;
            SCOPED_TRACE(std::string(KindName(kind)) + " signalled=" + std::to_string(c.signalled) +
                         " op=" + std::to_string(static_cast<int>(c.op)));
            AnyEvent event(kind);
            if (c.signalled)
                event->Set();
            uint32_t result = 0;
            switch (c.op)
            {
            case Op::Wait0:
                result = event->Wait(0);
                break;
            case Op::IsSet:
                result = event->IsSet();
                break;
            case Op::Set:
                result = event->Set();
                break;
            case Op::Reset:
                result = event->Reset();
                break;
            }
            EXPECT_EQ(result, c.result);
            EXPECT_EQ(event->Wait(0) == WAIT_OBJECT_0, c.signalledAfter);
            EXPECT_FALSE(event->HasWaiters());
        }
    }
}

TEST(EventTest, HasWaitersOnlyWhileAnotherThreadIsBlocked)
{
    TrafficLight light;
    EXPECT_FALSE(light.HasWaiters());
    std::atomic<uint32_t> result{1};
    std::atomic<bool> waiterSawWaiters{true};
    std::thread waiter([&] {
        result = light.Wait(INFINITE_WAIT);
        waiterSawWaiters = light.HasWaiters();
    });
    ASSERT_TRUE(WaitUntil([&] { return light.HasWaiters(); }));
    light.Set();
    waiter.join();
    EXPECT_EQ(result, WAIT_OBJECT_0);
    EXPECT_FALSE(waiterSawWaiters);
    EXPECT_FALSE(light.HasWaiters());
}

TEST(EventTest, TimeOutLastsAtLeastItsMilliseconds)
{
    using Clock = std::chrono::steady_clock;
    for (const Milliseconds ms : {1u, 30u, 100u})
    {
        SCOPED_TRACE(ms);
        Event event(true);
        auto start = Clock::now();
        EXPECT_EQ(event.Wait(ms), WAIT_TIMEOUT);
        EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(ms));

        EventPool pool(3);
        start = Clock::now();
        EXPECT_EQ(pool.WaitForAny(ms), -1);
        EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(ms));
    }
}

// Each Set of an auto-reset event releases one waiter; a manual-reset one releases all.
TEST(EventTest, SetReleasesOneWaiterOrAll)
{
    constexpr int Waiters = 4;
    for (const bool autoReset : {true, false})
    {
        SCOPED_TRACE(autoReset);
        Event event(autoReset);
        std::atomic<int> released{0};
        std::vector<std::thread> threads;
        for (int i = 0; i < Waiters; ++i)
            threads.emplace_back([&] {
                if (event.Wait(INFINITE_WAIT) == WAIT_OBJECT_0)
                    ++released;
            });
        if (autoReset)
        {
            for (int i = 1; i <= Waiters; ++i)
            {
                event.Set();
                ASSERT_TRUE(WaitUntil([&] { return released.load() >= i; }));
            }
        }
        else
        {
            event.Set();
        }
        for (std::thread& thread : threads)
            thread.join();
        EXPECT_EQ(released, Waiters);
        EXPECT_EQ(event.IsSet(), !autoReset);
    }
}

TEST(EventPoolTest, LowestSignalledWinsAndOnlyItIsConsumed)
{
    EventPool pool(5);
    ASSERT_EQ(pool.GetCount(), 5u);
    pool.GetEvent(3)->Set();
    pool.GetEvent(1)->Set();
    EXPECT_EQ(pool.WaitForAny(0), 1);
    EXPECT_FALSE(pool.GetEvent(1)->IsSet());
    EXPECT_EQ(pool.WaitForAny(INFINITE_WAIT), 3);
    EXPECT_EQ(pool.WaitForAny(0), -1);
}

// Far more events than the old limit of 64, and indexes that could be mistaken for the
// time-out result (258) if the two were not kept apart.
TEST(EventPoolTest, WaitsOnAnyNumberOfEvents)
{
    EventPool pool(300);
    pool.GetEvent(258)->Set();
    EXPECT_EQ(pool.WaitForAny(0), 258);

    for (const int index : {99, 0, 299})
    {
        SCOPED_TRACE(index);
        std::thread setter([&] {
            // Most likely after the wait has blocked; the result is the same either way.
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            pool.GetEvent(index)->Set();
        });
        EXPECT_EQ(pool.WaitForAny(INFINITE_WAIT), index);
        setter.join();
    }
}

TEST(EventPoolTest, EmptyPoolFails)
{
    EventPool pool(0);
    EXPECT_EQ(pool.WaitForAny(INFINITE_WAIT), -1);
}

// A producer signals random events one at a time; the waiter must name each one.
TEST(EventPoolTest, HandshakeAcrossThreads)
{
    constexpr int Rounds = 1000;
    EventPool pool(8);
    Event ack(true);
    std::vector<int> sent;
    std::vector<int> received;
    std::thread consumer([&] {
        for (int i = 0; i < Rounds; ++i)
        {
            received.push_back(pool.WaitForAny(INFINITE_WAIT));
            ack.Set();
        }
    });
    std::mt19937 random(7);
    for (int i = 0; i < Rounds; ++i)
    {
        const int index = static_cast<int>(random() % pool.GetCount());
        sent.push_back(index);
        pool.GetEvent(index)->Set();
        ASSERT_EQ(ack.Wait(INFINITE_WAIT), WAIT_OBJECT_0);
    }
    consumer.join();
    EXPECT_EQ(received, sent);
}

} // namespace
} // namespace KV
