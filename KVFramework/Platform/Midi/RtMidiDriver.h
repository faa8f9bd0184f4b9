#pragma once
// The product's MIDI driver on the ALSA sequencer, through RtMidi. Each device it
// opens is a port of a client of its own.

#include "Platform/Midi/MidiDriver.h"

namespace KV::Platform {

// Null, with the reason in `error`, when the sequencer refuses a client.
std::shared_ptr<IMidiDriver> CreateRtMidiAlsaDriver(std::string& error);

} // namespace KV::Platform
