// The updater as a process on a machine without a usable MIDI system: it says what is
// missing and ends with status 1, and no MIDI library speaks on the terminal.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct Case
{
    const char* environment;
    std::vector<std::string> pieces; // in the one line the updater prints
};

TEST(MissingMidiSystem, IsReportedAsAStartUpFailure)
{
    std::vector<Case> cases = {
        {"KV_MIDI_API=bogus", {"\"bogus\"", "KV_MIDI_API", "\"alsa\" or \"jack\""}},
        {"KV_MIDI_API=jack JACK_DEFAULT_SERVER=kv-no-such-server",
         {"JACK MIDI backend", "no JACK server named \"kv-no-such-server\" is running"}},
    };
    if (access("/dev/snd/seq", F_OK) != 0)
    {
        cases.push_back({"KV_MIDI_API=alsa", {"ALSA MIDI backend", "/dev/snd/seq"}});
        cases.push_back({"KV_MIDI_API= JACK_DEFAULT_SERVER=kv-no-such-server",
                         {"no MIDI system", "/dev/snd/seq", "no JACK server"}});
    }
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.environment);
        // Standard output is dropped: only standard error is read here.
        const std::string command =
            std::string("env ") + c.environment + " '" UPDATER_PATH "' -SILENT 2>&1 >/dev/null";
        FILE* pipe = popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string errors;
        char chunk[256];
        for (size_t n; (n = fread(chunk, 1, sizeof chunk, pipe)) > 0;)
            errors.append(chunk, n);
        const int status = pclose(pipe);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 1) << errors;
        EXPECT_EQ(errors.rfind("The updater could not start: ", 0), 0u) << errors;
        EXPECT_EQ(errors.find('\n'), errors.size() - 1) << "one line only:\n" << errors;
        for (const std::string& piece : c.pieces)
            EXPECT_NE(errors.find(piece), std::string::npos) << piece << " in:\n" << errors;
    }
}

} // namespace
