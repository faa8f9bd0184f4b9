// A whole update in the updater's window, end to end: the updater and the simulated keyboard
// are separate processes on a private JACK server, the window is on a private X server,
// and the test drives it as a person would, with clicks made up through the X test
// extension. Each step's screenshot is compared with the picture the step must show (the
// window tests' references of the same situations) and kept in the build tree.
#include "JackServerProcess.h"
#include "ReferenceImage.h"
#include "ScopedVariable.h"
#include "SimProcess.h"
#include "TemporaryFolder.h"
#include "UpdaterProcess.h"

#include "Platform/Window/SyntheticInput.h"
#include "Platform/Window/SystemWindows.h"
#include "Platform/Window/WindowCapture.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using NorvikSimTest::SimProcess;
using UpdaterTest::UpdaterChild;
using namespace std::chrono_literals;
using namespace KV;

namespace {

// Where the window's controls are, in its client area (the shipped skin's layout).
constexpr int32_t kButtonRowY = 320;
constexpr int32_t kUpdateButtonX = 124; // UPDATE FIRMWARE, and NEXT over it
constexpr int32_t kBarLeft = 32;
constexpr int32_t kBarRight = 488;
constexpr int32_t kBarTop = 250;
constexpr int32_t kBarBottom = 276;
// A row of the bar above its percentage.
constexpr int32_t kBarRow = kBarTop + 4;
// The two buttons of the button row, each with the band along its edges where the
// keyboard focus shows.
constexpr int32_t kButtonTop = 300;
constexpr int32_t kButtonBottom = 340;
constexpr int32_t kButtonLefts[] = {24, 296};
constexpr int32_t kButtonWidth = 200;
constexpr int32_t kFocusBand = 6;

// What a comparison with a reference leaves out.
enum LeaveOut : unsigned
{
    LeaveOutNothing = 0,
    LeaveOutBar = 1,        // the progress bar's moving parts
    LeaveOutFocusRings = 2, // where the keyboard focus shows on a button: it follows the
                            // buttons shown and hidden before, not the step itself
};

// The time a step may take before the test gives up: the keyboard's start on a loaded
// JACK server may take long; nothing is measured by it.
constexpr auto kStepLimit = 90s;

std::string Text(const Platform::CapturedPixels& captured)
{
    return std::to_string(captured.width) + " x " + std::to_string(captured.height);
}

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

    Platform::CapturedPixels Capture() const
    {
        Platform::CapturedPixels captured;
        Platform::CaptureSystemWindow(mWindow, captured);
        return captured;
    }

    // A left click at the point of the client area; the pointer then leaves the window, so
    // that no control keeps the look of one under the pointer.
    void Click(int32_t x, int32_t y) const
    {
        ASSERT_TRUE(Platform::MovePointer(mPlace.x + x, mPlace.y + y));
        ASSERT_TRUE(Platform::PressButton(1, true));
        ASSERT_TRUE(Platform::PressButton(1, false));
        ASSERT_TRUE(Platform::MovePointer(mPlace.x + mPlace.width + 40, mPlace.y + mPlace.height + 40));
    }

    // Waits until the window shows the reference picture outside the area left out (the
    // progress bar's moving parts), keeps the screenshot under the step's name, and fails
    // with the pictures of the difference when it never does.
    void ExpectShows(const std::string& reference, const std::string& step,
                     unsigned leaveOut = LeaveOutNothing)
    {
        SCOPED_TRACE(step);
        const bool updating = std::getenv("KV_UPDATE_REFERENCE_IMAGES") != nullptr;
        const auto deadline = std::chrono::steady_clock::now() + kStepLimit;
        Platform::CapturedPixels shown;
        Platform::CapturedPixels before;
        while (std::chrono::steady_clock::now() < deadline && !mUpdater.HasEnded())
        {
            shown = Capture();
            // Drawing new references: the picture that stays for a second.
            if (updating ? !before.pixels.empty() && shown.pixels == before.pixels
                         : Differing(shown, reference, leaveOut) == 0)
                break;
            before = shown;
            std::this_thread::sleep_for(updating ? 1000ms : 50ms);
        }
        Platform::SavePng(shown, std::string(KV_TEST_OUTPUT_FOLDER) + "/" + step + ".png");
        ASSERT_EQ(Text(shown), "520 x 360");
        Testing::ExpectMatchesReference(
            [&](int32_t x, int32_t y) {
                return IsLeftOut(x, y, leaveOut) ? ReferencePixel(reference, x, y) : shown.At(x, y);
            },
            shown.width, shown.height, KV_REFERENCE_IMAGE_FOLDER, KV_TEST_OUTPUT_FOLDER, reference);
    }

