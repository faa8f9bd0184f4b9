// The scroll offset of a control's content, the range it may take, and the automatic
// scrolling that idle ticks drive: near the edges during a drag, and the kinetic
// scrolling that goes on after a quick pan and slows down.

#include "Application/FrameworkApp.h"
#include "AxisParts.h"
#include "ControlBase/Control.h"
#include "ControlBase/RootWindow.h"
#include "Notification/Notification.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace KV {

using namespace AxisParts;

namespace {

// The range of an axis without a limit.
constexpr double kUnlimitedRange = 4503599627370496.0; // 2^52
// A pan whose last move is older than this at the release does not fling.
constexpr Milliseconds kFlingMaxPause = 100;
// Slower pans stop with the release.
constexpr double kFlingMinSpeed = 1000;
// A fling keeps its speed this long before it slows down.
constexpr Milliseconds kFlingCoast = 1000;

double Seconds()
{
    LFrameworkApp* app = LFrameworkApp::GetInstance();
    return app ? app->GetTimeInSeconds() : 0.0;
}

Milliseconds NowMs()
{
    LFrameworkApp* app = LFrameworkApp::GetInstance();
    return app ? app->GetTimeMs() : 0;
}

} // namespace

PointT<double> LControl::SetScrollOffset(const PointT<double>& offset)
{
    RCPtr<LControl> self(this);
    const bool wasInProgress = std::exchange(mScrollInProgress, true);
    const PointT<double> rounded{RoundHalfAwayFromZero(offset.x), RoundHalfAwayFromZero(offset.y)};
    if (rounded != mScrollOffset)
    {
        const PointT<double> old = mScrollOffset;
        mScrollOffset = rounded;
        for (uint32_t i = 0; i < mChildren.GetCount(); ++i)
            RCPtr<LControl>(mChildren.GetAt(i, kInsertionOrder))->OnParentScrolled(rounded);
        InvalidateRect({0, 0, mRect.width, mRect.height}, GetLayout()->mClipToParent);
        ScrollOffscreenBuffer(old);
        SendNotification(LNotification::Create(u"NID_SCROLL_OFFSET_CHANGE", nullptr));
        // The content moved under a still pointer: the hover moves with it.
        if (RCPtr<LRootWindow> window = GetRootWindow())
        {
            const PointT<int32_t> cursor = window->GetCursorPosition();
            const PointT<double> root = GetRootPosition();
            const PointT<int32_t> inside = PointT<double>{cursor.x - root.x, cursor.y - root.y}.ToLong();
            if (inside.x >= 0 && inside.x < mRect.width && inside.y >= 0 && inside.y < mRect.height)
            {
                PointT<int32_t> local;
                window->FindControlAtPoint(cursor, local, true);
            }
        }
    }
    mScrollInProgress = wasInProgress;
    return mScrollOffset;
}

RectT<double> LControl::GetScrollRange(const LControl*)
{
    return {0, 0, kUnlimitedRange, kUnlimitedRange};
}

RectT<double> LControl::GetClientArea()
{
    const RectT<double> client = GetClientRect(-1);
    return {0, 0, client.width, client.height};
}

RectT<double> LControl::GetViewRect()
{
    const RectT<double> client = GetClientRect(-1);
    return {mScrollOffset.x, mScrollOffset.y, client.width, client.height};
}

KVRESULT LControl::StartAutoScroll(int axis, double speed, double maximum, double minimum,
                                   const RCPtr<LControl>& tracked)
{
    AutoScrollAxis& scroll = mAutoScroll[axis & 1];
    scroll.speed = speed;
    scroll.maximum = maximum;
    scroll.minimum = minimum;
    scroll.tracked = tracked;
    if (!scroll.running)
    {
        scroll.running = true;
        scroll.lastStep = Seconds();
        BeginIdleProcessing();
    }
    return S_OK;
}

KVRESULT LControl::StopAutoScroll(int axis)
{
    AutoScrollAxis& scroll = mAutoScroll[axis & 1];
    scroll.tracked.Reset();
    if (!scroll.running)
        return S_FALSE;
    scroll.running = false;
    scroll.decelerating = false;
    EndIdleProcessing();
    return S_OK;
}

void LControl::StepAutoScroll()
{
    if (!mAutoScroll[0].running && !mAutoScroll[1].running)
        return;
    RCPtr<LControl> self(this);
    for (int axis = 0; axis < 2; ++axis)
    {
        AutoScrollAxis& scroll = mAutoScroll[axis];
        if (!scroll.running)
            continue;
        const double now = Seconds();
        // Kept before the step time moves on: the slowing down below needs it.
        const double elapsed = now - scroll.lastStep;
        const double step = RoundHalfAwayFromZero(scroll.speed * elapsed);
        scroll.lastStep = now;
        if (step != 0)
        {
            PointT<double> offset = mScrollOffset;
            Axis(offset, axis) = std::clamp(Axis(offset, axis) + step, scroll.minimum,
                                            std::max(scroll.minimum, scroll.maximum));
            SetScrollOffset(offset);
            if (RCPtr<LControl> tracked = scroll.tracked)
            {
                // A dragged control keeps following the pointer while the content moves.
                if (RCPtr<LRootWindow> window = GetRootWindow())
                {
                    const PointT<int32_t> cursor = window->GetCursorPosition();
                    const PointT<double> root = tracked->GetRootPosition();
                    tracked->DragTo(LPointWithModifiersParam::Create(
                        PointT<double>{cursor.x - root.x, cursor.y - root.y}.ToLong(), GetModifierState()));
                }
            }
        }
        if (scroll.running && scroll.decelerating && NowMs() - mReleaseTime > kFlingCoast)
        {
            const double slowdown = RoundHalfAwayFromZero(mDeceleration * elapsed);
            if (std::fabs(scroll.speed) <= slowdown)
                StopAutoScroll(axis);
            else
                scroll.speed -= std::copysign(slowdown, scroll.speed);
        }
    }
}

void LControl::StartKineticScroll()
{
    mReleaseTime = NowMs();
    if (mReleaseTime - mMoveTime >= kFlingMaxPause)
        return;
    const RectT<double> range = GetScrollRange(this);
    const double velocity[2] = {mDragVelocity.x, mDragVelocity.y};
    const double maximum[2] = {range.width, range.height};
    const int32_t axisFlags[2] = {kDragFlagX, kDragFlagY};
    for (int axis = 0; axis < 2; ++axis)
    {
        const bool allowed = mDragFlags == (kDragFlagX | kDragFlagY) || mDragFlags == axisFlags[axis];
        if (!allowed || std::fabs(velocity[axis]) < kFlingMinSpeed)
            continue;
        StartAutoScroll(axis, velocity[axis], maximum[axis], 0, nullptr);
        mAutoScroll[axis].decelerating = true;
    }
}

void LControl::StopKineticScroll()
{
    for (int axis = 0; axis < 2; ++axis)
        if (mAutoScroll[axis].running && mAutoScroll[axis].decelerating)
            StopAutoScroll(axis);
}

} // namespace KV
