#include "System/RetriggerableThreader.h"
#include "System/ThreadPool.h"

#include "ObjectBase/Holder.h"
#include "WaitUntil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <algorithm>
#include <mutex>
#include <numeric>
#include <thread>
#include <vector>

namespace KV {
namespace {

using Testing::WaitUntil;

// The order in which jobs started, each job's parameter being an LHolder<int> label.
class StartLog
{
public:
    void Add(int label)
    {
        std::lock_guard lock(mLock);
        mLabels.push_back(label);
    }
    std::vector<int> Labels() const
    {
        std::lock_guard lock(mLock);
        return mLabels;
    }
    std::size_t Count() const { return Labels().size(); }

private:
    mutable std::mutex mLock;
    std::vector<int> mLabels;
};

// Logs its parameter's label; holds the thread while `gate` is closed.
class LoggingWorker : public LThreadWorker
{
public:
    static RCPtr<LoggingWorker> Create(StartLog& log) { return RCPtr<LoggingWorker>(new LoggingWorker(log)); }

    int DoWork(RCPtr<LRefCountedObject>& parameters) override
    {
        const auto label = RCPtr<LHolder<int>>::DynamicCastFrom(parameters);
        mLog.Add(label ? label->Value() : -1);
        started.Set();
        gate.Wait(INFINITE_WAIT);
        return 0;
    }

    TrafficLight gate;
    Event started{true};

private:
    explicit LoggingWorker(StartLog& log) : mLog(log) { gate.Set(); }
    StartLog& mLog;
};

RCPtr<LRefCountedObject> Label(int value)
{
    return LHolder<int>::Create(value);
}

TEST(RetriggerableThreaderTest, RunsOneJobAtATimeAndSignalsWhenIdle)
{
    StartLog log;
    RCPtr<LoggingWorker> worker = LoggingWorker::Create(log);
    worker->gate.Reset();
    RCPtr<LEvent> done = LEvent::Create();
    RetriggerableThreader threader(u"worker");
    EXPECT_EQ(threader.ToString(), u"worker");

    ASSERT_EQ(threader.Trigger(worker, Label(1), done, THREAD_PRIORITY_HIGHEST), S_OK);
    ASSERT_EQ(worker->started.Wait(20000), WAIT_OBJECT_0);
    EXPECT_TRUE(threader.IsBusy());
    // A busy threader refuses, and its running job keeps its parameters.
    EXPECT_EQ(threader.Trigger(worker, Label(2), done, THREAD_PRIORITY_NORMAL), E_FAIL);

    std::atomic<bool> busyWhenDone{true};
    std::thread waiter([&] {
        done->Wait(INFINITE_WAIT);
        busyWhenDone = threader.IsBusy();
    });
    worker->gate.Set();
    waiter.join();
    EXPECT_FALSE(busyWhenDone);
    EXPECT_EQ(log.Labels(), std::vector<int>{1});

    ASSERT_EQ(threader.Trigger(worker, Label(3), done, THREAD_PRIORITY_NORMAL), S_OK);
    EXPECT_EQ(done->Wait(20000), WAIT_OBJECT_0);
    EXPECT_EQ(log.Labels(), (std::vector<int>{1, 3}));
    // The threader keeps no reference to the job once the run has ended.
    EXPECT_EQ(worker->GetRefCount(), 1);
}

TEST(RetriggerableThreaderTest, StoppedThreaderRefusesAndRunsNothing)
{
    StartLog log;
    RCPtr<LEvent> done = LEvent::Create();
    {
        RetriggerableThreader idle;
    } // ends its thread without running anything
    RetriggerableThreader threader;
    EXPECT_TRUE(threader.Stop(20000));
    EXPECT_EQ(threader.Trigger(LoggingWorker::Create(log), Label(1), done, THREAD_PRIORITY_NORMAL), E_FAIL);
    EXPECT_FALSE(threader.IsBusy());
    EXPECT_EQ(log.Count(), 0u);
}

// Queues jobs behind one that holds the pool's only worker.
class OneWorkerPoolTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        blocker = LoggingWorker::Create(log);
        blocker->gate.Reset();
        pool->QueueWork(blocker, Label(100), THREAD_PRIORITY_NORMAL);
        ASSERT_EQ(blocker->started.Wait(20000), WAIT_OBJECT_0);
    }
    void TearDown() override
    {
        blocker->gate.Set();
        pool->Shutdown();
    }

    StartLog log;
    RCPtr<LoggingWorker> blocker;
    RCPtr<LoggingWorker> worker = LoggingWorker::Create(log);
    RCPtr<LThreadPool> pool = LThreadPool::Create(1, THREAD_PRIORITY_HIGHEST);
};

