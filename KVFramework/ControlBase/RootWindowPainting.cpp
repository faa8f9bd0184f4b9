#include "Application/WindowOSServices.h"
#include "ControlBase/RootWindow.h"
#include "Renderer/AutoClip.h"
#include "Renderer/Renderer.h"

#include <algorithm>

namespace KV {

void LRootWindow::OnPaint(LRenderer& renderer, const RectRegion& region)
{
    const RCPtr<LControl> root = mRootControl;
    if (!root)
        return;
    // Inside a render pass already (a paint reached from drawing): paint again later.
    if (LRenderContextInfo* context = renderer.GetCurrentContext();
        context && !context->GetSavedStates().empty())
    {
        if (mOSServices)
            mOSServices->InvalidateAll();
        return;
    }
    RectT<double> clip = root->GetRect();
    RegionRect bounds;
    if (region.GetBounds(bounds))
    {
        const double left = std::max(clip.x, static_cast<double>(bounds.left));
        const double top = std::max(clip.y, static_cast<double>(bounds.top));
        const double right = std::min(clip.x + clip.width, static_cast<double>(bounds.right));
        const double bottom = std::min(clip.y + clip.height, static_cast<double>(bounds.bottom));
        // Where the region misses the root control there is nothing to paint.
        if (right <= left || bottom <= top)
            return;
        clip = {left, top, right - left, bottom - top};
    }
    const RectT<int32_t> window = GetScreenRect();
    CAutoClip scope(RCPtr<LRenderer>(&renderer),
                    {CAutoClip::kFlavourPushClip,
                     {0, 0, ClampCoordinate(window.width), ClampCoordinate(window.height)},
                     clip,
                     nullptr,
                     false,
                     {}});
    DrawControlTree(renderer, root, region, false);
}

void LRootWindow::OnPaint(const RectRegion& region)
{
    if (RCPtr<LRenderer> renderer = mRenderer)
        OnPaint(*renderer, region);
}

void LRootWindow::DrawControlTree(LRenderer& renderer, const RCPtr<LControl>& control,
                                  const RectRegion& region, bool unclippedPass)
{
    std::vector<RCPtr<LControl>> deferred;
    control->Draw(renderer, region, deferred, unclippedPass);
    std::stable_sort(deferred.begin(), deferred.end(),
                     [](const RCPtr<LControl>& a, const RCPtr<LControl>& b) {
                         return a->GetLayout()->mZOrder < b->GetLayout()->mZOrder;
                     });
    const RCPtr<LRenderer> held(&renderer);
    for (const RCPtr<LControl>& unclipped : deferred)
    {
        const RCPtr<LControl> parent = unclipped->GetParent();
        if (!parent)
            continue;
        PointT<double> origin = parent->GetRootPosition();
        origin.Round();
        PointT<double> client{parent->GetClientRect(-1).x, parent->GetClientRect(-1).y};
        client.Round();
        const PointT<double>& scroll = parent->GetScrollOffset();
        const RectT<double>& rect = unclipped->GetRect();
        // Placed in window coordinates (not relative to whatever clip is current), and
        // cut to its own rectangle only.
        CAutoClip scope(held, {CAutoClip::kFlavourPushClip,
                               {ClampCoordinate(origin.x + client.x - scroll.x),
                                ClampCoordinate(origin.y + client.y - scroll.y), rect.width, rect.height},
                               rect,
                               nullptr,
                               false,
                               {}});
        if (LRenderContextInfo* context = renderer.GetCurrentContext())
        {
            RenderState& state = context->GetCurrentState();
            state.mAlpha = unclipped->GetOpacity();
            state.mStencilActive = false;
            renderer.SetStencil(nullptr);
        }
        DrawControlTree(renderer, unclipped, region, true);
    }
}

} // namespace KV
