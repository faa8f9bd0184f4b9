// Scenes drawn by the OpenGL renderer against reference pictures of what the product's
// renderer (GDI+) draws: each pixel within a tolerance per channel, with a cap on the
// pixels that may differ more where the two rasterise differently (smoothed lines,
// polygon edges). On a failure the picture drawn and a difference picture are written
// into the build tree. KV_UPDATE_REFERENCES=1 draws the references anew with the GDI+
// renderer and writes them into the source tree, to be looked at before they are kept.

#include "Graphics/Bitmap.h"
#include "Platform/Graphics/ImageDecoder.h"
#include "Platform/Window/WindowCapture.h"
#include "Renderer/AutoClip.h"
#include "Renderer/Gdi/GDIRenderer.h"
#include "Renderer/OpenGL/GLRenderer.h"
#include "TestBitmaps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <numbers>
#include <string>
#include <vector>

using namespace KV;
using Testing::Color;

namespace {

struct Scene
{
    const char* name;
    int32_t width;
    int32_t height;
    std::function<void(const RCPtr<LRenderer>&)> draw;
    int tolerance;         // per channel, out of 255
    int32_t mostDiffering; // pixels beyond the tolerance
};

PolylineT<float> Star(float cx, float cy, float radius)
{
    PolylineT<float> star;
    for (int i = 0; i < 5; ++i)
    {
        const double angle = -std::numbers::pi / 2 + i * 4 * std::numbers::pi / 5;
        star.AddItem({cx + radius * static_cast<float>(std::cos(angle)),
                      cy + radius * static_cast<float>(std::sin(angle))});
    }
    return star;
}

uint32_t Checker(int32_t x, int32_t y)
{
    return ((x + y) % 2) ? 0xFFE0C020u : 0xFF2040A0u;
}

const std::vector<Scene>& Scenes()
{
    static const std::vector<Scene> scenes = {
        {"fills", 48, 32,
         [](const RCPtr<LRenderer>& r) {
             r->FillRect({4, 4, 24, 16}, Color(0xFFC03030u), true);
             r->FillRect({16, 10, 24, 16}, Color(0x8030C030u), true); // half transparent
             r->FillRect({30, 2, 10, 8}, Color(0xFF3030C0u), false);
             r->FillAndFrameRect({6, 22, 12, 6}, Color(0xFFFFFFFFu), Color(0xFF00A0A0u), 1.0f);
         },
         // The corners of the smoothed frame.
         2, 4},
        {"outlines", 48, 32,
         [](const RCPtr<LRenderer>& r) {
             r->DrawRect({3, 3, 20, 12}, Color(0xFFFFFF00u), 1.0f);
             r->DrawRect({27, 5, 15, 20}, Color(0xFF00FFFFu), 1.0f);
             r->DrawLine({4, 24}, {40, 24}, Color(0xFFFF00FFu), 1.0f);
             r->DrawLine({24, 18}, {24, 30}, Color(0xFFFFFFFFu), 1.0f);
         },
         // Smoothed line ends and corners.
         8, 12},
        {"clip-and-origin", 40, 30,
         [](const RCPtr<LRenderer>& r) {
             CAutoClip clip = CAutoClip::CAutoClipPushClip(r, {6, 5, 20, 14}, {2, 2, 30, 30}, nullptr);
             r->FillRect({-10, -10, 100, 100}, Color(0xFF40A040u), true);
             CAutoClip moved = CAutoClip::CAutoClipPushClip(r, {4, 4, 8, 6}, {0, 0, 8, 6}, nullptr);
             r->FillRect({0, 0, 30, 30}, Color(0xFFA04040u), false);
         },
         2, 0},
        {"star", 64, 64,
         [](const RCPtr<LRenderer>& r) {
             PolylineT<float> star = Star(32, 33, 28);
             r->FillPolygon(star, Color(0xFFF0B040u), {0, 0}, {1, 1}, true);
         },
         // Pixels whose centres lie on an edge may go either way.
         2, 8},
        {"rect-list", 40, 24,
         [](const RCPtr<LRenderer>& r) {
             ColorRectListT<float> list;
             list.AddItem({1, 1, 4, 2});
             list.AddItem({3, 2, 4, 2});
             list.AddItem({6, 4, 2, 1});
             list.GetColors().AddItem(0xFFFF0000u);
             list.GetColors().AddItem(0xFF00FF00u);
             list.GetColors().AddItem(0xFF0000FFu);
             list.SetScale(4, 4);
             r->DrawColorRectList(list, {2, 1}, true);
         },
         2, 0},
        {"bitmaps", 48, 40,
         [](const RCPtr<LRenderer>& r) {
             const RCPtr<LBitmap> bitmap = Testing::MakeBitmap(5, 4, &Checker);
             r->DrawBitmap(bitmap, {1, 1, 13, 11}, ResizeType::Tile);
             r->DrawBitmap(bitmap, {18, 1, 12, 11}, ResizeType::Center);
             r->DrawBitmap(bitmap, {2, 16, 20, 16}, ResizeType::Stretch);
             r->DrawBitmap(bitmap, {30, 20, 5, 4}, ResizeType::Tile);
         },
         3, 0},
    };
    return scenes;
}

std::string ReferencePath(const Scene& scene)
{
    return std::string(KV_GL_REFERENCE_DIR) + "/" + scene.name + ".png";
}

// A whole picture, 0xFFRRGGBB, drawn on black by the renderer of the type.
Platform::CapturedPixels Draw(const Scene& scene, int rendererType)
{
    const RCPtr<LRenderer> renderer =
        rendererType == kRendererTypeGDI
            ? RCPtr<LRenderer>(LGDIRenderer::Create())
            : LRenderer::Create(rendererType, {0, 0, scene.width, scene.height}, nullptr);
    RCPtr<LRenderContextInfo> context;
    EXPECT_EQ(S_OK,
              renderer->InitRenderContextInfo({0, 0, scene.width, scene.height}, nullptr, true, context));
    renderer->RenderStart(context);
    renderer->FillRect({0, 0, scene.width, scene.height}, Color(0xFF000000u), false);
    {
        CAutoClip frame = CAutoClip::CAutoClipPushState(renderer);
        scene.draw(renderer);
    }
    Platform::CapturedPixels picture{scene.width, scene.height, {}};
    if (rendererType == kRendererTypeGDI)
    {
        const auto& gdi = static_cast<const LGDIRenderContextInfo&>(*context);
        for (int32_t y = 0; y < scene.height; ++y)
            for (int32_t x = 0; x < scene.width; ++x)
                picture.pixels.push_back(0xFF000000u | gdi.GetCurrentSurface()->GetImage()->GetPixel(x, y));
    }
    else
    {
        RCPtr<LGLRenderer> gl;
        gl.AssignDynamicCast(renderer);
        for (uint32_t pixel : gl->ReadPixels(context, {0, 0, scene.width, scene.height}))
            picture.pixels.push_back(0xFF000000u | pixel);
    }
    renderer->RenderFinish(context);
    return picture;
}

bool LoadReference(const Scene& scene, Platform::CapturedPixels& reference)
{
    std::ifstream in(ReferencePath(scene), std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ImageStatus status{};
    const std::unique_ptr<BitmapImage> image = Platform::DecodeImage(bytes, status);
    if (!image)
        return false;
    reference = {image->GetWidth(), image->GetHeight(), {}};
    for (int32_t y = 0; y < image->GetHeight(); ++y)
        for (int32_t x = 0; x < image->GetWidth(); ++x)
        {
            const uint8_t* bgra = image->PixelAt(x, y);
            reference.pixels.push_back(0xFF000000u | uint32_t{bgra[2]} << 16 | uint32_t{bgra[1]} << 8 |
                                       bgra[0]);
        }
    return true;
}

int ChannelDifference(uint32_t a, uint32_t b)
{
    int largest = 0;
    for (int shift = 0; shift < 24; shift += 8)
        largest = std::max(
            largest, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
    return largest;
}

} // namespace

TEST(GLReferenceScenes, TheOpenGLRendererDrawsWhatTheGdiRendererDraws)
{
    const bool update =
        std::getenv("KV_UPDATE_REFERENCES") && std::string(std::getenv("KV_UPDATE_REFERENCES")) == "1";
    for (const Scene& scene : Scenes())
    {
        if (update)
        {
            ASSERT_TRUE(Platform::SavePng(Draw(scene, kRendererTypeGDI), ReferencePath(scene))) << scene.name;
        }
        Platform::CapturedPixels reference;
        ASSERT_TRUE(LoadReference(scene, reference)) << ReferencePath(scene);
        ASSERT_EQ(scene.width, reference.width) << scene.name;
        ASSERT_EQ(scene.height, reference.height) << scene.name;
        const Platform::CapturedPixels drawn = Draw(scene, kRendererTypeOpenGL);
        ASSERT_EQ(reference.pixels.size(), drawn.pixels.size()) << scene.name;

        Platform::CapturedPixels difference{scene.width, scene.height, {}};
        int32_t differing = 0;
        for (size_t i = 0; i < drawn.pixels.size(); ++i)
        {
            const int d = ChannelDifference(drawn.pixels[i], reference.pixels[i]);
            differing += d > scene.tolerance ? 1 : 0;
            difference.pixels.push_back(d > scene.tolerance ? 0xFFFF0000u
                                                            : (d > 0 ? 0xFF606060u : 0xFF000000u));
        }
        EXPECT_LE(differing, scene.mostDiffering) << scene.name;
        if (differing > scene.mostDiffering)
        {
            Platform::SavePng(drawn, std::string(scene.name) + "-opengl.png");
            Platform::SavePng(difference, std::string(scene.name) + "-difference.png");
        }
    }
}
