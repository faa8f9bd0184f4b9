#include "Controls/Slider.h"

#include "Application/FrameworkApp.h"
#include "ControlBase/RootWindow.h"
#include "Notification/Notification.h"
#include "ValueStepping.h"

#include <algorithm>
#include <cmath>

namespace KV {

namespace {

constexpr double kJumpDelay = 0.3;    // seconds held before the first step
constexpr double kJumpInterval = 0.1; // seconds between later steps

int32_t Whole(double value)
{
    return static_cast<int32_t>(RoundHalfAwayFromZero(value));
}

double Distance(const PointT<double>& a, const PointT<double>& b)
{
    return std::hypot(b.x - a.x, b.y - a.y);
}

} // namespace

LSlider::LSlider(const RCPtr<LControl>& parent, const String& name) : LPanel(parent, name) {}

LSlider::~LSlider() = default;

double LSlider::Now() const
{
    LFrameworkApp* app = LFrameworkApp::GetInstance();
    return app ? app->GetTimeInSeconds() : 0.0;
}

KVRESULT LSlider::Initialize()
{
    if (KV_FAILED(LPanel::Initialize()))
        return E_FAIL;
    RCPtr<LSlider> self(this);
    mOwnHandler = LNotificationHandler<LSlider>::Create(this);
    mThumbEnd = FindChild(String(u"thumbEnd"));
    mThumbStart = FindChild(String(u"thumbStart"));
    LFrameworkApp* app = LFrameworkApp::GetInstance();
    const RCPtr<LControlDescriptor> thumbDescriptor = MakeThumbDescriptor();
    if (thumbDescriptor && app && app->GetControlFactory())
    {
        mThumb = RCPtr<LButton>::DynamicCastFrom(
            app->GetControlFactory()->CreateControl(thumbDescriptor, RCPtr<LControl>(self)));
        if (mThumb)
        {
            mThumb->SetVisible(true);
            const RCPtr<LNotificationDistributor> thumb(mThumb);
            KV_THROW_IF_FAILED(
                mOwnHandler->AddHandlerFor(&LSlider::OnThumbMouseMove, thumb, u"NID_MOUSE_MOVE"));
            KV_THROW_IF_FAILED(mOwnHandler->AddHandlerFor(&LSlider::OnThumbDragCondition, thumb,
                                                          u"NID_LEFT_DRAG_CONDITION_CHANGE"));
            mThumb->SetPressedWhileDragged(true);
        }
    }
    EndGeometryChange();
    SetValueRange(0, 127, 0);
    SetDragThreshold(0);
    return S_OK;
}

KVRESULT LSlider::PostInitialize()
{
    RCPtr<LSlider> self(this);
    // A new skin names no thumb, so applying it let the thumb go with the old skin's
    // children; it comes back shaped like the new start marker.
    if (mThumb && mThumb->GetParent() != self)
        AdoptChild(RCPtr<LControl>(mThumb), nullptr);
    if (mThumbEnd)
        mThumbEnd->SetVisible(false);
    if (mThumbStart)
        mThumbStart->SetVisible(false);
    EndGeometryChange();
    return S_OK;
}

KVRESULT LSlider::Receive(const RCPtr<LNotificationDistributor>& sender,
                          const RCPtr<LNotification>& notification)
{
    return ReceiveThroughOwnTable<LPanel>(*this, mOwnHandler, sender, notification);
}

KVRESULT LSlider::Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id)
{
    return DetachFromOwnTable<LPanel>(*this, mOwnHandler, distributor, id);
}

