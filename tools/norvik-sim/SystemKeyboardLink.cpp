#include "SystemKeyboardLink.h"

#include "JackKeyboardLink.h"
#include "RtMidiKeyboardLink.h"

#include "Engine/DeviceProtocol.h"
#include "Platform/Midi/MidiDriverFactory.h"

#include <cstdlib>
#include <filesystem>

namespace NorvikSim {

std::string SystemKeyboardLink::PortBaseName(PortSet ports) const
{
    return std::string(ports == PortSet::Normal ? "Norvik ZR" : DeviceProtocol::UpdateModePortName) +
           mNameSuffix;
}

void SystemKeyboardLink::Deliver(std::uint64_t generation, Bytes message)
{
    mQueue.Push(Incoming{Incoming::Kind::Midi, mKeyboard, generation, std::move(message), {}});
}

std::unique_ptr<SystemKeyboardLink> CreateKeyboardLink(std::size_t keyboard, std::string nameSuffix,
                                                       JackLayout layout, IncomingQueue& queue,
                                                       SystemKeyboardLink::Reporter reporter,
                                                       std::string& error)
{
    const char* requested = std::getenv("KV_MIDI_API");
    std::error_code ignored;
    const KV::Platform::MidiBackendChoice choice = KV::Platform::ChooseMidiBackend(
        requested ? requested : "", std::filesystem::exists("/dev/snd/seq", ignored),
        [] { return true; }); // without ALSA, JACK it is: its link says what fails
    if (!choice.backend)
    {
        error = choice.reason;
        return nullptr;
    }
    if (*choice.backend == KV::Platform::MidiBackend::Jack)
        return std::make_unique<JackKeyboardLink>(keyboard, std::move(nameSuffix), layout, queue,
                                                  std::move(reporter));
    return std::make_unique<RtMidiKeyboardLink>(keyboard, std::move(nameSuffix), queue, std::move(reporter));
}

} // namespace NorvikSim
