#include "Application/FrameworkApp.h"
#include "Application/MainWindowFactory.h"
#include "Application/OSWindow.h"
#include "Application/OpenFileDialog.h"
#include "Application/Profile.h"
#include "Notification/Notification.h"
#include "Notification/NotificationParams.h"
#include "Platform/Instance/SingleInstance.h"
#include "Platform/Window/PlatformWindow.h"
#include "Platform/Window/SyntheticInput.h"
#include "Platform/Window/SystemWindows.h"
#include "Platform/Window/WindowCapture.h"
#include "Platform/Window/WindowEventSource.h"
#include "PumpEvents.h"
#include "SdlVideoEnvironment.h"
#include "ScopedVariable.h"
#include "TemporaryFolder.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <thread>
#include <string>
#include <vector>

using namespace KV;

namespace {

const auto* const gVideo = ::testing::AddGlobalTestEnvironment(new SdlVideoEnvironment());

constexpr uint32_t kBackground = 0xFF3060A0u;

// Stands for the root window: records what the window hands it and paints one colour.
class RecordingTarget : public IWindowInputTarget
{
public:
    void OnMouseButton(int action, int button, uint32_t modifiers, const PointT<int32_t>& point) override
    {
        Log("button " + std::to_string(action) + " " + std::to_string(button) + " at " + At(point));
    }
    void OnMouseMove(const PointT<int32_t>& point, uint32_t) override { Log("move " + At(point)); }
    void OnMouseWheel(const PointT<int32_t>& point, uint32_t, int direction) override
    {
        Log("wheel " + std::to_string(direction));
    }
    void OnKey(const RCPtr<LKeyParam>& param) override { keys.push_back(param->mKeyCode); }
    void OnCaptureLost() override { Log("capture lost"); }
    void OnFocusLost() override { Log("focus lost"); }
    void OnActivate() override { Log("activate"); }
    void OnCloseCommand() override
    {
        Log("close command");
        if (onClose)
            onClose();
    }
    bool HasFocusControl() override { return true; }
    void OnWindowResized() override { Log("resized"); }
    void SetSizeChanged() override {}
    int32_t OnSizing(SizeT<int32_t>& size) override
    {
        // The root control does not go below 100 x 80.
        const SizeT<int32_t> asked = size;
        size.width = std::max(size.width, 100);
        size.height = std::max(size.height, 80);
        return asked.width != size.width || asked.height != size.height ? 1 : 0;
    }
    void InvalidateRect(const RectT<int32_t>& rect) override
    {
        Log("invalidate " + std::to_string(rect.width) + "x" + std::to_string(rect.height));
    }
    void CollectInvalidRegion(RectRegion& region) override {}
    void OnPaint(const RectRegion& region) override
    {
        RegionRect bounds;
        region.GetBounds(bounds);
        ColorT color;
        window->GetRenderer()->FillRect(
            {bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top},
            color.FromARGB(kBackground), false);
        ++paints;
    }

    void Log(const std::string& line) { log.push_back(line); }
    static std::string At(const PointT<int32_t>& point)
    {
        return std::to_string(point.x) + "," + std::to_string(point.y);
    }
    bool Saw(const std::string& line) const { return std::find(log.begin(), log.end(), line) != log.end(); }

