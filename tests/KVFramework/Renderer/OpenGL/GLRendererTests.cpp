// The OpenGL renderer drawing through Mesa's software OpenGL on a private X server; the
// pixels are read back from the context's picture.

#include "Application/FrameworkApp.h"
#include "Graphics/Bitmap.h"
#include "Platform/Window/PlatformWindow.h"
#include "Platform/Window/WindowCapture.h"
#include "Platform/Window/WindowEventSource.h"
#include "Renderer/AutoClip.h"
#include "Renderer/OpenGL/GLRenderer.h"
#include "TestBitmaps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

using namespace KV;
using Testing::Color;
using Testing::MakeBitmap;

namespace {

constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kRed = 0xFFFF0000u;

// Channels of two colours differ by at most the tolerance.
bool Near(uint32_t a, uint32_t b, int tolerance)
{
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) >
            tolerance)
            return false;
    return true;
}

// One renderer lives as long as the process: the window system and the OpenGL driver
// then stay loaded between tests, as in the application, instead of being unloaded and
// loaded again (unloaded libraries hide where their allocations came from).
class KeepOpenGLLoaded : public ::testing::Environment
{
public:
    void SetUp() override
    {
        static const auto* const renderer =
            new RCPtr<LRenderer>(LRenderer::Create(kRendererTypeOpenGL, {0, 0, 1, 1}, nullptr));
        ASSERT_TRUE(*renderer);
    }
};
const auto* const gKeepOpenGLLoaded = ::testing::AddGlobalTestEnvironment(new KeepOpenGLLoaded());

class GLFrame : public ::testing::Test
{
protected:
    void Start(int32_t width, int32_t height)
    {
        mWidth = width;
        mHeight = height;
        mRenderer.AssignDynamicCast(LRenderer::Create(kRendererTypeOpenGL, {0, 0, width, height}, nullptr));
        ASSERT_TRUE(mRenderer);
        ASSERT_EQ(S_OK, mRenderer->InitRenderContextInfo({0, 0, width, height}, nullptr, true, mContext));
        mRenderer->RenderStart(mContext);
        mRenderer->FillRect({0, 0, width, height}, Color(kBlack), false);
    }
    void TearDown() override
    {
        if (mRenderer && mRenderer->GetContextDepth() > 0)
            mRenderer->RenderFinish(mContext);
    }

    std::vector<uint32_t> Pixels() { return mRenderer->ReadPixels(mContext, {0, 0, mWidth, mHeight}); }
    uint32_t Pixel(int32_t x, int32_t y) { return mRenderer->ReadPixels(mContext, {x, y, 1, 1}).at(0); }

    // One row of text per pixel row: '#' where the pixel is near the colour, '.' elsewhere.
    std::vector<std::string> Picture(uint32_t argb, int tolerance = 2)
    {
        const std::vector<uint32_t> pixels = Pixels();
        std::vector<std::string> rows;
        for (int32_t y = 0; y < mHeight; ++y)
        {
            std::string row;
            for (int32_t x = 0; x < mWidth; ++x)
                row += Near(pixels[static_cast<size_t>(y * mWidth + x)], argb, tolerance) ? '#' : '.';
            rows.push_back(row);
        }
        return rows;
    }
    // The rectangle drawn as a picture of the whole surface.
    std::vector<std::string> Expected(const RectT<int32_t>& rect)
    {
        std::vector<std::string> rows;
        for (int32_t y = 0; y < mHeight; ++y)
        {
            std::string row;
            for (int32_t x = 0; x < mWidth; ++x)
                row += (x >= rect.x && x < rect.x + rect.width && y >= rect.y && y < rect.y + rect.height)
                           ? '#'
                           : '.';
            rows.push_back(row);
        }
        return rows;
    }

    int32_t mWidth = 0;
    int32_t mHeight = 0;
    RCPtr<LGLRenderer> mRenderer;
    RCPtr<LRenderContextInfo> mContext;
};

uint32_t CoordinateColor(int32_t x, int32_t y)
{
    return 0xFF000000u | static_cast<uint32_t>(40 + x * 20) << 16 | static_cast<uint32_t>(40 + y * 20) << 8 |
           0x40;
}

} // namespace

