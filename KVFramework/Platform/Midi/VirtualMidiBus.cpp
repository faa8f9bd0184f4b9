#include "Platform/Midi/VirtualMidiBus.h"

#include "Platform/Midi/MidiDeviceCore.h"
#include "Platform/Midi/MidiDeviceWatchers.h"

#include <algorithm>
#include <map>

namespace KV::Platform {

namespace {

class VirtualInDevice;

struct Endpoint
{
    VirtualDeviceId id = 0;
    std::string name;
    bool source = false;
    bool plugged = true;
    std::shared_ptr<const VirtualMidiBus::SinkHandler> handler;
    bool refuseOpen = false;
    // Read by open devices under their own locks, hence not guarded by the bus's.
    std::atomic<bool> refuseStart{false};
    std::atomic<bool> withholdCompletion{false};
    VirtualDeviceStats stats;
    std::vector<VirtualInDevice*> inputs; // open inputs of a source
};

} // namespace

// Lock order: the bus's mutex before a device's; a device never takes the bus's
// mutex while it holds its own.
struct VirtualMidiBus::Impl
{
    mutable std::mutex mutex;
    std::map<VirtualDeviceId, std::shared_ptr<Endpoint>> endpoints;
    std::vector<VirtualDeviceId> order; // plugged devices, oldest first
    std::vector<VirtualDeviceId> inputListing, outputListing;
    VirtualDeviceId nextId = 1;
    const std::shared_ptr<MidiCallbackThread> thread = std::make_shared<MidiCallbackThread>();
    MidiDeviceWatchers watchers; // told on the thread that adds or unplugs, after the bus's lock

    std::shared_ptr<Endpoint> Find(VirtualDeviceId id) const
    {
        const auto it = endpoints.find(id);
        return it == endpoints.end() ? nullptr : it->second;
    }

    VirtualDeviceId Add(std::string name, bool source, SinkHandler handler)
    {
        auto endpoint = std::make_shared<Endpoint>();
        endpoint->name = std::move(name);
        endpoint->source = source;
        endpoint->handler = std::make_shared<const SinkHandler>(std::move(handler));
        VirtualDeviceId id = 0;
        {
            std::lock_guard lock(mutex);
            id = endpoint->id = nextId++;
            endpoints[id] = endpoint;
            order.push_back(id);
        }
        watchers.Notify();
        return id;
    }

    std::vector<std::string> List(bool sources, std::vector<VirtualDeviceId>& listing)
    {
        std::lock_guard lock(mutex);
        listing.clear();
        std::vector<std::string> names;
        for (VirtualDeviceId id : order)
        {
            const auto& endpoint = endpoints.at(id);
            if (endpoint->source == sources)
            {
                listing.push_back(id);
                names.push_back(endpoint->name);
            }
        }
        return names;
    }

    // The device behind a number of the last listing, counted as opened; or the reason it cannot be.
    MidiResult Claim(uint32_t id, const std::vector<VirtualDeviceId>& listing, std::shared_ptr<Endpoint>& out)
    {
        if (id >= listing.size())
            return MidiResult::BadDeviceId;
        out = Find(listing[id]);
        if (!out || !out->plugged)
            return MidiResult::BadDeviceId;
        if (out->refuseOpen)
            return MidiResult::Allocated;
        ++out->stats.opens;
        ++out->stats.openNow;
        return MidiResult::Ok;
    }

    bool IsUnplugged(const Endpoint& endpoint) const
    {
        std::lock_guard lock(mutex);
        return !endpoint.plugged;
    }

    void Closed(Endpoint& endpoint)
    {
        std::lock_guard lock(mutex);
        --endpoint.stats.openNow;
        ++endpoint.stats.closes;
    }
};

namespace {

class VirtualInDevice final : public MidiInputCore
{
public:
    VirtualInDevice(std::shared_ptr<VirtualMidiBus::Impl> bus, std::shared_ptr<Endpoint> endpoint,
                    MidiInCallback callback)
        : MidiInputCore(endpoint->name, std::move(callback), bus->thread), mBus(std::move(bus)),
          mEndpoint(std::move(endpoint))
    {
        Register();
    }

    ~VirtualInDevice() override { Close(); }

    bool IsGone() const override { return mBus->IsUnplugged(*mEndpoint); }

    // Called with the bus's mutex held.
    void Deliver(std::vector<uint8_t> bytes, std::optional<uint32_t> timestampMs, bool longError)
    {
        Receive(std::move(bytes), timestampMs, longError);
    }

    bool Started() const { return IsStarted(); }

private:
    MidiResult OnStart() override
    {
        return mEndpoint->refuseStart.load() ? MidiResult::Error : MidiResult::Ok;
    }

    void OnClose() override
    {
        {
            std::lock_guard lock(mBus->mutex);
            auto& inputs = mEndpoint->inputs;
            inputs.erase(std::remove(inputs.begin(), inputs.end(), this), inputs.end());
        }
        mBus->Closed(*mEndpoint);
    }

    const std::shared_ptr<VirtualMidiBus::Impl> mBus;
    const std::shared_ptr<Endpoint> mEndpoint;
};

class VirtualOutDevice final : public MidiOutputCore
{
public:
    VirtualOutDevice(std::shared_ptr<VirtualMidiBus::Impl> bus, std::shared_ptr<Endpoint> endpoint,
                     MidiOutCallback callback)
        : MidiOutputCore(endpoint->name, std::move(callback), bus->thread), mBus(std::move(bus)),
          mEndpoint(std::move(endpoint))
    {
        Register();
    }

