// What a notification costs: a synchronous send to 1, 8 and 64 clients, and the road
// from a posting thread to dispatch on the draining thread.
#include "Notification/NotificationQueue.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

using namespace KV;

class CountingClient : public LNotificationClient
{
public:
    KVRESULT Receive(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&) override
    {
        mReceived.fetch_add(1, std::memory_order_relaxed);
        return S_OK;
    }
    std::atomic<int64_t> mReceived{0};
};

class Sender : public LNotificationDistributor
{
};

void SendToClients(benchmark::State& state)
{
    RCPtr<Sender> sender(new Sender());
    std::vector<RCPtr<CountingClient>> clients;
    for (int i = 0; i < state.range(0); ++i)
    {
        clients.emplace_back(new CountingClient());
        clients.back()->RegisterNotification(sender, u"NID_VALUE_CHANGE");
    }
    auto notification = LNotification::Create(u"NID_VALUE_CHANGE");
    for (auto _ : state)
        sender->SendNotification(notification);
    state.SetItemsProcessed(state.iterations() * state.range(0));
    for (auto& client : clients)
        client->UnregisterAllNotifications();
}
BENCHMARK(SendToClients)->Arg(1)->Arg(8)->Arg(64);

// One thread posts as fast as it can; this thread drains. Items = notifications
// dispatched on the draining thread.
void PostToDrainingThread(benchmark::State& state)
{
    LNotification::EnableRecycling(state.range(0) != 0);
    RCPtr<Sender> dispatcher(new Sender());
    RCPtr<LNotificationQueue> queue(new LNotificationQueue());
    queue->SetDispatcher(dispatcher);
    RCPtr<CountingClient> client(new CountingClient());
    client->RegisterNotification(dispatcher, u"NID_FIRMWARE_UPDATE_PROGRESS");

    constexpr int64_t kBatch = 10000;
    for (auto _ : state)
    {
        const int64_t target = client->mReceived.load() + kBatch;
        std::thread poster([&] {
            for (int64_t i = 0; i < kBatch; ++i)
                queue->PostNotification(LNotification::Create(u"NID_FIRMWARE_UPDATE_PROGRESS"));
        });
        while (client->mReceived.load() < target)
            queue->ProcessNotifications(false);
        poster.join();
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
    client->UnregisterAllNotifications();
    queue->Shutdown();
    LNotification::EnableRecycling(false);
}
BENCHMARK(PostToDrainingThread)->ArgName("recycling")->Arg(0)->Arg(1)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
