// Left drags of a control: moving, resizing and panning within limits, drag and drop onto
// drop targets, and the automatic scrolling of the container near its edges.

#include "Application/BusyCursorScope.h"
#include "Application/CursorNames.h"
#include "Application/FrameworkApp.h"
#include "AxisParts.h"
#include "ControlBase/Control.h"
#include "ControlBase/RootWindow.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace KV {

using namespace AxisParts;

namespace {

// The width of the band along a container's edge where a drag scrolls it, in pixels.
constexpr double kScrollZone = 30;
// Pixels per second of scrolling for each pixel the pointer reaches into the band.
constexpr double kScrollSpeedPerPixel = 15;

bool IsMoveMode(int32_t mode)
{
    return mode == kDragMove || mode == kDragMoveScrolling;
}

bool IsResizeMode(int32_t mode)
{
    return mode == kDragResize || mode == kDragResizeScrolling;
}

// Whether the drag flags let the container scroll on the axis.
bool ScrollsOnAxis(int32_t flags, int axis)
{
    return axis == 0 ? (flags & (kDragFlagX | kDragFlagRight | kDragFlagLeft)) != 0
                     : (flags & (kDragFlagY | kDragFlagTop | kDragFlagBottom)) != 0;
}

} // namespace

KVRESULT LControl::SetDragMode(int32_t mode, int32_t flags)
{
    mDragMode = mode;
    mDragFlags = flags;
    return S_OK;
}

void LControl::BeginDrag()
{
    RCPtr<LControl> self(this);
    const PointT<double> parentScroll = mParent ? mParent->mScrollOffset : PointT<double>{};
    if (mLeftDragging)
    {
        mDragStartSize = {mRect.width, mRect.height};
        mDragStartParentScroll = parentScroll;
        if (mDragMode == kDragAndDrop)
        {
            mDropTarget.Reset();
            // The dragged control floats above everything, placed in the parent's view
            // rather than its content, until it is dropped.
            mDragStartClip = GetLayout()->mClipToParent;
            SetClipToParent(false);
            for (int axis = 0; axis < 2; ++axis)
            {
                LayoutAxisSpec spec = GetLayout()->GetAxisSpec(axis);
                mDragStartDocked[axis] = spec.mDocked;
                if (!spec.mDocked)
                {
                    spec.mDocked = true;
                    spec.mPosition.mAbs = Origin(mRect, axis) - Axis(parentScroll, axis);
                    SetLayoutAxis(axis, spec);
                }
            }
        }
    }
    for (int axis = 0; axis < 2; ++axis)
    {
        const LayoutAxisSpec spec = GetLayout()->GetAxisSpec(axis);
        mDragStartPositionAbs[axis] = spec.mPosition.mAbs;
        mDragStartSizeAbs[axis] = spec.mSize.mAbs;
    }
}

void LControl::RebaseDrag()
{
    mPressPoint.x += mDragOffset.x;
    mPressPoint.y += mDragOffset.y;
    mDragStartSize = {mRect.width, mRect.height};
    mDragStartParentScroll = mParent ? mParent->mScrollOffset : PointT<double>{};
    for (int axis = 0; axis < 2; ++axis)
    {
        const LayoutAxisSpec spec = GetLayout()->GetAxisSpec(axis);
        mDragStartPositionAbs[axis] = spec.mPosition.mAbs;
        mDragStartSizeAbs[axis] = spec.mSize.mAbs;
    }
}