    OSWindow* window = nullptr;
    std::function<void()> onClose;
    std::vector<std::string> log;
    std::vector<KeyCode> keys;
    int paints = 0;
};

class Field : public LControl
{
public:
    Field(const RCPtr<LControl>& parent, const char16_t* name, const RectT<double>& rect)
        : LControl(parent, String(name))
    {
        // Laid out from the layout like any control of a skin.
        LLayoutDescriptor& layout = *GetLayout();
        layout.mXPosition.mAbs = rect.x;
        layout.mYPosition.mAbs = rect.y;
        layout.mXSize.mAbs = rect.width;
        layout.mYSize.mAbs = rect.height;
        SetNotFocusable(false);
    }
    bool IsTransparentAt(const PointT<double>&) override { return false; }
};

class ClickCounter : public LNotificationClient
{
public:
    KVRESULT Receive(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&) override
    {
        ++clicks;
        return S_OK;
    }
    int clicks = 0;
};

constexpr uint32_t kIconColor = 0xFFC04020u;

// The application: keeps the command lines handed over to it; its windows carry a small
// icon of one colour.
class RecordingApp : public LFrameworkApp
{
public:
    RCPtr<LBitmap> GetAppIcon() override
    {
        ColorT color;
        return LBitmap::CreateFilledBitmap({16, 16}, color.FromARGB(kIconColor));
    }
    KVRESULT OnCommandLine(const String& commandLine) override
    {
        commandLines.push_back(commandLine.ToNarrow().GetText());
        return S_OK;
    }
    int32_t OnPowerBroadcast(uint32_t event, uintptr_t data) override
    {
        powerEvents.push_back(std::to_string(event) + " " + std::to_string(data));
        return 1;
    }
    std::vector<std::string> commandLines;
    std::vector<std::string> powerEvents;
};

class OSWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Platform::ResetWindowEventSource();
        mApp = RCPtr<RecordingApp>(new RecordingApp());
        mWindow = MakeWindow({60, 50, 240, 160}, false);
        ASSERT_NE(nullptr, mWindow) << "no X server to make windows on";
    }
    void TearDown() override
    {
        if (mWindow)
            mWindow->Close();
        OSWindow::DeleteClosedWindows();
        mApp.Reset();
        Platform::ResetWindowEventSource();
    }

    OSWindow* MakeWindow(const RectT<int32_t>& client, bool resizable)
    {
        auto* window = new OSWindow();
        OSWindow::Style style;
        style.resizable = resizable;
        style.className = String(u"KV Window Tests");
        if (window->CreateEx(String(u"test window"), client, style) != S_OK)
        {
            delete window;
            return nullptr;
        }
        mTarget.window = window;
        window->SetInputTarget(&mTarget);
        window->CreateRenderer(kRendererTypeGDI);
        window->Show(true);
        return window;
    }

    RCPtr<RecordingApp> mApp;
    RecordingTarget mTarget;
    OSWindow* mWindow = nullptr;
};

} // namespace

TEST_F(OSWindowTest, FixedWindowHasTheSizeAskedForAndItsPaintReachesTheScreen)
{
    RectT<int32_t> client;
    ASSERT_EQ(S_OK, mWindow->GetClientRect(client));
    EXPECT_EQ(240, client.width);
    EXPECT_EQ(160, client.height);
    EXPECT_FALSE(mWindow->GetPlatformWindow()->IsResizable());
    EXPECT_EQ(1, mApp->GetRootWindows().GetCount());
    // Window managers name and group the window by its title and class.
    EXPECT_EQ("test window", Platform::GetSystemWindowTitle(mWindow->GetWindowHandle()));
    std::string instanceName, className;
    ASSERT_TRUE(Platform::GetSystemWindowClass(mWindow->GetWindowHandle(), instanceName, className));
    EXPECT_EQ("KV Window Tests", className);
    EXPECT_FALSE(instanceName.empty());
    // A root control's text is the title; a root control without one leaves it.
    mWindow->SetWindowText(String(u"Settings"));
    EXPECT_EQ("Settings", Platform::GetSystemWindowTitle(mWindow->GetWindowHandle()));
    mWindow->SetWindowText(String());
    EXPECT_EQ("test window", Platform::GetSystemWindowTitle(mWindow->GetWindowHandle()));

    ASSERT_TRUE(PumpUntil([&] { return mTarget.paints > 0; }));
    Platform::CapturedPixels screen;
    ASSERT_TRUE(Platform::CaptureWindow(*mWindow->GetPlatformWindow(), screen));
    ASSERT_EQ(240, screen.width);
    ASSERT_EQ(160, screen.height);
    if (const char* folder = std::getenv("KV_SCREENSHOT_DIR"))
        Platform::SavePng(screen, std::string(folder) + "/os-window.png");
    size_t background = 0;
    for (const uint32_t pixel : screen.pixels)
        background += pixel == kBackground ? 1 : 0;
    EXPECT_EQ(screen.pixels.size(), background);
}