    // Watches the progress bar until the window shows the end of the transfer: the bar's
    // row as each screenshot had it, in order, without repeats.
    std::vector<std::vector<uint32_t>> WatchBar(const std::function<bool()>& ended)
    {
        std::vector<std::vector<uint32_t>> rows;
        const auto deadline = std::chrono::steady_clock::now() + kStepLimit;
        while (std::chrono::steady_clock::now() < deadline && !mUpdater.HasEnded() && !ended())
        {
            const Platform::CapturedPixels shown = Capture();
            if (shown.width < kBarRight || shown.height < kBarBottom)
                continue;
            std::vector<uint32_t> row;
            for (int32_t x = kBarLeft; x < kBarRight; ++x)
                row.push_back(shown.At(x, kBarRow));
            if (rows.empty() || row != rows.back())
                rows.push_back(std::move(row));
            std::this_thread::sleep_for(20ms);
        }
        return rows;
    }

private:
    static bool IsLeftOut(int32_t x, int32_t y, unsigned leaveOut)
    {
        if ((leaveOut & LeaveOutBar) && x >= kBarLeft && x < kBarRight && y >= kBarTop && y < kBarBottom)
            return true;
        if (!(leaveOut & LeaveOutFocusRings) || y < kButtonTop || y >= kButtonBottom)
            return false;
        for (const int32_t left : kButtonLefts)
            if (x >= left && x < left + kButtonWidth &&
                (x < left + kFocusBand || x >= left + kButtonWidth - kFocusBand ||
                 y < kButtonTop + kFocusBand || y >= kButtonBottom - kFocusBand))
                return true;
        return false;
    }

    static uint32_t ReferencePixel(const std::string& reference, int32_t x, int32_t y)
    {
        const std::string path = std::string(KV_REFERENCE_IMAGE_FOLDER) + "/" + reference + ".png";
        const RCPtr<LBitmap> bitmap = LBitmap::GetCachedBitmap(String(path.c_str()));
        const BitmapImage* image = bitmap ? bitmap->GetGdiplusBitmap() : nullptr;
        return image && x < image->GetWidth() && y < image->GetHeight() ? image->GetARGB(x, y) : 0;
    }

    // How many pixels differ from the reference by more than the tolerance of the window
    // tests; every pixel when the sizes differ.
    static int Differing(const Platform::CapturedPixels& shown, const std::string& reference,
                         unsigned leaveOut)
    {
        const std::string path = std::string(KV_REFERENCE_IMAGE_FOLDER) + "/" + reference + ".png";
        const RCPtr<LBitmap> bitmap = LBitmap::GetCachedBitmap(String(path.c_str()));
        const BitmapImage* image = bitmap ? bitmap->GetGdiplusBitmap() : nullptr;
        if (!image || image->GetWidth() != shown.width || image->GetHeight() != shown.height)
            return static_cast<int>(shown.pixels.size()) + 1;
        int differing = 0;
        for (int32_t y = 0; y < shown.height; ++y)
            for (int32_t x = 0; x < shown.width; ++x)
                if (!IsLeftOut(x, y, leaveOut) &&
                    !Testing::ReferenceDetail::Close(shown.At(x, y), image->GetARGB(x, y), 2))
                    ++differing;
        return differing;
    }

    UpdaterChild& mUpdater;
    uintptr_t mWindow = 0;
    Platform::ScreenPlace mPlace;
};

// How many of the bar row's pixels differ from the row's first picture: the part of the
// bar filled since then.
size_t FilledSince(const std::vector<uint32_t>& first, const std::vector<uint32_t>& row)
{
    size_t filled = 0;
    for (size_t x = 0; x < row.size(); ++x)
        filled += row[x] != first[x];
    return filled;
}

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

// The close box ends the run with 0; the keyboards are switched off as a person would.
void CloseAndExpectEnd(WindowOnScreen& window, UpdaterChild& updater, const std::vector<SimProcess*>& sims)
{
    ASSERT_TRUE(Platform::RequestWindowClose(window.Handle()));
    const UpdaterTest::RunResult& run = updater.Finish(60s);
    EXPECT_EQ(run.status, 0) << run.Describe() << run.errors;
    for (SimProcess* sim : sims)
        sim->Command("quit");
}

} // namespace

