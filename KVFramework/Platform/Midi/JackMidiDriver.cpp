#include "Platform/Midi/JackMidiDriver.h"

#include "Platform/Midi/JackMidiClient.h"
#include "Platform/Midi/MidiDeviceCore.h"
#include "Platform/Midi/MidiDriverFactory.h"

#include "Platform/Midi/MidiDeviceWatchers.h"

#include <condition_variable>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <thread>
#include <utility>

namespace KV::Platform {

namespace {

// How often a driver whose server went away asks whether one is back.
constexpr auto RECONNECT_POLL = std::chrono::milliseconds(250);

// What a driver and its devices share: the process's client, connected anew when the
// server that shut it down is back, and the listener of its ports' changes.
struct JackDriverCore
{
    explicit JackDriverCore(MidiClientIdentity identity)
        : name(std::move(identity.name)), ports(identity.devicesEachWay)
    {
    }

    ~JackDriverCore()
    {
        {
            std::lock_guard lock(eventMutex);
            stopping = true;
        }
        event.notify_all();
        if (watcher.joinable())
            watcher.join();
        std::lock_guard lock(clientMutex);
        clientWatch.reset(); // before the client can go
    }

    const std::string name;
    const size_t ports; // each way
    const std::shared_ptr<MidiCallbackThread> thread = std::make_shared<MidiCallbackThread>();
    MidiDeviceWatchers watchers;

    // False with the reason in `error` when no server answers.
    bool Start(std::string& error)
    {
        std::shared_ptr<JackMidiClient> opened = JackMidiClient::Shared(name, ports, error);
        if (!opened)
            return false;
        Attach(std::move(opened));
        watcher = std::thread([this] { Watch(); });
        return true;
    }

    std::shared_ptr<JackMidiClient> Client()
    {
        std::lock_guard lock(clientMutex);
        return client;
    }

    std::vector<std::string> Relist(JackPortDirection direction)
    {
        const std::shared_ptr<JackMidiClient> current = Client();
        std::vector<ListedPort> listing;
        std::vector<std::string> names;
        for (std::string& port : current->ListPeers(direction))
        {
            std::string shown = ShownName(*current, port);
            names.push_back(shown);
            listing.push_back({std::move(shown), std::move(port)});
        }
        std::lock_guard lock(mutex);
        (direction == JackPortDirection::Input ? inputListing : outputListing) = std::move(listing);
        return names;
    }

    // The name the device was listed by and the port's own full name.
    std::optional<std::pair<std::string, std::string>> Listed(uint32_t id, JackPortDirection direction)
    {
        std::lock_guard lock(mutex);
        const auto& listing = direction == JackPortDirection::Input ? inputListing : outputListing;
        if (id >= listing.size())
            return std::nullopt;
        return std::make_pair(listing[id].shown, listing[id].port);
    }

    // Our port for the device, connected to it.
    MidiResult OpenPort(const std::string& device, JackPortDirection direction, JackInputListener* listener,
                        std::shared_ptr<JackMidiPort>& port)
    {
        const std::shared_ptr<JackMidiClient> current = Client();
        std::string error;
        port = current->TakePort(direction, listener, error);
        if (!port)
            return MidiResult::Allocated;
        if (!current->Connect(*port, device))
        {
            port->Close();
            port.reset();
            return current->Alive() ? MidiResult::BadDeviceId
                                    : MidiResult::NoDriver; // gone since the listing
        }
        return MidiResult::Ok;
    }

private:
    struct ListedPort
    {
        std::string shown; // the name the device is listed by
        std::string port;  // the port's full name, to connect to
    };

