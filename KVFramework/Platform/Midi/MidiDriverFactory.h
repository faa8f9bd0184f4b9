#pragma once
// The one place where the product's MIDI backend is chosen: the ALSA sequencer when
// the machine has one, else a JACK server when one answers. The environment
// variable KV_MIDI_API ("alsa" or "jack") overrides the choice. The ALSA sequencer
// is driven through RtMidi (RtMidiDriver), a JACK server through libjack directly
// (JackMidiDriver).

#include "Platform/Midi/MidiDriver.h"

#include <functional>
#include <optional>
#include <string_view>

namespace KV::Platform {

// The name our clients carry on the MIDI system.
inline constexpr const char* MIDI_CLIENT_NAME = "KV MIDI";

enum class MidiBackend
{
    Alsa,
    Jack,
};

struct MidiBackendChoice
{
    std::optional<MidiBackend> backend; // none: no MIDI system, see reason
    std::string reason;
};

// requested: the value of KV_MIDI_API (empty when unset). The presence checks are
// asked only when the choice depends on them.
MidiBackendChoice ChooseMidiBackend(std::string_view requested, bool alsaSequencerPresent,
                                    const std::function<bool()>& jackAnswers);

// The product's driver, or null with the reason in `error`: which backend was asked
// for or tried, and why it could not start.
std::shared_ptr<IMidiDriver> CreateMidiDriver(std::string& error);

} // namespace KV::Platform
