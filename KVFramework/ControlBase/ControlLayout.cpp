// Where a control goes: its rectangle computed from its own copy of the layout, limited
// by its minimum and maximum, and applied with everything that depends on it (its looks,
// its children, the siblings laid out after it, its parent, the window).

#include "Application/FrameworkApp.h"
#include "AxisParts.h"
#include "ControlBase/Control.h"
#include "ControlBase/LabelMinimum.h"
#include "ControlBase/LayoutArithmetic.h"
#include "ControlBase/RootWindow.h"

#include <algorithm>
#include <cmath>

namespace KV {

using namespace AxisParts;

namespace {

// Sizes that differ by less than this count as unchanged.
constexpr double kSizeTolerance = 2.220446049250313e-15;
const String kChildrenName(u"Children");

bool IsDocked(const LLayoutDescriptor& layout, int axis)
{
    return axis == 0 ? layout.mXIsDocked : layout.mYIsDocked;
}

// The smallest rectangle holding both.
RectT<double> Union(const RectT<double>& a, const RectT<double>& b)
{
    const double left = std::min(a.x, b.x);
    const double top = std::min(a.y, b.y);
    const double right = std::max(a.x + a.width, b.x + b.width);
    const double bottom = std::max(a.y + a.height, b.y + b.height);
    return {left, top, right - left, bottom - top};
}

} // namespace

PointT<double> LControl::GetContentOrigin() const
{
    const RectT<double> client = GetClientRect(-1);
    return {client.x - mScrollOffset.x, client.y - mScrollOffset.y};
}

PointT<double> LControl::GetRootPosition() const
{
    PointT<double> position{mRect.x, mRect.y};
    for (const LControl* ancestor = mParent.Get(); ancestor; ancestor = ancestor->mParent.Get())
    {
        const PointT<double> content = ancestor->GetContentOrigin();
        position.x += ancestor->mRect.x + content.x;
        position.y += ancestor->mRect.y + content.y;
    }
    return position;
}

bool LControl::GetTopReferences(LayoutScreenReferences& screen)
{
    // A finished top control lives in its own window; another window's size means nothing
    // to it.
    if (mCreated && !mRootWindow)
        return false;
    LFrameworkApp* app = LFrameworkApp::GetInstance();
    RCPtr<LRootWindow> window = mRootWindow;
    if (!window && app)
        window = app->GetActiveRootWindow();
    if (!window && app && app->GetRootWindows().GetCount() > 0)
        window = *app->GetRootWindows().GetAtConst(0);
    if (!window)
        return false;
    const RectT<int32_t> client = window->GetScreenRect();
    const RectT<int32_t> workArea = app ? app->GetWorkArea() : RectT<int32_t>{};
    const PointT<int32_t> pointer = app ? app->GetMousePosition() : PointT<int32_t>{client.x, client.y};
    screen.screen = RectT<int32_t>{-client.x, -client.y, workArea.width, workArea.height}.ToDouble();
    screen.windowClient = {static_cast<double>(client.width), static_cast<double>(client.height)};
    screen.pointer = PointT<int32_t>{pointer.x - client.x, pointer.y - client.y}.ToDouble();
    return true;
}

KVRESULT LControl::RecalcLayout()
{
    if (!mLayout)
        return E_FAIL;
    LayoutScreenReferences screen;
    if (!mParent && !GetTopReferences(screen))
        return E_FAIL;
    RectT<double> rect;
    CalculateLayoutRect(mLayout.Get(), mParent.Get(), screen, rect);
    PointT<double> position{rect.x, rect.y};
    SizeT<double> size{rect.width, rect.height};
    ApplyMinSize(position, size);
    ApplyMaxSize(position, size);
    rect = {position.x, position.y, size.width, size.height};
    rect.SnapToGrid();
    return SetLayoutRect({rect.x, rect.y}, {rect.width, rect.height});
}

KVRESULT LControl::CalculateLayoutRect(const LLayoutDescriptor* layout, LControl* parent,
                                       const LayoutScreenReferences& screen, RectT<double>& rect)
{
    if (!layout)
        return E_INVALIDARG;
    const RectT<double> client = parent ? parent->GetClientRect(-1) : RectT<double>{};
    PointT<double> position;
    SizeT<double> size;
    for (int axis = 0; axis < 2; ++axis)
    {
        const LayoutAxisSpec spec = layout->GetAxisSpec(axis);
        // Parent: its outer rectangle, seen from its client origin; Client: its client area.
        const LayoutReferenceFrame outer =
            parent ? LayoutReferenceFrame{-Origin(client, axis),
                                          axis == 0 ? parent->mRect.width : parent->mRect.height}
                   : LayoutReferenceFrame{Origin(screen.screen, axis), Extent(screen.screen, axis)};
        const LayoutReferenceFrame inner =
            parent
                ? LayoutReferenceFrame{0, Extent(client, axis)}
                : LayoutReferenceFrame{0, axis == 0 ? screen.windowClient.width : screen.windowClient.height};
        auto named = [&](const String& name) -> LayoutReferenceFrame {
            if (!parent)
                return {axis == 0 ? screen.pointer.x : screen.pointer.y, 0};
            const RCPtr<LControl> sibling = parent->FindChild(name);
            if (!sibling)
                return {};
            // A docked sibling carries the scroll offset in its position; the reference
            // is where it stands in the content.
            const double scroll =
                IsDocked(*sibling->GetLayout(), axis) ? Axis(parent->mScrollOffset, axis) : 0;
            return {Origin(sibling->mRect, axis) - scroll, Extent(sibling->mRect, axis)};
        };
        LayoutReferenceFrame positionFrame = outer;
        if (spec.mPosition.mReference == PositionReference::Client)
            positionFrame = inner;
        else if (spec.mPosition.mReference == PositionReference::Control)
            positionFrame = named(spec.mPosition.mControlName);
        LayoutReferenceFrame sizeFrame = outer;
        if (spec.mSize.mReference == SizeReference::Client)
            sizeFrame = inner;
        else if (spec.mSize.mReference == SizeReference::Control)
            sizeFrame = named(spec.mSize.mControlName);
        const double scroll = parent ? Axis(parent->mScrollOffset, axis) : 0;
        CalculateLayoutAxis(spec.mPosition, spec.mSize, positionFrame, sizeFrame, spec.mDocked, scroll,
                            Axis(position, axis), Axis(size, axis));
    }
    rect = {position.x, position.y, size.width, size.height};
    rect.RoundEdges();
    return S_OK;
}

RectT<double> LControl::ChildRectForLimit(LControl& child, const PointT<double>& position, bool undock) const
{
    const RectT<double> client = GetClientRect(-1);
    RectT<double> rect = child.mRect;
    rect.x += client.x + position.x - mScrollOffset.x;
    rect.y += client.y + position.y - mScrollOffset.y;
    if (undock)
    {
        const LLayoutDescriptor& layout = *child.GetLayout();
        if (layout.mXIsDocked)
            rect.x -= mScrollOffset.x;
        if (layout.mYIsDocked)
            rect.y -= mScrollOffset.y;
    }
    return rect;
}

bool LControl::LimitFromChildren(const LayoutSizeLimitSpec& spec, int axis, const PointT<double>& position,
                                 float anchor, bool isMaximum, double& limit)
{
    if (mChildren.GetCount() == 0)
        return false;
    const double a = anchor;
    RectT<double> reference;
    double origin = 0;
    if (spec.mControlName == kChildrenName)
    {
        LControl& first = *mChildren.GetAt(0, kInsertionOrder);
        if (isMaximum && first.GetLayout()->mXIsDocked && first.GetLayout()->mYIsDocked)
            return false;
        reference = ChildRectForLimit(first, position, false);
        for (uint32_t i = 1; i < mChildren.GetCount(); ++i)
        {
            LControl& child = *mChildren.GetAt(i, kInsertionOrder);
            // A minimum holds the children cut to this control; a maximum all of them.
            if (isMaximum || child.GetLayout()->mClipToParent)
                reference = Union(reference, ChildRectForLimit(child, position, true));
        }
        origin = (isMaximum ? Origin(reference, axis) : (axis == 0 ? position.x : position.y)) -
                 a * Extent(reference, axis);
    }
    else
    {
        const RCPtr<LControl> child = FindChild(spec.mControlName);
        if (!child)
            return false;
        reference = ChildRectForLimit(*child, position, true);
        origin = Origin(reference, axis);
    }
    const bool usable =
        isMaximum ? reference.width > kExtentEpsilon<double> && reference.height > kExtentEpsilon<double>
                  : Extent(reference, axis) > 0;
    if (!usable)
        return false;
    limit = static_cast<double>(spec.mRel) * Extent(reference, axis) + origin + spec.mAbs;
    return true;
}

double LControl::NonClientExtent(int axis) const
{
    if (mLooks.GetShownLookIndex() < 0)
        return 0;
    return Extent(mRect, axis) - Extent(mLooks.GetLook(-1)->GetClientRect().ToDouble(), axis);
}

int32_t LControl::ApplyMinSize(PointT<double>& position, SizeT<double>& size)
{
    if (!mLayout)
        return 0;
    const LLayoutDescriptor& layout = *mLayout;
    const RCPtr<LLook> shown = mLooks.GetShownLookIndex() >= 0 ? mLooks.GetLook(-1) : nullptr;
    int32_t result = 0;
    for (int axis = 0; axis < 2; ++axis)
    {
        const LayoutSizeLimitSpec& minimum = axis == 0 ? layout.mXMinSize : layout.mYMinSize;
        const float anchor = layout.GetAxisSpec(axis).mPosition.mPlacementAnchor;
        double& p = Axis(position, axis);
        double& s = Axis(size, axis);
        int32_t changed = 0;
        double limit = 0;
        if (!minimum.mToControl)
        {
            changed = ApplyOwnMinimum(p, s, OwnMinimumWithLabel(axis, layout, shown.Get(), size), anchor);
        }
        else if (LimitFromChildren(minimum, axis, position, anchor, false, limit))
        {
            changed = ApplyLimitMinimum(p, s, limit, anchor);
            // The children fill the client area; the parts around it come on top.
            if (minimum.mControlName == kChildrenName)
                s += NonClientExtent(axis);
        }
        if (changed)
            result = changed;
    }
    return result;
}

int32_t LControl::ApplyMaxSize(PointT<double>& position, SizeT<double>& size)
{
    if (!mLayout)
        return 0;
    const LLayoutDescriptor& layout = *mLayout;
    int32_t result = 0;
    for (int axis = 0; axis < 2; ++axis)
    {
        const LayoutSizeLimitSpec& maximum = axis == 0 ? layout.mXMaxSize : layout.mYMaxSize;
        const float anchor = layout.GetAxisSpec(axis).mPosition.mPlacementAnchor;
        double& p = Axis(position, axis);
        double& s = Axis(size, axis);
        double limit = 0;
        if (!maximum.mToControl)
        {
            if (ApplyOwnMaximum(p, s, maximum.mAbs, anchor))
                result = 1;
        }
        else if (LimitFromChildren(maximum, axis, position, anchor, true, limit))
        {
            if (ApplyLimitMaximum(p, s, limit, anchor))
                result = 1;
            if (maximum.mControlName == kChildrenName)
                s += NonClientExtent(axis);
        }
    }
    return result;
}

KVRESULT LControl::SetLayoutRect(const PointT<double>& position, const SizeT<double>& size)
{
    if (position.x == mRect.x && position.y == mRect.y && size.width == mRect.width &&
        size.height == mRect.height)
        return S_FALSE;
    const RCPtr<LControl> self(this);
    BeginGeometryChange();
    const bool sizeUnchanged = std::fabs(size.width - mRect.width) < kSizeTolerance &&
                               std::fabs(size.height - mRect.height) < kSizeTolerance;
    InvalidateWithUnclipped();

    mRect = {position.x, position.y, size.width, size.height};
    const SizeT<int32_t> whole = size.ToLong();
    mLooks.SetSize(whole);

    if (!sizeUnchanged && !mInLayoutPass)
    {
        mInLayoutPass = true;
        for (uint32_t i = 0; i < mChildren.GetCount(); ++i)
            RCPtr<LControl>(mChildren.GetAt(i, kInsertionOrder))->OnParentResized();
        // A minimum or maximum that follows the children may move this control too.
        RecalcLayout();
        mInLayoutPass = false;
    }

    if (const RCPtr<LControl> parent = mParent)
    {
        // Later siblings may be placed relative to this one; each one that moves carries
        // the chain on by itself.
        const int32_t index = parent->mChildren.IndexOf(this);
        if (index >= 0)
            for (uint32_t later = static_cast<uint32_t>(index) + 1; later < parent->mChildren.GetCount();
                 ++later)
                if (RCPtr<LControl>(parent->mChildren.GetAt(later, kInsertionOrder))->RecalcLayout() !=
                    S_FALSE)
                    break;
        parent->OnChildRectChanged(self);
    }
    else if (mRootWindow)
    {
        const RectT<int32_t> screen = mRootWindow->GetScreenRect();
        mRootWindow->SetBounds({screen.x, screen.y, whole.width, whole.height});
    }

    if ((mRect.width <= 0 || mRect.height <= 0) && (mHasFocus || mContainsFocus) && mParent)
        mParent->SetFocus(true);
    InvalidateWithUnclipped();
    EndGeometryChange();
    return S_OK;
}

bool LControl::WriteAxis(int axis, const LayoutAxisSpec& spec)
{
    LLayoutDescriptor& layout = *GetLayout();
    const bool wasDocked = IsDocked(layout, axis);
    layout.SetAxisSpec(axis, spec);
    // The number of docked axes is a key of the parent's drawing order.
    return mParent && (axis == 0 || axis == 1) && wasDocked != spec.mDocked;
}

bool LControl::SetLayout(const LayoutAxisSpec& x, const LayoutAxisSpec& y)
{
    const bool xDockingChanged = WriteAxis(0, x);
    const bool dockingChanged = WriteAxis(1, y) || xDockingChanged;
    if (dockingChanged)
        mParent->mChildren.MarkChanged();
    RecalcLayout();
    return !(mLayout->GetAxisSpec(0) == x && mLayout->GetAxisSpec(1) == y);
}

bool LControl::SetLayoutAxis(int axis, const LayoutAxisSpec& spec)
{
    if (WriteAxis(axis, spec))
        mParent->mChildren.MarkChanged();
    RecalcLayout();
    return !(mLayout->GetAxisSpec(axis) == spec);
}

bool LControl::SetSizeLimits(int axis, const LayoutSizeLimitSpec& minimum, const LayoutSizeLimitSpec& maximum)
{
    LLayoutDescriptor& layout = *GetLayout();
    layout.SetAxisLimits(axis, minimum, maximum);
    RecalcLayout();
    const bool isX = axis == 0;
    return !((isX ? layout.mXMinSize : layout.mYMinSize) == minimum &&
             (isX ? layout.mXMaxSize : layout.mYMaxSize) == maximum);
}

SizeT<double> LControl::GetPreferredSize()
{
    SizeT<double> preferred;
    for (int axis = 0; axis < 2; ++axis)
    {
        const LayoutAxisSpec saved = GetLayout()->GetAxisSpec(axis);
        LayoutAxisSpec alone = saved;
        alone.mSize.mReference = SizeReference::Self;
        alone.mSize.mRel = 0;
        alone.mSize.mAbs = 0;
        SetLayoutAxis(axis, alone);
        Axis(preferred, axis) = axis == 0 ? mRect.width : mRect.height;
        SetLayoutAxis(axis, saved);
    }
    return preferred;
}

SizeT<double> LControl::GetMaxSize()
{
    const LLayoutDescriptor& layout = *GetLayout();
    return {layout.mXMaxSize.mToControl ? 0 : layout.mXMaxSize.mAbs,
            layout.mYMaxSize.mToControl ? 0 : layout.mYMaxSize.mAbs};
}

RectT<double> LControl::GetChildrenBounds()
{
    std::vector<RectT<double>> rects;
    for (uint32_t i = 0; i < mChildren.GetCount(); ++i)
    {
        LControl& child = *mChildren.GetAt(i, kInsertionOrder);
        if (!child.GetLayout()->mXIsDocked && !child.GetLayout()->mYIsDocked)
            rects.push_back(child.mRect);
    }
    return BoundingBoxOf(rects.data(), rects.size());
}

KVRESULT LControl::OnChildRectChanged(const RCPtr<LControl>& child)
{
    if (!mInLayoutPass)
        RecalcLayout();
    else
        InvalidateChildArea(child);
    return S_OK;
}

KVRESULT LControl::OnParentScrolled(const PointT<double>&)
{
    if (mLayout && (mLayout->mXIsDocked || mLayout->mYIsDocked))
        RecalcLayout();
    return S_OK;
}

KVRESULT LControl::OnParentResized()
{
    RecalcLayout();
    return S_OK;
}

void LControl::BeginGeometryChange()
{
    mGeometryClientRect = GetClientRect(-1);
    mInGeometryChange = true;
}

void LControl::EndGeometryChange()
{
    // No control keeps its content in an offscreen buffer, so nothing is rebuilt here.
    mInGeometryChange = false;
}

int32_t LControl::InvalidateChildArea(const RCPtr<LControl>& child)
{
    if (!child)
        return 0;
    const LLayoutDescriptor& layout = *child->GetLayout();
    return mInGeometryChange && !layout.mXIsDocked && !layout.mYIsDocked ? 0 : 1;
}

} // namespace KV