KVRESULT LControl::DragTo(const RCPtr<LPointWithModifiersParam>& param)
{
    if (!param)
        return E_INVALIDARG;
    RCPtr<LControl> self(this);
    mInDrag = true;
    const PointT<double> rootPosition = GetRootPosition();
    const PointT<double> windowPoint{param->mPoint.x + rootPosition.x, param->mPoint.y + rootPosition.y};
    // The pointer's displacement since the press, in the parent's coordinates.
    double delta[2] = {mRect.x + param->mPoint.x - mPressPoint.x, mRect.y + param->mPoint.y - mPressPoint.y};
    double request[2] = {0, 0}; // -1 towards smaller offsets, +1 towards larger
    double overshoot[2] = {0, 0};
    const PointT<double> parentScroll = mParent ? mParent->mScrollOffset : PointT<double>{};

    if (mDragMode >= kDragMove && mDragMode <= kDragPan && mParent)
    {
        RectT<double> visible = mParent->GetClientArea();
        visible.x += parentScroll.x;
        visible.y += parentScroll.y;
        RectT<double> limits = visible;
        GetDragLimits(limits);
        double minimum[2];
        double maximum[2];
        for (int axis = 0; axis < 2; ++axis)
        {
            minimum[axis] = Origin(limits, axis) - Axis(mPressPoint, axis);
            maximum[axis] = Origin(limits, axis) + Extent(limits, axis) - Axis(mPressPoint, axis);
        }
        if (IsResizeMode(mDragMode))
        {
            // An edge never passes the opposite one: at least one pixel is left.
            if (mDragFlags & kDragFlagRight)
                minimum[0] = std::max(minimum[0], 1 - mDragStartSize.width);
            else if (mDragFlags & kDragFlagLeft)
                maximum[0] = std::min(maximum[0], mDragStartSize.width - 1);
            if (mDragFlags & kDragFlagBottom)
                minimum[1] = std::max(minimum[1], 1 - mDragStartSize.height);
            else if (mDragFlags & kDragFlagTop)
                maximum[1] = std::min(maximum[1], mDragStartSize.height - 1);
        }
        if (mDragMode == kDragMoveScrolling || mDragMode == kDragResizeScrolling)
        {
            for (int axis = 0; axis < 2; ++axis)
            {
                if (!ScrollsOnAxis(mDragFlags, axis))
                    continue;
                const double pointer = Origin(mRect, axis) + (axis == 0 ? param->mPoint.x : param->mPoint.y);
                const double viewStart = Origin(visible, axis);
                const double viewEnd = viewStart + Extent(visible, axis);
                const double limitStart = Origin(limits, axis);
                const double limitEnd = limitStart + Extent(limits, axis);
                // The band narrows by as much as the limits reach beyond the view.
                if (pointer < viewStart + Extent(visible, axis) / 2)
                {
                    const double margin =
                        std::clamp(kScrollZone - std::trunc(viewStart - limitStart), 0.0, kScrollZone);
                    if (delta[axis] <= minimum[axis] + margin)
                    {
                        request[axis] = -1;
                        overshoot[axis] = minimum[axis] + margin - delta[axis];
                    }
                }
                else
                {
                    const double margin = std::clamp(std::trunc(viewEnd) - std::trunc(limitEnd) + kScrollZone,
                                                     0.0, kScrollZone);
                    if (delta[axis] >= maximum[axis] - margin)
                    {
                        request[axis] = 1;
                        overshoot[axis] = delta[axis] - (maximum[axis] - margin);
                    }
                }
            }
        }
        if (mDragMode != kDragPan)
        {
            for (int axis = 0; axis < 2; ++axis)
            {
                const double clamped =
                    std::clamp(delta[axis], minimum[axis], std::max(minimum[axis], maximum[axis]));
                if (clamped != delta[axis])
                {
                    // The pointer left the limits: the container stops on this axis.
                    delta[axis] = clamped;
                    request[axis] = 0;
                }
            }
            mDragOffset = {delta[0], delta[1]};
        }
    }
    else if (mDragMode >= kDragMove && mDragMode < kDragPan)
        mDragOffset = {delta[0], delta[1]};

    if (mDragMode == kDragAndDrop || IsMoveMode(mDragMode))
    {
        for (int axis = 0; axis < 2; ++axis)
        {
            if ((mDragFlags & (axis == 0 ? kDragFlagX : kDragFlagY)) == 0)
                continue;
            LayoutAxisSpec spec = GetLayout()->GetAxisSpec(axis);
            // A control dropped and dragged freely follows the pointer without limits.
            const double offset = mDragMode == kDragAndDrop ? delta[axis] : Axis(mDragOffset, axis);
            spec.mPosition.mAbs = mDragStartPositionAbs[axis] + offset;
            if (spec.mDocked)
                spec.mPosition.mAbs -= Axis(parentScroll, axis) - Axis(mDragStartParentScroll, axis);
            SetLayoutAxis(axis, spec);
        }
    }
    else if (IsResizeMode(mDragMode))
    {
        const int32_t nearEdge[2] = {kDragFlagLeft, kDragFlagTop};
        const int32_t farEdge[2] = {kDragFlagRight, kDragFlagBottom};
        for (int axis = 0; axis < 2; ++axis)
        {
            if ((mDragFlags & (nearEdge[axis] | farEdge[axis])) == 0)
                continue;
            LayoutAxisSpec spec = GetLayout()->GetAxisSpec(axis);
            const double offset = Axis(mDragOffset, axis);
            if (mDragFlags & farEdge[axis])
                spec.mSize.mAbs = Extent(mDragStartSize, axis) + offset;
            else
            {
                // The near edge moves; the far one stays where it was.
                spec.mPosition.mAbs = mDragStartPositionAbs[axis] + offset;
                if (spec.mDocked)
                    spec.mPosition.mAbs -= Axis(parentScroll, axis) - Axis(mDragStartParentScroll, axis);
                spec.mSize.mAbs = Extent(mDragStartSize, axis) - offset;
            }
            SetLayoutAxis(axis, spec);
        }
    }
    else if (mDragMode == kDragPan)
    {
        const double seconds = static_cast<double>(mMoveTime - mPreviousMoveTime) / 1000.0;
        if (seconds > 0)
        {
            const RectT<double> range = GetScrollRange(this);
            PointT<double> offset = mScrollOffset;
            bool scrolls = false;
            for (int axis = 0; axis < 2; ++axis)
            {
                // The content follows the pointer: the offset moves against it.
                const double step = Axis(mDragOffset, axis) - delta[axis];
                const double speed = step / seconds;
                double& velocity = Axis(mDragVelocity, axis);
                velocity = velocity != 0 && seconds < 0.2 ? (speed + velocity) / 2 : speed;
                const bool onAxis = mDragFlags == (kDragFlagX | kDragFlagY) ||
                                    mDragFlags == (axis == 0 ? kDragFlagX : kDragFlagY);
                if (onAxis && step != 0)
                {
                    Axis(offset, axis) = std::clamp(Axis(offset, axis) + step, Origin(range, axis),
                                                    Origin(range, axis) + Extent(range, axis));
                    scrolls = true;
                }
            }
            if (scrolls)
                SetScrollOffset(offset);
            mDragOffset = {delta[0], delta[1]};
        }
    }

    RCPtr<LControl> container = mParent;
    if (mDragMode == kDragAndDrop)
    {
        TrackDropTarget(windowPoint, request, overshoot);
        container = mDropTarget;
    }
    if (container)
        ApplyDragScrolling(container, request, overshoot);
    OnDragMoved(param);
    mInDrag = false;
    return S_OK;
}

