#include "Renderer/Renderer.h"

#include "ObjectBase/Exception.h"

#include <algorithm>
#include <utility>

namespace KV {

KVRESULT LRenderer::RenderStart(const RCPtr<LRenderContextInfo>& context)
{
    if (!context)
        KV_THROW(std::runtime_error, "Render context is NULL");
    if (std::find(mContexts.begin(), mContexts.end(), context) != mContexts.end())
        KV_THROW(std::runtime_error, "Render context reentered.");
    mContexts.push_back(context);
    return S_OK;
}

KVRESULT LRenderer::RenderFinish(const RCPtr<LRenderContextInfo>& context)
{
    if (mContexts.empty() || mContexts.back() != context)
        KV_THROW(std::runtime_error, "RenderFinish context does not match RenderStart context");
    mContexts.pop_back();
    return S_OK;
}

KVRESULT LRenderer::SetViewport(const RectT<int32_t>& viewport)
{
    if (LRenderContextInfo* context = GetCurrentContext())
        context->SetViewport(viewport);
    return S_OK;
}

KVRESULT LRenderer::SetStencil(const ConstRCPtr<LStencil>& stencil)
{
    if (LRenderContextInfo* context = GetCurrentContext())
    {
        ConstRCPtr<LStencil>& current = context->GetCurrentState().mStencil;
        if (current != stencil)
            current = stencil;
    }
    return S_OK;
}

KVRESULT LRenderer::FillAndFrameRect(const RectT<int32_t>& rect, const ColorT& fill, const ColorT& frame,
                                     float lineWidth)
{
    if (fill.a > 0.0f)
        FillRect(rect, fill, true);
    if (frame.a > 0.0f)
        DrawRect(rect, frame, lineWidth);
    return S_OK;
}

KVRESULT LRenderer::PushState()
{
    if (LRenderContextInfo* context = GetCurrentContext())
        context->GetSavedStates().push_back(context->GetCurrentState());
    return S_OK;
}

KVRESULT LRenderer::PushTranslation(const PointT<double>& offset)
{
    LRenderContextInfo* context = GetCurrentContext();
    if (context == nullptr || context->GetSavedStates().empty())
        return S_OK;
    PushState();
    PointT<double> rounded = offset;
    rounded.Round();
    Translate(rounded);
    RectT<double>& clip = context->GetCurrentState().mClip;
    clip.x -= rounded.x;
    clip.y -= rounded.y;
    return S_OK;
}

KVRESULT LRenderer::PushClip(const RectT<double>& area, const RectT<double>& clip,
                             const ConstRCPtr<LStencil>& stencil, bool relative)
{
    LRenderContextInfo* context = GetCurrentContext();
    if (context == nullptr)
        return S_OK;
    RenderState& state = context->GetCurrentState();
    PointT<double> origin{area.x, area.y};
    if (!relative)
    {
        origin.x -= state.mOrigin.x;
        origin.y -= state.mOrigin.y;
    }
    origin.Round();

    PushState();
    RectT<double> narrowed = clip;
    if (relative)
    {
        // Emptiness does not matter here: an empty clip hides everything below it.
        RectT<double>::Intersect(narrowed, narrowed, area);
        RectT<double>::Intersect(narrowed, narrowed, state.mClip);
    }
    narrowed.SnapToGrid();
    SetClipRect(narrowed);
    Translate(origin);
    if (relative)
    {
        state.mClip.x -= origin.x;
        state.mClip.y -= origin.y;
    }

    if (!stencil)
        return S_OK;
    if (state.mStencilActive)
    {
        SetStencil(LStencil::CreateSameSize(*stencil));
    }
    else
    {
        SetStencil(stencil);
        state.mStencilActive = true;
    }
    return S_OK;
}

KVRESULT LRenderer::PopState()
{
    LRenderContextInfo* context = GetCurrentContext();
    if (context == nullptr || context->GetSavedStates().empty())
        return S_OK;
    const RenderState saved = std::move(context->GetSavedStates().back());
    context->GetSavedStates().pop_back();
    RenderState& state = context->GetCurrentState();
    Translate({saved.mOrigin.x - state.mOrigin.x, saved.mOrigin.y - state.mOrigin.y});
    state.mOrigin = saved.mOrigin; // exactly, whatever the sum above rounded to
    state.mAlpha = saved.mAlpha;
    SetClipRect(saved.mClip);
    SetStencil(saved.mStencil);
    state.mStencilActive = saved.mStencilActive;
    return S_OK;
}

KVRESULT LRenderer::SetClipRect(const RectT<double>& clip)
{
    if (LRenderContextInfo* context = GetCurrentContext())
        context->GetCurrentState().mClip = clip;
    return S_OK;
}

KVRESULT LRenderer::Translate(const PointT<double>& offset)
{
    if (LRenderContextInfo* context = GetCurrentContext())
    {
        PointT<double>& origin = context->GetCurrentState().mOrigin;
        origin.x += offset.x;
        origin.y += offset.y;
    }
    return S_OK;
}

} // namespace KV
