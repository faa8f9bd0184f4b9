#include "Platform/Dialogs/DialogProgram.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <atomic>
#include <string>

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

TEST(DialogProgram, DroppingARunEndsTheProgram)
{
    // The program runs with the signals' default handling even when this process ignores one.
    struct sigaction ignore = {};
    struct sigaction previous = {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGTERM, &ignore, &previous);
    std::atomic<int> ends{0};
    std::unique_ptr<DialogProgramRun> run =
        DialogProgramRun::Start("/bin/sleep", {"sleep", "600"}, [&] { ++ends; });
    sigaction(SIGTERM, &previous, nullptr);
    ASSERT_TRUE(run);
    EXPECT_FALSE(run->HasEnded());
    run.reset();
    EXPECT_EQ(1, ends.load());
}
