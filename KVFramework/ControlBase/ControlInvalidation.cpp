// Repainting: a rectangle of a control climbs the tree to the root window's dirty region,
// cut on the way to what the clipping ancestors show of it.

#include "ControlBase/Control.h"
#include "ControlBase/RootWindow.h"

namespace KV {

void LControl::InvalidateRect(const RectT<double>& rect, bool clip)
{
    const PointT<double> root = GetRootPosition();
    InvalidateParentRect({rect.x + root.x, rect.y + root.y, rect.width, rect.height}, clip, rect);
}

KVRESULT LControl::InvalidateParentRect(const RectT<double>& rootRect, bool clip,
                                        const RectT<double>& localRect)
{
    const LLayoutDescriptor& layout = *GetLayout();
    if (!layout.mIsVisible || !(mRect.width > 0) || !(mRect.height > 0))
        return S_FALSE;
    RectT<double> local = localRect;
    const PointT<double> place = mParent ? PointT<double>{mRect.x + mParent->GetContentOrigin().x,
                                                          mRect.y + mParent->GetContentOrigin().y}
                                         : PointT<double>{mRect.x, mRect.y};
    if (clip && layout.mClipToParent)
    {
        // What the parent shows, in this control's coordinates.
        RectT<double> allowed{0, 0, mRect.width, mRect.height};
        if (mParent)
            allowed = {-place.x, -place.y, mParent->mRect.width, mParent->mRect.height};
        else if (mRootWindow)
        {
            const SizeT<int32_t> client = mRootWindow->GetClientSize();
            allowed = {-place.x, -place.y, static_cast<double>(client.width),
                       static_cast<double>(client.height)};
        }
        if (!RectT<double>::Intersect(local, local, allowed))
            return S_FALSE;
    }
    else if (!layout.mClipToParent)
    {
        clip = false;
    }
    local.x += place.x;
    local.y += place.y;
    if (mParent)
        return mParent->InvalidateParentRect(rootRect, clip, local);
    if (!mRootWindow)
        return S_OK;
    RectT<double> area = rootRect;
    if (clip && !RectT<double>::Intersect(area, rootRect, local))
        return S_OK;
    area.RoundEdges();
    mRootWindow->InvalidateRect(area.ToLong());
    return S_OK;
}

void LControl::InvalidateUnclippedDescendants()
{
    if (mUnclippedCount < 1)
    {
        if (!GetLayout()->mClipToParent)
            InvalidateRect({0, 0, mRect.width, mRect.height}, false);
        return;
    }
    std::vector<RCPtr<LControl>> unclipped;
    if (!GetLayout()->mClipToParent)
        unclipped.push_back(RCPtr<LControl>(this));
    CollectUnclippedDescendants(unclipped, true);
    for (size_t i = unclipped.size(); i-- > 0;)
    {
        LControl& control = *unclipped[i];
        control.InvalidateRect({0, 0, control.mRect.width, control.mRect.height},
                               control.GetLayout()->mClipToParent);
    }
}

void LControl::InvalidateWithUnclipped()
{
    InvalidateWhole();
    if (mUnclippedCount > 0)
        InvalidateUnclippedDescendants();
}

} // namespace KV
