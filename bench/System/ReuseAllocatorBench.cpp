// ReuseAllocator against the run-time heap, for a small object: one iteration makes a
// batch of `range(0)` objects and frees them again.

#include "Storage/ReuseAllocator.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

namespace {

struct Job
{
    void* worker;
    void* parameters;
    int priority;
};

void BM_MallocFree(benchmark::State& state)
{
    std::vector<void*> blocks(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state)
    {
        for (void*& block : blocks)
            block = std::malloc(sizeof(Job));
        benchmark::DoNotOptimize(blocks.data());
        for (void* block : blocks)
            std::free(block);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_MallocFree)->Arg(1)->Arg(64);

void BM_ReuseAllocator(benchmark::State& state, bool withLock)
{
    KV::ReuseAllocator<Job, 16> pool(withLock);
    std::vector<void*> blocks(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state)
    {
        for (void*& block : blocks)
            block = pool.Allocate(sizeof(Job));
        benchmark::DoNotOptimize(blocks.data());
        for (void* block : blocks)
            pool.Free(block, sizeof(Job));
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK_CAPTURE(BM_ReuseAllocator, unlocked, false)->Arg(1)->Arg(64);
BENCHMARK_CAPTURE(BM_ReuseAllocator, locked, true)->Arg(1)->Arg(64);

} // namespace