TEST_F(OSWindowTest, ResizableWindowKeepsTheRootControlsMinimum)
{
    mWindow->Close();
    mWindow = MakeWindow({60, 50, 240, 160}, true);
    ASSERT_NE(nullptr, mWindow);
    EXPECT_TRUE(mWindow->GetPlatformWindow()->IsResizable());
    // Dragged smaller than the root control allows: the window goes back to its minimum.
    ASSERT_EQ(S_OK, mWindow->SetWindowRect({60, 50, 50, 40}));
    RectT<int32_t> client;
    ASSERT_TRUE(PumpUntil([&] {
        mWindow->GetClientRect(client);
        return client.width == 100 && client.height == 80;
    }));
    EXPECT_EQ(100, mWindow->GetRenderContext()->GetViewport().width);

    // Grown: the paint reaches the new corner through the window's new surface.
    ASSERT_EQ(S_OK, mWindow->SetWindowRect({60, 50, 300, 200}));
    Platform::CapturedPixels screen;
    ASSERT_TRUE(PumpUntil([&] {
        return Platform::CaptureWindow(*mWindow->GetPlatformWindow(), screen) && screen.width == 300 &&
               screen.height == 200 && screen.At(299, 199) == kBackground;
    }));
}

TEST_F(OSWindowTest, ClickWheelAndKeysFromTheServerReachTheRootWindow)
{
    ASSERT_TRUE(Platform::SyntheticInputAvailable());
    PointT<int32_t> origin{0, 0};
    mWindow->ClientToScreen(origin);
    ASSERT_TRUE(Platform::MovePointer(origin.x + 30, origin.y + 20));
    ASSERT_TRUE(Platform::PressButton(1, true));
    ASSERT_TRUE(Platform::PressButton(1, false));
    ASSERT_TRUE(PumpUntil([&] { return mTarget.Saw("button 1 1 at 30,20"); }));
    EXPECT_TRUE(mTarget.Saw("button 0 1 at 30,20"));

    // Half a notch of a precise wheel is not a step; X wheels turn by whole notches.
    ASSERT_TRUE(Platform::TurnWheel(-2, 0));
    ASSERT_TRUE(
        PumpUntil([&] { return std::count(mTarget.log.begin(), mTarget.log.end(), "wheel 0") == 2; }));

    ASSERT_TRUE(Platform::PressKey(XK_Control_L, true));
    ASSERT_TRUE(Platform::PressKey(XK_a, true));
    ASSERT_TRUE(Platform::PressKey(XK_a, false));
    ASSERT_TRUE(Platform::PressKey(XK_Control_L, false));
    ASSERT_TRUE(PumpUntil([&] { return mTarget.keys.size() >= 5; }));
    // Ctrl down, A down, Ctrl+A typed, A up, Ctrl up.
    const uint32_t ctrl = KeyCode::kCtrl;
    ASSERT_EQ(5u, mTarget.keys.size());
    EXPECT_EQ(0x11u << 16 | KeyCode::kPressed | ctrl, mTarget.keys[0].mCode);
    EXPECT_EQ(0x41u << 16 | KeyCode::kPressed | ctrl, mTarget.keys[1].mCode);
    EXPECT_EQ(KeyCode::kSideLeftCtrl, mTarget.keys[1].mSideFlags);
    EXPECT_EQ(0u, mTarget.keys[1].mWasDown);
    EXPECT_EQ(0x01u | ctrl, mTarget.keys[2].mCode);
    EXPECT_EQ(0x41u << 16 | ctrl, mTarget.keys[3].mCode);
    EXPECT_EQ(1u, mTarget.keys[3].mWasDown);
}