TEST_F(GLFrame, FillsCoverExactlyTheirPixelsAndReplaceOnlyInsideTheClip)
{
    Start(12, 10);
    EXPECT_EQ(kRendererTypeOpenGL, mRenderer->GetType());
    mRenderer->FillRect({2, 3, 5, 4}, Color(kRed), true);
    EXPECT_EQ(Expected({2, 3, 5, 4}), Picture(kRed));

    mRenderer->FillRect({0, 0, 12, 10}, Color(kBlack), false);
    {
        CAutoClip clip = CAutoClip::CAutoClipPushClip(mRenderer, {1, 1, 6, 6}, {0, 0, 4, 100}, nullptr);
        mRenderer->FillRect({-5, -5, 50, 50}, Color(kRed), false);
    }
    // The clip is cut to the area: {1, 1, 3, 6} in the area's coordinates.
    EXPECT_EQ(Expected({1, 1, 3, 6}), Picture(kRed));
}

TEST_F(GLFrame, TheScissorFollowsTheClip)
{
    Start(20, 16);
    struct Case
    {
        RectT<double> clip; // in surface coordinates
        RectT<int32_t> drawn;
    };
    const Case cases[] = {
        {{0, 0, 20, 16}, {0, 0, 20, 16}},
        {{3, 4, 5, 6}, {3, 4, 5, 6}},
        {{-5, -5, 8, 7}, {0, 0, 3, 2}},
        {{15, 12, 100, 100}, {15, 12, 5, 4}},
        {{-30, 0, 10, 16}, {0, 0, 0, 0}}, // left of the viewport: nothing
        {{0, 20, 20, 5}, {0, 0, 0, 0}},   // below it
        {{-1e300, -1e300, 1e300 * 1.5, 1e300 * 1.5}, {0, 0, 20, 16}},
        {{std::nan(""), 0, 5, 5}, {0, 0, 0, 0}},
    };
    for (const Case& c : cases)
    {
        mRenderer->FillRect({0, 0, 20, 16}, Color(kBlack), false);
        {
            CAutoClip clip = CAutoClip::CAutoClipPushState(mRenderer);
            mRenderer->SetClipRect(c.clip);
            mRenderer->FillRect({0, 0, 20, 16}, Color(kRed), true);
        }
        EXPECT_EQ(Expected(c.drawn), Picture(kRed)) << c.clip.x << "," << c.clip.y;
    }
}

TEST_F(GLFrame, OutlinesLieOnThePixelsTheGdiRendererOutlines)
{
    Start(12, 10);
    mRenderer->DrawRect({2, 2, 6, 4}, Color(kRed), 1.0f);
    const std::vector<uint32_t> pixels = Pixels();
    for (int32_t y = 0; y < mHeight; ++y)
        for (int32_t x = 0; x < mWidth; ++x)
        {
            const bool onOutline =
                (x >= 2 && x <= 8 && (y == 2 || y == 6)) || (y >= 2 && y <= 6 && (x == 2 || x == 8));
            const uint32_t red = (pixels[static_cast<size_t>(y * mWidth + x)] >> 16) & 0xFF;
            // Lines are smoothed: the outline's pixels are mostly covered, the others
            // hardly (corners may differ between rasterisers).
            const bool corner = (x == 2 || x == 8) && (y == 2 || y == 6);
            if (onOutline && !corner)
            {
                EXPECT_GT(red, 150u) << x << "," << y;
            }
            else if (!onOutline)
            {
                EXPECT_LT(red, 100u) << x << "," << y;
            }
        }
}

TEST_F(GLFrame, PolylinesAreCompiledOnceAndAgainAfterAChange)
{
    Start(16, 16);
    PolylineT<float> box;
    for (const PointT<float>& point : {PointT<float>{2, 2}, {10, 2}, {10, 10}, {2, 10}})
        box.AddItem(point);
    box.SetChanged(true);
    const uint32_t before = mRenderer->GetCacheCounts().listsCompiled;
    mRenderer->FillPolygon(box, Color(kRed), {1, 1}, {1, 1}, true);
    mRenderer->FillPolygon(box, Color(kRed), {1, 1}, {1, 1}, true);
    EXPECT_EQ(before + 1, mRenderer->GetCacheCounts().listsCompiled);
    EXPECT_EQ(Expected({3, 3, 8, 8}), Picture(kRed));

    // The moved point is seen only after the changed flag says so.
    box.GetAt(2)->x = 14;
    box.GetAt(1)->x = 14;
    mRenderer->FillRect({0, 0, 16, 16}, Color(kBlack), false);
    mRenderer->FillPolygon(box, Color(kRed), {1, 1}, {1, 1}, true);
    EXPECT_EQ(Expected({3, 3, 8, 8}), Picture(kRed));
    box.SetChanged(true);
    mRenderer->FillPolygon(box, Color(kRed), {1, 1}, {1, 1}, true);
    EXPECT_EQ(before + 2, mRenderer->GetCacheCounts().listsCompiled);
    EXPECT_EQ(Expected({3, 3, 12, 8}), Picture(kRed));

    // Without keeping, nothing is compiled.
    mRenderer->FillPolygon(box, Color(kRed), {0, 0}, {1, 1}, false);
    EXPECT_EQ(before + 2, mRenderer->GetCacheCounts().listsCompiled);
}

