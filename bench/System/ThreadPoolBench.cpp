// The thread pool: the latency from QueueWork to the job starting on an idle pool, and
// the jobs per second that pass through a pool of one worker.

#include "System/ThreadPool.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using namespace KV;
using Clock = std::chrono::steady_clock;

// Notes when it started and counts its runs; signals `started` on every run.
class ProbeWorker : public LThreadWorker
{
public:
    int DoWork(RCPtr<LRefCountedObject>&) override
    {
        startedAt.store(Clock::now().time_since_epoch().count());
        runs.fetch_add(1);
        started.Set();
        return 0;
    }

    std::atomic<Clock::rep> startedAt{0};
    std::atomic<int64_t> runs{0};
    Event started{true};
};

void BM_ThreadPoolStartLatency(benchmark::State& state)
{
    RCPtr<LThreadPool> pool = LThreadPool::Create(1, THREAD_PRIORITY_NORMAL);
    RCPtr<ProbeWorker> worker(new ProbeWorker);
    const RCPtr<LRefCountedObject> none;
    for (auto _ : state)
    {
        // Let the worker finish its previous run, so the job meets an idle pool.
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        const Clock::time_point queued = Clock::now();
        pool->QueueWork(worker, none, THREAD_PRIORITY_NORMAL);
        worker->started.Wait(INFINITE_WAIT);
        const Clock::time_point started{Clock::duration(worker->startedAt.load())};
        state.SetIterationTime(std::chrono::duration<double>(started - queued).count());
    }
    pool->Shutdown();
}
BENCHMARK(BM_ThreadPoolStartLatency)->UseManualTime();

void BM_ThreadPoolOneWorkerThroughput(benchmark::State& state)
{
    const int64_t jobs = state.range(0);
    RCPtr<LThreadPool> pool = LThreadPool::Create(1, THREAD_PRIORITY_NORMAL);
    RCPtr<ProbeWorker> worker(new ProbeWorker);
    const RCPtr<LRefCountedObject> none;
    for (auto _ : state)
    {
        const int64_t target = worker->runs.load() + jobs;
        for (int64_t i = 0; i < jobs; ++i)
            pool->QueueWork(worker, none, THREAD_PRIORITY_NORMAL);
        while (worker->runs.load() < target)
            worker->started.Wait(INFINITE_WAIT);
    }
    pool->Shutdown();
    state.SetItemsProcessed(state.iterations() * jobs);
}
BENCHMARK(BM_ThreadPoolOneWorkerThroughput)->Arg(1000)->UseRealTime();

} // namespace
