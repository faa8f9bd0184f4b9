// The splash screen's window is its thread's own: nothing here pumps the window thread's
// events, as nothing does while an application starts.
#include "Application/SplashWindow.h"
#include "Platform/Window/PlatformWindow.h"
#include "Platform/Window/SystemWindows.h"
#include "Platform/Window/WindowCapture.h"
#include "Platform/Window/WindowEventSource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

using namespace KV;

namespace {

constexpr uint32_t kImageColor = 0xFF204060u;
constexpr uint32_t kBarColor = 0xFFC03010u;

// true once the condition holds; false when it still does not after 20 s.
bool WaitUntil(const std::function<bool()>& done)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done())
    {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

class SplashWindowTest : public ::testing::Test
{
protected:
    void SetUp() override { Platform::ResetWindowEventSource(); }
    void TearDown() override
    {
        mSplash.Stop();
        Platform::ResetWindowEventSource();
    }

    void StartWithImage() { StartWithImage(mSplash); }
    static void StartWithImage(LSplashWindow& splash)
    {
        ColorT color;
        splash.SetImage(LBitmap::CreateFilledBitmap({200, 120}, color.FromARGB(kImageColor)));
        splash.Start();
        ASSERT_TRUE(splash.IsRunning());
    }

    // The bar's pixels in its middle row that show the bar's colour.
    int DonePixels()
    {
        Platform::CapturedPixels screen;
        if (!Platform::CaptureSystemWindow(mSplash.GetWindowHandle(), screen))
            return -1;
        int done = 0;
        for (int32_t x = 0; x < screen.width; ++x)
            done += screen.At(x, screen.height - 12) == kBarColor ? 1 : 0;
        return done;
    }

    LSplashWindow mSplash;
};

} // namespace

TEST_F(SplashWindowTest, BorderlessImageCentredOnTheWorkAreaWithTheBarTheThreadMoves)
{
    StartWithImage();
    Platform::ScreenPlace place;
    ASSERT_TRUE(Platform::GetSystemWindowPlace(mSplash.GetWindowHandle(), place));
    const RectT<int32_t> workArea = Platform::GetWorkArea();
    EXPECT_EQ(200, place.width);
    EXPECT_EQ(120, place.height);
    EXPECT_EQ((2 * workArea.x + workArea.width - 200) / 2, place.x);
    EXPECT_EQ((2 * workArea.y + workArea.height - 120) / 2, place.y);

    mSplash.SetBarColor(kBarColor);
    mSplash.SetProgress(50);
    // Half of the 190 pixels inside the frame.
    ASSERT_TRUE(WaitUntil([&] { return DonePixels() == 95; })) << DonePixels();
    Platform::CapturedPixels screen;
    ASSERT_TRUE(Platform::CaptureSystemWindow(mSplash.GetWindowHandle(), screen));
    EXPECT_EQ(kImageColor, screen.At(10, 10));

    // An animation of no time is at its end at once.
    mSplash.AnimateProgress(0, 100, 0);
    ASSERT_TRUE(WaitUntil([&] { return DonePixels() == 190; }));
    EXPECT_FALSE(mSplash.GetProgress().IsAnimating());

    mSplash.Stop();
    EXPECT_FALSE(mSplash.IsRunning());
    EXPECT_EQ(0u, mSplash.GetWindowHandle());
}

TEST_F(SplashWindowTest, TheBarMovesOnTheScreenWhileTheWindowThreadIsBusy)
{
    StartWithImage();
    mSplash.SetBarColor(kBarColor);
    mSplash.AnimateProgress(0, 100, 1);
    // Four steps of 25, each seen on the screen while this thread only looks.
    std::vector<int> seen;
    ASSERT_TRUE(WaitUntil([&] {
        const int done = DonePixels();
        if (seen.empty() || seen.back() != done)
            seen.push_back(done);
        return done == 190;
    }));
    EXPECT_GE(seen.size(), 3u) << "the bar was seen in too few states";
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_FALSE(mSplash.GetProgress().IsAnimating());
}

TEST_F(SplashWindowTest, TheWindowIsNamedAndFiledUnderTheApplication)
{
    LSplashWindow named(String(u"Splash Test App"));
    StartWithImage(named);
    std::string instance;
    std::string windowClass;
    ASSERT_TRUE(Platform::GetSystemWindowClass(named.GetWindowHandle(), instance, windowClass));
    EXPECT_EQ("Splash Test App", windowClass);
    EXPECT_EQ("Splash Test App", Platform::GetSystemWindowTitle(named.GetWindowHandle()));
    named.Stop();
}

TEST_F(SplashWindowTest, NothingStartsWithoutAnImage)
{
    mSplash.Start();
    EXPECT_FALSE(mSplash.IsRunning());
    EXPECT_EQ(0u, mSplash.GetWindowHandle());
    mSplash.Stop();
}
