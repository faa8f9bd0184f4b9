#include "Platform/Midi/MidiDriverFactory.h"

#include "Platform/Midi/JackCycleClock.h"

#include <cstdlib>
#include <unistd.h>

namespace KV::Platform {

namespace {

constexpr const char* ALSA_SEQUENCER = "/dev/snd/seq";

bool EqualsAsciiNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
    {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

} // namespace

MidiBackendChoice ChooseMidiBackend(std::string_view requested, bool alsaSequencerPresent,
                                    const std::function<bool()>& jackAnswers)
{
    if (EqualsAsciiNoCase(requested, "alsa"))
        return {RtMidiBackend::Alsa, {}};
    if (EqualsAsciiNoCase(requested, "jack"))
        return {RtMidiBackend::Jack, {}};
    if (!requested.empty())
        return {std::nullopt,
                "KV_MIDI_API must be \"alsa\" or \"jack\", not \"" + std::string(requested) + "\""};
    if (alsaSequencerPresent)
        return {RtMidiBackend::Alsa, {}};
    if (jackAnswers())
        return {RtMidiBackend::Jack, {}};
    return {std::nullopt,
            std::string("no MIDI system: ") + ALSA_SEQUENCER + " is missing and no JACK server answers"};
}

std::shared_ptr<IMidiDriver> CreateMidiDriver(std::string& error)
{
    const char* requested = std::getenv("KV_MIDI_API");
    const MidiBackendChoice choice = ChooseMidiBackend(
        requested ? requested : "", access(ALSA_SEQUENCER, R_OK | W_OK) == 0, &JackServerAnswers);
    if (!choice.backend)
    {
        error = choice.reason;
        return nullptr;
    }
    return CreateRtMidiDriver(*choice.backend, error);
}

} // namespace KV::Platform
