#include "GdiFrame.h"

#include "Renderer/AutoClip.h"

#include <cmath>
#include <numbers>

using namespace KV;
using namespace KV::Testing;
using Rows = std::vector<std::string>;

using GDIShapes = GdiFrame;

TEST_F(GDIShapes, FactoryMakesTheRendererOfTypeOne)
{
    const RCPtr<LRenderer> renderer = LRenderer::Create(kRendererTypeGDI, {0, 0, 10, 10}, nullptr);
    ASSERT_TRUE(renderer);
    EXPECT_EQ(kRendererTypeGDI, renderer->GetType());
    RCPtr<LRenderContextInfo> context;
    ASSERT_EQ(S_OK, renderer->InitRenderContextInfo({0, 0, 10, 10}, nullptr, false, context));
    EXPECT_EQ((SizeT<int32_t>{4096, 4096}), context->GetMaxSurfaceSize());
}

TEST_F(GDIShapes, FillCoversTheRectangleAndAnOutlineOneMorePixel)
{
    Start(9, 7);
    mRenderer->FillRect({2, 2, 3, 2}, Color(kRed), true);
    mRenderer->DrawRect({1, 1, 5, 4}, Color(kBlue), 1.0f);
    EXPECT_EQ(
        (Rows{".........", ".######..", ".#....#..", ".#....#..", ".#....#..", ".######..", "........."}),
        Picture(kBlue));
    EXPECT_EQ(
        (Rows{".........", ".........", "..###....", "..###....", ".........", ".........", "........."}),
        Picture(kRed));
}

TEST_F(GDIShapes, LinesCoverTheirPixelsBothWays)
{
    Start(8, 5);
    mRenderer->DrawLine({1, 1}, {6, 1}, Color(kRed), 1.0f);
    mRenderer->DrawLine({2, 2}, {2, 4}, Color(kRed), 0.0f); // a pen of width 0 is one pixel wide
    EXPECT_EQ((Rows{"........", ".#####..", "..#.....", "..#.....", "........"}), Picture(kRed));
}

TEST_F(GDIShapes, ClipAndTranslationComeFromTheStateStack)
{
    Start(10, 8);
    {
        CAutoClip clip = CAutoClip::CAutoClipPushClip(mRenderer, {2, 1, 5, 4}, {0, 0, 100, 100}, nullptr);
        mRenderer->FillRect({-50, -50, 100, 100}, Color(kRed), true);
        CAutoClip moved = CAutoClip::CAutoClipPushState(mRenderer);
        mRenderer->PushTranslation({1.4, 1.6});
        mRenderer->FillRect({0, 0, 1, 1}, Color(kBlue), true);
        mRenderer->PopState();
    }
    mRenderer->FillRect({0, 0, 1, 1}, Color(kBlue), true); // the origin is back at the surface's corner
    EXPECT_EQ((Rows{"..........", "..#####...", "..#####...", "..#.###...", "..#####...", "..........",
                    "..........", ".........."}),
              Picture(kRed));
    EXPECT_EQ((Rows{"#.........", "..........", "..........", "...#......", "..........", "..........",
                    "..........", ".........."}),
              Picture(kBlue));
}

TEST_F(GDIShapes, FillWithoutBlendingReplacesPixelsInsideTheClipOnly)
{
    // Deliberately clipped: a replacing fill that ignored the clip would wipe out other controls.
    Start(8, 6);
    mRenderer->FillRect({0, 0, 8, 6}, Color(kBlue), true);
    {
        CAutoClip clip = CAutoClip::CAutoClipPushClip(mRenderer, {1, 1, 4, 3}, {0, 0, 100, 100}, nullptr);
        mRenderer->FillRect({1, 0, 100, 100}, Color(0x00000000), false);
        mRenderer->FillRect({-5, -5, 2, 2}, Color(kRed), false); // wholly outside: nothing, no failure
    }
    EXPECT_EQ((Rows{"........", "..###...", "..###...", "..###...", "........", "........"}), Picture(0));
    EXPECT_EQ(0u, Pixel(2, 1));
    EXPECT_EQ(kBlue, Pixel(1, 1));
}

TEST_F(GDIShapes, AlphaOfTheStateScalesWhatIsDrawn)
{
    Start(4, 4);
    mContext->GetCurrentState().mAlpha = 0.5f;
    mRenderer->FillRect({0, 0, 2, 2}, Color(kWhite), true);
    const uint32_t pixel = Pixel(0, 0);
    EXPECT_NEAR(0x80, pixel >> 24, 1);
    EXPECT_EQ(pixel >> 24, pixel & 0xFF); // premultiplied white
    EXPECT_EQ(0u, Pixel(3, 3));
}