TEST_F(OSWindowTest, CloseBoxOfTheMainWindowAsksTheApplicationAndTheWindowStays)
{
    std::vector<std::string> exits;
    struct ExitListener : LNotificationClient
    {
        explicit ExitListener(std::vector<std::string>* log) : log(log) {}
        KVRESULT Receive(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&) override
        {
            log->push_back("exit requested");
            return S_OK;
        }
        std::vector<std::string>* log;
    };
    RCPtr<ExitListener> listener(new ExitListener(&exits));
    listener->RegisterNotification(mApp->GetDefaultCenter(), u"NID_APP_EXIT_REQ");

    // A second window's close box goes to its own root window.
    OSWindow* second = MakeWindow({400, 50, 120, 90}, false);
    ASSERT_NE(nullptr, second);
    ASSERT_TRUE(Platform::RequestWindowClose(second->GetWindowHandle()));
    ASSERT_TRUE(PumpUntil([&] { return mTarget.Saw("close command"); }));
    second->Close();

    ASSERT_TRUE(Platform::RequestWindowClose(mWindow->GetWindowHandle()));
    ASSERT_TRUE(PumpUntil([&] {
        mApp->ProcessNotificationQueues(false);
        return !exits.empty();
    }));
    EXPECT_TRUE(mWindow->GetPlatformWindow()->IsVisible());
    EXPECT_EQ(1, mApp->GetRootWindows().GetCount());
    listener->UnregisterAllNotifications();
}

TEST_F(OSWindowTest, WakingFromSleepIsToldByTheMainWindowAndEveryWindowIsDrawnAgain)
{
    OSWindow* second = MakeWindow({400, 50, 120, 90}, false);
    ASSERT_NE(nullptr, second);
    for (OSWindow* window : {mWindow, second})
    {
        Platform::WindowEvent resumed;
        resumed.type = Platform::WindowEventType::Resumed;
        resumed.windowId = window->GetWindowId();
        Platform::GetWindowEventSource().Dispatch(resumed);
    }
    EXPECT_EQ(std::vector<std::string>{"18 0"}, mApp->powerEvents);
    EXPECT_TRUE(mTarget.Saw("invalidate 240x160"));
    EXPECT_TRUE(mTarget.Saw("invalidate 120x90"));
    second->Close();
}

TEST_F(OSWindowTest, MainWindowPlacementSurvivesARestart)
{
    TemporaryFolder home;
    ScopedVariable config("XDG_CONFIG_HOME", home / "config");
    LProfile profile(String(u"Test Company"), String(u"Test Profile"));
    ASSERT_TRUE(profile.IsAvailable());
    mWindow->SetPlacementProfile(&profile, String(u"TestWindowClass"));
    EXPECT_FALSE(mWindow->RestorePlacement());
    ASSERT_EQ(S_OK, mWindow->SetWindowRect({210, 170, 240, 160}));
    ASSERT_TRUE(PumpUntil([&] {
        PointT<int32_t> origin{0, 0};
        mWindow->ClientToScreen(origin);
        return origin.x == 210 && origin.y == 170;
    }));
    mWindow->Close();
    OSWindow::DeleteClosedWindows();

    mWindow = MakeWindow({0, 0, 240, 160}, false);
    ASSERT_NE(nullptr, mWindow);
    mWindow->SetPlacementProfile(&profile, String(u"TestWindowClass"));
    ASSERT_TRUE(mWindow->RestorePlacement());
    ASSERT_TRUE(PumpUntil([&] {
        PointT<int32_t> origin{0, 0};
        mWindow->ClientToScreen(origin);
        return origin.x == 210 && origin.y == 170;
    }));
    // Closed while the profile it stores into exists.
    mWindow->Close();
    mWindow = nullptr;
}