    // The server's own ALSA ports ("system:midi_capture_1") name no device; their alias
    // does ("Keys:midi/capture_1", "alsa_pcm:Keys/midi_capture_1"), and they are listed
    // by it, the first kind first. Every other port by its own name.
    static std::string ShownName(const JackMidiClient& client, const std::string& port)
    {
        const size_t colon = port.find(':');
        std::string_view own =
            colon == std::string::npos ? std::string_view() : std::string_view(port).substr(colon + 1);
        bool generic = false;
        for (const std::string_view prefix : {"midi_capture_", "midi_playback_"})
            if (own.starts_with(prefix))
            {
                const std::string_view number = own.substr(prefix.size());
                generic = !number.empty() && number.find_first_not_of("0123456789") == std::string_view::npos;
            }
        if (!generic)
            return port;
        const std::vector<std::string> aliases = client.Aliases(port);
        for (const std::string& alias : aliases)
            if (!alias.starts_with("alsa_pcm:"))
                return alias;
        return aliases.empty() ? port : aliases.front();
    }

    // Under clientMutex or before the watcher runs.
    void Attach(std::shared_ptr<JackMidiClient> opened)
    {
        clientWatch = opened->WatchPorts([this] {
            {
                std::lock_guard lock(eventMutex);
                changed = true;
            }
            event.notify_all();
        });
        client = std::move(opened);
    }

    // Tells the listeners about every change of the ports, on this thread rather than
    // the library's, and opens a new client once a server is back after the last one
    // shut ours down: its devices were gone meanwhile, and are listed again.
    // The event lock is never held while the client lock is taken: the client's
    // notification thread takes the event lock inside its watch list's lock, which
    // Attach takes under the client lock.
    void Watch()
    {
        for (;;)
        {
            const bool alive = Client()->Alive();
            bool news = false;
            {
                std::unique_lock lock(eventMutex);
                event.wait_for(lock, alive ? std::chrono::hours(24) : RECONNECT_POLL,
                               [&] { return stopping || changed; });
                if (stopping)
                    return;
                news = std::exchange(changed, false);
            }
            if (!alive)
            {
                Client()->CloseAfterShutdown();
                std::string error;
                if (std::shared_ptr<JackMidiClient> reopened = JackMidiClient::Shared(name, ports, error))
                {
                    // The former client closes outside the lock, once devices still
                    // open on it have let go of it too.
                    std::shared_ptr<JackMidiClient> former;
                    std::shared_ptr<void> formerWatch;
                    {
                        std::lock_guard swap(clientMutex);
                        former = client;
                        formerWatch = clientWatch;
                        Attach(std::move(reopened));
                    }
                    news = true;
                }
            }
            if (news)
                watchers.Notify();
        }
    }

    std::mutex clientMutex;
    std::shared_ptr<JackMidiClient> client; // the live one, or the one that was shut down
    std::shared_ptr<void> clientWatch;

    std::mutex mutex; // guards the last listings
    std::vector<ListedPort> inputListing, outputListing;

    std::mutex eventMutex;
    std::condition_variable event;
    bool changed = false;
    bool stopping = false;
    std::thread watcher;
};

class JackMidiInDevice final : public MidiInputCore, private JackInputListener
{
public:
    // name: as listed; port: the full name of the device's port.
    JackMidiInDevice(const std::shared_ptr<JackDriverCore>& core, std::string name, std::string port,
                     MidiInCallback callback)
        : MidiInputCore(std::move(name), std::move(callback), core->thread), mCore(core),
          mPortName(std::move(port))
    {
    }

    ~JackMidiInDevice() override { Close(); }

    bool IsGone() const override { return !mPort || !mPort->IsConnected(); }

    MidiResult Open()
    {
        const MidiResult r = mCore->OpenPort(mPortName, JackPortDirection::Input, this, mPort);
        if (r == MidiResult::Ok)
            Register();
        return r;
    }

private:
    // On the server's thread.
    bool AcceptsInput() const noexcept override { return IsStarted(); }
    void InputArrived() noexcept override { WakeCallbackThread(); }

    bool PopIncoming(MidiIncoming& message) override
    {
        uint32_t arrivedMs = 0;
        if (!mPort || !mPort->Receive(message.bytes, arrivedMs))
            return false;
        message.longError = false;
        message.timestampMs = MillisecondsSinceStart() - (SteadyMilliseconds() - arrivedMs);
        return true;
    }

    void DiscardIncoming() override
    {
        if (mPort)
            mPort->DiscardInput();
    }

