#include "RecordingRenderer.h"

#include "Renderer/AutoClip.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using namespace KV;
using KV::Testing::RecordingContext;
using KV::Testing::RecordingRenderer;
using Calls = std::vector<std::string>;

namespace {

template <class Fn> std::string ErrorOf(Fn&& fn)
{
    try
    {
        fn();
    }
    catch (const std::exception& e)
    {
        return e.what();
    }
    return "no error";
}

bool Contains(const std::string& text, const std::string& piece)
{
    return text.find(piece) != std::string::npos;
}

// A renderer in the middle of a frame on one context.
struct Frame
{
    Frame()
    {
        renderer->RenderStart(context);
        renderer->Take();
    }
    ~Frame()
    {
        if (renderer->GetCurrentContext() == context.Get())
            renderer->RenderFinish(context);
    }
    RenderState& State() { return context->GetCurrentState(); }
    size_t Depth() const { return context->GetSavedStates().size(); }

    RCPtr<RecordingRenderer> renderer = RecordingRenderer::Create();
    RCPtr<LRenderContextInfo> context = RecordingContext::Create();
};

} // namespace

TEST(RendererFrames, ContextsStackAndMustFinishInnermostFirst)
{
    RCPtr<RecordingRenderer> renderer = RecordingRenderer::Create();
    RCPtr<LRenderContextInfo> outer = RecordingContext::Create();
    RCPtr<LRenderContextInfo> inner = RecordingContext::Create({0, 0, 10, 10}, true);

    std::string error = ErrorOf([&] { renderer->RenderStart(nullptr); });
    EXPECT_TRUE(Contains(error, "Runtime Error : Render context is NULL : KV::LRenderer::RenderStart"))
        << error;
    error = ErrorOf([&] { renderer->RenderFinish(outer); });
    EXPECT_TRUE(Contains(error, "Runtime Error : RenderFinish context does not match RenderStart context : "
                                "KV::LRenderer::RenderFinish"))
        << error;

    EXPECT_EQ(S_OK, renderer->RenderStart(outer));
    error = ErrorOf([&] { renderer->RenderStart(outer); });
    EXPECT_TRUE(Contains(error, "Render context reentered. : KV::LRenderer::RenderStart")) << error;
    EXPECT_EQ(1u, renderer->GetContextDepth());

    EXPECT_EQ(S_OK, renderer->RenderStart(inner));
    EXPECT_EQ(inner.Get(), renderer->GetCurrentContext());
    error = ErrorOf([&] { renderer->RenderFinish(outer); });
    EXPECT_TRUE(Contains(error, "does not match")) << error;
    EXPECT_EQ(2u, renderer->GetContextDepth()); // unchanged by the failure

    // The state operations act on the innermost context.
    renderer->PushState();
    renderer->Translate({3, 4});
    EXPECT_EQ((PointT<double>{3, 4}), inner->GetCurrentState().mOrigin);
    EXPECT_EQ((PointT<double>{0, 0}), outer->GetCurrentState().mOrigin);
    renderer->PopState();

    EXPECT_EQ(S_OK, renderer->RenderFinish(inner));
    EXPECT_EQ(outer.Get(), renderer->GetCurrentContext());
    EXPECT_EQ(S_OK, renderer->RenderFinish(outer));
    EXPECT_EQ(nullptr, renderer->GetCurrentContext());
    // The renderer held one reference to each context only while it was stacked.
    EXPECT_EQ(1, outer->GetRefCount());
    EXPECT_EQ(1, inner->GetRefCount());
}

TEST(RendererFrames, StateOperationsOutsideAFrameDoNothing)
{
    RCPtr<RecordingRenderer> renderer = RecordingRenderer::Create();
    EXPECT_EQ(S_OK, renderer->PushState());
    EXPECT_EQ(S_OK, renderer->PushClip({1, 2, 3, 4}, {0, 0, 9, 9}, LStencil::Create({2, 2}), true));
    EXPECT_EQ(S_OK, renderer->PushTranslation({5, 5}));
    EXPECT_EQ(S_OK, renderer->SetViewport({0, 0, 1, 1}));
    EXPECT_EQ(S_OK, renderer->SetStencil(nullptr));
    EXPECT_EQ(S_OK, renderer->PopState());
    EXPECT_EQ(nullptr, renderer->GetCurrentContext());
}

TEST(RendererStateStack, NewStateClipsNothing)
{
    const RenderState state;
    EXPECT_EQ(-5000000136282112.0, state.mClip.x);
    EXPECT_EQ(-5000000136282112.0, state.mClip.y);
    EXPECT_EQ(10000000272564224.0, state.mClip.width);
    EXPECT_EQ(10000000272564224.0, state.mClip.height);
    EXPECT_EQ(1.0f, state.mAlpha);
    EXPECT_FALSE(state.mStencilActive);
    EXPECT_FALSE(state.mStencil);
}