TEST(WindowedUpdate, UpdateFirmwareThroughThePowerCycleToSuccess)
{
    ASSERT_TRUE(Platform::SyntheticInputAvailable());
    PrivateHome home;
    // Named as the window tests' image is, whose name the pictures show.
    const std::string image = WriteImage(home.root / "VORazuro61.led");
    SimProcess sim({"--expect", image, "--off-time", "300", "--install-time", "300", "--ack-delay", "60"});
    ASSERT_TRUE(sim.WaitForLine("on: normal mode")) << sim.Output();

    UpdaterChild updater({"-ABSOLUTE_FIRMWARE_FILE_PATH=" + image}, true);
    WindowOnScreen window(updater);
    ASSERT_TRUE(window.WaitForWindow()) << updater.Finish(0ms).errors;

    window.ExpectShows("UpdaterWindowReady", "WindowedUpdate-1-Ready");
    window.Click(kUpdateButtonX, kButtonRowY);
    ASSERT_TRUE(sim.WaitForLine("enter: accepted")) << sim.Output();
    window.ExpectShows("UpdaterWindowPowerCycle", "WindowedUpdate-2-PowerCycle");

    sim.Command("power");
    ASSERT_TRUE(sim.WaitForLine("on: update mode")) << sim.Output();
    window.Click(kUpdateButtonX, kButtonRowY); // NEXT
    window.ExpectShows("UpdaterWindowTransfer", "WindowedUpdate-3-Transfer", LeaveOutBar);

    // The bar grows from its first picture to its last, over several pictures.
    std::atomic<bool> done = false;
    std::thread waitForEnd([&] { done = sim.WaitForLine("done: image matches"); });
    const std::vector<std::vector<uint32_t>> rows = window.WatchBar([&] { return done.load(); });
    waitForEnd.join();
    ASSERT_TRUE(done) << sim.Output();
    ASSERT_GE(rows.size(), 3u) << "the bar was seen in too few states";
    for (size_t i = 1; i < rows.size(); ++i)
        EXPECT_GE(FilledSince(rows.front(), rows[i]), FilledSince(rows.front(), rows[i - 1])) << i;
    window.ExpectShows("UpdaterWindowSucceeded", "WindowedUpdate-4-Succeeded");

    // Not updating: the close box ends the run.
    ASSERT_TRUE(Platform::RequestWindowClose(window.Handle()));
    const UpdaterTest::RunResult& run = updater.Finish(60s);
    EXPECT_EQ(run.status, 0) << run.Describe() << run.errors << sim.Output();
    ASSERT_TRUE(sim.WaitForLine("on: normal mode, firmware 1.0.0.6")) << sim.Output();
    // Ended, not killed: a killed client holds up the JACK server for the next one.
    sim.Command("quit");
    EXPECT_EQ(sim.WaitForExit(), 0) << sim.Output();
}

