#include "Platform/Midi/MidiDriverFactory.h"

#include <gtest/gtest.h>

namespace KV::Platform {
namespace {

TEST(MidiDriverFactory, ChoosesBackend)
{
    struct Case
    {
        const char* requested;
        bool alsa;
        bool jack;
        std::optional<MidiBackend> chosen;
        bool jackAsked;
    };
    const Case cases[] = {
        {"", true, true, MidiBackend::Alsa, false},      {"", false, true, MidiBackend::Jack, true},
        {"", false, false, std::nullopt, true},          {"jack", true, false, MidiBackend::Jack, false},
        {"ALSA", false, true, MidiBackend::Alsa, false}, {"Jack", false, false, MidiBackend::Jack, false},
        {"virtual", true, true, std::nullopt, false},    {"alsa ", true, true, std::nullopt, false},
    };
    for (const Case& c : cases)
    {
        bool asked = false;
        const MidiBackendChoice choice = ChooseMidiBackend(c.requested, c.alsa, [&] {
            asked = true;
            return c.jack;
        });
        SCOPED_TRACE(std::string("KV_MIDI_API=\"") + c.requested + "\" alsa=" + std::to_string(c.alsa) +
                     " jack=" + std::to_string(c.jack));
        EXPECT_EQ(choice.backend, c.chosen);
        EXPECT_EQ(asked, c.jackAsked);
        EXPECT_EQ(choice.reason.empty(), c.chosen.has_value());
        if (*c.requested != '\0' && !c.chosen)
        {
            EXPECT_NE(choice.reason.find(c.requested), std::string::npos) << choice.reason;
        }
    }
}

} // namespace
} // namespace KV::Platform
