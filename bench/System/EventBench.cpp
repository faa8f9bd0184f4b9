// Set-to-wake latency of events between two threads: one thread sets an event that the
// other is blocked on, which answers on a second event. One iteration is one round trip,
// i.e. two set-to-wake hand-overs; "per_wake" is the time of one.

#include "System/Event.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <thread>

namespace {

using namespace KV;

// The answering thread blocks in waitPing, the measuring thread wakes it with setPing.
template <class WaitPing, class SetPing>
void RunRoundTrips(benchmark::State& state, WaitPing waitPing, SetPing setPing)
{
    Event pong(true);
    std::atomic<bool> stop{false};
    std::thread answerer([&] {
        for (;;)
        {
            waitPing();
            if (stop)
                return;
            pong.Set();
        }
    });
    for (auto _ : state)
    {
        setPing();
        pong.Wait(INFINITE_WAIT);
    }
    stop = true;
    setPing();
    answerer.join();
    state.counters["per_wake"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * 2,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_EventRoundTrip(benchmark::State& state)
{
    Event ping(true);
    RunRoundTrips(
        state, [&] { ping.Wait(INFINITE_WAIT); }, [&] { ping.Set(); });
}
BENCHMARK(BM_EventRoundTrip)->UseRealTime();

// The same through an EventPool of range(0) events; the highest one is set, so the
// wait looks through all of them.
void BM_EventPoolRoundTrip(benchmark::State& state)
{
    EventPool pool(static_cast<unsigned>(state.range(0)));
    RCPtr<LEvent> last = pool.GetEvent(static_cast<int>(pool.GetCount()) - 1);
    RunRoundTrips(
        state, [&] { pool.WaitForAny(INFINITE_WAIT); }, [&] { last->Set(); });
}
BENCHMARK(BM_EventPoolRoundTrip)->Arg(1)->Arg(8)->Arg(64)->UseRealTime();

} // namespace
