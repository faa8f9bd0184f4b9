// A second updater while a first one has its window: it hands its command line over and
// ends with status 255, before it looks for a MIDI system or a keyboard.
#include "Application.h"
#include "Platform/Instance/SingleInstance.h"
#include "ScopedVariable.h"
#include "TemporaryFolder.h"
#include "UpdaterProcess.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

TEST(SecondInstance, HandsItsCommandLineToTheFirstAndEnds)
{
    TemporaryFolder root;
    ScopedVariable runtime("XDG_RUNTIME_DIR", root / "");
    ASSERT_EQ(::chmod((root / "").c_str(), 0700), 0);
    const std::string name = KV::NarrowString(LApplication::GetUniqueInstanceName()).GetText();

    // This test plays the first instance with its window open.
    ASSERT_EQ(KV::Platform::ClaimSingleInstance(name, "first"), KV::Platform::InstanceRole::First);
    std::unique_ptr<KV::Platform::CommandLineListener> listener = KV::Platform::ListenForCommandLines(name);
    ASSERT_TRUE(listener);

    const UpdaterTest::RunResult run = UpdaterTest::RunUpdater({"-ALWAYS_UPDATE", "-SILENT"});
    EXPECT_EQ(run.status, 255) << run.Describe() << run.errors;
    EXPECT_EQ(run.output, "");
    EXPECT_EQ(run.errors,
              "Norvik ZR Firmware Updater is open already: the command line went to its window.\n");
    std::string text;
    for (int i = 0; i < 500 && !listener->TakeCommandLine(text); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(text, "-ALWAYS_UPDATE -SILENT");
}

} // namespace
