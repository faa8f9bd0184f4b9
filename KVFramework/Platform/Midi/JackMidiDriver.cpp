#include "Platform/Midi/JackMidiDriver.h"

#include "Platform/Midi/JackMidiClient.h"
#include "Platform/Midi/MidiDeviceCore.h"
#include "Platform/Midi/MidiDriverFactory.h"

#include <optional>

namespace KV::Platform {

namespace {

struct JackDriverCore
{
    std::shared_ptr<JackMidiClient> client;
    const std::shared_ptr<MidiCallbackThread> thread = std::make_shared<MidiCallbackThread>();

    std::mutex mutex; // guards the last listings
    std::vector<std::string> inputListing, outputListing;

    std::vector<std::string> Relist(JackPortDirection direction)
    {
        std::vector<std::string> names = client->ListPeers(direction);
        std::lock_guard lock(mutex);
        (direction == JackPortDirection::Input ? inputListing : outputListing) = names;
        return names;
    }

    std::optional<std::string> ListedName(uint32_t id, JackPortDirection direction)
    {
        std::lock_guard lock(mutex);
        const auto& listing = direction == JackPortDirection::Input ? inputListing : outputListing;
        if (id >= listing.size())
            return std::nullopt;
        return listing[id];
    }

    // Our port for the device, connected to it.
    MidiResult OpenPort(const std::string& device, JackPortDirection direction, JackInputListener* listener,
                        std::shared_ptr<JackMidiPort>& port)
    {
        std::string error;
        port = client->TakePort(direction, listener, error);
        if (!port)
            return MidiResult::Allocated;
        if (!client->Connect(*port, device))
        {
            port->Close();
            port.reset();
            return MidiResult::BadDeviceId; // gone since the listing
        }
        return MidiResult::Ok;
    }
};

class JackMidiInDevice final : public MidiInputCore, private JackInputListener
{
public:
    JackMidiInDevice(const std::shared_ptr<JackDriverCore>& core, std::string name, MidiInCallback callback)
        : MidiInputCore(std::move(name), std::move(callback), core->thread), mCore(core)
    {
    }

    ~JackMidiInDevice() override { Close(); }

    bool IsGone() const override { return !mPort || !mPort->IsConnected(); }

    MidiResult Open()
    {
        const MidiResult r = mCore->OpenPort(Name(), JackPortDirection::Input, this, mPort);
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
    std::shared_ptr<JackMidiPort> mPort;
};

class JackMidiOutDevice final : public MidiOutputCore
{
public:
    JackMidiOutDevice(const std::shared_ptr<JackDriverCore>& core, std::string name, MidiOutCallback callback)
        : MidiOutputCore(std::move(name), std::move(callback), core->thread), mCore(core)
    {
    }

    ~JackMidiOutDevice() override { Close(); }

    bool IsGone() const override { return !mPort || !mPort->IsConnected(); }

    MidiResult Open()
    {
        const MidiResult r = mCore->OpenPort(Name(), JackPortDirection::Output, nullptr, mPort);
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
    std::shared_ptr<JackMidiPort> mPort;
};

class JackMidiDriver final : public IMidiDriver
{
public:
    explicit JackMidiDriver(std::shared_ptr<JackDriverCore> core) : mCore(std::move(core)) {}

    std::string ApiName() const override { return "JACK"; }

    std::vector<std::string> ListInputs() override { return mCore->Relist(JackPortDirection::Input); }
    std::vector<std::string> ListOutputs() override { return mCore->Relist(JackPortDirection::Output); }

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
        const std::optional<std::string> name = mCore->ListedName(id, direction);
        if (!name)
            return MidiResult::BadDeviceId;
        auto opened = std::make_unique<Device>(mCore, *name, std::move(callback));
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
    auto core = std::make_shared<JackDriverCore>();
    core->client = JackMidiClient::Shared(MIDI_CLIENT_NAME, error);
    if (!core->client)
        return nullptr;
    return std::make_shared<JackMidiDriver>(std::move(core));
}

} // namespace KV::Platform