TEST_F(OSWindowTest, ClickAndTabFromTheServerReachTheControlsThroughTheRootWindow)
{
    OSWindow* window = mWindow;
    const RCPtr<LRootWindow> rootWindow = window->GetRootWindow();
    ASSERT_TRUE(rootWindow);
    window->SetInputTarget(rootWindow.Get()); // in place of the recording target

    RCPtr<LControl> root(new Field(nullptr, u"root", {0, 0, 240, 160}));
    RCPtr<LControl> first(new Field(root, u"first", {20, 10, 40, 30}));
    RCPtr<LControl> second(new Field(root, u"second", {100, 10, 40, 30}));
    rootWindow->SetRootControl(root);
    root->RecalcLayout();
    first->RecalcLayout();
    second->RecalcLayout();
    ASSERT_EQ(second->GetRect(), (RectT<double>{100, 10, 40, 30}));
    RCPtr<ClickCounter> counter(new ClickCounter());
    counter->RegisterNotification(second, u"NID_LEFT_CLICK");

    PointT<int32_t> origin{0, 0};
    window->ClientToScreen(origin);
    ASSERT_TRUE(Platform::SyntheticInputAvailable());
    // Once the window is on the screen, the pointer over the control makes it the
    // hover control.
    bool hovered = false;
    for (int attempt = 0; attempt < 50 && !hovered; ++attempt)
    {
        ASSERT_TRUE(Platform::MovePointer(origin.x + 110, origin.y + 20 + attempt % 2));
        // A bounded number of events: the loop's ticks keep coming.
        Platform::WindowEvent event;
        for (int turn = 0; turn < 20 && !hovered && Platform::GetWindowEventSource().WaitEvent(event, 100);
             ++turn)
        {
            Platform::GetWindowEventSource().Dispatch(event);
            hovered = rootWindow->GetHoverControl() == second;
        }
    }
    ASSERT_TRUE(hovered);
    ASSERT_TRUE(Platform::PressButton(1, true));
    ASSERT_TRUE(Platform::PressButton(1, false));
    EXPECT_TRUE(PumpUntil([&] { return counter->clicks == 1; }));
    EXPECT_EQ(rootWindow->GetFocusControl(), second); // the press gave it the focus

    ASSERT_TRUE(Platform::PressKey(XK_Tab, true));
    ASSERT_TRUE(Platform::PressKey(XK_Tab, false));
    EXPECT_TRUE(PumpUntil([&] { return rootWindow->GetFocusControl() == first; }));

    counter->UnregisterAllNotifications();
    rootWindow->SetRootControl(nullptr);
}

TEST_F(OSWindowTest, CommandLineOfALaterInstanceReachesTheApplicationWhileTheWindowExists)
{
    TemporaryFolder runtime;
    ScopedVariable runtimeFolder("XDG_RUNTIME_DIR", runtime / "");
    const std::string name = "kv-os-window-test";
    ASSERT_EQ(Platform::InstanceRole::First, Platform::ClaimSingleInstance(name, "first"));
    ASSERT_TRUE(mWindow->ListenForCommandLines(String(u"kv-os-window-test")));
    // The user minimised the window, then started the program again to get at it.
    ASSERT_TRUE(PumpUntil([&] { return mTarget.paints > 0; }));
    ASSERT_TRUE(Platform::MinimizeSystemWindow(mWindow->GetWindowHandle()));

    const std::string probe = std::string(KV_INSTANCE_PROBE) + " " + name + " -ALWAYS_UPDATE";
    const int handedOver = std::system(probe.c_str());
    ASSERT_TRUE(WIFEXITED(handedOver));
    EXPECT_EQ(255, WEXITSTATUS(handedOver));
    ASSERT_TRUE(PumpUntil([&] { return !mApp->commandLines.empty(); }));
    EXPECT_NE(std::string::npos, mApp->commandLines.front().find("kv-os-window-test -ALWAYS_UPDATE"));
    EXPECT_TRUE(Platform::IsSystemWindowViewable(mWindow->GetWindowHandle()));

    // With a dialog open over the window, the window comes to the front, and the command
    // line (which the later instance said went to the window) waits until the dialog goes.
    mApp->commandLines.clear();
    ASSERT_TRUE(Platform::MinimizeSystemWindow(mWindow->GetWindowHandle()));
    mWindow->Enable(false);
    const int waiting = std::system(probe.c_str());
    ASSERT_TRUE(WIFEXITED(waiting));
    EXPECT_EQ(255, WEXITSTATUS(waiting));
    ASSERT_TRUE(PumpUntil([&] { return Platform::IsSystemWindowViewable(mWindow->GetWindowHandle()); }));
    EXPECT_TRUE(mApp->commandLines.empty());
    mWindow->Enable(true);
    ASSERT_TRUE(PumpUntil([&] { return !mApp->commandLines.empty(); }));
    EXPECT_NE(std::string::npos, mApp->commandLines.front().find("kv-os-window-test -ALWAYS_UPDATE"));

    // Without the window nobody listens: a later instance carries on by itself.
    mWindow->Close();
    mWindow = nullptr;
    const int carriedOn = std::system(probe.c_str());
    ASSERT_TRUE(WIFEXITED(carriedOn));
    EXPECT_EQ(0, WEXITSTATUS(carriedOn));
}

