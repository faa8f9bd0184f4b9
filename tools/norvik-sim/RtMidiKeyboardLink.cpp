#include "RtMidiKeyboardLink.h"

#include "Engine/DeviceProtocol.h"

#include <cstdlib>
#include <filesystem>
#include <thread>

namespace NorvikSim {

namespace {
// Several periods of a JACK server at its usual settings, and far more than ALSA needs.
constexpr std::chrono::milliseconds OutputFlushTime{30};
constexpr int OpenAttempts = 5;
constexpr std::chrono::milliseconds OpenRetryPause{200};
} // namespace

RtMidiKeyboardLink::RtMidiKeyboardLink(RtMidi::Api api, std::size_t keyboard, std::string nameSuffix,
                                       IncomingQueue& queue, Reporter reporter)
    : mApi(api), mKeyboard(keyboard), mNameSuffix(std::move(nameSuffix)), mQueue(queue),
      mReporter(std::move(reporter))
{
}

RtMidiKeyboardLink::~RtMidiKeyboardLink()
{
    ClosePorts();
}

void RtMidiKeyboardLink::OpenPorts(PortSet ports)
{
    ClosePorts();
    // Client names differ for input and output, so that JACK does not rename the
    // second one; both carry the name that the host looks for.
    const std::string base =
        std::string(ports == PortSet::Normal ? "Norvik ZR" : DeviceProtocol::UpdateModePortName) +
        mNameSuffix;
    // A JACK server busy with other clients now and then refuses a new client; a
    // real keyboard's ports appear a moment later in that case, so try again.
    for (int attempt = 1;; ++attempt)
    {
        mContext = std::make_unique<CallbackContext>(CallbackContext{&mQueue, mKeyboard, ++mGeneration});
        try
        {
            mInput = std::make_unique<RtMidiIn>(mApi, base + " in");
            mInput->ignoreTypes(false, true, true);
            mInput->setCallback(&RtMidiKeyboardLink::OnMidiInput, mContext.get());
            mInput->openVirtualPort("MIDI");
            mOutput = std::make_unique<RtMidiOut>(mApi, base + " out");
            mOutput->openVirtualPort("MIDI");
            return;
        }
        catch (const RtMidiError&)
        {
            ClosePorts();
            if (attempt == OpenAttempts)
                throw;
        }
        std::this_thread::sleep_for(OpenRetryPause);
    }
}

void RtMidiKeyboardLink::ClosePorts()
{
    // The input goes first: once it is destroyed no callback runs for it.
    mInput.reset();
    // The last answer may still wait in the output's queue for the server's next
    // cycle; a real keyboard finishes sending before it reboots.
    if (mOutput && mSentSinceOpen)
        std::this_thread::sleep_for(OutputFlushTime);
    mOutput.reset();
    mContext.reset();
    mSentSinceOpen = false;
}

void RtMidiKeyboardLink::Send(std::span<const std::uint8_t> message)
{
    if (!mOutput)
        return;
    mOutput->sendMessage(message.data(), message.size());
    mSentSinceOpen = true;
}

void RtMidiKeyboardLink::Report(const KeyboardEvent& event)
{
    mReporter(event);
}

void RtMidiKeyboardLink::OnMidiInput(double, std::vector<unsigned char>* message, void* context)
{
    auto* target = static_cast<CallbackContext*>(context);
    target->queue->Push(Incoming{Incoming::Kind::Midi,
                                 target->keyboard,
                                 target->generation,
                                 Bytes(message->begin(), message->end()),
                                 {}});
}

bool ChooseMidiApi(RtMidi::Api& api, std::string& error)
{
    const char* chosen = std::getenv("KV_MIDI_API");
    const std::string name = chosen ? chosen : "";
    if (name == "alsa")
        api = RtMidi::LINUX_ALSA;
    else if (name == "jack")
        api = RtMidi::UNIX_JACK;
    else if (name.empty())
    {
        std::error_code ignored;
        api = std::filesystem::exists("/dev/snd/seq", ignored) ? RtMidi::LINUX_ALSA : RtMidi::UNIX_JACK;
    }
    else
    {
        error = "KV_MIDI_API must be alsa or jack, not '" + name + "'";
        return false;
    }
    return true;
}

} // namespace NorvikSim