TEST_F(OneWorkerPoolTest, HighestPriorityFirstThenOldestFirst)
{
    const int priorities[] = {0, 2, 0, 2, -1, 1};
    for (int i = 0; i < 6; ++i)
        pool->QueueWork(worker, Label(i), priorities[i]);
    blocker->gate.Set();
    ASSERT_TRUE(WaitUntil([&] { return log.Count() == 7; }));
    EXPECT_EQ(log.Labels(), (std::vector<int>{100, 1, 3, 5, 0, 2, 4}));
}

// With one worker, a job queued while others wait never starts before them, even when
// the worker has just become free.
TEST_F(OneWorkerPoolTest, LaterJobNeverOvertakes)
{
    for (int i = 0; i < 50; ++i)
    {
        pool->QueueWork(worker, Label(i), THREAD_PRIORITY_NORMAL);
        if (i == 10)
            blocker->gate.Set();
    }
    ASSERT_TRUE(WaitUntil([&] { return log.Count() == 51; }));
    std::vector<int> expected{100};
    for (int i = 0; i < 50; ++i)
        expected.push_back(i);
    EXPECT_EQ(log.Labels(), expected);
}

TEST_F(OneWorkerPoolTest, NothingRunsAfterShutdown)
{
    std::vector<RCPtr<LRefCountedObject>> labels;
    for (int i = 0; i < 3; ++i)
    {
        labels.push_back(Label(i));
        pool->QueueWork(worker, labels.back(), THREAD_PRIORITY_NORMAL);
    }
    // Shutdown waits for the running job, so it runs beside the test.
    std::thread shutdown([&] { pool->Shutdown(); });
    // The pending jobs are dropped, releasing their parameters, before the blocker ends.
    ASSERT_TRUE(WaitUntil([&] {
        for (const auto& label : labels)
            if (label->GetRefCount() != 1)
                return false;
        return true;
    }));
    blocker->gate.Set();
    shutdown.join();
    pool->QueueWork(worker, Label(7), THREAD_PRIORITY_NORMAL);
    EXPECT_EQ(log.Labels(), std::vector<int>{100});
    EXPECT_EQ(worker->GetRefCount(), 1);
}

TEST(ThreadPoolTest, NeedsAtLeastOneWorker)
{
    // A pool without workers would drop every job it is given.
    for (const int workers : {0, -1})
        EXPECT_THROW(LThreadPool::Create(workers, THREAD_PRIORITY_NORMAL), std::invalid_argument) << workers;
}

// Four threads queue 250 jobs each on a pool of three workers: every job runs once.
TEST(ThreadPoolTest, JobsFromFourThreadsEachRunOnce)
{
    constexpr int Threads = 4;
    constexpr int JobsPerThread = 250;
    StartLog log;
    RCPtr<LoggingWorker> worker = LoggingWorker::Create(log);
    RCPtr<LThreadPool> pool = LThreadPool::Create(3, THREAD_PRIORITY_NORMAL);
    std::vector<std::thread> producers;
    for (int t = 0; t < Threads; ++t)
        producers.emplace_back([&, t] {
            for (int i = 0; i < JobsPerThread; ++i)
                pool->QueueWork(worker, Label(t * JobsPerThread + i), i % 3 - 1);
        });
    for (std::thread& producer : producers)
        producer.join();
    ASSERT_TRUE(WaitUntil([&] { return log.Count() >= Threads * JobsPerThread; }));
    pool->Shutdown();
    std::vector<int> labels = log.Labels();
    std::sort(labels.begin(), labels.end());
    std::vector<int> expected(Threads * JobsPerThread);
    std::iota(expected.begin(), expected.end(), 0);
    EXPECT_EQ(labels, expected);
}

// A job that drops the last reference to its own pool: the pool shuts down from inside
// the job, without waiting on the thread it runs on, and nothing touches freed memory.
class PoolDroppingWorker : public LThreadWorker
{
public:
    int DoWork(RCPtr<LRefCountedObject>& parameters) override
    {
        // The parameters hold the last reference to the pool.
        RCPtr<LThreadPool>::DynamicCastFrom(parameters)->Shutdown();
        parameters.Reset();
        dropped.Set();
        return 0;
    }
    TrafficLight dropped;
};

TEST(ThreadPoolTest, PoolReleasedFromInsideItsOwnJob)
{
    RCPtr<PoolDroppingWorker> worker(new PoolDroppingWorker);
    {
        RCPtr<LThreadPool> pool = LThreadPool::Create(2, THREAD_PRIORITY_NORMAL);
        pool->QueueWork(worker, pool, THREAD_PRIORITY_NORMAL);
    }
    // Well within the time a wait on the job's own thread would take.
    EXPECT_EQ(worker->dropped.Wait(30000), WAIT_OBJECT_0);
}

} // namespace
} // namespace KV
