#pragma once
// The simulated keyboard's ports on the system's MIDI: a JACK server (JackKeyboardLink,
// on the framework's own JACK client) or the ALSA sequencer (RtMidiKeyboardLink).
// Incoming messages are queued for the main thread, tagged with the generation of the
// ports that received them, so that nothing a closed set of ports received reaches
// the keyboard after it reopened.

#include "IncomingQueue.h"
#include "KeyboardProtocol.h"
#include "SimOptions.h"

#include <functional>
#include <memory>
#include <string>

namespace NorvikSim {

class SystemKeyboardLink : public IKeyboardLink
{
public:
    using Reporter = std::function<void(const KeyboardEvent&)>;

    void Report(const KeyboardEvent& event) override { mReporter(event); }
    std::uint64_t Generation() const { return mGeneration; }

protected:
    // nameSuffix distinguishes a second keyboard (" 2"); it goes after the port names.
    SystemKeyboardLink(std::size_t keyboard, std::string nameSuffix, IncomingQueue& queue, Reporter reporter)
        : mKeyboard(keyboard), mNameSuffix(std::move(nameSuffix)), mQueue(queue),
          mReporter(std::move(reporter))
    {
    }

    // What the ports of a set are called, before " in" and " out": the name that the
    // host looks for.
    std::string PortBaseName(PortSet ports) const;
    // The generation of the ports about to open.
    std::uint64_t NextGeneration() { return ++mGeneration; }
    void Deliver(std::uint64_t generation, Bytes message);

    const std::size_t mKeyboard;
    const std::string mNameSuffix;

private:
    IncomingQueue& mQueue;
    Reporter mReporter;
    std::uint64_t mGeneration = 0;
};

// The link on the backend that KV_MIDI_API asks for, else on the ALSA sequencer when
// it exists, else on a JACK server. Null with the reason in `error`.
// layout: how the ports show on a JACK server.
std::unique_ptr<SystemKeyboardLink> CreateKeyboardLink(std::size_t keyboard, std::string nameSuffix,
                                                       JackLayout layout, IncomingQueue& queue,
                                                       SystemKeyboardLink::Reporter reporter,
                                                       std::string& error);

} // namespace NorvikSim
