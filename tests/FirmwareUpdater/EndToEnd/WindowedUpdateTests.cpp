// The updater's window on a private X server, with a private JACK server for its MIDI
// system: one updater per user, a later one handing its command line to the open window.
#include "ScopedVariable.h"
#include "TemporaryFolder.h"
#include "UpdaterProcess.h"

#include "Platform/Window/SyntheticInput.h"
#include "Platform/Window/SystemWindows.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

using UpdaterTest::UpdaterChild;
using namespace std::chrono_literals;
using namespace KV;

namespace {

// The time a step may take before the test gives up: the keyboard's start on a loaded
// JACK server may take long; nothing is measured by it.
constexpr auto kStepLimit = 90s;

// An image of 40 records; with the keyboard's delay per acknowledgement, its transfer takes
// long enough to watch.
std::string WriteImage(const std::string& path)
{
    std::string text;
    char hex[8];
    for (int record = 0; record < 40; ++record)
    {
        const unsigned length = 24 + record % 7;
        std::snprintf(hex, sizeof hex, "%04X", length);
        text += hex;
        for (unsigned i = 0; i < length; ++i)
        {
            std::snprintf(hex, sizeof hex, "%02X", (record * 31 + i * 7) % 256);
            text += hex;
        }
    }
    std::ofstream(path) << text;
    return path;
}

// The updater's window as the test sees it on the X server.
class WindowOnScreen
{
public:
    explicit WindowOnScreen(UpdaterChild& updater) : mUpdater(updater) {}
    // A test that stops early closes the window as a person would: a killed updater
    // holds up the JACK server for the next test's clients.
    ~WindowOnScreen()
    {
        if (mWindow && !mUpdater.HasEnded())
        {
            Platform::RequestWindowClose(mWindow);
            mUpdater.Finish(10s);
        }
    }
    WindowOnScreen(const WindowOnScreen&) = delete;
    WindowOnScreen& operator=(const WindowOnScreen&) = delete;

    // Waits for the process's window; false when the process ends first or none comes.
    bool WaitForWindow()
    {
        const auto deadline = std::chrono::steady_clock::now() + kStepLimit;
        while (std::chrono::steady_clock::now() < deadline && !mUpdater.HasEnded())
        {
            mWindow = Platform::FindProcessWindow(mUpdater.Pid());
            if (mWindow && Platform::GetSystemWindowPlace(mWindow, mPlace))
                return true;
            std::this_thread::sleep_for(20ms);
        }
        return false;
    }

    uintptr_t Handle() const noexcept { return mWindow; }

private:
    UpdaterChild& mUpdater;
    uintptr_t mWindow = 0;
    Platform::ScreenPlace mPlace;
};

// A private home for the updater: its settings, window placement and the name one
// updater per user holds, apart from any other updater on the machine.
struct PrivateHome
{
    PrivateHome()
    {
        for (const char* folder : {"run", "config", "data"})
            std::filesystem::create_directories(root / folder);
        ::chmod((root / "run").c_str(), 0700);
    }
    TemporaryFolder root;
    ScopedVariable home{"HOME", root / ""};
    ScopedVariable runtime{"XDG_RUNTIME_DIR", root / "run"};
    ScopedVariable config{"XDG_CONFIG_HOME", root / "config"};
    ScopedVariable data{"XDG_DATA_HOME", root / "data"};
};

} // namespace

// One updater per user: a later one hands its command line to the first one's window and
// ends with 255; the first stays, is told the command line, and ends when its window is
// closed.
TEST(WindowedUpdate, ALaterUpdaterHandsItsCommandLineToTheOpenWindow)
{
    PrivateHome home;
    const std::string image = WriteImage(home.root / "image.led");
    UpdaterChild first({"-DEBUG_CONSOLE", "-ABSOLUTE_FIRMWARE_FILE_PATH=" + image}, true);
    WindowOnScreen window(first);
    ASSERT_TRUE(window.WaitForWindow()) << first.Finish(0ms).errors;

    const UpdaterTest::RunResult second = UpdaterTest::RunUpdater({"-ALWAYS_UPDATE", "-SILENT"});
    EXPECT_EQ(second.status, 255) << second.Describe() << second.errors;
    EXPECT_EQ(second.output, "");
    EXPECT_FALSE(first.HasEnded());

    ASSERT_TRUE(Platform::RequestWindowClose(window.Handle()));
    const UpdaterTest::RunResult& run = first.Finish(60s);
    EXPECT_EQ(run.status, 0) << run.Describe() << run.errors;
    EXPECT_NE(run.errors.find("Command line handed over: -ALWAYS_UPDATE -SILENT"), std::string::npos)
        << run.errors;
}