TEST_F(OSWindowTest, ModalLoopKeepsNotificationsFlowingUntilEndModal)
{
    OSWindow* dialog = MakeWindow({320, 60, 120, 90}, false);
    ASSERT_NE(nullptr, dialog);
    // A worker's notification, dispatched while the dialog runs, ends it.
    struct Ender : LNotificationClient
    {
        explicit Ender(OSWindow* window) : window(window) {}
        KVRESULT Receive(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&) override
        {
            window->EndModal(7);
            return S_OK;
        }
        OSWindow* window;
    };
    RCPtr<Ender> ender(new Ender(dialog));
    ender->RegisterNotification(mApp->GetDefaultCenter(), u"NID_WORK_DONE");
    std::thread worker([center = mApp->GetDefaultCenter()] {
        center->PostNotification(LNotification::Create(u"NID_WORK_DONE"));
    });
    EXPECT_EQ(7, dialog->RunModalLoop());
    worker.join();
    // The dialog closed itself; it goes at the next turn of the loop.
    EXPECT_EQ(0u, dialog->GetWindowId());
    EXPECT_EQ(1, mApp->GetRootWindows().GetCount());
    OSWindow::DeleteClosedWindows();
    ender->UnregisterAllNotifications();
}

TEST_F(OSWindowTest, WindowEndedFromItsOwnEventIsDeletedAfterIt)
{
    OSWindow* second = MakeWindow({320, 60, 120, 90}, false);
    ASSERT_NE(nullptr, second);
    // The close box of a second window ends it from inside its own event.
    mTarget.onClose = [second] { second->EndModal(0); };
    ASSERT_TRUE(Platform::RequestWindowClose(second->GetWindowHandle()));
    ASSERT_TRUE(PumpUntil([&] { return mTarget.Saw("close command"); }));
    EXPECT_EQ(0u, second->GetWindowId());
    EXPECT_EQ(1, mApp->GetRootWindows().GetCount());
    OSWindow::DeleteClosedWindows();
}

TEST_F(OSWindowTest, MainWindowOfTheFactoryHasTheLayoutsPlaceSizeAndStyle)
{
    mWindow->Close();
    mWindow = nullptr;
    OSWindow::DeleteClosedWindows();
    TemporaryFolder home;
    ScopedVariable config("XDG_CONFIG_HOME", home / "config");
    OSWindowFactory factory(String(u"Test Company"), String(u"Test Product"), String(u"TestWindowClass"));
    for (const bool fixed : {true, false})
    {
        RCPtr<LLayoutDescriptor> layout = LLayoutDescriptor::Create();
        layout->mXPosition.mAbs = 30;
        layout->mYPosition.mAbs = 40;
        layout->mXSize.mAbs = 200.7; // truncated
        layout->mYSize.mAbs = 120;
        layout->mXMinSize = {false, String(), 0, 200};
        layout->mYMinSize = {false, String(), 0, 120};
        if (fixed)
        {
            layout->mXMaxSize = layout->mXMinSize;
            layout->mYMaxSize = layout->mYMinSize;
        }
        RCPtr<LControlDescriptor> descriptor =
            LControlDescriptor::Create(String(u"Framework.Panel"), String(u"mainControl"), nullptr);
        descriptor->SetLayoutDescriptor(layout);
        std::unique_ptr<IApplicationWindow> window =
            factory.CreateMainWindow(*mApp, descriptor, String(u"Test Company"), kRendererTypeGDI);
        ASSERT_NE(nullptr, window);
        ASSERT_EQ(1, mApp->GetRootWindows().GetCount());
        auto* osWindow = static_cast<OSWindow*>(mApp->GetFirstRootWindow()->GetOSServices());
        const RectT<int32_t> client = osWindow->GetPlatformWindow()->GetClientRect();
        EXPECT_EQ((RectT<int32_t>{30, 40, 200, 120}), client) << (fixed ? "fixed" : "resizable");
        EXPECT_EQ(!fixed, osWindow->GetPlatformWindow()->IsResizable());
        // The application's icon, for the window manager to show.
        Platform::WindowIcon icon;
        ASSERT_TRUE(Platform::GetSystemWindowIcon(osWindow->GetWindowHandle(), icon));
        EXPECT_EQ(16, icon.width);
        EXPECT_EQ(16, icon.height);
        EXPECT_EQ(std::vector<uint32_t>(16 * 16, kIconColor), icon.pixels);
        window->Show();
        window->Close();
        window.reset();
        OSWindow::DeleteClosedWindows();
        EXPECT_EQ(0, mApp->GetRootWindows().GetCount());
    }
}

