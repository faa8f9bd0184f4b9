#include "Platform/Window/PlatformWindow.h"
#include "Platform/Window/SurfacePresenter.h"
#include "Platform/Window/SyntheticInput.h"
#include "Platform/Window/SystemWindows.h"
#include "Platform/Window/WindowCapture.h"
#include "Platform/Window/WindowEventSource.h"
#include "SdlVideoEnvironment.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <functional>
#include <unistd.h>
#include <vector>

using namespace KV;
using namespace KV::Platform;

namespace {

const auto* const gVideo = ::testing::AddGlobalTestEnvironment(new SdlVideoEnvironment());

class SdlPlatformWindowTest : public ::testing::Test, public WindowEventHandler
{
protected:
    void SetUp() override
    {
        ResetWindowEventSource();
        mSource = &GetWindowEventSource();
        WindowSpec spec;
        spec.title = "platform window";
        spec.clientRect = {40, 30, 160, 120};
        mWindow = PlatformWindow::Create(spec);
        ASSERT_NE(nullptr, mWindow) << "no X server to make windows on";
        mSource->AddHandler(mWindow->GetId(), this);
        mWindow->Show(true);
        ASSERT_TRUE(WaitFor([](const WindowEvent& e) { return e.type == WindowEventType::Shown; }));
    }
    void TearDown() override
    {
        if (mWindow)
            mSource->RemoveHandler(mWindow->GetId());
        mWindow.reset();
        ResetWindowEventSource();
    }

    void OnWindowEvent(const WindowEvent& event) override { mEvents.push_back(event); }

    // Dispatches events until one that the test waits for came (true), or none came for
    // a while (false).
    bool WaitFor(const std::function<bool(const WindowEvent&)>& wanted)
    {
        WindowEvent event;
        while (mSource->WaitEvent(event, 5000))
        {
            mSource->Dispatch(event);
            if (event.windowId == mWindow->GetId() && wanted(event))
            {
                mLast = event;
                return true;
            }
        }
        return false;
    }

    WindowEventSource* mSource = nullptr;
    std::unique_ptr<PlatformWindow> mWindow;
    std::vector<WindowEvent> mEvents;
    WindowEvent mLast;
};

} // namespace

TEST_F(SdlPlatformWindowTest, HasTheClientAreaAskedForAndFollowsANewOne)
{
    EXPECT_TRUE(mWindow->IsVisible());
    const RectT<int32_t> client = mWindow->GetClientRect();
    EXPECT_EQ(160, client.width);
    EXPECT_EQ(120, client.height);
    mWindow->SetClientRect({50, 60, 200, 90});
    ASSERT_TRUE(WaitFor([](const WindowEvent& e) { return e.type == WindowEventType::Resized; }));
    EXPECT_EQ(200, mLast.width);
    EXPECT_EQ(90, mLast.height);
    EXPECT_EQ(200, mWindow->GetClientRect().width);
}

