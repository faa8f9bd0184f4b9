#pragma once
// The simulated keyboard's ports on the system's MIDI (JACK or ALSA through
// RtMidi). Incoming messages are queued for the main thread, tagged with the
// generation of the ports that received them, so that nothing a closed set of
// ports received reaches the keyboard after it reopened.

#include "IncomingQueue.h"
#include "KeyboardProtocol.h"

#include <rtmidi/RtMidi.h>

#include <functional>
#include <memory>
#include <string>

namespace NorvikSim {

class RtMidiKeyboardLink : public IKeyboardLink
{
public:
    using Reporter = std::function<void(const KeyboardEvent&)>;

    // nameSuffix distinguishes a second keyboard (" 2"); it goes after the port names.
    RtMidiKeyboardLink(RtMidi::Api api, std::size_t keyboard, std::string nameSuffix, IncomingQueue& queue,
                       Reporter reporter);
    ~RtMidiKeyboardLink() override;

    void OpenPorts(PortSet ports) override;
    void ClosePorts() override;
    void Send(std::span<const std::uint8_t> message) override;
    void Report(const KeyboardEvent& event) override;

    std::uint64_t Generation() const { return mGeneration; }

private:
    struct CallbackContext
    {
        IncomingQueue* queue;
        std::size_t keyboard;
        std::uint64_t generation;
    };
    static void OnMidiInput(double deltaSeconds, std::vector<unsigned char>* message, void* context);

    RtMidi::Api mApi;
    std::size_t mKeyboard;
    std::string mNameSuffix;
    IncomingQueue& mQueue;
    Reporter mReporter;
    std::uint64_t mGeneration = 0;
    bool mSentSinceOpen = false;
    std::unique_ptr<CallbackContext> mContext;
    std::unique_ptr<RtMidiIn> mInput;
    std::unique_ptr<RtMidiOut> mOutput;
};

// KV_MIDI_API (alsa or jack) when set, else ALSA when its sequencer exists, else JACK.
// Returns false with a message for an unknown value.
bool ChooseMidiApi(RtMidi::Api& api, std::string& error);

} // namespace NorvikSim