// One updater per user: a later one hands its command line to the first one's window,
// says so and ends with 255; the first stays, comes back from being minimised, is told
// the command line, and ends when its window is closed. The window carries the
// application's name as its title and class, for the window manager's title bar and
// task list.
TEST(WindowedUpdate, ALaterUpdaterHandsItsCommandLineToTheOpenWindow)
{
    PrivateHome home;
    const std::string image = WriteImage(home.root / "VORazuro61.led");
    UpdaterChild first({"-DEBUG_CONSOLE", "-ABSOLUTE_FIRMWARE_FILE_PATH=" + image}, true);
    WindowOnScreen window(first);
    ASSERT_TRUE(window.WaitForWindow()) << first.Finish(0ms).errors;
    EXPECT_EQ(Platform::GetSystemWindowTitle(window.Handle()), "Norvik ZR Firmware Updater");
    std::string instanceName, className;
    ASSERT_TRUE(Platform::GetSystemWindowClass(window.Handle(), instanceName, className));
    EXPECT_EQ(instanceName, "FirmwareUpdater");
    EXPECT_EQ(className, "Norvik ZR Firmware Updater");

    ASSERT_TRUE(Platform::MinimizeSystemWindow(window.Handle()));
    const UpdaterTest::RunResult second = UpdaterTest::RunUpdater({"-ALWAYS_UPDATE", "-SILENT"});
    EXPECT_EQ(second.status, 255) << second.Describe() << second.errors;
    EXPECT_EQ(second.output, "");
    EXPECT_EQ(second.errors,
              "Norvik ZR Firmware Updater is open already: the command line went to its window.\n");
    EXPECT_FALSE(first.HasEnded());
    const auto deadline = std::chrono::steady_clock::now() + kStepLimit;
    while (!Platform::IsSystemWindowViewable(window.Handle()) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(20ms);
    EXPECT_TRUE(Platform::IsSystemWindowViewable(window.Handle())) << "the minimised window stayed minimised";

    ASSERT_TRUE(Platform::RequestWindowClose(window.Handle()));
    const UpdaterTest::RunResult& run = first.Finish(60s);
    EXPECT_EQ(run.status, 0) << run.Describe() << run.errors;
    EXPECT_NE(run.errors.find("Command line handed over: -ALWAYS_UPDATE -SILENT"), std::string::npos)
        << run.errors;
}

// A file that is there but holds no image: the window says the file is missing or invalid
// and offers no update, so a click where UPDATE FIRMWARE would be switches nothing.
TEST(WindowedUpdate, AFileThatIsNoImageNeverSwitchesTheKeyboard)
{
    ASSERT_TRUE(Platform::SyntheticInputAvailable());
    PrivateHome home;
    SimProcess sim({});
    ASSERT_TRUE(sim.WaitForLine("on: normal mode")) << sim.Output();
    const std::pair<const char*, std::string> notImages[] = {
        {"Text", "Release notes: version 1.0.0.6\n"},
        {"RandomBytes", std::string("\x8F\x00\xD2\x11\xFE\x07", 6)},
        {"Empty", ""},
        {"OddDigits", "0003AABBC"},
    };
    for (const auto& [what, content] : notImages)
    {
        SCOPED_TRACE(what);
        const std::string image = home.root / "VORazuro61.led";
        std::ofstream(image) << content;
        UpdaterChild updater({"-ABSOLUTE_FIRMWARE_FILE_PATH=" + image}, true);
        WindowOnScreen window(updater);
        ASSERT_TRUE(window.WaitForWindow()) << updater.Finish(0ms).errors;
        window.ExpectShows("UpdaterWindowInvalidImage", std::string("WindowedUpdate-NoImage-") + what);
        window.Click(kUpdateButtonX, kButtonRowY);
        ASSERT_TRUE(Platform::RequestWindowClose(window.Handle()));
        const UpdaterTest::RunResult& run = updater.Finish(60s);
        EXPECT_EQ(run.status, 0) << run.Describe() << run.errors;
    }
    sim.Command("quit");
    EXPECT_TRUE(sim.WaitForExit()) << sim.Output(); // no transfer: its status says so
    // Each updater asked the keyboard who it is; none switched it.
    EXPECT_NE(sim.Output().find("identity"), std::string::npos) << sim.Output();
    EXPECT_EQ(sim.Output().find("enter"), std::string::npos) << sim.Output();
}

// A signal that asks the updater to end: with the window idle it ends as a close does; in
// the middle of a transfer the transfer stops as a cancel first (the keyboard gets no
// further record and stays in its update mode), then the window ends the same way.
TEST(WindowedUpdate, TerminationSignalsEndTheWindowInOrder)
{
    ASSERT_TRUE(Platform::SyntheticInputAvailable());
    struct Row
    {
        const char* what;
        int signal;
        bool duringTransfer;
    };
    const Row rows[] = {
        {"SIGTERM with the window idle", SIGTERM, false},
        {"SIGINT during a transfer", SIGINT, true},
        {"SIGHUP during a transfer", SIGHUP, true},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.what);
        PrivateHome home;
        const std::string image = WriteImage(home.root / "VORazuro61.led");
        // Record 3's acknowledgement comes late: the signal finds the transfer waiting.
        SimProcess sim({"--expect", image, "--off-time", "300", "--late-ack-at", "3:20000"});
        ASSERT_TRUE(sim.WaitForLine("on: normal mode")) << sim.Output();
        UpdaterChild updater({"-ABSOLUTE_FIRMWARE_FILE_PATH=" + image}, true);
        WindowOnScreen window(updater);
        ASSERT_TRUE(window.WaitForWindow()) << updater.Finish(0ms).errors;
        window.ExpectShows("UpdaterWindowReady", "WindowedUpdate-Signal-Ready");
        if (row.duringTransfer)
        {
            window.Click(kUpdateButtonX, kButtonRowY);
            ASSERT_TRUE(sim.WaitForLine("enter: accepted")) << sim.Output();
            sim.Command("power");
            ASSERT_TRUE(sim.WaitForLine("on: update mode")) << sim.Output();
            window.ExpectShows("UpdaterWindowPowerCycle", "WindowedUpdate-Signal-PowerCycle");
            window.Click(kUpdateButtonX, kButtonRowY); // NEXT
            ASSERT_TRUE(sim.WaitForLine("record 3 OK")) << sim.Output();
        }
        ASSERT_EQ(kill(updater.Pid(), row.signal), 0);
        const UpdaterTest::RunResult& run = updater.Finish(60s);
        EXPECT_EQ(run.status, 0) << run.Describe() << run.errors << sim.Output();
        sim.Command("quit");
        sim.WaitForExit();
        EXPECT_EQ(sim.Output().find("record 4 "), std::string::npos) << sim.Output();
        EXPECT_EQ(sim.Output().find("done: image matches"), std::string::npos) << sim.Output();
    }
}

