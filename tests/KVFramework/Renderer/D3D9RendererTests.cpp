#include "Graphics/Bitmap.h"
#include "Renderer/AutoClip.h"
#include "Renderer/Renderer.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

using namespace KV;

TEST(RendererFactory, UnknownTypesThrowBeforeAnythingIsMade)
{
    for (const int type : {-1, 3, 99})
    {
        try
        {
            LRenderer::Create(type, {0, 0, 100, 100}, nullptr);
            ADD_FAILURE() << "type " << type << " made a renderer";
        }
        catch (const std::domain_error& e)
        {
            EXPECT_EQ(0, std::string(e.what()).rfind("Domain Error : KV::LRenderer::Create : ", 0))
                << e.what();
        }
    }
}

TEST(D3D9Renderer, AWholeFrameDrawsNothingAndKeepsTheStack)
{
    const RCPtr<LRenderer> renderer = LRenderer::Create(kRendererTypeD3D9, {0, 0, 320, 240}, nullptr);
    ASSERT_TRUE(renderer);
    EXPECT_EQ(kRendererTypeD3D9, renderer->GetType());

    RCPtr<LRenderContextInfo> context;
    ASSERT_EQ(S_OK, renderer->InitRenderContextInfo({0, 0, 320, 240}, nullptr, false, context));
    ASSERT_TRUE(context);
    EXPECT_EQ((SizeT<int32_t>{0, 0}), context->GetMaxSurfaceSize());
    EXPECT_FALSE(context->IsOffscreen());
    EXPECT_EQ((RectT<int32_t>{0, 0, 320, 240}), context->GetViewport());

    int32_t height = -7;
    int32_t top = -7;
    int32_t bottom = -7;
    EXPECT_EQ(S_OK, renderer->GetFontMetrics(nullptr, height, top, bottom));
    EXPECT_EQ(0, height);
    EXPECT_EQ(0, top);
    EXPECT_EQ(0, bottom);
    EXPECT_EQ((RectT<float>{}), renderer->MeasureText(u"text", nullptr));

    // A control tree's frame: nested scopes, every drawing call, an offscreen context.
    ASSERT_EQ(S_OK, renderer->RenderStart(context));
    {
        const CAutoClip root = CAutoClip::CAutoClipPushState(renderer);
        const CAutoClip child =
            CAutoClip::CAutoClipPushClip(renderer, {10, 10, 100, 50}, {0, 0, 100, 50}, nullptr);
        EXPECT_EQ((PointT<double>{10, 10}), context->GetCurrentState().mOrigin);

        const ColorT color;
        PolylineT<float> polyline;
        polyline.AddItem({0, 0});
        polyline.AddItem({5, 5});
        ColorRectListT<float> rects;
        EXPECT_EQ(S_OK, renderer->DrawText(u"x", nullptr, {1, 1}, color));
        EXPECT_EQ(S_OK, renderer->DrawRect({0, 0, 5, 5}, color, 1));
        EXPECT_EQ(S_OK, renderer->FillRect({0, 0, 5, 5}, color, false));
        EXPECT_EQ(S_OK, renderer->FillAndFrameRect({0, 0, 5, 5}, color, color, 1));
        EXPECT_EQ(S_OK, renderer->DrawColorRectList(rects, {0, 0}));
        EXPECT_EQ(S_OK, renderer->DrawLine({0, 0}, {1, 1}, color, 1));
        EXPECT_EQ(S_OK, renderer->DrawLineSegments(polyline, color, {0, 0}, {1, 1}, true));
        EXPECT_EQ(S_OK, renderer->DrawPolyline(polyline, color, {0, 0}, {1, 1}, false));
        EXPECT_EQ(S_OK, renderer->DrawPolygon(polyline, color, {0, 0}, {1, 1}, true));
        EXPECT_EQ(S_OK, renderer->FillPolygon(polyline, color, {0, 0}, {1, 1}, true));
        EXPECT_EQ(S_OK, renderer->DrawBitmap(nullptr, {0, 0, 5, 5}, static_cast<ResizeType>(7)));

        RCPtr<LRenderContextInfo> offscreen;
        ASSERT_EQ(S_OK, renderer->InitRenderContextInfo({0, 0, 16, 16}, nullptr, true, offscreen));
        EXPECT_EQ(E_NOTIMPL, renderer->DrawImageAt(offscreen, {0, 0}, {0, 0, 16, 16}));
        EXPECT_EQ(E_NOTIMPL, renderer->PresentOffscreen(offscreen, {1, 1}));
        EXPECT_EQ(E_NOTIMPL, renderer->DrawImageAt(nullptr, {0, 0}, {0, 0, 16, 16}));
    }
    EXPECT_TRUE(context->GetSavedStates().empty());
    EXPECT_EQ((PointT<double>{0, 0}), context->GetCurrentState().mOrigin);
    ASSERT_EQ(S_OK, renderer->RenderFinish(context));
    EXPECT_EQ(nullptr, renderer->GetCurrentContext());
}
