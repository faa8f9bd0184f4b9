#include "GdiFrame.h"

#include "Application/FrameworkApp.h"

#include <stdexcept>
#include <string>

using namespace KV;
using namespace KV::Testing;

namespace {

Milliseconds gFakeNow = 0;
Milliseconds FakeNow()
{
    return gFakeNow;
}

} // namespace

class GDIBitmaps : public GdiFrame
{
protected:
    RCPtr<LBitmap> mCoordinates = MakeBitmap(10, 10, CoordinateColor);
};

TEST_F(GDIBitmaps, StretchingDoublesEachPixel)
{
    Start(10, 10);
    const RCPtr<LBitmap> checker =
        MakeBitmap(4, 4, [](int32_t x, int32_t y) { return (x + y) % 2 ? kRed : kBlue; });
    mRenderer->DrawBitmap(checker, {1, 1, 8, 8}, ResizeType::Stretch);
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 8; ++x)
            ASSERT_EQ((x / 2 + y / 2) % 2 ? kRed : kBlue, Pixel(1 + x, 1 + y)) << x << "," << y;
    EXPECT_EQ(0u, Pixel(9, 9));
}

TEST_F(GDIBitmaps, TilingRepeatsTheBitmapCutAtTheTarget)
{
    // 25 x 25 takes three tiles a side, 30 x 30 exactly three: both equal a repeat cut at
    // the target, whatever way the tiles are laid.
    for (const int32_t side : {25, 30})
    {
        Start(40, 40);
        mRenderer->DrawBitmap(mCoordinates, {3, 2, side, side}, ResizeType::Tile);
        for (int32_t y = 0; y < 40; ++y)
            for (int32_t x = 0; x < 40; ++x)
            {
                const bool inside = x >= 3 && x < 3 + side && y >= 2 && y < 2 + side;
                ASSERT_EQ(inside ? CoordinateColor((x - 3) % 10, (y - 2) % 10) : 0u, Pixel(x, y))
                    << side << ": " << x << "," << y;
            }
        mRenderer->RenderFinish(mContext);
    }
}

TEST_F(GDIBitmaps, CentringPlacesTheBitmapWholeInTheMiddle)
{
    Start(21, 21);
    mRenderer->DrawBitmap(mCoordinates, {0, 0, 21, 21}, ResizeType::Center);
    // (21 - 10) / 2 = 5.5 goes deliberately to 6: at half a pixel each pixel would smear over two.
    const int32_t left = 6;
    for (int32_t y = 0; y < 10; ++y)
        for (int32_t x = 0; x < 10; ++x)
            ASSERT_EQ(CoordinateColor(x, y), Pixel(left + x, left + y)) << x << "," << y;
    EXPECT_EQ(0u, Pixel(left - 1, left));
    EXPECT_EQ(0u, Pixel(left + 10, left));
}

TEST_F(GDIBitmaps, AnUnknownResizeTypeThrowsOnlyWhenTheBitmapMustBeScaled)
{
    Start(30, 30);
    const auto unknown = static_cast<ResizeType>(7);
    EXPECT_NO_THROW(mRenderer->DrawBitmap(mCoordinates, {0, 0, 10, 10}, unknown));
    EXPECT_EQ(CoordinateColor(9, 9), Pixel(9, 9));
    try
    {
        mRenderer->DrawBitmap(mCoordinates, {0, 0, 20, 20}, unknown);
        ADD_FAILURE() << "no error";
    }
    catch (const std::invalid_argument& e)
    {
        const std::string text = e.what();
        EXPECT_NE(std::string::npos, text.find("Invalid ResizeType passed to DrawBitmap.")) << text;
        EXPECT_NE(std::string::npos, text.find("KV::LGDIRenderer::DrawBitmap")) << text;
    }
    mRenderer->RenderFinish(mContext);
    EXPECT_THROW(mRenderer->DrawBitmap(mCoordinates, {0, 0, 10, 10}, ResizeType::Stretch),
                 std::runtime_error);
}

TEST_F(GDIBitmaps, ScaledBitmapsAreCachedAndPurgedWhenNotDrawnFor300Seconds)
{
    LFrameworkApp app;
    gFakeNow = 1000;
    app.GetClock() = ApplicationClock(&FakeNow);
    const RCPtr<LBitmap> other = MakeBitmap(3, 3, [](int32_t, int32_t) { return kRed; });
    const auto frame = [&](Milliseconds now, auto draw) {
        gFakeNow = now;
        mRenderer->RenderStart(mContext);
        draw();
        mRenderer->RenderFinish(mContext);
    };
    Start(30, 30);
    mRenderer->RenderFinish(mContext);

    frame(2000, [&] {
        mRenderer->DrawBitmap(mCoordinates, {0, 0, 20, 20}, ResizeType::Stretch);
        mRenderer->DrawBitmap(mCoordinates, {5, 5, 20, 20}, ResizeType::Tile); // same size: a hit
        mRenderer->DrawBitmap(mCoordinates, {0, 0, 20, 21}, ResizeType::Stretch);
    });
    EXPECT_EQ(2u, mRenderer->GetCacheCounts().bitmapRenders);
    EXPECT_EQ(1u, mRenderer->GetCacheCounts().bitmapHits);
    EXPECT_EQ(2, mRenderer->GetCachedBitmapCount());

    // A purge keeps what was drawn since the previous one (here: since the start).
    frame(1000 + 300001, [&] { mRenderer->DrawBitmap(other, {0, 0, 6, 6}, ResizeType::Stretch); });
    EXPECT_EQ(3, mRenderer->GetCachedBitmapCount());
    frame(1000 + 500000, [&] { mRenderer->DrawBitmap(mCoordinates, {0, 0, 20, 20}, ResizeType::Stretch); });
    EXPECT_EQ(3, mRenderer->GetCachedBitmapCount()); // not yet due
    // Due again: only the bitmap drawn since the last purge stays.
    frame(1000 + 600002, [] {});
    EXPECT_EQ(1, mRenderer->GetCachedBitmapCount());
    frame(1000 + 600003, [&] { mRenderer->DrawBitmap(mCoordinates, {0, 0, 20, 21}, ResizeType::Stretch); });
    EXPECT_EQ(4u, mRenderer->GetCacheCounts().bitmapRenders);
}
