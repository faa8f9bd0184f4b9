#include "Application/SplashWindow.h"
#include "Platform/Window/PlatformWindow.h"
#include "Platform/Window/WindowCapture.h"
#include "Platform/Window/WindowEventSource.h"
#include "PumpEvents.h"

#include <gtest/gtest.h>

#include <functional>

using namespace KV;

namespace {

constexpr uint32_t kImageColor = 0xFF204060u;
constexpr uint32_t kBarColor = 0xFFC03010u;

class SplashWindowTest : public ::testing::Test
{
protected:
    void SetUp() override { Platform::ResetWindowEventSource(); }
    void TearDown() override
    {
        mSplash.Stop();
        Platform::ResetWindowEventSource();
    }

    void StartWithImage()
    {
        ColorT color;
        mSplash.SetImage(LBitmap::CreateFilledBitmap({200, 120}, color.FromARGB(kImageColor)));
        mSplash.Start();
        ASSERT_TRUE(mSplash.IsRunning());
    }

    // The bar's pixels in its middle row that show the bar's colour.
    int DonePixels()
    {
        Platform::CapturedPixels screen;
        if (!Platform::CaptureWindow(*mSplash.GetPlatformWindow(), screen))
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
    const RectT<int32_t> client = mSplash.GetPlatformWindow()->GetClientRect();
    const RectT<int32_t> workArea = Platform::GetWorkArea();
    EXPECT_EQ(200, client.width);
    EXPECT_EQ(120, client.height);
    EXPECT_EQ((2 * workArea.x + workArea.width - 200) / 2, client.x);
    EXPECT_EQ((2 * workArea.y + workArea.height - 120) / 2, client.y);
    EXPECT_FALSE(mSplash.GetPlatformWindow()->IsResizable());

    mSplash.SetBarColor(kBarColor);
    mSplash.SetProgress(50);
    // Half of the 190 pixels inside the frame.
    ASSERT_TRUE(PumpUntil([&] { return DonePixels() == 95; }));
    Platform::CapturedPixels screen;
    ASSERT_TRUE(Platform::CaptureWindow(*mSplash.GetPlatformWindow(), screen));
    EXPECT_EQ(kImageColor, screen.At(10, 10));

    // An animation of no time is at its end at once.
    mSplash.AnimateProgress(0, 100, 0);
    ASSERT_TRUE(PumpUntil([&] { return DonePixels() == 190; }));
    EXPECT_FALSE(mSplash.GetProgress().IsAnimating());

    mSplash.Stop();
    EXPECT_FALSE(mSplash.IsRunning());
    EXPECT_EQ(nullptr, mSplash.GetPlatformWindow());
}

TEST_F(SplashWindowTest, AnimationStepsUntilItsEnd)
{
    StartWithImage();
    mSplash.AnimateProgress(0, 100, 1);
    // Four steps of 25.
    ASSERT_TRUE(PumpUntil([&] { return mSplash.GetProgress().GetPosition() == 100; }));
    EXPECT_FALSE(mSplash.GetProgress().IsAnimating());
}

TEST_F(SplashWindowTest, NothingStartsWithoutAnImage)
{
    mSplash.Start();
    EXPECT_FALSE(mSplash.IsRunning());
    EXPECT_EQ(nullptr, mSplash.GetPlatformWindow());
    mSplash.Stop();
}