namespace {

Milliseconds gFakeNow = 0;
Milliseconds FakeNow()
{
    return gFakeNow;
}

PolylineT<float> Box(float left, float top, float right, float bottom)
{
    PolylineT<float> box;
    for (const PointT<float>& point :
         {PointT<float>{left, top}, {right, top}, {right, bottom}, {left, bottom}})
        box.AddItem(point);
    return box;
}

} // namespace

TEST_F(GLFrame, ListsAndTexturesNotDrawnSinceThePreviousPurgeAreDropped)
{
    LFrameworkApp app;
    gFakeNow = 1000;
    app.GetClock() = ApplicationClock(&FakeNow);
    Start(16, 16);
    mRenderer->RenderFinish(mContext);
    EXPECT_GE(mContext->GetMaxSurfaceSize().width, 1024);
    PolylineT<float> kept = Box(1, 1, 5, 5);
    PolylineT<float> dropped = Box(8, 8, 12, 12);
    const RCPtr<LBitmap> bitmap = LBitmap::CreateFilledBitmap({3, 3}, Color(kRed));
    const auto frame = [&](Milliseconds now, auto draw) {
        gFakeNow = now;
        mRenderer->RenderStart(mContext);
        draw();
        mRenderer->RenderFinish(mContext);
    };
    const uint32_t lists = mRenderer->GetCacheCounts().listsCompiled;
    const uint32_t textures = mRenderer->GetCacheCounts().texturesMade;
    frame(2000, [&] {
        mRenderer->FillPolygon(kept, Color(kRed), {0, 0}, {1, 1}, true);
        mRenderer->FillPolygon(dropped, Color(kRed), {0, 0}, {1, 1}, true);
        mRenderer->DrawBitmap(bitmap, {0, 0, 3, 3}, ResizeType::Stretch);
    });
    // The first purge keeps what was drawn since the start; the second what was drawn
    // since the first.
    frame(1000 + 300001, [&] { mRenderer->FillPolygon(kept, Color(kRed), {0, 0}, {1, 1}, true); });
    frame(1000 + 600002, [&] { mRenderer->FillPolygon(kept, Color(kRed), {0, 0}, {1, 1}, true); });
    frame(1000 + 600003, [&] {
        mRenderer->FillPolygon(kept, Color(kRed), {0, 0}, {1, 1}, true);
        mRenderer->FillPolygon(dropped, Color(kRed), {0, 0}, {1, 1}, true);
        mRenderer->DrawBitmap(bitmap, {0, 0, 3, 3}, ResizeType::Stretch);
    });
    EXPECT_EQ(lists + 3, mRenderer->GetCacheCounts().listsCompiled);
    EXPECT_EQ(textures + 2, mRenderer->GetCacheCounts().texturesMade);
}

TEST_F(GLFrame, TheStarPolygonLeavesItsCentreEmpty)
{
    Start(100, 100);
    PolylineT<float> star;
    for (int i = 0; i < 5; ++i)
    {
        const double angle = -std::numbers::pi / 2 + i * 4 * std::numbers::pi / 5;
        star.AddItem(
            {50 + 45 * static_cast<float>(std::cos(angle)), 50 + 45 * static_cast<float>(std::sin(angle))});
    }
    mRenderer->FillPolygon(star, Color(kRed), {0, 0}, {1, 1}, true);
    EXPECT_TRUE(Near(kBlack, Pixel(50, 52), 2));
    EXPECT_TRUE(Near(kRed, Pixel(50, 12), 2));   // the top point
    EXPECT_TRUE(Near(kRed, Pixel(20, 42), 2));   // the left point
    EXPECT_TRUE(Near(kBlack, Pixel(50, 90), 2)); // between the two lower points
}