RCPtr<LControlDescriptor> LSlider::MakeThumbDescriptor() const
{
    LFrameworkApp* app = LFrameworkApp::GetInstance();
    if (!mThumbStart || !mThumbStart->GetDescriptor() || !app || !app->GetControlFactory())
        return nullptr;
    const RCPtr<LControlDescriptor>& start = mThumbStart->GetDescriptor();
    const RCPtr<LLayoutDescriptor> skinLayout = start->mLayout ? start->mLayout : mThumbStart->GetLayout();
    if (!skinLayout)
        return nullptr;
    // The thumb moves freely between the markers: no docking, no anchors, no relative
    // parts; the kinds and the absolute parts stay.
    RCPtr<LLayoutDescriptor> layout = skinLayout->Clone();
    layout->mXIsDocked = false;
    layout->mYIsDocked = false;
    layout->mTabStop = 0;
    for (LayoutPositionSpec* position : {&layout->mXPosition, &layout->mYPosition})
    {
        position->mPlacementAnchor = 0;
        position->mRel = 0;
    }
    return app->GetControlFactory()->CloneControlDescriptor(start, layout, String(u"thumb"));
}

KVRESULT LSlider::AdoptChild(const RCPtr<LControl>& child, const RCPtr<LControlDescriptor>& descriptor)
{
    if (!child || descriptor)
        return LPanel::AdoptChild(child, descriptor);
    if (child->GetName() != u"thumb")
        return E_FAIL;
    const RCPtr<LControlDescriptor> thumbDescriptor = MakeThumbDescriptor();
    if (!thumbDescriptor)
        return E_FAIL;
    const KVRESULT result = LPanel::AdoptChild(child, thumbDescriptor);
    child->SetVisible(true);
    return result;
}

void LSlider::EndGeometryChange()
{
    LPanel::EndGeometryChange();
    if (!mThumb)
        mThumb = FindSubControl<LButton>(*this, u"thumb");
    UpdateThumb();
}

PointT<double> LSlider::MarkerPosition(const RCPtr<LControl>& marker) const
{
    return {RoundHalfAwayFromZero(marker->GetRect().x), RoundHalfAwayFromZero(marker->GetRect().y)};
}

PointT<double> LSlider::ThumbPosition() const
{
    return {mThumb->GetRect().x, mThumb->GetRect().y};
}

void LSlider::MoveThumbTo(const PointT<double>& position)
{
    LayoutAxisSpec x = mThumb->GetLayout()->GetAxisSpec(0);
    LayoutAxisSpec y = mThumb->GetLayout()->GetAxisSpec(1);
    x.mPosition.mAbs = position.x;
    y.mPosition.mAbs = position.y;
    mThumb->SetLayout(x, y);
}

void LSlider::UpdateThumb()
{
    if (mDragging || !mThumb || !mThumbStart || !mThumbEnd)
        return;
    RCPtr<LSlider> self(this);
    const PointT<double> start = MarkerPosition(mThumbStart);
    const PointT<double> end = MarkerPosition(mThumbEnd);
    const double value = GetNormalizedValue();
    const PointT<double> place{start.x + RoundHalfAwayFromZero((end.x - start.x) * value),
                               start.y + RoundHalfAwayFromZero((end.y - start.y) * value)};
    const PointT<double> thumb = ThumbPosition();
    if (place.x != thumb.x || place.y != thumb.y)
        MoveThumbTo(place);
}

PointT<int32_t> LSlider::ProjectOntoTrack(const PointT<int32_t>& point,
                                          const PointT<int32_t>& grabOffset) const
{
    const PointT<int32_t> q{point.x - grabOffset.x, point.y - grabOffset.y};
    if (!mThumb || !mThumbStart || !mThumbEnd)
        return q;
    const PointT<double> s = MarkerPosition(mThumbStart);
    const PointT<double> e = MarkerPosition(mThumbEnd);
    const PointT<double> thumb = ThumbPosition();
    PointT<int32_t> result;
    if (s.x == e.x)
        result = {Whole(thumb.x), q.y};
    else if (s.y == e.y)
        result = {q.x, Whole(thumb.y)};
    else
    {
        // The foot of the perpendicular from q onto the track's line y = m x + b.
        const float m = static_cast<float>(e.y - s.y) / static_cast<float>(e.x - s.x);
        const float b = static_cast<float>(s.y) - static_cast<float>(s.x) * m;
        const float qx = static_cast<float>(q.x);
        const float qy = static_cast<float>(q.y);
        const int32_t x = Whole((qy + qx / m - b) / (m + 1.0f / m));
        result = {x, Whole(static_cast<float>(x) * m + b)};
    }
    result.x = std::clamp(result.x, Whole(std::min(s.x, e.x)), Whole(std::max(s.x, e.x)));
    result.y = std::clamp(result.y, Whole(std::min(s.y, e.y)), Whole(std::max(s.y, e.y)));
    return result;
}

