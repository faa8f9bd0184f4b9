#include "Platform/Midi/RtMidiDriver.h"

#include "Platform/Midi/MidiDeviceCore.h"
#include "Platform/Midi/MidiDriverFactory.h"
#include "Platform/Midi/MidiLibraryLog.h"
#include "Platform/Midi/MidiMessageRing.h"

#include <RtMidi.h>

#include <optional>

namespace KV::Platform {

namespace {

// Room for a burst of system-exclusive replies between two rounds of the callback thread.
constexpr size_t INPUT_RING_BYTES = 256 * 1024;

// RtMidi reports errors to this callback on the thread that called the failing
// function; warnings (such as a port that vanished) are not failures. Without the
// callback it would print them.
thread_local bool tFailed = false;

void OnRtMidiError(RtMidiError::Type type, const std::string& text, void*)
{
    LogMidiLibraryMessage("RtMidi", text.c_str());
    if (type == RtMidiError::WARNING || type == RtMidiError::DEBUG_WARNING)
        return;
    tFailed = true;
}

void ClearError()
{
    tFailed = false;
}

template <class Port> std::optional<unsigned> FindPort(Port& port, const std::string& name)
{
    const unsigned count = port.getPortCount();
    for (unsigned i = 0; i < count; ++i)
        if (port.getPortName(i) == name)
            return i;
    return std::nullopt;
}

struct RtMidiCore
{
    RtMidi::Api api = RtMidi::LINUX_ALSA;
    const std::shared_ptr<MidiCallbackThread> thread = std::make_shared<MidiCallbackThread>();

    std::mutex mutex; // guards the listing clients and the last listings
    std::unique_ptr<RtMidiIn> inputLister;
    std::unique_ptr<RtMidiOut> outputLister;
    std::vector<std::string> inputListing, outputListing;

    // Lists the ports anew and remembers the listing for Open*.
    template <class Port> std::vector<std::string> Relist(Port& lister, std::vector<std::string>& listing)
    {
        std::lock_guard lock(mutex);
        listing.clear();
        try
        {
            const unsigned count = lister.getPortCount();
            for (unsigned i = 0; i < count; ++i)
                listing.push_back(lister.getPortName(i));
        }
        catch (const std::exception&)
        {
            listing.clear();
        }
        return listing;
    }

    std::optional<std::string> ListedName(uint32_t id, const std::vector<std::string>& listing)
    {
        std::lock_guard lock(mutex);
        if (id >= listing.size())
            return std::nullopt;
        return listing[id];
    }
};

// Opens the port named `name` on a fresh client of its own (RtMidi's numbers are
// per client, and the device may have moved or gone since the listing). `setUp`
// runs on the new client before the port opens.
template <class Port, class SetUp>
MidiResult OpenPort(std::unique_ptr<Port>& port, RtMidi::Api api, const std::string& name,
                    const char* ourPortName, SetUp setUp)
{
    try
    {
        port = std::make_unique<Port>(api, GetMidiClientIdentity().name);
        port->setErrorCallback(&OnRtMidiError, nullptr);
        setUp(*port);
        ClearError();
        const std::optional<unsigned> index = FindPort(*port, name);
        if (!index)
            return MidiResult::BadDeviceId;
        port->openPort(*index, ourPortName);
        return !tFailed && port->isPortOpen() ? MidiResult::Ok : MidiResult::Allocated;
    }
    catch (const std::exception&)
    {
        return MidiResult::Error;
    }
}

class RtMidiInDevice final : public MidiInputCore
{
public:
    RtMidiInDevice(const std::shared_ptr<RtMidiCore>& core, std::string name, MidiInCallback callback)
        : MidiInputCore(std::move(name), std::move(callback), core->thread), mCore(core),
          mRing(INPUT_RING_BYTES)
    {
    }

    ~RtMidiInDevice() override { Close(); }

    MidiResult Open()
    {
        // Keep system-exclusive, timing and active-sensing messages: the device's
        // replies are system-exclusive, and the owner decides what to ignore.
        const MidiResult r = OpenPort(mIn, mCore->api, Name(), "in", [this](RtMidiIn& in) {
            in.ignoreTypes(false, false, false);
            in.setCallback(&RtMidiInDevice::OnInput, this);
        });
        if (r == MidiResult::Ok)
            Register();
        return r;
    }

private:
    // On RtMidi's input thread: only a copy into the lock-free ring and a lock-free wake.
    static void OnInput(double, std::vector<unsigned char>* message, void* user)
    {
        auto* self = static_cast<RtMidiInDevice*>(user);
        if (message == nullptr || message->empty() || !self->IsStarted())
            return;
        if (self->mRing.Push(message->data(), static_cast<uint32_t>(message->size()),
                             self->MillisecondsSinceStart()))
            self->WakeCallbackThread();
    }