TEST_F(GLFrame, BitmapsAreStretchedTiledAndCentred)
{
    Start(24, 20);
    const RCPtr<LBitmap> bitmap = MakeBitmap(4, 3, &CoordinateColor);
    // Tiles from the top left, cut at the target.
    mRenderer->DrawBitmap(bitmap, {1, 2, 10, 8}, ResizeType::Tile);
    // At its own size, whatever the type.
    mRenderer->DrawBitmap(bitmap, {14, 1, 4, 3}, ResizeType::Center);
    // Centred: (9 - 4) / 2 rounds to 3, (8 - 3) / 2 to 3.
    mRenderer->DrawBitmap(bitmap, {13, 10, 9, 8}, ResizeType::Center);
    const std::vector<uint32_t> pixels = Pixels();
    int32_t wrong = 0;
    for (int32_t y = 0; y < mHeight; ++y)
        for (int32_t x = 0; x < mWidth; ++x)
        {
            uint32_t expected = kBlack;
            if (x >= 1 && x < 11 && y >= 2 && y < 10)
                expected = CoordinateColor((x - 1) % 4, (y - 2) % 3);
            else if (x >= 14 && x < 18 && y >= 1 && y < 4)
                expected = CoordinateColor(x - 14, y - 1);
            else if (x >= 16 && x < 20 && y >= 13 && y < 16)
                expected = CoordinateColor(x - 16, y - 13);
            wrong += Near(expected, pixels[static_cast<size_t>(y * mWidth + x)], 3) ? 0 : 1;
        }
    EXPECT_EQ(0, wrong);
    EXPECT_EQ(1u, mRenderer->GetCacheCounts().texturesMade);
    EXPECT_THROW(mRenderer->DrawBitmap(bitmap, {0, 0, 8, 8}, static_cast<ResizeType>(7)), std::logic_error);
    EXPECT_EQ(E_INVALIDARG, mRenderer->DrawBitmap(nullptr, {0, 0, 8, 8}, ResizeType::Stretch));
}

TEST_F(GLFrame, TexturesArePowerOfTwoSizedWithTheImageInTheCorner)
{
    Start(8, 8);
    const RCPtr<LBitmap> bitmap = LBitmap::CreateFilledBitmap({100, 50}, Color(kRed));
    const RCPtr<LGLTexture> texture = LGLTexture::CreateFromBitmap(bitmap);
    EXPECT_TRUE(texture->IsValid());
    EXPECT_EQ(128.0f, texture->GetTextureWidth());
    EXPECT_EQ(64.0f, texture->GetTextureHeight());
    EXPECT_FLOAT_EQ(100.0f / 128.0f, texture->ToTextureX(100.0f));
    EXPECT_FLOAT_EQ(50.0f / 64.0f, texture->ToTextureY(50.0f));
}

TEST_F(GLFrame, StretchedBitmapsFillTheTarget)
{
    Start(16, 16);
    const RCPtr<LBitmap> bitmap = LBitmap::CreateFilledBitmap({3, 3}, Color(kRed));
    mRenderer->DrawBitmap(bitmap, {2, 4, 10, 7}, ResizeType::Stretch);
    EXPECT_EQ(Expected({2, 4, 10, 7}), Picture(kRed, 3));
}

TEST_F(GLFrame, TextIsDrawnInsideItsMeasuredBox)
{
    Start(120, 40);
    const RCPtr<LFont> font = LFont::GetFont(u"DejaVu Sans", 14.0f, 0);
    const RectT<float> box = mRenderer->MeasureText(u"Hello, World", font);
    ASSERT_GT(box.width, 50.0f);
    const PointT<int32_t> at{5, 8};
    mRenderer->DrawText(u"Hello, World", font, at, Color(0xFFFFFFFFu));
    const std::vector<uint32_t> pixels = Pixels();
    int32_t inked = 0;
    int32_t outside = 0;
    int32_t cellTop = 0;
    int32_t cellBottom = 0;
    int32_t height = 0;
    ASSERT_EQ(S_OK, mRenderer->GetFontMetrics(font, height, cellTop, cellBottom));
    for (int32_t y = 0; y < mHeight; ++y)
        for (int32_t x = 0; x < mWidth; ++x)
        {
            if (((pixels[static_cast<size_t>(y * mWidth + x)] >> 8) & 0xFF) < 40)
                continue;
            ++inked;
            // The box is relative to the baseline, which lies -cellTop below the position.
            const float bx = static_cast<float>(x - at.x);
            const float by = static_cast<float>(y - at.y + cellTop);
            if (bx < box.x - 1 || bx > box.x + box.width || by < box.y - 1 || by > box.y + box.height)
                ++outside;
        }
    EXPECT_GT(inked, 60);
    EXPECT_EQ(0, outside);
}