    ~VirtualOutDevice() override { Close(); }

    bool IsGone() const override { return mBus->IsUnplugged(*mEndpoint); }

private:
    MidiResult Transmit(const std::vector<uint8_t>& message) override
    {
        std::shared_ptr<const VirtualMidiBus::SinkHandler> handler;
        {
            std::lock_guard lock(mBus->mutex);
            if (!mEndpoint->plugged)
                return MidiResult::NoDriver;
            handler = mEndpoint->handler;
        }
        if (*handler)
            (*handler)(message);
        return MidiResult::Ok;
    }

    bool WithholdsCompletion() override { return mEndpoint->withholdCompletion.load(); }

    void OnClose() override { mBus->Closed(*mEndpoint); }

    const std::shared_ptr<VirtualMidiBus::Impl> mBus;
    const std::shared_ptr<Endpoint> mEndpoint;
};

} // namespace

VirtualMidiBus::VirtualMidiBus() : mImpl(std::make_shared<Impl>()) {}

VirtualMidiBus::~VirtualMidiBus() = default;

VirtualDeviceId VirtualMidiBus::AddSource(std::string name)
{
    return mImpl->Add(std::move(name), true, nullptr);
}

VirtualDeviceId VirtualMidiBus::AddSink(std::string name, SinkHandler handler)
{
    return mImpl->Add(std::move(name), false, std::move(handler));
}

void VirtualMidiBus::Unplug(VirtualDeviceId device)
{
    {
        std::lock_guard lock(mImpl->mutex);
        const auto endpoint = mImpl->Find(device);
        if (!endpoint || !endpoint->plugged)
            return;
        endpoint->plugged = false;
        auto& order = mImpl->order;
        order.erase(std::remove(order.begin(), order.end(), device), order.end());
    }
    mImpl->watchers.Notify();
}

std::shared_ptr<void> VirtualMidiBus::WatchDevices(MidiDevicesChangedCallback callback)
{
    return mImpl->watchers.Add(std::move(callback));
}

void VirtualMidiBus::SetFaults(VirtualDeviceId device, const VirtualMidiFaults& faults)
{
    std::lock_guard lock(mImpl->mutex);
    if (const auto endpoint = mImpl->Find(device))
    {
        endpoint->refuseOpen = faults.refuseOpen;
        endpoint->refuseStart = faults.refuseStart;
        endpoint->withholdCompletion = faults.withholdCompletion;
    }
}

VirtualDeviceStats VirtualMidiBus::Stats(VirtualDeviceId device) const
{
    std::lock_guard lock(mImpl->mutex);
    const auto endpoint = mImpl->Find(device);
    return endpoint ? endpoint->stats : VirtualDeviceStats{};
}

namespace {

size_t DeliverToInputs(VirtualMidiBus::Impl& bus, VirtualDeviceId source, std::vector<uint8_t> bytes,
                       std::optional<uint32_t> timestampMs, bool longError)
{
    std::lock_guard lock(bus.mutex);
    const auto endpoint = bus.Find(source);
    if (!endpoint || !endpoint->source || !endpoint->plugged)
        return 0;
    size_t reached = 0;
    for (VirtualInDevice* input : endpoint->inputs)
    {
        if (!input->Started())
            continue;
        input->Deliver(bytes, timestampMs, longError);
        ++reached;
    }
    return reached;
}

} // namespace

size_t VirtualMidiBus::Inject(VirtualDeviceId source, std::vector<uint8_t> message,
                              std::optional<uint32_t> timestampMs)
{
    return DeliverToInputs(*mImpl, source, std::move(message), timestampMs, false);
}

size_t VirtualMidiBus::InjectLongError(VirtualDeviceId source, std::vector<uint8_t> bytes)
{
    return DeliverToInputs(*mImpl, source, std::move(bytes), std::nullopt, true);
}

std::vector<std::string> VirtualMidiBus::ListInputs()
{
    return mImpl->List(true, mImpl->inputListing);
}

std::vector<std::string> VirtualMidiBus::ListOutputs()
{
    return mImpl->List(false, mImpl->outputListing);
}

MidiResult VirtualMidiBus::OpenInput(uint32_t id, MidiInCallback callback,
                                     std::unique_ptr<IMidiInDevice>& device)
{
    device.reset();
    std::lock_guard lock(mImpl->mutex);
    std::shared_ptr<Endpoint> endpoint;
    if (const MidiResult r = mImpl->Claim(id, mImpl->inputListing, endpoint); r != MidiResult::Ok)
        return r;
    auto input = std::make_unique<VirtualInDevice>(mImpl, endpoint, std::move(callback));
    endpoint->inputs.push_back(input.get());
    device = std::move(input);
    return MidiResult::Ok;
}

MidiResult VirtualMidiBus::OpenOutput(uint32_t id, MidiOutCallback callback,
                                      std::unique_ptr<IMidiOutDevice>& device)
{
    device.reset();
    std::lock_guard lock(mImpl->mutex);
    std::shared_ptr<Endpoint> endpoint;
    if (const MidiResult r = mImpl->Claim(id, mImpl->outputListing, endpoint); r != MidiResult::Ok)
        return r;
    device = std::make_unique<VirtualOutDevice>(mImpl, endpoint, std::move(callback));
    return MidiResult::Ok;
}

} // namespace KV::Platform