TEST_F(GDIShapes, ClipsFarOutsideTheSurfaceAreCutToIt)
{
    Start(6, 4);
    for (const double far : {3e9, 1e15, 1e300})
    {
        mRenderer->SetClipRect({-far, -far, 2 * far, 2 * far});
        mRenderer->FillRect({0, 0, 6, 4}, Color(kRed), true);
        EXPECT_EQ(kRed, Pixel(5, 3)) << far;
        mRenderer->FillRect({0, 0, 6, 4}, Color(0), false);
    }
    mRenderer->SetClipRect({1e12, 1e12, 10, 10}); // wholly outside: everything is clipped away
    mRenderer->FillRect({0, 0, 6, 4}, Color(kRed), true);
    EXPECT_EQ(0u, Pixel(0, 0));
}

TEST_F(GDIShapes, RectangleListsAreDrawnLastToFirstScaledAndMoved)
{
    Start(10, 4);
    ColorRectListT<float> list;
    list.AddItem({0, 0, 2, 1});
    list.AddItem({1, 0, 2, 1});
    list.GetColors().AddItem(kRed);
    list.GetColors().AddItem(kBlue);
    list.SetScale(2.0f, 2.0f);
    mRenderer->DrawColorRectList(list, {1, 1}, true);
    EXPECT_EQ((Rows{"..........", ".####.....", ".####.....", ".........."}), Picture(kRed));
    EXPECT_EQ((Rows{"..........", ".....##...", ".....##...", ".........."}), Picture(kBlue));
}

TEST_F(GDIShapes, PolygonsFillByTheEvenOddRuleAndOutlinesClose)
{
    Start(40, 40);
    PolylineT<float> star; // a pentagram: its inner pentagon is inside twice, so empty
    for (int i = 0; i < 5; ++i)
    {
        const double angle = -std::numbers::pi / 2 + i * 4 * std::numbers::pi / 5;
        star.AddItem(PointT<float>{static_cast<float>(20 + 18 * std::cos(angle)),
                                   static_cast<float>(20 + 18 * std::sin(angle))});
    }
    mRenderer->FillPolygon(star, Color(kRed), {0, 0}, {1, 1}, true);
    EXPECT_EQ(0u, Pixel(20, 20));
    EXPECT_EQ(kRed, Pixel(20, 5));  // the top point
    EXPECT_EQ(kRed, Pixel(12, 16)); // an arm

    PolylineT<float> triangle;
    triangle.AddItem({1, 1});
    triangle.AddItem({6, 1});
    triangle.AddItem({1, 6});
    mRenderer->DrawPolygon(triangle, Color(kBlue), {30, 30}, {1, 1}, true);
    EXPECT_EQ(kBlue, Pixel(31, 34)); // the closing side from (1, 6) back to (1, 1)
    // The same polyline as an open line: its cached polygon is not taken for it.
    mRenderer->DrawPolyline(triangle, Color(kWhite), {0, 30}, {1, 1}, true);
    EXPECT_NE(kWhite, Pixel(1, 34));
    EXPECT_EQ(kWhite, Pixel(3, 31));
}

TEST_F(GDIShapes, PathsAreKeptUntilChangedOrNotKept)
{
    Start(20, 20);
    PolylineT<float> line;
    line.AddItem({0, 0});
    line.AddItem({4, 0});
    line.AddItem({0, 2});
    line.AddItem({4, 2});
    for (int i = 0; i < 3; ++i)
        mRenderer->DrawLineSegments(line, Color(kRed), {1, 1}, {2, 2}, true);
    EXPECT_EQ(1u, mRenderer->GetCacheCounts().pathBuilds);
    line.SetChanged(true);
    mRenderer->DrawLineSegments(line, Color(kRed), {1, 1}, {2, 2}, true);
    EXPECT_EQ(2u, mRenderer->GetCacheCounts().pathBuilds);
    EXPECT_FALSE(line.IsChanged());
    for (int i = 0; i < 3; ++i) // the kept path once, then a new one each time
        mRenderer->DrawLineSegments(line, Color(kRed), {1, 1}, {2, 2}, false);
    EXPECT_EQ(4u, mRenderer->GetCacheCounts().pathBuilds);
    // Two separate segments, scaled by 2 and moved by 1: rows 1 and 5, columns 1 to 8.
    EXPECT_EQ(kRed, Pixel(1, 1));
    EXPECT_EQ(kRed, Pixel(8, 5));
    EXPECT_EQ(0u, Pixel(5, 3));
    EXPECT_EQ(0u, Pixel(9, 1));
}