TEST_F(GLFrame, OffscreenPicturesAreDrawnAtAPositionAndMoved)
{
    Start(20, 12);
    RCPtr<LRenderContextInfo> picture;
    ASSERT_EQ(S_OK, mRenderer->InitRenderContextInfo({0, 0, 8, 6}, nullptr, true, picture));
    mRenderer->RenderStart(picture);
    mRenderer->FillRect({0, 0, 8, 6}, Color(kBlack), false);
    mRenderer->FillRect({2, 1, 3, 2}, Color(kRed), true);
    EXPECT_EQ(E_INVALIDARG, mRenderer->DrawImageAt(picture, {0, 0}, {0, 0, 8, 6})); // into itself
    mRenderer->RenderFinish(picture);

    // Through the origin of the frame it is drawn in.
    {
        CAutoClip moved = CAutoClip::CAutoClipPushState(mRenderer);
        mRenderer->PushTranslation({5, 0});
        EXPECT_EQ(S_OK, mRenderer->DrawImageAt(picture, {4, 3}, {1, 0, 5, 4}));
        mRenderer->PopState();
    }
    // Columns 1..5 and rows 0..3 of the picture at (9, 3): its red square at (10, 4).
    EXPECT_EQ(Expected({10, 4, 3, 2}), Picture(kRed));
    EXPECT_TRUE(Near(kBlack, Pixel(9, 3), 2));
    EXPECT_EQ(E_INVALIDARG, mRenderer->DrawImageAt(nullptr, {0, 0}, {0, 0, 4, 4}));
    EXPECT_EQ(E_INVALIDARG, mRenderer->DrawImageAt(mContext, {0, 0}, {0, 0, 4, 4}));

    // Moved by (3, 2): what it leaves is transparent.
    EXPECT_EQ(S_OK, mRenderer->PresentOffscreen(picture, {3, 2}));
    const std::vector<uint32_t> moved = mRenderer->ReadPixels(picture, {0, 0, 8, 6});
    ASSERT_EQ(48u, moved.size());
    EXPECT_TRUE(Near(kRed, moved[3 * 8 + 5], 2));
    EXPECT_TRUE(Near(kRed, moved[4 * 8 + 7], 2));
    EXPECT_TRUE(Near(kBlack, moved[2 * 8 + 3], 2));
    EXPECT_EQ(0u, moved[0] >> 24);
    EXPECT_EQ(E_INVALIDARG, mRenderer->PresentOffscreen(nullptr, {1, 1}));
}

TEST_F(GLFrame, NestedContextsKeepTheirOwnPictures)
{
    Start(10, 10);
    mRenderer->FillRect({0, 0, 5, 5}, Color(kRed), true);
    RCPtr<LRenderContextInfo> inner;
    ASSERT_EQ(S_OK, mRenderer->InitRenderContextInfo({0, 0, 6, 6}, nullptr, true, inner));
    mRenderer->RenderStart(inner);
    mRenderer->FillRect({0, 0, 6, 6}, Color(kBlack), false);
    mRenderer->FillRect({3, 3, 3, 3}, Color(kRed), true);
    EXPECT_THROW(mRenderer->RenderFinish(mContext), std::runtime_error);
    mRenderer->RenderFinish(inner);
    // The outer frame goes on where it was, and the inner picture stays readable.
    mRenderer->FillRect({5, 5, 5, 5}, Color(kRed), true);
    EXPECT_EQ(Expected({0, 0, 5, 5})[0], Picture(kRed)[0]);
    EXPECT_TRUE(Near(kRed, Pixel(9, 9), 2));
    EXPECT_TRUE(Near(kBlack, Pixel(2, 7), 2));
    const std::vector<uint32_t> innerPixels = mRenderer->ReadPixels(inner, {0, 0, 6, 6});
    ASSERT_EQ(36u, innerPixels.size());
    EXPECT_TRUE(Near(kRed, innerPixels[35], 2));
    EXPECT_TRUE(Near(kBlack, innerPixels[0], 2));
}

namespace {

// Lets the window system deliver what it queued (the window mapped, exposed).
void PumpWindowEvents()
{
    Platform::WindowEventSource& source = Platform::GetWindowEventSource();
    Platform::WindowEvent event;
    while (source.WaitEvent(event, 200))
        source.Dispatch(event);
}

} // namespace

