// kv-midi-ports against a private JACK server (tools/with-jack.sh): it names the
// backend and lists a port that another client offers.

#include <RtMidi.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>

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
    RtMidiOut keysOut(RtMidi::UNIX_JACK, "Test Keys");
    keysOut.openVirtualPort("out");
    RtMidiIn keysIn(RtMidi::UNIX_JACK, "Test Keys Input");
    keysIn.openVirtualPort("in");

    const ToolRun run = RunTool("");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("MIDI backend: JACK"), std::string::npos) << run.output;
    const auto inputs = run.output.find("Inputs");
    const auto outputs = run.output.find("Outputs");
    ASSERT_NE(inputs, std::string::npos) << run.output;
    ASSERT_NE(outputs, std::string::npos) << run.output;
    const auto keysOutAt = run.output.find("Test Keys:out");
    const auto keysInAt = run.output.find("Test Keys Input:in");
    EXPECT_TRUE(keysOutAt > inputs && keysOutAt < outputs) << run.output;
    EXPECT_TRUE(keysInAt > outputs && keysInAt != std::string::npos) << run.output;
}

TEST(KvMidiPorts, ReportsAMissingOrUnknownBackend)
{
    const ToolRun unknown = RunTool("KV_MIDI_API=nonsense");
    EXPECT_EQ(unknown.status, 1);
    EXPECT_NE(unknown.output.find("nonsense"), std::string::npos) << unknown.output;
    const ToolRun noServer = RunTool("KV_MIDI_API=jack JACK_DEFAULT_SERVER=kv-no-such-server");
    EXPECT_EQ(noServer.status, 1);
    EXPECT_NE(noServer.output.find("no JACK server answers"), std::string::npos) << noServer.output;
}

} // namespace
