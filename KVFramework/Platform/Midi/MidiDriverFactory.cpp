#include "Platform/Midi/MidiDriverFactory.h"

#include "Platform/Midi/JackMidiClient.h"
#include "Platform/Midi/JackMidiDriver.h"
#include "Platform/Midi/RtMidiDriver.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>
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

bool AlsaSequencerPresent()
{
    return access(ALSA_SEQUENCER, R_OK | W_OK) == 0;
}

struct ClientIdentity
{
    std::mutex lock;
    MidiClientIdentity identity;
};

ClientIdentity& TheClientIdentity()
{
    static auto* const identity = new ClientIdentity;
    return *identity;
}

} // namespace

void SetMidiClientIdentity(MidiClientIdentity identity)
{
    std::string& name = identity.name;
    std::replace(name.begin(), name.end(), ':', ' ');
    if (name.size() > 60)
        name.resize(60); // a UTF-8 sequence cut short is replaced by the servers, not refused
    ClientIdentity& current = TheClientIdentity();
    std::lock_guard lock(current.lock);
    if (!name.empty())
        current.identity.name = name;
    if (identity.devicesEachWay != 0)
        current.identity.devicesEachWay = identity.devicesEachWay;
}

MidiClientIdentity GetMidiClientIdentity()
{
    ClientIdentity& current = TheClientIdentity();
    std::lock_guard lock(current.lock);
    return current.identity;
}

MidiBackendChoice ChooseMidiBackend(std::string_view requested, bool alsaSequencerPresent,
                                    const std::function<bool()>& jackAnswers)
{
    if (EqualsAsciiNoCase(requested, "alsa"))
        return {MidiBackend::Alsa, {}};
    if (EqualsAsciiNoCase(requested, "jack"))
        return {MidiBackend::Jack, {}};
    if (!requested.empty())
        return {std::nullopt, "KV_MIDI_API asks for the MIDI backend \"" + std::string(requested) +
                                  "\", which does not exist: it must be \"alsa\" or \"jack\""};
    if (alsaSequencerPresent)
        return {MidiBackend::Alsa, {}};
    if (jackAnswers())
        return {MidiBackend::Jack, {}};
    return {std::nullopt, std::string("no MIDI system: the ALSA sequencer (") + ALSA_SEQUENCER +
                              ") is missing and no JACK server is running"};
}

std::shared_ptr<IMidiDriver> CreateMidiDriver(std::string& error)
{
    const char* requested = std::getenv("KV_MIDI_API");
    const std::string_view asked = requested ? requested : "";
    const MidiBackendChoice choice = ChooseMidiBackend(asked, AlsaSequencerPresent(), [] {
        return JackMidiClient::ServerAnswers(GetMidiClientIdentity().name);
    });
    if (!choice.backend)
    {
        error = choice.reason;
        return nullptr;
    }
    const std::string why = asked.empty() ? "" : " (asked for by KV_MIDI_API)";
    std::shared_ptr<IMidiDriver> driver;
    if (*choice.backend == MidiBackend::Alsa)
    {
        // Checked here: the sequencer's library would complain on standard error.
        if (!AlsaSequencerPresent())
        {
            error = std::string("the ALSA MIDI backend") + why + " cannot start: the ALSA sequencer (" +
                    ALSA_SEQUENCER + ") is missing or not accessible";
            return nullptr;
        }
        driver = CreateRtMidiAlsaDriver(error);
        if (!driver)
            error = "the ALSA MIDI backend" + why + " cannot start: " + error;
        return driver;
    }
    driver = CreateJackMidiDriver(error);
    if (!driver)
        error = "the JACK MIDI backend" + why + " cannot start: " + error;
    return driver;
}

} // namespace KV::Platform