// Two keyboards: the window says so and switches neither; with one unplugged it offers the
// other at once; and when a second keyboard is back while the switched one is off, NEXT
// cannot tell which one was switched and sends nothing.
TEST(WindowedUpdate, SeveralKeyboardsAreNotUpdatedAndTheOneSwitchedIsFollowed)
{
    ASSERT_TRUE(Platform::SyntheticInputAvailable());
    PrivateHome home;
    const std::string image = WriteImage(home.root / "VORazuro61.led");
    SimProcess first({"--expect", image, "--off-time", "300"});
    ASSERT_TRUE(first.WaitForLine("on: normal mode")) << first.Output();
    const std::vector<std::string> secondOptions{"--name-suffix", " B", "--expect", image};
    auto second = std::make_unique<SimProcess>(secondOptions);
    ASSERT_TRUE(second->WaitForLine("on: normal mode")) << second->Output();

    UpdaterChild updater({"-ABSOLUTE_FIRMWARE_FILE_PATH=" + image}, true);
    WindowOnScreen window(updater);
    ASSERT_TRUE(window.WaitForWindow()) << updater.Finish(0ms).errors;
    window.ExpectShows("UpdaterWindowSeveralKeyboards", "SeveralKeyboards-1-Two", LeaveOutFocusRings);
    ASSERT_TRUE(first.WaitForLine("identity:")) << first.Output();
    ASSERT_TRUE(second->WaitForLine("identity:")) << second->Output();

    window.Click(kUpdateButtonX, kButtonRowY); // SCAN FOR DEVICE: both asked again
    ASSERT_TRUE(first.WaitForLine("identity:")) << first.Output();
    ASSERT_TRUE(second->WaitForLine("identity:")) << second->Output();
    window.ExpectShows("UpdaterWindowSeveralKeyboards", "SeveralKeyboards-2-ScannedAgain",
                       LeaveOutFocusRings);

    // The second unplugged: the first is offered without a scan asked for.
    second->Command("quit");
    ASSERT_TRUE(second->WaitForExit()) << second->Output();
    second.reset();
    window.ExpectShows("UpdaterWindowReady", "SeveralKeyboards-3-OneLeft", LeaveOutFocusRings);
    window.Click(kUpdateButtonX, kButtonRowY);
    ASSERT_TRUE(first.WaitForLine("enter: accepted")) << first.Output();
    window.ExpectShows("UpdaterWindowPowerCycle", "SeveralKeyboards-4-PowerCycle", LeaveOutFocusRings);

    // Plugged in again while the switched one is off and back in its update mode.
    second = std::make_unique<SimProcess>(secondOptions);
    ASSERT_TRUE(second->WaitForLine("on: normal mode")) << second->Output();
    first.Command("power");
    ASSERT_TRUE(first.WaitForLine("on: update mode")) << first.Output();
    window.Click(kUpdateButtonX, kButtonRowY); // NEXT
    window.ExpectShows("UpdaterWindowSeveralKeyboards", "SeveralKeyboards-5-CannotTell", LeaveOutFocusRings);
    EXPECT_EQ(first.Output().find("session: start"), std::string::npos) << first.Output();
    EXPECT_EQ(second->Output().find("session: start"), std::string::npos) << second->Output();
    EXPECT_EQ(second->Output().find("enter: accepted"), std::string::npos) << second->Output();

    CloseAndExpectEnd(window, updater, {&first, second.get()});
}

