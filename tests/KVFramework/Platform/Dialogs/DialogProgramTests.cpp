#include "Platform/Dialogs/DialogProgram.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <cstdlib>
#include <string>
#include <thread>

using namespace KV::Platform;

TEST(DialogProgram, AnswerAndWarningsAreKeptApartAndTheEndIsReported)
{
    std::atomic<int> ends{0};
    std::unique_ptr<DialogProgramRun> run = DialogProgramRun::Start(
        "/bin/sh", {"sh", "-c", "echo 'Gtk-WARNING: none' >&2; printf '/a/b\\n'; exit 0"}, [&] { ++ends; });
    ASSERT_TRUE(run);
    std::string answer;
    EXPECT_EQ(0, run->Finish(answer));
    EXPECT_TRUE(run->HasEnded());
    EXPECT_EQ(1, ends.load());
    EXPECT_EQ("/a/b\n", answer);
    EXPECT_EQ("Gtk-WARNING: none\n", run->GetDiagnostics());

    EXPECT_FALSE(DialogProgramRun::Start("/nonexistent/zenity", {"zenity"}, {}));
}

TEST(DialogProgram, DroppingARunAsksTheProgramToEnd)
{
    // The program runs with the signals' default handling even when this process ignores
    // one: asked to end, it ends as it chooses (here it notes the request in a file) and is
    // not cut off. A shell cannot take a signal that was ignored when it started.
    const std::filesystem::path noted =
        std::filesystem::temp_directory_path() / ("kv-dialog-program-" + std::to_string(::getpid()));
    std::filesystem::remove(noted);
    struct sigaction ignore = {};
    struct sigaction previous = {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGTERM, &ignore, &previous);
    std::atomic<int> ends{0};
    std::unique_ptr<DialogProgramRun> run = DialogProgramRun::Start(
        "/bin/sh",
        {"sh", "-c", "trap 'kill $!; echo asked > \"$0\"; exit 0' TERM; sleep 600 & echo ready >&2; wait",
         noted.string()},
        [&] { ++ends; });
    sigaction(SIGTERM, &previous, nullptr);
    ASSERT_TRUE(run);
    EXPECT_FALSE(run->HasEnded());
    while (run->GetDiagnostics().empty())
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    run.reset();
    EXPECT_EQ(1, ends.load());
    std::ifstream file(noted);
    std::string line;
    EXPECT_TRUE(std::getline(file, line) && line == "asked");
    std::filesystem::remove(noted);
}

TEST(DialogProgram, TheEndIsTheProgramsOwnNotThatOfAProcessItLeftBehind)
{
    // The program leaves a process behind that holds its outputs open, as a desktop program
    // that starts a helper of the session may; that process tells its id on standard error.
    std::unique_ptr<DialogProgramRun> run = DialogProgramRun::Start(
        "/bin/sh", {"sh", "-c", "sleep 600 & echo $! >&2; printf '/a/b\\n'; exit 0"}, {});
    ASSERT_TRUE(run);
    std::string answer;
    EXPECT_EQ(0, run->Finish(answer));
    EXPECT_EQ("/a/b\n", answer);
    const int leftBehind = std::atoi(run->GetDiagnostics().c_str());
    ASSERT_GT(leftBehind, 0);
    ::kill(leftBehind, SIGTERM);
}

TEST(DialogProgram, DroppingARunEndsAProgramThatIgnoresTheRequestToEnd)
{
    std::atomic<int> ends{0};
    std::unique_ptr<DialogProgramRun> run = DialogProgramRun::Start(
        "/bin/sh", {"sh", "-c", "trap '' TERM; echo ready >&2; exec sleep 600"}, [&] { ++ends; });
    ASSERT_TRUE(run);
    while (run->GetDiagnostics().empty())
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    run.reset();
    EXPECT_EQ(1, ends.load());
}

TEST(DialogProgram, TheProgramInheritsOnlyItsStandardStreams)
{
    // Libraries of this process open descriptors that children would inherit (a MIDI
    // server's client socket, say); a dialog program that outlives the process must not
    // hold them open.
    const int inheritable = ::open("/dev/null", O_RDONLY);
    ASSERT_GE(inheritable, 3);
    const std::string check =
        "[ -e /proc/$$/fd/" + std::to_string(inheritable) + " ] && echo held || echo closed";
    std::unique_ptr<DialogProgramRun> run = DialogProgramRun::Start("/bin/sh", {"sh", "-c", check}, {});
    ASSERT_TRUE(run);
    std::string answer;
    EXPECT_EQ(0, run->Finish(answer));
    EXPECT_EQ("closed\n", answer);
    ::close(inheritable);
}