void LControl::TrackDropTarget(const PointT<double>& windowPoint, double request[2], double overshoot[2])
{
    RCPtr<LControl> self(this);
    RCPtr<LRootWindow> window = GetRootWindow();
    if (!window)
        return;
    RCPtr<LControl> target;
    PointT<int32_t> local;
    {
        mBusy = true;
        RCPtr<LControl> under = window->FindControlAtPoint(windowPoint.ToLong(), local, false);
        mBusy = false;
        if (under)
        {
            target = under->FindDropTarget(self, windowPoint);
            if (target && target != under)
                local = target->MapPointFromControl(*under, local.ToDouble()).ToLong();
        }
    }
    if (target && target == mDropTarget)
        target->OnDragOver(self, windowPoint);
    else
    {
        if (RCPtr<LControl> old = mDropTarget)
        {
            old->StopAutoScroll(0);
            old->StopAutoScroll(1);
            old->OnDragLeave(self);
        }
        mDropTarget = target;
        window->SetCursor(GetNamedCursor(target ? CursorNames().dropMove : CursorNames().noDrop));
        if (target)
        {
            target->OnDragEnter(self);
            target->OnDragOver(self, windowPoint);
        }
    }
    if (!target)
        return;
    const int32_t directions = target->GetDropScrollDirections(self);
    if (directions == 0)
        return;
    // The pointer in the target's content, against the bands along its view's edges.
    const RectT<double> client = target->GetClientRect(-1);
    const PointT<double>& scroll = target->mScrollOffset;
    const PointT<double> pointer{local.x + scroll.x - client.x, local.y + scroll.y - client.y};
    const int32_t towardsEnd[2] = {kDragFlagRight, kDragFlagBottom};
    const int32_t towardsStart[2] = {kDragFlagLeft, kDragFlagTop};
    for (int axis = 0; axis < 2; ++axis)
    {
        const double start = Axis(scroll, axis);
        const double end = start + Extent(client, axis) - kScrollZone;
        if ((directions & towardsEnd[axis]) && Axis(pointer, axis) >= end)
        {
            request[axis] = 1;
            overshoot[axis] = Axis(pointer, axis) - end;
        }
        else if ((directions & towardsStart[axis]) && Axis(pointer, axis) <= start + kScrollZone)
        {
            request[axis] = -1;
            overshoot[axis] = start + kScrollZone - Axis(pointer, axis);
        }
    }
}