TEST(GLWindow, AFrameIsShownOnTheWindowItWasDrawnFor)
{
    Platform::WindowSpec spec;
    spec.title = "OpenGL renderer";
    spec.clientRect = {30, 30, 64, 48};
    spec.openGL = true;
    std::unique_ptr<Platform::PlatformWindow> window = Platform::PlatformWindow::Create(spec);
    ASSERT_NE(nullptr, window);
    ASSERT_NE(nullptr, window->GetGLDrawable());
    window->Show(true);
    PumpWindowEvents();

    const RCPtr<LRenderer> renderer = LRenderer::Create(kRendererTypeOpenGL, {0, 0, 64, 48}, window.get());
    RCPtr<LGLRenderer> gl;
    gl.AssignDynamicCast(renderer);
    ASSERT_TRUE(gl);
    RCPtr<LRenderContextInfo> context;
    ASSERT_EQ(S_OK, renderer->InitRenderContextInfo({0, 0, 64, 48}, window.get(), false, context));
    EXPECT_FALSE(context->IsOffscreen());
    renderer->RenderStart(context);
    renderer->FillRect({0, 0, 64, 48}, Color(kBlack), false);
    renderer->FillRect({8, 8, 16, 8}, Color(kRed), true);
    renderer->RenderFinish(context);
    // A later frame repaints a part only; the rest stays as it was.
    renderer->RenderStart(context);
    renderer->FillRect({40, 30, 10, 10}, Color(0xFF0000FFu), true);
    renderer->RenderFinish(context);
    const std::vector<uint32_t> kept = gl->ReadPixels(context, {0, 0, 64, 48});
    ASSERT_EQ(64u * 48u, kept.size());
    EXPECT_TRUE(Near(kRed, kept[10 * 64 + 10], 2));
    EXPECT_TRUE(Near(0xFF0000FFu, kept[35 * 64 + 45], 2));
    EXPECT_TRUE(Near(kBlack, kept[40 * 64 + 20], 2));

    // What the X server holds for the window.
    PumpWindowEvents();
    Platform::CapturedPixels captured;
    ASSERT_TRUE(Platform::CaptureWindow(*window, captured));
    EXPECT_TRUE(Near(kRed, captured.At(10, 10), 2));
    EXPECT_TRUE(Near(0xFF0000FFu, captured.At(45, 35), 2));
    EXPECT_TRUE(Near(kBlack, captured.At(20, 40), 2));
    EXPECT_TRUE(Near(kBlack, captured.At(7, 10), 2));
}

TEST(GLWindow, AContextWhoseWindowIsGoneDrawsNothing)
{
    Platform::WindowSpec spec;
    spec.clientRect = {30, 30, 32, 32};
    spec.openGL = true;
    std::unique_ptr<Platform::PlatformWindow> window = Platform::PlatformWindow::Create(spec);
    ASSERT_NE(nullptr, window);
    const RCPtr<LRenderer> renderer = LRenderer::Create(kRendererTypeOpenGL, {0, 0, 32, 32}, window.get());
    RCPtr<LRenderContextInfo> context;
    ASSERT_EQ(S_OK, renderer->InitRenderContextInfo({0, 0, 32, 32}, window.get(), false, context));
    window.reset();
    renderer->RenderStart(context);
    EXPECT_EQ(S_OK, renderer->FillRect({0, 0, 32, 32}, Color(kRed), true));
    renderer->RenderFinish(context);
    RCPtr<LGLRenderer> gl;
    gl.AssignDynamicCast(renderer);
    EXPECT_TRUE(gl->ReadPixels(context, {0, 0, 4, 4}).empty());
}

TEST(GLWindow, AWindowWithoutOpenGLGetsNoContext)
{
    Platform::WindowSpec spec;
    spec.clientRect = {30, 30, 32, 32};
    std::unique_ptr<Platform::PlatformWindow> window = Platform::PlatformWindow::Create(spec);
    ASSERT_NE(nullptr, window);
    const RCPtr<LRenderer> renderer = LRenderer::Create(kRendererTypeOpenGL, {0, 0, 32, 32}, window.get());
    RCPtr<LRenderContextInfo> context;
    EXPECT_EQ(E_FAIL, renderer->InitRenderContextInfo({0, 0, 32, 32}, window.get(), false, context));
    EXPECT_FALSE(context);
    // Offscreen contexts of such a window draw into their own framebuffers.
    EXPECT_EQ(S_OK, renderer->InitRenderContextInfo({0, 0, 32, 32}, window.get(), true, context));
}