namespace {

// Runs an action on the window thread each time a notification arrives; a worker posts
// them while a loop of the window thread runs that the test cannot step itself.
struct OnNotification : LNotificationClient
{
    KVRESULT Receive(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&) override
    {
        action();
        return S_OK;
    }
    std::function<void()> action;
};

// Posts "NID_STEP" every 20 ms until stopped (deadline against hangs: 20 s).
class Stepper
{
public:
    explicit Stepper(const RCPtr<LNotificationCenter>& center)
        : mThread([this, center] {
              for (int i = 0; i < 1000 && !mStop; ++i)
              {
                  center->PostNotification(LNotification::Create(u"NID_STEP"));
                  std::this_thread::sleep_for(std::chrono::milliseconds(20));
              }
          })
    {
    }
    ~Stepper()
    {
        mStop = true;
        mThread.join();
    }

private:
    std::atomic<bool> mStop{false};
    std::thread mThread;
};

} // namespace

TEST_F(OSWindowTest, AModalWindowKeepsItsOwnerFromInputAndStaysInFrontOfIt)
{
    ASSERT_TRUE(Platform::SyntheticInputAvailable());
    OSWindow* dialog = MakeWindow({320, 60, 120, 90}, false);
    ASSERT_NE(nullptr, dialog);
    dialog->SetOwner(mWindow);
    ASSERT_TRUE(PumpUntil([&] { return mTarget.paints > 0; }));

    // In the loop: a click on the owner, then one on the modal window; once the second
    // arrived, the first was handled (or dropped) before it.
    bool ownerEnabled = true;
    uintptr_t transientFor = 0;
    int step = 0;
    RCPtr<OnNotification> steps(new OnNotification());
    steps->action = [&] {
        if (step == 0)
        {
            ownerEnabled = mWindow->IsEnabled();
            transientFor = Platform::GetSystemWindowOwner(dialog->GetWindowHandle());
            for (OSWindow* window : {mWindow, dialog})
            {
                PointT<int32_t> origin{0, 0};
                window->ClientToScreen(origin);
                const int32_t at = window == mWindow ? 10 : 30;
                Platform::MovePointer(origin.x + at, origin.y + at);
                Platform::PressButton(1, true);
                Platform::PressButton(1, false);
            }
            step = 1;
        }
        else if (step == 1 && mTarget.Saw("button 1 1 at 30,30"))
        {
            step = 2;
            dialog->EndModal(3);
        }
    };
    steps->RegisterNotification(mApp->GetDefaultCenter(), u"NID_STEP");
    int32_t result = 0;
    {
        Stepper stepper(mApp->GetDefaultCenter());
        result = dialog->RunModalLoop();
    }
    steps->UnregisterAllNotifications();
    EXPECT_EQ(3, result);
    EXPECT_EQ(2, step);
    EXPECT_FALSE(ownerEnabled);
    EXPECT_EQ(mWindow->GetWindowHandle(), transientFor);
    // (The second click may count as a double click of the first.)
    for (const char* action : {"0", "1", "2"})
        EXPECT_FALSE(mTarget.Saw(std::string("button ") + action + " 1 at 10,10"))
            << "the owner took a click while the modal window ran";
    EXPECT_TRUE(mWindow->IsEnabled());
    OSWindow::DeleteClosedWindows();
}