bool LSlider::ValueAt(const PointT<double>& place, double& value) const
{
    if (!mThumbStart || !mThumbEnd)
        return false;
    const PointT<double> start = MarkerPosition(mThumbStart);
    const double length = Distance(start, MarkerPosition(mThumbEnd));
    // Markers at one point leave no track to take a value from.
    if (length == 0)
        return false;
    value = Distance(start, place) / length;
    return true;
}

void LSlider::SetValueFromThumb()
{
    double value = 0;
    if (!mThumb || !ValueAt(ThumbPosition(), value))
        return;
    LControl::SetNormalizedValue(value);
    UpdateThumb();
}

double LSlider::SetNormalizedValue(double value)
{
    if (mDragging)
    {
        mPendingValue = value;
        return GetNormalizedValue();
    }
    RCPtr<LSlider> self(this);
    const double stored = LPanel::SetNormalizedValue(value);
    UpdateThumb();
    return stored;
}

KVRESULT LSlider::OnThumbDragCondition(const RCPtr<LNotificationDistributor>&,
                                       const RCPtr<LNotification>& notification)
{
    auto* param = notification ? dynamic_cast<LConditionsParam*>(notification->GetData().Get()) : nullptr;
    if (!param || !mThumb)
        return S_FALSE;
    RCPtr<LSlider> self(this);
    if (ConditionTurnedOn(*param, kConditionLeftDragging))
    {
        mDragging = true;
        const PointT<double> thumb = ThumbPosition();
        mGrabOffset = {Whole(param->mPressPoint.x - thumb.x), Whole(param->mPressPoint.y - thumb.y)};
        mPendingValue = -1.0;
        SendValueCapture(*this, true);
    }
    else if (ConditionTurnedOff(*param, kConditionLeftDragging))
    {
        mDragging = false;
        if (mApplyPendingValue && IsPendingValue(mPendingValue))
        {
            LPanel::SetNormalizedValue(mPendingValue);
            UpdateThumb();
        }
        mPendingValue = -1.0;
        SendValueCapture(*this, false);
    }
    return S_FALSE;
}

KVRESULT LSlider::OnThumbMouseMove(const RCPtr<LNotificationDistributor>&,
                                   const RCPtr<LNotification>& notification)
{
    auto* param =
        notification ? dynamic_cast<LPointWithModifiersParam*>(notification->GetData().Get()) : nullptr;
    if (!param || !mDragging || !mThumb)
        return S_OK;
    RCPtr<LSlider> self(this);
    // The thumb's point in the coordinates its own position and the markers' are given in.
    const PointT<double> thumb = ThumbPosition();
    const PointT<int32_t> point{param->mPoint.x + Whole(thumb.x), param->mPoint.y + Whole(thumb.y)};
    const PointT<int32_t> place = ProjectOntoTrack(point, mGrabOffset);
    if (place.x != Whole(thumb.x) || place.y != Whole(thumb.y))
    {
        MoveThumbTo({static_cast<double>(place.x), static_cast<double>(place.y)});
        SetValueFromThumb();
    }
    return S_OK;
}

void LSlider::HandleLeftClick(const RCPtr<LMouseButtonParam>& param)
{
    if (param)
        JumpToward(param->mPoint);
}

