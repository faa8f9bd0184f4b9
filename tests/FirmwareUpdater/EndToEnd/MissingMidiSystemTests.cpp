// The updater as a process on a machine without a usable MIDI system: it says what is
// missing and ends with status 1, and no MIDI library speaks on the terminal. The tests
// run on a private X server.
#include "Platform/Window/SyntheticInput.h"
#include "Platform/Window/SystemWindows.h"
#include "NamedPipe.h"
#include "ScopedVariable.h"
#include "TemporaryFolder.h"
#include "UpdaterProcess.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// A settings file that is a named pipe: the run neither waits for it nor keeps quiet
// about it, and goes on to its end (here the missing MIDI system's).
TEST(SettingsFile, ThatIsAPipeIsRefusedWithoutWaiting)
{
    TemporaryFolder config;
    const std::string folder = config / "Orrin/Norvik ZR Firmware Updater";
    ASSERT_EQ(std::system(("mkdir -p '" + folder + "'").c_str()), 0);
    TestSupport::NamedPipe pipe(folder + "/UserSettings.ini");
    ScopedVariable home("XDG_CONFIG_HOME", config / "");
    ScopedVariable api("KV_MIDI_API", std::string("bogus"));
    const UpdaterTest::RunResult run = UpdaterTest::RunUpdater({"-SILENT"});
    EXPECT_EQ(run.status, 1) << run.Describe() << run.errors;
    EXPECT_NE(run.errors.find("UserSettings.ini is not a regular file"), std::string::npos) << run.errors;
    EXPECT_FALSE(pipe.ReleasedAWaitingReader());
}

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

// A user who started the updater from a menu has no terminal: with a display, the failure
// is shown in a box there too, and the run ends once the box is closed. The box is a
// dialog program's, or SDL's own where no such program is installed.
TEST(MissingMidiSystem, IsShownInABoxOnTheDisplayUntilItIsClosed)
{
    ASSERT_NE(std::getenv("DISPLAY"), nullptr);
    ScopedVariable api("KV_MIDI_API", "bogus");
    TemporaryFolder noPrograms;
    for (const bool programs : {true, false})
    {
        SCOPED_TRACE(programs ? "a dialog program" : "SDL's own box");
        ScopedVariable path("PATH", programs ? std::string(std::getenv("PATH")) : noPrograms / "");
        UpdaterTest::UpdaterChild updater({}, true);
        uintptr_t box = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!updater.HasEnded() && std::chrono::steady_clock::now() < deadline &&
               (box = KV::Platform::FindSystemWindowByTitle("Error")) == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ASSERT_NE(box, 0u) << updater.Finish(std::chrono::milliseconds(0)).errors;
        EXPECT_FALSE(updater.HasEnded()) << "the run did not wait for the box";
        ASSERT_TRUE(KV::Platform::RequestWindowClose(box));
        const UpdaterTest::RunResult& run = updater.Finish(std::chrono::seconds(60));
        EXPECT_EQ(run.status, 1) << run.Describe() << run.errors;
        EXPECT_EQ(run.errors.rfind("The updater could not start: ", 0), 0u) << run.errors;
        EXPECT_EQ(run.errors.find('\n'), run.errors.size() - 1) << "one line only:\n" << run.errors;
    }
}

} // namespace