TEST(RendererStateStack, RelativeClipIsNarrowedAndMovedToTheNewOrigin)
{
    Frame frame;
    frame.renderer->PushClip({10, 10, 50, 50}, {0, 0, 100, 100}, nullptr, true);
    EXPECT_EQ((Calls{"SetClipRect 10,10,50,50", "Translate 10,10"}), frame.renderer->Take());
    EXPECT_EQ((PointT<double>{10, 10}), frame.State().mOrigin);
    EXPECT_EQ((RectT<double>{0, 0, 50, 50}), frame.State().mClip);

    // A child clip in the new coordinates is narrowed by the current clip as well.
    frame.renderer->PushClip({40, -5, 30, 30}, {40, -5, 30, 30}, nullptr, true);
    EXPECT_EQ((PointT<double>{50, 5}), frame.State().mOrigin);
    EXPECT_EQ((RectT<double>{0, 5, 10, 25}), frame.State().mClip);
    EXPECT_EQ(2u, frame.Depth());

    // Back through the renderer's own Translate and SetClipRect.
    frame.renderer->Take();
    frame.renderer->PopState();
    EXPECT_EQ((Calls{"Translate -40,5", "SetClipRect 0,0,50,50", "SetStencil none"}), frame.renderer->Take());
    frame.renderer->PopState();
    EXPECT_EQ((PointT<double>{0, 0}), frame.State().mOrigin);
    EXPECT_EQ(RenderState().mClip, frame.State().mClip);
    EXPECT_EQ(0u, frame.Depth());
}

TEST(RendererStateStack, ClipOriginsAreRoundedAndClipsSnapped)
{
    const struct
    {
        RectT<double> area;
        RectT<double> clip;
        bool relative;
        PointT<double> start; // the origin before the push
        PointT<double> origin;
        RectT<double> stored;
    } cases[] = {
        {{10.4, 20.6, 5, 5}, {0, 0, 100, 100}, true, {0, 0}, {10, 21}, {0, -1, 5, 5}},
        {{-2.5, 2.5, 4, 4}, {-10, -10, 20, 20}, true, {0, 0}, {-3, 3}, {0, -1, 4, 4}},
        // Surface coordinates: the area is taken relative to the current origin and the clip
        // is stored as given, snapped.
        {{15, 15, 10, 10}, {0.5, 0.5, 3.2, 3.2}, false, {10, 10}, {15, 15}, {0, 0, 3, 3}},
        {{15, 15, 10, 10}, {4, 4, -2, -2}, false, {10.25, 10.25}, {15.25, 15.25}, {2, 2, 2, 2}},
    };
    for (const auto& c : cases)
    {
        Frame frame;
        frame.renderer->PushState();
        frame.renderer->Translate(c.start);
        frame.renderer->PushClip(c.area, c.clip, nullptr, c.relative);
        EXPECT_EQ(c.origin, frame.State().mOrigin) << c.area.x;
        EXPECT_EQ(c.stored, frame.State().mClip) << c.area.x;
    }
}

TEST(RendererStateStack, TranslationNeedsAPushedState)
{
    Frame frame;
    frame.renderer->PushTranslation({7, 7});
    frame.renderer->PopState();
    EXPECT_TRUE(frame.renderer->Take().empty());
    EXPECT_EQ(0u, frame.Depth());
    EXPECT_EQ((PointT<double>{0, 0}), frame.State().mOrigin);

    frame.renderer->PushClip({0, 0, 100, 100}, {0, 0, 100, 100}, nullptr, true);
    frame.renderer->PushTranslation({2.5, -2.5});
    EXPECT_EQ((PointT<double>{3, -3}), frame.State().mOrigin);
    // The clip stays where it was on the surface.
    EXPECT_EQ((RectT<double>{-3, 3, 100, 100}), frame.State().mClip);
    frame.renderer->PopState();
    EXPECT_EQ((PointT<double>{0, 0}), frame.State().mOrigin);
    EXPECT_EQ((RectT<double>{0, 0, 100, 100}), frame.State().mClip);
}

