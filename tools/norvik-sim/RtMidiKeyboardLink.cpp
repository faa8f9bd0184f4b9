#include "RtMidiKeyboardLink.h"

#include <thread>

namespace NorvikSim {

namespace {
// Far more than the sequencer needs to pass the last answer on.
constexpr std::chrono::milliseconds OutputFlushTime{30};
constexpr int OpenAttempts = 5;
constexpr std::chrono::milliseconds OpenRetryPause{200};
} // namespace

RtMidiKeyboardLink::RtMidiKeyboardLink(std::size_t keyboard, std::string nameSuffix, IncomingQueue& queue,
                                       Reporter reporter)
    : SystemKeyboardLink(keyboard, std::move(nameSuffix), queue, std::move(reporter))
{
}

RtMidiKeyboardLink::~RtMidiKeyboardLink()
{
    ClosePorts();
}

void RtMidiKeyboardLink::OpenPorts(PortSet ports)
{
    ClosePorts();
    // Client names differ for input and output; both carry the name that the host
    // looks for.
    const std::string base = PortBaseName(ports);
    // A busy sequencer may refuse a new client; a real keyboard's ports appear a
    // moment later in that case, so try again.
    for (int attempt = 1;; ++attempt)
    {
        mContext = std::make_unique<CallbackContext>(CallbackContext{this, NextGeneration()});
        try
        {
            mInput = std::make_unique<RtMidiIn>(RtMidi::LINUX_ALSA, base + " in");
            mInput->ignoreTypes(false, true, true);
            mInput->setCallback(&RtMidiKeyboardLink::OnMidiInput, mContext.get());
            mInput->openVirtualPort("MIDI");
            mOutput = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, base + " out");
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

void RtMidiKeyboardLink::OnMidiInput(double, std::vector<unsigned char>* message, void* context)
{
    auto* target = static_cast<CallbackContext*>(context);
    target->link->Deliver(target->generation, Bytes(message->begin(), message->end()));
}

} // namespace NorvikSim
