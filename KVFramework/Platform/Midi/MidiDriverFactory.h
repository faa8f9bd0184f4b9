#pragma once
// The one place where the product's MIDI backend is chosen: the ALSA sequencer when
// the machine has one, else a JACK server when one answers. The environment
// variable KV_MIDI_API ("alsa" or "jack") overrides the choice. The ALSA sequencer
// is driven through RtMidi (RtMidiDriver), a JACK server through libjack directly
// (JackMidiDriver).

#include "Platform/Midi/MidiDriver.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace KV::Platform {

// What our client is called on the MIDI system, and how many devices the process
// opens at once each way: a JACK client registers that many ports each way. The
// application sets them before its first MIDI service; drivers made before keep theirs.
// A name must not contain a text by which the application looks for devices.
struct MidiClientIdentity
{
    std::string name = "KV MIDI";
    size_t devicesEachWay = 16;
};

// The name loses what the MIDI systems do not take in a client's name (':' becomes a
// space; at most 60 bytes); an empty name or no device keeps the former value.
void SetMidiClientIdentity(MidiClientIdentity identity);
MidiClientIdentity GetMidiClientIdentity();

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