TEST(RendererStateStack, PopRestoresAlphaAndStencil)
{
    Frame frame;
    const RCPtr<LStencil> stencil = LStencil::Create({30, 20});
    frame.renderer->PushClip({0, 0, 50, 50}, {0, 0, 50, 50}, stencil, true);
    EXPECT_EQ(stencil.Get(), frame.State().mStencil.Get());
    EXPECT_TRUE(frame.State().mStencilActive);
    frame.State().mAlpha = 0.5f;

    // A stencil inside a stencil is a new one of the same size.
    frame.renderer->PushClip({5, 5, 10, 10}, {0, 0, 10, 10}, stencil, true);
    EXPECT_NE(stencil.Get(), frame.State().mStencil.Get());
    EXPECT_EQ(30, frame.State().mStencil->GetWidth());
    EXPECT_EQ(20, frame.State().mStencil->GetHeight());
    EXPECT_EQ((RectT<int32_t>{0, 0, 30, 20}), frame.State().mStencil->GetArea());
    frame.State().mAlpha = 0.25f;

    frame.renderer->PopState();
    EXPECT_EQ(stencil.Get(), frame.State().mStencil.Get());
    EXPECT_EQ(0.5f, frame.State().mAlpha);
    frame.renderer->PopState();
    EXPECT_FALSE(frame.State().mStencil);
    EXPECT_FALSE(frame.State().mStencilActive);
    EXPECT_EQ(1.0f, frame.State().mAlpha);
    EXPECT_EQ(1, stencil->GetRefCount());
}

TEST(RendererStateStack, ViewportGoesToTheCurrentContext)
{
    Frame frame;
    frame.renderer->SetViewport({1, 2, 300, 200});
    EXPECT_EQ((RectT<int32_t>{1, 2, 300, 200}), frame.context->GetViewport());
}

TEST(RendererDrawing, FillAndFrameSkipTransparentParts)
{
    Frame frame;
    ColorT opaque;
    opaque.FromARGB(0xFF303030);
    ColorT clear;
    clear.FromARGB(0x00FFFFFF);
    frame.renderer->FillAndFrameRect({0, 0, 40, 12}, opaque, opaque, 1);
    frame.renderer->FillAndFrameRect({0, 0, 40, 12}, clear, opaque, 2);
    frame.renderer->FillAndFrameRect({0, 0, 40, 12}, opaque, clear, 1);
    EXPECT_EQ((Calls{"FillRect 0,0,40,12 #FF303030 blend", "DrawRect 0,0,40,12 #FF303030 1",
                     "DrawRect 0,0,40,12 #FF303030 2", "FillRect 0,0,40,12 #FF303030 blend"}),
              frame.renderer->Take());
}

TEST(AutoClip, EveryPushIsPoppedEvenWhenDrawingThrows)
{
    Frame frame;
    const RCPtr<LRenderer> renderer = frame.renderer;
    EXPECT_THROW(
        {
            const CAutoClip outer = CAutoClip::CAutoClipPushState(renderer);
            const CAutoClip inner =
                CAutoClip::CAutoClipPushClip(renderer, {10, 10, 20, 20}, {0, 0, 20, 20}, nullptr);
            EXPECT_EQ(2u, frame.Depth());
            EXPECT_EQ((PointT<double>{10, 10}), frame.State().mOrigin);
            throw std::runtime_error("drawing failed");
        },
        std::runtime_error);
    EXPECT_EQ(0u, frame.Depth());
    EXPECT_EQ((PointT<double>{0, 0}), frame.State().mOrigin);
    EXPECT_EQ(2, renderer->GetRefCount()); // the frame's and this one only
}

TEST(AutoClip, DescriptionsChooseThePush)
{
    Frame frame;
    const RCPtr<LRenderer> renderer = frame.renderer;
    CAutoClip::PushDescription state;
    CAutoClip::PushDescription clip;
    clip.flavour = CAutoClip::kFlavourPushClip;
    clip.area = {100, 100, 10, 10};
    clip.clip = {0, 0, 4, 4};
    clip.relative = false;
    CAutoClip::PushDescription translation;
    translation.flavour = CAutoClip::kFlavourPushTranslation;
    translation.offset = {1.5, 1.5};
    {
        const CAutoClip first(renderer, state);
        const CAutoClip second(renderer, clip);
        EXPECT_EQ((PointT<double>{100, 100}), frame.State().mOrigin);
        EXPECT_EQ((RectT<double>{0, 0, 4, 4}), frame.State().mClip);
        const CAutoClip third(renderer, translation);
        EXPECT_EQ((PointT<double>{102, 102}), frame.State().mOrigin);
        EXPECT_EQ(3u, frame.Depth());
    }
    EXPECT_EQ(0u, frame.Depth());

    CAutoClip::PushDescription unknown;
    unknown.flavour = 3;
    const std::string error = ErrorOf([&] { CAutoClip bad(renderer, unknown); });
    EXPECT_TRUE(Contains(error, "Runtime Error : Unknown PushClip flavor : KV::CAutoClip::CAutoClip"))
        << error;
    EXPECT_EQ(0u, frame.Depth());
    frame.renderer->Take();
    {
        // Nothing was pushed, so the failed scope pops nothing: the outer level survives.
        const CAutoClip outer(renderer, state);
        EXPECT_ANY_THROW(CAutoClip bad(renderer, unknown));
        EXPECT_EQ(1u, frame.Depth());
    }
    EXPECT_EQ(0u, frame.Depth());
}