TEST_F(SdlPlatformWindowTest, ClicksWheelAndKeysOfTheServerArriveTranslated)
{
    ASSERT_TRUE(SyntheticInputAvailable());
    const RectT<int32_t> client = mWindow->GetClientRect();
    ASSERT_TRUE(MovePointer(client.x + 25, client.y + 17));
    ASSERT_TRUE(WaitFor([](const WindowEvent& e) { return e.type == WindowEventType::PointerMove; }));
    EXPECT_EQ(25, mLast.x);
    EXPECT_EQ(17, mLast.y);

    for (int click = 1; click <= 2; ++click)
    {
        ASSERT_TRUE(PressButton(kMouseButtonLeft, true));
        ASSERT_TRUE(PressButton(kMouseButtonLeft, false));
        ASSERT_TRUE(WaitFor([](const WindowEvent& e) { return e.type == WindowEventType::ButtonUp; }));
    }
    std::vector<int> downClicks;
    for (const WindowEvent& event : mEvents)
        if (event.type == WindowEventType::ButtonDown)
        {
            EXPECT_EQ(kMouseButtonLeft, event.button);
            EXPECT_EQ(25, event.x);
            downClicks.push_back(event.clicks);
        }
    // The second press in quick succession is a double click.
    EXPECT_EQ((std::vector<int>{1, 2}), downClicks);

    ASSERT_TRUE(TurnWheel(1, 0));
    ASSERT_TRUE(WaitFor([](const WindowEvent& e) { return e.type == WindowEventType::Wheel; }));
    EXPECT_EQ(kWheelDelta, mLast.wheelY);
    EXPECT_EQ(0, mLast.wheelX);
    EXPECT_EQ(25, mLast.x);
    ASSERT_TRUE(TurnWheel(0, -1));
    ASSERT_TRUE(WaitFor([](const WindowEvent& e) { return e.type == WindowEventType::Wheel; }));
    EXPECT_EQ(-kWheelDelta, mLast.wheelX);

    ASSERT_TRUE(PressKey(XK_Shift_R, true));
    ASSERT_TRUE(PressKey(XK_Return, true));
    ASSERT_TRUE(WaitFor(
        [](const WindowEvent& e) { return e.type == WindowEventType::KeyDown && e.virtualKey == 0x0D; }));
    EXPECT_EQ(0x08u | 0x20u, mLast.modifiers);
    EXPECT_FALSE(mLast.repeat);
    // SDL types no text for Enter: the source adds it after the key.
    ASSERT_TRUE(WaitFor([](const WindowEvent& e) { return e.type == WindowEventType::Text; }));
    EXPECT_EQ(u"\r", mLast.text);
    ASSERT_TRUE(PressKey(XK_Return, false));
    ASSERT_TRUE(PressKey(XK_Shift_R, false));
    ASSERT_TRUE(PressKey(XK_b, true));
    ASSERT_TRUE(PressKey(XK_b, false));
    ASSERT_TRUE(WaitFor([](const WindowEvent& e) { return e.type == WindowEventType::Text; }));
    EXPECT_EQ(u"b", mLast.text);
}

TEST_F(SdlPlatformWindowTest, APicturePresentedIsWhatTheServerShows)
{
    const RectT<int32_t> client = mWindow->GetClientRect();
    std::vector<uint32_t> picture(static_cast<size_t>(client.width) * client.height, 0xFF204080u);
    for (int32_t y = 10; y < 30; ++y)
        for (int32_t x = 100; x < 140; ++x)
            picture[static_cast<size_t>(y) * client.width + x] = 0xFFE0C010u;
    const SurfacePixels pixels{reinterpret_cast<const uint8_t*>(picture.data()), client.width * 4,
                               client.width, client.height};
    const std::vector<RectT<int32_t>> whole{{0, 0, client.width, client.height}};
    mWindow->GetSurfacePresenter()->Present(pixels, whole);

    CapturedPixels captured;
    ASSERT_TRUE(CaptureWindow(*mWindow, captured));
    ASSERT_EQ(client.width, captured.width);
    ASSERT_EQ(client.height, captured.height);
    EXPECT_EQ(0xFF204080u, captured.At(0, 0));
    EXPECT_EQ(0xFF204080u, captured.At(99, 10));
    EXPECT_EQ(0xFFE0C010u, captured.At(100, 10));
    EXPECT_EQ(0xFFE0C010u, captured.At(139, 29));
    EXPECT_EQ(0xFF204080u, captured.At(140, 29));
    EXPECT_EQ(0xFF204080u, captured.At(client.width - 1, client.height - 1));

    // Seen from outside, as another process sees it: found by this process's id, at its
    // place on the screen, with the same pixels.
    const uintptr_t found = FindProcessWindow(getpid());
    EXPECT_EQ(found, mWindow->GetSystemHandle());
    EXPECT_EQ(FindProcessWindow(getpid() + 100000), 0u);
    ScreenPlace place;
    ASSERT_TRUE(GetSystemWindowPlace(found, place));
    EXPECT_EQ(place.x, 40);
    EXPECT_EQ(place.y, 30);
    EXPECT_EQ(place.width, client.width);
    EXPECT_EQ(place.height, client.height);
    CapturedPixels outside;
    ASSERT_TRUE(CaptureSystemWindow(found, outside));
    EXPECT_EQ(outside.pixels, captured.pixels);
}