void LSlider::JumpToward(const PointT<int32_t>& point)
{
    if (!mThumb || !mThumbStart || !mThumbEnd)
        return;
    RCPtr<LSlider> self(this);
    // The pointer stands for the thumb's centre; a grab offset left from an earlier thumb
    // drag has nothing to do with it.
    const PointT<double> origin = GetContentOrigin();
    const PointT<int32_t> corner{Whole(point.x - origin.x - mThumb->GetRect().width / 2),
                                 Whole(point.y - origin.y - mThumb->GetRect().height / 2)};
    const PointT<int32_t> target = ProjectOntoTrack(corner, {0, 0});
    const PointT<double> targetPlace{static_cast<double>(target.x), static_cast<double>(target.y)};
    double targetValue = 0;
    if (!ValueAt(targetPlace, targetValue))
        return;
    const PointT<double> start = MarkerPosition(mThumbStart);
    const double value = GetNormalizedValue();
    const bool short_ = Distance(start, ThumbPosition()) <= Distance(start, targetPlace);
    LPanel::SetNormalizedValue(short_ ? std::min(value + mJumpStep, targetValue)
                                      : std::max(value - mJumpStep, targetValue));
    UpdateThumb();
}

void LSlider::OnConditionsChanged(const RCPtr<LConditionsParam>& param)
{
    LPanel::OnConditionsChanged(param);
    if (!param)
        return;
    RCPtr<LSlider> self(this);
    if (ConditionTurnedOn(*param, kConditionLeftDragging))
    {
        if (IsEnabled(true) && !mJumping)
        {
            mJumping = true;
            BeginIdleProcessing();
            mLastJumpTick = Now();
            mJumpCountdown = kJumpDelay;
        }
    }
    else if (ConditionTurnedOff(*param, kConditionLeftDragging) && mJumping)
    {
        mJumping = false;
        EndIdleProcessing();
    }

    // Looks: 1 (focus) and 2 (disabled) are laid over 0.
    const bool enabled = (param->mNewConditions & kConditionEnabled) != 0;
    if (ConditionTurnedOn(*param, kConditionContainsFocus))
        SetLookWeight(1, 1.0f, false);
    else if (ConditionTurnedOff(*param, kConditionContainsFocus))
    {
        EndArrowKeySeries(*this, mKeyDown);
        SetLookWeight(1, 0.0f, false);
        SetLookWeight(enabled ? 0 : 2, 1.0f, false);
    }
    else if (ConditionTurnedOn(*param, kConditionEnabled) || ConditionTurnedOff(*param, kConditionEnabled))
    {
        if (enabled)
            SetLookWeight((param->mNewConditions & kConditionContainsFocus) != 0 ? 1 : 0, 1.0f, true);
        else
            SetLookWeight(2, 1.0f, false);
    }
}

void LSlider::OnIdle()
{
    LPanel::OnIdle();
    if (!mJumping || !(mHover || mHighlighted) || !IsEnabled(true))
        return;
    RCPtr<LSlider> self(this);
    const double now = Now();
    mJumpCountdown -= now - mLastJumpTick;
    mLastJumpTick = now;
    if (mJumpCountdown > 0)
        return;
    mJumpCountdown = kJumpInterval;
    if (RCPtr<LRootWindow> window = GetRootWindow())
    {
        const PointT<int32_t> cursor = window->GetCursorPosition();
        const PointT<double> origin = GetRootPosition();
        JumpToward({cursor.x - Whole(origin.x), cursor.y - Whole(origin.y)});
    }
}

KVRESULT LSlider::ProcessHotKeys(const RCPtr<LKeyParam>& param)
{
    if (!param)
        return E_INVALIDARG;
    RCPtr<LSlider> self(this);
    const KVRESULT result = HandleArrowKey(*this, param->mKeyCode, mKeyDown);
    return result != S_FALSE ? result : LPanel::ProcessHotKeys(param);
}

KVRESULT LSlider::OnWheel(const RCPtr<LMouseWheelParam>& param)
{
    return StepByWheel(*this, param, false);
}

KVRESULT LSlider::OnHWheel(const RCPtr<LMouseWheelParam>& param)
{
    return StepByWheel(*this, param, true);
}

} // namespace KV
