// RCPtr (intrusive count) against std::shared_ptr for the three operations that
// dominate their use: copying a pointer, assigning one, and dropping the last one.
#include "ObjectBase/RCPtr.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <thread>

namespace {

// std::shared_ptr skips its atomic operations while the process has never started a
// thread. The updater always runs several, so the comparison is made in that state.
const bool kProcessIsMultiThreaded = [] {
    std::thread([] {}).join();
    return true;
}();

struct Object : public virtual KV::LRefCountedObject
{
    int mValue = 0;
};

struct Plain
{
    int mValue = 0;
};

void RCPtrCopy(benchmark::State& state)
{
    KV::RCPtr<Object> source(new Object());
    for (auto _ : state)
    {
        KV::RCPtr<Object> copy = source;
        benchmark::DoNotOptimize(copy.Get());
    }
}

void SharedPtrCopy(benchmark::State& state)
{
    auto source = std::make_shared<Plain>();
    for (auto _ : state)
    {
        std::shared_ptr<Plain> copy = source;
        benchmark::DoNotOptimize(copy.get());
    }
}

void RCPtrAssign(benchmark::State& state)
{
    KV::RCPtr<Object> a(new Object()), b(new Object()), target;
    bool flip = false;
    for (auto _ : state)
    {
        target = (flip = !flip) ? a : b;
        benchmark::DoNotOptimize(target.Get());
    }
}

void SharedPtrAssign(benchmark::State& state)
{
    auto a = std::make_shared<Plain>(), b = std::make_shared<Plain>();
    std::shared_ptr<Plain> target;
    bool flip = false;
    for (auto _ : state)
    {
        target = (flip = !flip) ? a : b;
        benchmark::DoNotOptimize(target.get());
    }
}

// Creating an object and releasing its last reference (allocation included on both sides).
void RCPtrCreateRelease(benchmark::State& state)
{
    for (auto _ : state)
    {
        KV::RCPtr<Object> p(new Object());
        benchmark::DoNotOptimize(p.Get());
    }
}

void SharedPtrCreateRelease(benchmark::State& state)
{
    for (auto _ : state)
    {
        auto p = std::make_shared<Plain>();
        benchmark::DoNotOptimize(p.get());
    }
}

BENCHMARK(RCPtrCopy);
BENCHMARK(SharedPtrCopy);
BENCHMARK(RCPtrAssign);
BENCHMARK(SharedPtrAssign);
BENCHMARK(RCPtrCreateRelease);
BENCHMARK(SharedPtrCreateRelease);

} // namespace

BENCHMARK_MAIN();
