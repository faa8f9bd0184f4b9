#include "GdiFrame.h"
#include "RecordingPresenter.h"

#include "Renderer/AutoClip.h"
#include "Storage/ArrayBuffer.h"

using namespace KV;
using namespace KV::Testing;

namespace {

RegionRect Edges(int32_t x, int32_t y, int32_t width, int32_t height)
{
    return {x, y, x + width, y + height};
}

} // namespace

class GDIRenderContext : public ::testing::Test
{
protected:
    RCPtr<LGDIRenderContextInfo> MakeContext(const RectT<int32_t>& viewport, bool offscreen)
    {
        RCPtr<LRenderContextInfo> context;
        mRenderer->InitRenderContextInfo(viewport, &mWindow, offscreen, context);
        return RCPtr<LGDIRenderContextInfo>::DynamicCastFrom(context);
    }
    void Frame(const RCPtr<LGDIRenderContextInfo>& context, uint32_t argb)
    {
        mRenderer->RenderStart(context);
        mRenderer->FillRect({0, 0, 1000, 1000}, Color(argb), true);
        mRenderer->RenderFinish(context);
    }

    RecordingWindow mWindow;
    RCPtr<LGDIRenderer> mRenderer = LGDIRenderer::Create();
};

TEST_F(GDIRenderContext, AWholeWindowFrameMakesFreshSurfacesAndPresentsOneRectangle)
{
    const RCPtr<LGDIRenderContextInfo> context = MakeContext({0, 0, 300, 200}, false);
    ASSERT_TRUE(context);
    EXPECT_EQ((SizeT<int32_t>{300, 200}), context->GetCurrentSurface()->GetSize());
    const Platform::PainterSurface* before = context->GetCurrentSurface()->GetImage();
    context->GetDirtyRegion().AddRect(Edges(0, 0, 300, 200));
    Frame(context, kRed);
    EXPECT_NE(before, context->GetCurrentSurface()->GetImage()); // made anew for the full repaint
    ASSERT_EQ(1u, mWindow.mPresenter.mCalls.size());
    const RecordingPresenter::Call& call = mWindow.mPresenter.mCalls[0];
    EXPECT_EQ((std::vector<RectT<int32_t>>{{0, 0, 300, 200}}), call.areas);
    EXPECT_EQ(kRed, call.topLeftPixels[0]);
    EXPECT_EQ(300, call.width);
    EXPECT_EQ(1u, context->GetDirtyRegion().GetCount()); // left for the window to clear
}

TEST_F(GDIRenderContext, PartialFramesKeepTheSurfacesAndPresentOnlyTheDirtyRectanglesLastFirst)
{
    const RCPtr<LGDIRenderContextInfo> context = MakeContext({0, 0, 100, 50}, false);
    const Platform::PainterSurface* surface = context->GetCurrentSurface()->GetImage();
    context->GetDirtyRegion().AddRect(Edges(10, 5, 20, 10));
    context->GetDirtyRegion().AddRect(Edges(60, 30, 5, 5));
    Frame(context, kBlue);
    EXPECT_EQ(surface, context->GetCurrentSurface()->GetImage());
    ArrayBuffer<RectT<int32_t>> listed;
    context->GetDirtyRegion().ForEachRect(listed);
    ASSERT_EQ(2u, listed.GetCount());
    ASSERT_EQ(1u, mWindow.mPresenter.mCalls.size());
    EXPECT_EQ((std::vector<RectT<int32_t>>{listed.GetData()[1], listed.GetData()[0]}),
              mWindow.mPresenter.mCalls[0].areas);

    // A changed viewport makes new surfaces of its size at the next frame.
    mRenderer->RenderStart(context);
    mRenderer->SetViewport({0, 0, 40, 30});
    mRenderer->RenderFinish(context);
    mRenderer->RenderStart(context);
    EXPECT_EQ((SizeT<int32_t>{40, 30}), context->GetCurrentSurface()->GetSize());
    mRenderer->RenderFinish(context);
    // The dirty rectangles are cut to the smaller picture; one lies wholly outside it.
    EXPECT_EQ((std::vector<RectT<int32_t>>{{10, 5, 20, 10}}), mWindow.mPresenter.mCalls.back().areas);
}

