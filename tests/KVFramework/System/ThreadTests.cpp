#include "System/Event.h"
#include "System/Thread.h"

#include "WaitUntil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <iterator>
#include <memory>
#include <vector>

namespace KV {
namespace {

using Testing::WaitUntil;

struct Job
{
    std::atomic<int> runs{0};
    void* seenParameter = nullptr;
    TrafficLight go;   // the routine waits for it when `gated`
    TrafficLight done; // set as the routine's last step
    bool gated = false;

    static uint32_t Run(void* parameter)
    {
        auto* job = static_cast<Job*>(parameter);
        job->seenParameter = parameter;
        ++job->runs;
        if (job->gated)
            job->go.Wait(INFINITE_WAIT);
        job->done.Set();
        return 0;
    }
};

long ThreadsOfThisProcess()
{
    const std::filesystem::directory_iterator tasks("/proc/self/task");
    return std::distance(begin(tasks), end(tasks));
}

TEST(ThreadTest, RunsOnlyAfterResume)
{
    Job job;
    job.gated = true;
    Thread thread(&Job::Run, &job);
    EXPECT_FALSE(thread.IsFinished());
    EXPECT_FALSE(thread.Wait(20));
    EXPECT_EQ(job.runs, 0);

    EXPECT_EQ(thread.Resume(), 1u);
    EXPECT_EQ(thread.Resume(), 0u);
    ASSERT_TRUE(WaitUntil([&] { return job.runs == 1; }));
    EXPECT_FALSE(thread.IsFinished());

    job.go.Set();
    EXPECT_TRUE(thread.Wait(INFINITE_WAIT));
    EXPECT_TRUE(thread.IsFinished());
    EXPECT_EQ(job.seenParameter, &job);
    EXPECT_EQ(job.runs, 1);
}

TEST(ThreadTest, DestroyingTheObjectLeavesARunningThreadRunning)
{
    Job job;
    job.gated = true;
    auto thread = std::make_unique<Thread>(&Job::Run, &job);
    thread->Resume();
    ASSERT_TRUE(WaitUntil([&] { return job.runs == 1; }));
    thread.reset();
    job.go.Set();
    EXPECT_EQ(job.done.Wait(20000), WAIT_OBJECT_0);
}

// A thread whose object goes away before Resume ends without running its routine,
// instead of waiting for a Resume that can no longer come.
TEST(ThreadTest, NeverResumedThreadEndsWithItsObject)
{
    // Threads of earlier tests may still be on their way out: that only lowers the count.
    const long before = ThreadsOfThisProcess();
    Job job;
    {
        std::vector<std::unique_ptr<Thread>> threads;
        for (int i = 0; i < 4; ++i)
            threads.push_back(std::make_unique<Thread>(&Job::Run, &job));
    }
    EXPECT_TRUE(WaitUntil([&] { return ThreadsOfThisProcess() <= before; }));
    EXPECT_EQ(job.runs, 0);
}

TEST(ThreadTest, AcceptsOnlyThreadPriorityValues)
{
    Job job;
    Thread thread(&Job::Run, &job);
    for (const int priority :
         {THREAD_PRIORITY_IDLE, THREAD_PRIORITY_LOWEST, THREAD_PRIORITY_BELOW_NORMAL, THREAD_PRIORITY_NORMAL,
          THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_HIGHEST, THREAD_PRIORITY_TIME_CRITICAL})
        EXPECT_TRUE(thread.SetPriority(priority)) << priority;
    for (const int priority : {-16, -3, 3, 14, 16})
        EXPECT_FALSE(thread.SetPriority(priority)) << priority;
    EXPECT_TRUE(thread.SetPriorityBoost(false));

    thread.SetPriority(THREAD_PRIORITY_BELOW_NORMAL);
    thread.Resume();
    EXPECT_TRUE(thread.SetPriority(THREAD_PRIORITY_NORMAL));
    EXPECT_TRUE(thread.Wait(INFINITE_WAIT));
    EXPECT_EQ(job.runs, 1);
}

} // namespace
} // namespace KV