void LControl::ApplyDragScrolling(const RCPtr<LControl>& container, const double request[2],
                                  const double overshoot[2])
{
    const RectT<double> range = container->GetScrollRange(this);
    for (int axis = 0; axis < 2; ++axis)
    {
        if (request[axis] == 0)
        {
            container->StopAutoScroll(axis);
            continue;
        }
        const double speed = request[axis] * (overshoot[axis] + 1) * kScrollSpeedPerPixel;
        container->StartAutoScroll(axis, speed, Origin(range, axis) + Extent(range, axis),
                                   Origin(range, axis), RCPtr<LControl>(this));
    }
}

void LControl::EndDrag()
{
    RCPtr<LControl> self(this);
    if (mDragMode != kDragAndDrop)
    {
        if (RCPtr<LControl> parent = mParent)
        {
            parent->StopAutoScroll(0);
            parent->StopAutoScroll(1);
        }
        return;
    }
    if (RCPtr<LRootWindow> window = GetRootWindow())
        window->SetCursor(GetNamedCursor(CursorNames().arrow));
    if (mDragStartClip)
        SetClipToParent(true);
    const PointT<double> parentScroll = mParent ? mParent->mScrollOffset : PointT<double>{};
    for (int axis = 0; axis < 2; ++axis)
    {
        if (mDragStartDocked[axis])
            continue;
        // Back into the content, where the drag left it.
        LayoutAxisSpec spec = GetLayout()->GetAxisSpec(axis);
        spec.mDocked = false;
        spec.mPosition.mAbs += Axis(parentScroll, axis);
        SetLayoutAxis(axis, spec);
    }
    if (RCPtr<LControl> target = std::move(mDropTarget))
    {
        target->StopAutoScroll(0);
        target->StopAutoScroll(1);
        target->Drop(self);
        target->OnDragLeave(self);
    }
}

RCPtr<LControl> LControl::FindDropTarget(const RCPtr<LControl>& dragged, const PointT<double>& windowPoint)
{
    RCPtr<LRootWindow> window = GetRootWindow();
    // Every candidate already asked stays out of the hit test: a floating control's own
    // children lie under the pointer too, and a child that hands the search back up to its
    // floating parent would otherwise be found again, for ever.
    std::vector<RCPtr<LControl>> asked;
    RCPtr<LControl> candidate(this);
    while (candidate && !candidate->CanAcceptDrop(dragged))
    {
        if (std::find(asked.begin(), asked.end(), candidate) == asked.end())
            asked.push_back(candidate);
        if (candidate->GetLayout()->mClipToParent)
        {
            candidate = candidate->mParent;
            continue;
        }
        // A floating control covers what lies under it, which is not its parent.
        if (!window)
            return nullptr;
        for (const RCPtr<LControl>& control : asked)
            control->mBusy = true;
        if (dragged)
            dragged->mBusy = true;
        PointT<int32_t> local;
        candidate = window->FindControlAtPoint(windowPoint.ToLong(), local, true);
        for (const RCPtr<LControl>& control : asked)
            control->mBusy = false;
        if (dragged)
            dragged->mBusy = false;
        if (candidate && std::find(asked.begin(), asked.end(), candidate) != asked.end())
            return nullptr;
    }
    return candidate;
}

} // namespace KV