TEST_F(GDIRenderContext, AnEmptyViewportGivesOnePixelSurfaces)
{
    const RCPtr<LGDIRenderContextInfo> context = MakeContext({0, 0, 0, 0}, false);
    EXPECT_EQ((SizeT<int32_t>{1, 1}), context->GetCurrentSurface()->GetSize());
    EXPECT_EQ((SizeT<int32_t>{1, 1}), context->GetOtherSurface()->GetSize());
}

TEST_F(GDIRenderContext, OffscreenContextsAreNeverPresentedButDrawnAndMoved)
{
    const RCPtr<LGDIRenderContextInfo> offscreen = MakeContext({0, 0, 10, 10}, true);
    const RCPtr<LGDIRenderContextInfo> window = MakeContext({0, 0, 20, 20}, false);
    offscreen->GetDirtyRegion().AddRect(Edges(0, 0, 10, 10));
    mRenderer->RenderStart(offscreen);
    mRenderer->FillRect({1, 1, 2, 2}, Color(kRed), true);
    mRenderer->RenderFinish(offscreen);
    EXPECT_TRUE(mWindow.mPresenter.mCalls.empty());

    EXPECT_EQ(S_OK, mRenderer->PresentOffscreen(offscreen, {3, 4}));
    const Platform::PainterSurface* moved = offscreen->GetCurrentSurface()->GetImage();
    EXPECT_EQ(kRed, moved->GetPixel(4, 5));
    EXPECT_EQ(0u, moved->GetPixel(1, 1));
    EXPECT_EQ(E_INVALIDARG, mRenderer->PresentOffscreen(window, {1, 1}));
    EXPECT_EQ(E_INVALIDARG, mRenderer->PresentOffscreen(nullptr, {1, 1}));

    window->GetDirtyRegion().AddRect(Edges(0, 0, 20, 20));
    EXPECT_EQ(E_INVALIDARG, mRenderer->DrawImageAt(offscreen, {0, 0}, {0, 0, 10, 10})); // outside a frame
    mRenderer->RenderStart(window);
    {
        CAutoClip shifted = CAutoClip::CAutoClipPushState(mRenderer);
        mRenderer->PushTranslation({5, 5});
        EXPECT_EQ(S_OK, mRenderer->DrawImageAt(offscreen, {1, 1}, {4, 5, 2, 2}));
        EXPECT_EQ(E_INVALIDARG, mRenderer->DrawImageAt(window, {1, 1}, {0, 0, 2, 2}));
    }
    const Platform::PainterSurface* picture = window->GetCurrentSurface()->GetImage();
    EXPECT_EQ(kRed, picture->GetPixel(6, 6));
    EXPECT_EQ(kRed, picture->GetPixel(7, 7));
    EXPECT_EQ(0u, picture->GetPixel(8, 8));
    mRenderer->RenderFinish(window);
}

TEST_F(GDIRenderContext, NestedContextsDrawEachIntoItsOwnSurface)
{
    const RCPtr<LGDIRenderContextInfo> window = MakeContext({0, 0, 8, 8}, false);
    const RCPtr<LGDIRenderContextInfo> offscreen = MakeContext({0, 0, 8, 8}, true);
    mRenderer->RenderStart(window);
    mRenderer->FillRect({0, 0, 1, 1}, Color(kRed), true);
    mRenderer->RenderStart(offscreen);
    mRenderer->FillRect({1, 1, 1, 1}, Color(kBlue), true);
    mRenderer->RenderFinish(offscreen);
    mRenderer->FillRect({2, 2, 1, 1}, Color(kRed), true);
    EXPECT_THROW(mRenderer->RenderFinish(offscreen), std::runtime_error);
    mRenderer->RenderFinish(window);
    EXPECT_EQ(kRed, window->GetCurrentSurface()->GetImage()->GetPixel(2, 2));
    EXPECT_EQ(0u, window->GetCurrentSurface()->GetImage()->GetPixel(1, 1));
    EXPECT_EQ(kBlue, offscreen->GetCurrentSurface()->GetImage()->GetPixel(1, 1));
}
