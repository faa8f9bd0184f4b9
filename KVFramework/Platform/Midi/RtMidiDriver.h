#pragma once
// The product's MIDI driver: the ALSA sequencer or a JACK server, through RtMidi.

#include "Platform/Midi/MidiDriver.h"

namespace KV::Platform {

enum class RtMidiBackend
{
    Alsa,
    Jack,
};

// Null, with the reason in `error`, when the backend cannot be reached.
std::shared_ptr<IMidiDriver> CreateRtMidiDriver(RtMidiBackend backend, std::string& error);

// The name our clients and ports carry on the MIDI system.
inline constexpr const char* MIDI_CLIENT_NAME = "KV MIDI";

} // namespace KV::Platform