TEST_F(OSWindowTest, WhileTheFileDialogIsOpenTheWindowPaintsButTakesNoInput)
{
    TemporaryFolder folder;
    std::filesystem::create_directories(folder / "bin");
    const std::string image = folder / "chosen.led";
    std::ofstream(image) << "00";
    // A stand-in for the dialog program: notes its arguments, warns as a toolkit does,
    // and answers once the test lets it (or after 20 s, against hangs).
    const std::string program = folder / "bin/zenity";
    std::ofstream(program)
        << "#!/bin/sh\n"
           "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$KV_DIALOG_ARGS\"\n"
           "echo 'Gtk-WARNING **: stand-in warning' >&2\n"
           "i=0; while [ ! -e \"$KV_DIALOG_GO\" ] && [ $i -lt 1000 ]; do sleep 0.02; i=$((i+1)); done\n"
           "printf '%s\\n' \"$KV_DIALOG_ANSWER\"\n";
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    ScopedVariable path("PATH", folder / "bin" + ":/usr/bin:/bin");
    ScopedVariable args("KV_DIALOG_ARGS", folder / "args");
    ScopedVariable go("KV_DIALOG_GO", folder / "go");
    ScopedVariable answer("KV_DIALOG_ANSWER", image);
    ASSERT_TRUE(PumpUntil([&] { return mTarget.paints > 0; }));

    // While the dialog is open, a worker's notification is dispatched, the window is
    // disabled, and a paint asked for is done; then the dialog answers.
    bool enabled = true;
    int paintsBefore = 0;
    int paintsAfter = 0;
    int step = 0;
    RCPtr<OnNotification> steps(new OnNotification());
    steps->action = [&] {
        if (step == 0)
        {
            enabled = mWindow->IsEnabled();
            paintsBefore = mTarget.paints;
            mWindow->InvalidateAll();
            step = 1;
        }
        else if (step == 1)
        {
            paintsAfter = mTarget.paints;
            if (paintsAfter > paintsBefore)
            {
                std::ofstream(folder / "go") << "";
                step = 2;
            }
        }
    };
    steps->RegisterNotification(mApp->GetDefaultCenter(), u"NID_STEP");
    LOpenFileDialog dialog;
    KVRESULT shown = E_FAIL;
    ::testing::internal::CaptureStderr();
    {
        Stepper stepper(mApp->GetDefaultCenter());
        shown = dialog.Show(String(u"Firmware (*.led)|*.led|"), String(u"led"), String(u"Open"), false);
    }
    const std::string errors = ::testing::internal::GetCapturedStderr();
    steps->UnregisterAllNotifications();
    ASSERT_EQ(S_OK, shown);
    EXPECT_EQ(image, dialog.GetFileName().ToNarrow().GetText());
    EXPECT_EQ(2, step);
    EXPECT_FALSE(enabled);
    EXPECT_GT(paintsAfter, paintsBefore);
    EXPECT_TRUE(mWindow->IsEnabled());
    EXPECT_EQ(std::string::npos, errors.find("stand-in warning")) << errors;
    std::ifstream in(folder / "args");
    const std::string arguments(std::istreambuf_iterator<char>(in), {});
    EXPECT_NE(std::string::npos,
              arguments.find("--attach=" + std::to_string(mWindow->GetWindowHandle()) + "\n--modal\n"))
        << arguments;
}

TEST_F(OSWindowTest, AMessageBoxGoesToStandardErrorAndOnTheDisplayInFrontOfTheWindow)
{
    TemporaryFolder folder;
    std::filesystem::create_directories(folder / "bin");
    const std::string program = folder / "bin/zenity";
    std::ofstream(program) << "#!/bin/sh\n"
                              "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$KV_DIALOG_ARGS\"\n";
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    ScopedVariable path("PATH", folder / "bin" + ":/usr/bin:/bin");
    ScopedVariable args("KV_DIALOG_ARGS", folder / "args");

    ::testing::internal::CaptureStderr();
    EXPECT_EQ(kMessageBoxAnswerOk,
              GetDesktopMessageBoxes().ShowMessageBox(String(u"The skin is\nbroken."), String(u"Error"),
                                                      kMessageBoxIconError));
    EXPECT_EQ("The skin is broken.\n", ::testing::internal::GetCapturedStderr());
    EXPECT_TRUE(mWindow->IsEnabled());
    std::ifstream in(folder / "args");
    EXPECT_EQ("--error\n--no-markup\n--title=Error\n--text=The skin is\nbroken.\n--attach=" +
                  std::to_string(mWindow->GetWindowHandle()) + "\n--modal\n",
              std::string(std::istreambuf_iterator<char>(in), {}));
}
