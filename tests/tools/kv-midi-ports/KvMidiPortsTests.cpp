// kv-midi-ports against a private JACK server (tools/with-jack.sh): it names the
// backend and lists a port that another client offers.

#include "Platform/Midi/JackTestPeer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct ToolRun
{
    int status = -1;
    std::string output;
};

ToolRun RunTool(const std::string& environment)
{
    ToolRun run;
    FILE* pipe = popen((environment + " '" KV_MIDI_PORTS_TOOL "' 2>&1").c_str(), "r");
    if (pipe == nullptr)
        return run;
    char chunk[256];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0)
        run.output.append(chunk, n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(KvMidiPorts, ListsThePortsOfTheJackServer)
{
    const KV::Platform::MidiTest::JackTestPeer keys("Test Keys");

    const ToolRun run = RunTool("");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("MIDI backend: JACK"), std::string::npos) << run.output;
    const auto inputs = run.output.find("Inputs");
    const auto outputs = run.output.find("Outputs");
    ASSERT_NE(inputs, std::string::npos) << run.output;
    ASSERT_NE(outputs, std::string::npos) << run.output;
    const auto keysOutAt = run.output.find("Test Keys:out");
    const auto keysInAt = run.output.find("Test Keys:in");
    EXPECT_TRUE(keysOutAt > inputs && keysOutAt < outputs) << run.output;
    EXPECT_TRUE(keysInAt > outputs && keysInAt != std::string::npos) << run.output;
}

// The reason names the backend asked for and why it cannot start; the MIDI
// libraries' own texts stay off the terminal.
TEST(KvMidiPorts, ReportsAMissingOrUnknownBackend)
{
    struct Case
    {
        const char* environment;
        std::vector<std::string> pieces;
    };
    std::vector<Case> cases = {
        {"KV_MIDI_API=nonsense", {"KV_MIDI_API", "\"nonsense\"", "\"alsa\" or \"jack\""}},
        {"KV_MIDI_API=jack JACK_DEFAULT_SERVER=kv-no-such-server",
         {"JACK MIDI backend", "KV_MIDI_API", "no JACK server named \"kv-no-such-server\" is running"}},
        {"KV_MIDI_API= JACK_DEFAULT_SERVER=kv-no-such-server", {"no MIDI system", "no JACK server"}},
    };
    if (access("/dev/snd/seq", F_OK) != 0)
        cases.push_back({"KV_MIDI_API=alsa", {"ALSA MIDI backend", "/dev/snd/seq"}});
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.environment);
        const ToolRun run = RunTool(c.environment);
        EXPECT_EQ(run.status, 1);
        for (const std::string& piece : c.pieces)
            EXPECT_NE(run.output.find(piece), std::string::npos) << piece << " in:\n" << run.output;
        // One line: ours.
        EXPECT_EQ(run.output.find('\n'), run.output.size() - 1) << run.output;
    }
}

} // namespace