// Keyboards that come and go while the window shows: one plugged in is offered without a
// scan asked for, and one switched off and on is read again on its new ports, so that
// UPDATE FIRMWARE reaches it.
TEST(WindowedUpdate, KeyboardsThatComeAndGoAreShownAsTheyAre)
{
    ASSERT_TRUE(Platform::SyntheticInputAvailable());
    PrivateHome home;
    const std::string image = WriteImage(home.root / "VORazuro61.led");
    UpdaterChild updater({"-ABSOLUTE_FIRMWARE_FILE_PATH=" + image}, true);
    WindowOnScreen window(updater);
    ASSERT_TRUE(window.WaitForWindow()) << updater.Finish(0ms).errors;
    window.ExpectShows("UpdaterWindowNoKeyboard", "ComeAndGo-1-None", LeaveOutFocusRings);

    SimProcess sim({"--off-time", "300"});
    ASSERT_TRUE(sim.WaitForLine("on: normal mode")) << sim.Output();
    ASSERT_TRUE(sim.WaitForLine("identity:")) << sim.Output();
    window.ExpectShows("UpdaterWindowReady", "ComeAndGo-2-PluggedIn", LeaveOutFocusRings);

    sim.Command("power");
    ASSERT_TRUE(sim.WaitForLine("on: normal mode")) << sim.Output();
    ASSERT_TRUE(sim.WaitForLine("identity:")) << "the restarted keyboard was not read again\n"
                                              << sim.Output();
    window.ExpectShows("UpdaterWindowReady", "ComeAndGo-3-Restarted", LeaveOutFocusRings);
    window.Click(kUpdateButtonX, kButtonRowY);
    ASSERT_TRUE(sim.WaitForLine("enter: accepted")) << sim.Output();
    window.ExpectShows("UpdaterWindowPowerCycle", "ComeAndGo-4-PowerCycle", LeaveOutFocusRings);

    CloseAndExpectEnd(window, updater, {&sim});
}

// A MIDI server that stops answering (a synchronous one waiting for a killed client) does
// not freeze the window: a scan under way shows as such, and the close box ends the run,
// the keyboard's ports open or not.
TEST(WindowedUpdate, AStalledMidiServerDoesNotFreezeTheWindow)
{
    ASSERT_TRUE(Platform::SyntheticInputAvailable());
    struct Row
    {
        const char* what;
        int keyboards;
        bool scan; // SCAN FOR DEVICE clicked while the server stalls: the scan waits for it
        const char* before;
    };
    const Row rows[] = {
        {"idle, with the keyboard's ports open", 1, false, "UpdaterWindowReady"},
        {"a scan under way", 2, true, "UpdaterWindowSeveralKeyboards"},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.what);
        // A server of the test's own: the stall and the client that ends under it disturb no
        // other test's server.
        KV::Test::JackServerProcess server("stall");
        ASSERT_TRUE(server.Start()) << server.Log();
        PrivateHome home;
        const std::string image = WriteImage(home.root / "VORazuro61.led");
        std::vector<std::unique_ptr<SimProcess>> sims;
        for (int i = 0; i < row.keyboards; ++i)
        {
            sims.push_back(std::make_unique<SimProcess>(
                i == 0 ? std::vector<std::string>{} : std::vector<std::string>{"--name-suffix", " B"}));
            ASSERT_TRUE(sims.back()->WaitForLine("on: normal mode")) << sims.back()->Output();
        }
        UpdaterChild updater({"-ABSOLUTE_FIRMWARE_FILE_PATH=" + image}, true);
        WindowOnScreen window(updater);
        ASSERT_TRUE(window.WaitForWindow()) << updater.Finish(0ms).errors;
        window.ExpectShows(row.before, std::string("Stalled-") + (row.scan ? "Scan" : "Idle") + "-1-Before",
                           LeaveOutFocusRings);
        server.Stall();
        if (row.scan)
        {
            window.Click(kUpdateButtonX, kButtonRowY); // SCAN FOR DEVICE
            window.ExpectShows("UpdaterWindowScanning", "Stalled-Scan-2-Scanning", LeaveOutFocusRings);
        }
        ASSERT_TRUE(Platform::RequestWindowClose(window.Handle()));
        const UpdaterTest::RunResult& run = updater.Finish(60s);
        EXPECT_EQ(run.status, 0) << run.Describe() << run.errors;
        server.Resume();
        for (const auto& sim : sims)
            sim->Command("quit");
    }
}