    bool PopIncoming(MidiIncoming& message) override
    {
        message.longError = false;
        return mRing.Pop(message.bytes, message.timestampMs);
    }

    void DiscardIncoming() override
    {
        std::vector<uint8_t> bytes;
        uint32_t timestamp;
        while (mRing.Pop(bytes, timestamp))
        {
        }
    }

    // RtMidi's destructor closes the port and joins its input thread, so no OnInput
    // runs after this.
    void OnClose() override { mIn.reset(); }

    const std::shared_ptr<RtMidiCore> mCore;
    MidiMessageRing mRing;
    std::unique_ptr<RtMidiIn> mIn;
};

class RtMidiOutDevice final : public MidiOutputCore
{
public:
    RtMidiOutDevice(const std::shared_ptr<RtMidiCore>& core, std::string name, MidiOutCallback callback)
        : MidiOutputCore(std::move(name), std::move(callback), core->thread), mCore(core)
    {
    }

    ~RtMidiOutDevice() override { Close(); }

    MidiResult Open()
    {
        const MidiResult r = OpenPort(mOut, mCore->api, Name(), "out", [](RtMidiOut&) {});
        if (r == MidiResult::Ok)
            Register();
        return r;
    }

private:
    MidiResult Transmit(const std::vector<uint8_t>& message) override
    {
        try
        {
            ClearError();
            mOut->sendMessage(message.data(), message.size());
            return tFailed ? MidiResult::Error : MidiResult::Ok;
        }
        catch (const std::exception&)
        {
            return MidiResult::Error;
        }
    }

    void OnClose() override { mOut.reset(); }

    const std::shared_ptr<RtMidiCore> mCore;
    std::unique_ptr<RtMidiOut> mOut;
};

class RtMidiDriver final : public IMidiDriver
{
public:
    explicit RtMidiDriver(std::shared_ptr<RtMidiCore> core) : mCore(std::move(core)) {}

    std::string ApiName() const override { return "ALSA"; }

    std::vector<std::string> ListInputs() override
    {
        return mCore->Relist(*mCore->inputLister, mCore->inputListing);
    }

    std::vector<std::string> ListOutputs() override
    {
        return mCore->Relist(*mCore->outputLister, mCore->outputListing);
    }

    MidiResult OpenInput(uint32_t id, MidiInCallback callback,
                         std::unique_ptr<IMidiInDevice>& device) override
    {
        device.reset();
        const std::optional<std::string> name = mCore->ListedName(id, mCore->inputListing);
        if (!name)
            return MidiResult::BadDeviceId;
        auto input = std::make_unique<RtMidiInDevice>(mCore, *name, std::move(callback));
        if (const MidiResult r = input->Open(); r != MidiResult::Ok)
            return r;
        device = std::move(input);
        return MidiResult::Ok;
    }

    MidiResult OpenOutput(uint32_t id, MidiOutCallback callback,
                          std::unique_ptr<IMidiOutDevice>& device) override
    {
        device.reset();
        const std::optional<std::string> name = mCore->ListedName(id, mCore->outputListing);
        if (!name)
            return MidiResult::BadDeviceId;
        auto output = std::make_unique<RtMidiOutDevice>(mCore, *name, std::move(callback));
        if (const MidiResult r = output->Open(); r != MidiResult::Ok)
            return r;
        device = std::move(output);
        return MidiResult::Ok;
    }

private:
    const std::shared_ptr<RtMidiCore> mCore;
};

} // namespace

std::shared_ptr<IMidiDriver> CreateRtMidiAlsaDriver(std::string& error)
{
    auto core = std::make_shared<RtMidiCore>();
    try
    {
        core->inputLister = std::make_unique<RtMidiIn>(core->api, GetMidiClientIdentity().name);
        core->outputLister = std::make_unique<RtMidiOut>(core->api, GetMidiClientIdentity().name);
        core->inputLister->setErrorCallback(&OnRtMidiError, nullptr);
        core->outputLister->setErrorCallback(&OnRtMidiError, nullptr);
    }
    catch (const std::exception& e)
    {
        LogMidiLibraryMessage("RtMidi", e.what());
        error = "the ALSA sequencer refused a client";
        return nullptr;
    }
    error.clear();
    return std::make_shared<RtMidiDriver>(std::move(core));
}

} // namespace KV::Platform
