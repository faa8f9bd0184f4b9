#pragma once
// The one place where the product's MIDI backend is chosen: the ALSA sequencer when
// the machine has one, else a JACK server when one answers. The environment
// variable KV_MIDI_API ("alsa" or "jack") overrides the choice.

#include "Platform/Midi/RtMidiDriver.h"

#include <functional>
#include <optional>
#include <string_view>

namespace KV::Platform {

struct MidiBackendChoice
{
    std::optional<RtMidiBackend> backend; // none: no MIDI system, see reason
    std::string reason;
};

// requested: the value of KV_MIDI_API (empty when unset). jackAnswers is asked only
// when the choice depends on it.
MidiBackendChoice ChooseMidiBackend(std::string_view requested, bool alsaSequencerPresent,
                                    const std::function<bool()>& jackAnswers);

// The product's driver, or null with the reason in `error`.
std::shared_ptr<IMidiDriver> CreateMidiDriver(std::string& error);

} // namespace KV::Platform
