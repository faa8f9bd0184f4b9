#include "Platform/Midi/MidiDriverFactory.h"

#include <jack/jack.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace KV::Platform
{

namespace
{

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

void Silent(const char*) {}
void ToStandardError(const char* text)
{
    std::fprintf(stderr, "%s\n", text);
}

// Asks whether a JACK server is running, without starting one and without the
// library's complaints on standard error when none is.
bool JackServerAnswers()
{
    jack_set_error_function(&Silent);
    jack_set_info_function(&Silent);
    jack_status_t status;
    jack_client_t* client = jack_client_open("KV MIDI probe", JackNoStartServer, &status);
    if (client != nullptr)
        jack_client_close(client);
    jack_set_error_function(&ToStandardError);
    jack_set_info_function(&ToStandardError);
    return client != nullptr;
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
    // RtMidi meets the server only on first use; ask now, so that a missing server
    // is reported here rather than as an empty list of ports.
    if (*choice.backend == RtMidiBackend::Jack && requested && *requested && !JackServerAnswers())
    {
        error = "no JACK server answers";
        return nullptr;
    }
    return CreateRtMidiDriver(*choice.backend, error);
}

} // namespace KV::Platform