    // After this no listener call runs for the port.
    void OnClose() override
    {
        if (mPort)
            mPort->Close();
    }

    const std::shared_ptr<JackDriverCore> mCore;
    const std::string mPortName;
    std::shared_ptr<JackMidiPort> mPort;
};

class JackMidiOutDevice final : public MidiOutputCore
{
public:
    // name: as listed; port: the full name of the device's port.
    JackMidiOutDevice(const std::shared_ptr<JackDriverCore>& core, std::string name, std::string port,
                      MidiOutCallback callback)
        : MidiOutputCore(std::move(name), std::move(callback), core->thread), mCore(core),
          mPortName(std::move(port))
    {
    }

    ~JackMidiOutDevice() override { Close(); }

    bool IsGone() const override { return !mPort || !mPort->IsConnected(); }

    MidiResult Open()
    {
        const MidiResult r = mCore->OpenPort(mPortName, JackPortDirection::Output, nullptr, mPort);
        if (r == MidiResult::Ok)
            Register();
        return r;
    }

private:
    MidiResult Transmit(const std::vector<uint8_t>& message) override
    {
        return mPort->Send(message.data(), message.size()) ? MidiResult::Ok : MidiResult::Error;
    }

    // What was sent last leaves before the port goes.
    void OnClose() override
    {
        if (mPort)
            mPort->Close();
    }

    const std::shared_ptr<JackDriverCore> mCore;
    const std::string mPortName;
    std::shared_ptr<JackMidiPort> mPort;
};

class JackMidiDriver final : public IMidiDriver
{
public:
    explicit JackMidiDriver(std::shared_ptr<JackDriverCore> core) : mCore(std::move(core)) {}

    std::string ApiName() const override { return "JACK"; }
    std::string SystemName() const override
    {
        const char* server = std::getenv("JACK_DEFAULT_SERVER");
        return std::string("JACK ") + (server != nullptr && *server != '\0' ? server : "default");
    }

    std::vector<std::string> ListInputs() override { return mCore->Relist(JackPortDirection::Input); }
    std::vector<std::string> ListOutputs() override { return mCore->Relist(JackPortDirection::Output); }

    std::shared_ptr<void> WatchDevices(MidiDevicesChangedCallback callback) override
    {
        return mCore->watchers.Add(std::move(callback));
    }
    bool SystemAvailable() const override
    {
        const auto& client = mCore->Client();
        return client->Alive() && !client->CyclesStalled();
    }

    MidiResult OpenInput(uint32_t id, MidiInCallback callback,
                         std::unique_ptr<IMidiInDevice>& device) override
    {
        return OpenDevice<JackMidiInDevice>(id, JackPortDirection::Input, std::move(callback), device);
    }

    MidiResult OpenOutput(uint32_t id, MidiOutCallback callback,
                          std::unique_ptr<IMidiOutDevice>& device) override
    {
        return OpenDevice<JackMidiOutDevice>(id, JackPortDirection::Output, std::move(callback), device);
    }

private:
    template <class Device, class Callback, class Interface>
    MidiResult OpenDevice(uint32_t id, JackPortDirection direction, Callback callback,
                          std::unique_ptr<Interface>& device)
    {
        device.reset();
        const auto listed = mCore->Listed(id, direction);
        if (!listed)
            return MidiResult::BadDeviceId;
        auto opened = std::make_unique<Device>(mCore, listed->first, listed->second, std::move(callback));
        if (const MidiResult r = opened->Open(); r != MidiResult::Ok)
            return r;
        device = std::move(opened);
        return MidiResult::Ok;
    }

    const std::shared_ptr<JackDriverCore> mCore;
};

} // namespace

std::shared_ptr<IMidiDriver> CreateJackMidiDriver(std::string& error)
{
    auto core = std::make_shared<JackDriverCore>(GetMidiClientIdentity());
    if (!core->Start(error))
        return nullptr;
    return std::make_shared<JackMidiDriver>(std::move(core));
}

} // namespace KV::Platform
