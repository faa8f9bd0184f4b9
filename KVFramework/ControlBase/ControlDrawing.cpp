// Drawing a control: its shown looks in layers, its own content and overlay, and its
// children in runs by docking. Controls that are not clipped to their parent are only
// collected here; the root window draws them in a pass above everything else.

#include "ControlBase/Control.h"
#include "Renderer/AutoClip.h"
#include "Renderer/Renderer.h"

#include <algorithm>

namespace KV {

namespace {

constexpr double kEpsilon = kExtentEpsilon<double>;

RenderState* CurrentState(LRenderer& renderer)
{
    LRenderContextInfo* context = renderer.GetCurrentContext();
    return context ? &context->GetCurrentState() : nullptr;
}

bool HasArea(const RectT<double>& rect)
{
    return rect.width > kEpsilon && rect.height > kEpsilon;
}

// With several shown looks the children are drawn once per look; what they collect for
// the second pass must still be drawn only once.
void AppendOnce(std::vector<RCPtr<LControl>>& list, LControl* control)
{
    if (std::none_of(list.begin(), list.end(), [&](const RCPtr<LControl>& c) { return c.Get() == control; }))
        list.push_back(RCPtr<LControl>(control));
}

int DockedAxes(const LLayoutDescriptor& layout)
{
    return (layout.mXIsDocked ? 1 : 0) + (layout.mYIsDocked ? 1 : 0);
}

// Calls draw for each dirty rectangle that meets the control's area, with the renderer
// clipped to it and the origin left where it is.
template <class Draw>
void ForEachDirtyRect(LRenderer& renderer, const RectRegion& dirty, const SizeT<double>& size, Draw draw)
{
    const RCPtr<LRenderer> held(&renderer);
    const RenderState* state = CurrentState(renderer);
    const PointT<double> origin = state ? state->mOrigin : PointT<double>{};
    const RectT<double> area{0, 0, size.width, size.height};
    for (const RegionNode* node = dirty.GetFirstNode(); node; node = node->next)
    {
        const RectT<double> local{node->rect.left - origin.x, node->rect.top - origin.y,
                                  static_cast<double>(node->rect.right - node->rect.left),
                                  static_cast<double>(node->rect.bottom - node->rect.top)};
        RectT<double> clip;
        if (!RectT<double>::Intersect(clip, local, area))
            continue;
        CAutoClip scope = CAutoClip::CAutoClipPushClip(held, area, clip, nullptr);
        draw();
    }
}

} // namespace

KVRESULT LControl::Draw(LRenderer& renderer, const RectRegion& dirty, std::vector<RCPtr<LControl>>& unclipped,
                        bool unclippedPass)
{
    const LLayoutDescriptor& layout = *GetLayout();
    if (unclippedPass == layout.mClipToParent)
        return E_INVALIDARG;
    if (!layout.mIsVisible || !(mRect.width > 0) || !(mRect.height > 0))
        return S_OK;
    const RCPtr<LControl> self(this);
    const RCPtr<LRenderer> held(&renderer);

    RectT<double> visible = mRect;
    if (const RenderState* state = CurrentState(renderer); state && !unclippedPass)
        RectT<double>::Intersect(visible, mRect, state->mClip);
    if (!HasArea(visible))
    {
        if (mUnclippedCount > 0)
            CollectUnclippedDescendants(unclipped, true);
        return S_OK;
    }

    CAutoClip scope = CAutoClip::CAutoClipPushClip(held, mRect, mRect, nullptr);
    RenderState* state = CurrentState(renderer);
    if (state)
        state->mAlpha *= mOpacity;
    const SizeT<double> size{mRect.width, mRect.height};
    if (!dirty.IntersectsOffsetRect({0, 0, size.width, size.height},
                                    state ? state->mOrigin : PointT<double>{}))
    {
        if (mUnclippedCount > 0)
            CollectUnclippedDescendants(unclipped, true);
        return S_OK;
    }

    mLooks.DrawClientAreas(renderer, dirty);
    mLooks.DrawNonClientParts(renderer, dirty);
    ForEachDirtyRect(renderer, dirty, size, [&] { DrawContent(renderer); });
    const PointT<int32_t> labelOffset = mLabelFollowsScroll ? mScrollOffset.ToLong() : PointT<int32_t>{0, 0};
    mLooks.DrawLabels(renderer, dirty, labelOffset, [&](LLook& look) {
        if (mChildren.GetCount() > 0)
            DrawChildren(renderer, dirty, unclipped, &look);
    });
    // A control that shows no look still shows its children, in its whole area.
    if (mLooks.GetShownLookIndex() < 0 && mChildren.GetCount() > 0)
        DrawChildren(renderer, dirty, unclipped, nullptr);
    ForEachDirtyRect(renderer, dirty, size, [&] { DrawOverlay(renderer); });

    for (uint32_t i = 0; i < mChildren.GetCount(); ++i)
    {
        LControl& child = *mChildren.GetAt(i, kDrawOrder);
        if (!child.GetLayout()->mClipToParent && child.GetLayout()->mIsVisible && child.mRect.width > 0 &&
            child.mRect.height > 0)
            AppendOnce(unclipped, &child);
    }
    return S_OK;
}

void LControl::DrawChildren(LRenderer& renderer, const RectRegion& dirty,
                            std::vector<RCPtr<LControl>>& unclipped, const LLook* look)
{
    const RCPtr<LRenderer> held(&renderer);
    const RectT<double> whole{0, 0, mRect.width, mRect.height};
    const RectT<double> clip = look ? look->GetClipRect().ToDouble() : whole;
    const RectT<double> client = look ? look->GetClientRect().ToDouble() : whole;
    const PointT<double> content{client.x - mScrollOffset.x, client.y - mScrollOffset.y};

    // Docked on neither axis, then on one, inside the client area; docked on both, over
    // the whole control. The unclipped children come after these and are left out.
    const uint32_t count = mChildren.GetCount();
    uint32_t next = 0;
    for (int docked = 0; docked <= 2; ++docked)
    {
        CAutoClip::PushDescription description;
        if (docked < 2)
        {
            description.flavour = CAutoClip::kFlavourPushClip;
            description.area = {content.x, content.y, std::max(0.0, clip.x + clip.width - content.x),
                                std::max(0.0, clip.y + clip.height - content.y)};
            description.clip = clip;
            description.stencil = look ? look->GetStencil() : nullptr;
            description.relative = true;
        }
        else
        {
            description.flavour = CAutoClip::kFlavourPushTranslation;
            description.offset = content;
        }
        CAutoClip scope(held, description);
        const RenderState* state = CurrentState(renderer);
        const bool skipped = state && !HasArea(state->mClip);
        for (; next < count; ++next)
        {
            const RCPtr<LControl> child = mChildren.GetAt(next, kDrawOrder);
            const LLayoutDescriptor& layout = *child->GetLayout();
            if (!layout.mClipToParent || DockedAxes(layout) != docked)
                break;
            if (!skipped)
                child->Draw(renderer, dirty, unclipped, false);
            else if (child->mUnclippedCount > 0)
                child->CollectUnclippedDescendants(unclipped, true);
        }
    }
}

int32_t LControl::CollectUnclippedDescendants(std::vector<RCPtr<LControl>>& list, bool isStart)
{
    const LLayoutDescriptor& layout = *GetLayout();
    if (!layout.mIsVisible || !(mRect.width > 0) || !(mRect.height > 0))
        return 0;
    const size_t before = list.size();
    if (!layout.mClipToParent && !isStart)
        AppendOnce(list, this);
    for (uint32_t i = 0; i < mChildren.GetCount(); ++i)
    {
        LControl& child = *mChildren.GetAt(i, kDrawOrder);
        if (!child.GetLayout()->mClipToParent || child.mUnclippedCount > 0)
            child.CollectUnclippedDescendants(list, false);
    }
    return static_cast<int32_t>(list.size() - before);
}

int32_t LControl::DrawContent(LRenderer&)
{
    return 0;
}

int32_t LControl::DrawOverlay(LRenderer&)
{
    return 0;
}

} // namespace KV
