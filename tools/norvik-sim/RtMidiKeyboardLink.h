#pragma once
// The simulated keyboard on the ALSA sequencer, through RtMidi: a client per port,
// opened when the keyboard is switched on and closed when it goes off.

#include "SystemKeyboardLink.h"

#include <rtmidi/RtMidi.h>

namespace NorvikSim {

class RtMidiKeyboardLink final : public SystemKeyboardLink
{
public:
    RtMidiKeyboardLink(std::size_t keyboard, std::string nameSuffix, IncomingQueue& queue, Reporter reporter);
    ~RtMidiKeyboardLink() override;

    void OpenPorts(PortSet ports) override;
    void ClosePorts() override;
    void Send(std::span<const std::uint8_t> message) override;

private:
    struct CallbackContext
    {
        RtMidiKeyboardLink* link;
        std::uint64_t generation;
    };
    static void OnMidiInput(double deltaSeconds, std::vector<unsigned char>* message, void* context);

    bool mSentSinceOpen = false;
    std::unique_ptr<CallbackContext> mContext;
    std::unique_ptr<RtMidiIn> mInput;
    std::unique_ptr<RtMidiOut> mOutput;
};

} // namespace NorvikSim
