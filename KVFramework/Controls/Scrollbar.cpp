#include "Controls/Scrollbar.h"

#include "Application/FrameworkApp.h"
#include "ControlBase/RootWindow.h"
#include "Graphics/RectRegion.h"
#include "Notification/Notification.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace KV {

namespace {

bool TurnedOn(const LConditionsParam& param, uint32_t bit)
{
    return (param.mNewConditions & bit) != 0 && (param.mOldConditions & bit) == 0;
}

bool TurnedOff(const LConditionsParam& param, uint32_t bit)
{
    return (param.mNewConditions & bit) == 0 && (param.mOldConditions & bit) != 0;
}

const LConditionsParam* ConditionsOf(const RCPtr<LNotification>& notification)
{
    return notification ? dynamic_cast<const LConditionsParam*>(notification->GetData().Get()) : nullptr;
}

// The keys the bar takes, pressed without modifiers.
enum class KeyOrientation
{
    Vertical,
    Horizontal,
    Either,
};

struct SiblingKey
{
    uint32_t code;
    int32_t bit;
    KeyOrientation orientation;
    int direction; // -1 or +1 steps; 0 the start, 2 the end
    bool page;
};

constexpr int kToStart = 0;
constexpr int kToEnd = 2;

constexpr SiblingKey kSiblingKeys[] = {
    {0x20260000, LScrollbar::kKeyUp, KeyOrientation::Vertical, -1, false},
    {0x20280000, LScrollbar::kKeyDown, KeyOrientation::Vertical, +1, false},
    {0x20250000, LScrollbar::kKeyLeft, KeyOrientation::Horizontal, -1, false},
    {0x20270000, LScrollbar::kKeyRight, KeyOrientation::Horizontal, +1, false},
    {0x20210000, LScrollbar::kKeyPageUp, KeyOrientation::Vertical, -1, true},
    {0x20220000, LScrollbar::kKeyPageDown, KeyOrientation::Vertical, +1, true},
    {0x20240000, LScrollbar::kKeyHome, KeyOrientation::Either, kToStart, false},
    {0x20230000, LScrollbar::kKeyEnd, KeyOrientation::Either, kToEnd, false},
};

} // namespace

LScrollbar::LScrollbar(const RCPtr<LControl>& parent, const String& name) : LControl(parent, name)
{
    LControl::SetValueRange(0, 100, 0);
}

LScrollbar::~LScrollbar() = default;

double LScrollbar::Now() const
{
    LFrameworkApp* app = LFrameworkApp::GetInstance();
    return app ? app->GetTimeInSeconds() : 0.0;
}

KVRESULT LScrollbar::Initialize()
{
    if (KV_FAILED(LControl::Initialize()))
        return E_FAIL;
    mOwnHandler = LNotificationHandler<LScrollbar>::Create(this);
    mChannel = FindChild(String(u"channel"));
    if (mChannel)
    {
        const RCPtr<LNotificationDistributor> channel(mChannel);
        KV_THROW_IF_FAILED(mOwnHandler->AddHandlerFor(&LScrollbar::OnChannelDragCondition, channel,
                                                      u"NID_LEFT_DRAG_CONDITION_CHANGE"));
        KV_THROW_IF_FAILED(mOwnHandler->AddHandlerFor(&LScrollbar::OnChannelHoverCondition, channel,
                                                      u"NID_HOVER_CONDITION_CHANGE"));
        mThumb = FindSubControl<LButton>(*mChannel, u"thumb");
        if (mThumb)
        {
            const RCPtr<LNotificationDistributor> thumb(mThumb);
            KV_THROW_IF_FAILED(
                mOwnHandler->AddHandlerFor(&LScrollbar::OnThumbMouseMove, thumb, u"NID_MOUSE_MOVE"));
            KV_THROW_IF_FAILED(mOwnHandler->AddHandlerFor(&LScrollbar::OnThumbDragCondition, thumb,
                                                          u"NID_LEFT_DRAG_CONDITION_CHANGE"));
            mThumb->SetPressedWhileDragged(true);
        }
    }
    const RCPtr<LButton> dec = FindSubControl<LButton>(*this, u"dec");
    const RCPtr<LButton> inc = FindSubControl<LButton>(*this, u"inc");
    for (const RCPtr<LButton>& step : {dec, inc})
    {
        if (!step)
            continue;
        KV_THROW_IF_FAILED(mOwnHandler->AddHandlerFor(
            &LScrollbar::OnStepButton, RCPtr<LNotificationDistributor>(step), u"NID_BUTTON_AUTOREPEAT"));
        step->SetAutoRepeat(true);
    }
    // The step buttons stand one after the other along the bar.
    if (dec && inc)
        mVertical = inc->GetRect().x - dec->GetRect().x <= inc->GetRect().y - dec->GetRect().y;
    EndGeometryChange();
    SetSiblingKeys(0xFF);
    return S_OK;
}

KVRESULT LScrollbar::PostInitialize()
{
    SetNotFocusable(true);
    for (const char16_t* name : {u"dec", u"inc"})
        if (RCPtr<LControl> part = FindChild(String(name)))
            part->SetNotFocusable(true);
    if (mChannel)
        mChannel->SetNotFocusable(true);
    if (mThumb)
    {
        mThumb->SetNotFocusable(true);
        mMinThumbLength = mVertical ? mThumb->GetRect().width : mThumb->GetRect().height;
    }
    EndGeometryChange();
    return S_OK;
}

KVRESULT LScrollbar::Receive(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification)
{
    return ReceiveThroughOwnTable<LControl>(*this, mOwnHandler, sender, notification);
}

KVRESULT LScrollbar::Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id)
{
    return DetachFromOwnTable<LControl>(*this, mOwnHandler, distributor, id);
}

KVRESULT LScrollbar::SetSiblingKeys(int32_t mask)
{
    if (mask < 0 || mask > 0xFF)
        return E_INVALIDARG;
    if (mSiblingKeys == 0 && mask != 0 && mOwnHandler)
    {
        if (RCPtr<LControl> parent = GetParent())
            KV_THROW_IF_FAILED(mOwnHandler->AddHandlerFor(
                &LScrollbar::OnSiblingKey, RCPtr<LNotificationDistributor>(parent), u"NID_SIBLING_KEY"));
        KV_THROW_IF_FAILED(mOwnHandler->AddHandler(&LScrollbar::OnSiblingKey, u"NID_SIBLING_KEY"));
    }
    mSiblingKeys = mask & 0xFF;
    return S_OK;
}

// ---- the value and the thumb ----

double LScrollbar::SetNormalizedValue(double value)
{
    if (mDragging)
    {
        // The thumb follows the pointer; the value set from elsewhere waits for the drop.
        mPendingValue = value;
        return GetNormalizedValue();
    }
    RCPtr<LScrollbar> self(this);
    LControl::SetNormalizedValue(std::clamp(value, 0.0, 1.0));
    UpdateThumbPosition();
    return GetNormalizedValue();
}

KVRESULT LScrollbar::SetValueRange(double min, double max, int32_t taper)
{
    const double mapped = NormalizedToValue(GetNormalizedValue());
    const KVRESULT result = LControl::SetValueRange(min, max, taper);
    if (KV_FAILED(result))
        return result;
    RCPtr<LScrollbar> self(this);
    LControl::SetNormalizedValue(std::clamp(ValueToNormalized(mapped), 0.0, 1.0));
    UpdateThumbPosition();
    return S_OK;
}

void LScrollbar::EndGeometryChange()
{
    LControl::EndGeometryChange();
    if (!mChannel || !mThumb)
        return;
    const RectT<double> client = mChannel->GetClientRect(-1);
    mChannelOrigin = Along(mChannel->GetRect()) + Along(client);
    mTrackStart = 0;
    mTrackEnd = LengthOf(client);
    UpdateThumbSize();
    UpdateThumbPosition();
}

void LScrollbar::UpdateThumbSize()
{
    if (!mThumb)
        return;
    const double length = std::max((mTrackEnd - mTrackStart) * mThumbFraction, mMinThumbLength);
    mThumbLength = std::trunc(length + 0.5);
    LayoutAxisSpec spec = mThumb->GetLayout()->GetAxisSpec(AxisIndex());
    spec.mSize = {SizeReference::Self, String(), 0, mThumbLength};
    mThumb->SetLayoutAxis(AxisIndex(), spec);
    UpdateThumbPosition();
}

void LScrollbar::UpdateThumbPosition()
{
    if (mDragging || !mThumb)
        return;
    MoveThumbTo(
        RoundHalfAwayFromZero((mTrackEnd - mTrackStart - mThumbLength) * GetNormalizedValue() + mTrackStart));
}

double LScrollbar::ThumbStart() const
{
    return mThumb ? Along(mThumb->GetRect()) : 0;
}

void LScrollbar::MoveThumbTo(double position)
{
    if (position == ThumbStart())
        return;
    LayoutAxisSpec spec = mThumb->GetLayout()->GetAxisSpec(AxisIndex());
    spec.mPosition = {0, PositionReference::Client, String(), 0, position};
    mThumb->SetLayoutAxis(AxisIndex(), spec);
}

// ---- dragging the thumb ----

KVRESULT LScrollbar::OnThumbDragCondition(const RCPtr<LNotificationDistributor>&,
                                          const RCPtr<LNotification>& notification)
{
    const LConditionsParam* param = ConditionsOf(notification);
    if (!param || !mThumb)
        return S_FALSE;
    RCPtr<LScrollbar> self(this);
    if (TurnedOn(*param, kConditionLeftDragging))
    {
        mDragging = true;
        // Where in the thumb it was taken, kept under the pointer.
        const RectT<double>& thumb = mThumb->GetRect();
        mGrabOffset = PointT<double>{param->mPressPoint.x - thumb.x, param->mPressPoint.y - thumb.y}.ToLong();
        mPendingValue = -1;
    }
    else if (TurnedOff(*param, kConditionLeftDragging))
    {
        mDragging = false;
        const double pending = std::exchange(mPendingValue, -1.0);
        if (mApplyPendingValue && pending >= 0 && pending <= 1)
            SetNormalizedValue(pending);
    }
    return S_FALSE;
}

KVRESULT LScrollbar::OnThumbMouseMove(const RCPtr<LNotificationDistributor>& sender,
                                      const RCPtr<LNotification>& notification)
{
    if (!mDragging || !mThumb || sender.Get() != static_cast<LNotificationDistributor*>(mThumb.Get()))
        return S_OK;
    const auto* move =
        notification ? dynamic_cast<const LPointParam*>(notification->GetData().Get()) : nullptr;
    if (!move)
        return S_OK;
    RCPtr<LScrollbar> self(this);
    // The pointer in the channel's client coordinates: the thumb lies in the channel's
    // content, which the channel does not scroll.
    const PointT<double> channelScroll = mChannel ? mChannel->GetScrollOffset() : PointT<double>{};
    const double pointer = RoundHalfAwayFromZero(
        Along(mThumb->GetRect()) + (mVertical ? move->mPoint.y : move->mPoint.x) - Along(channelScroll));
    const double grab = mVertical ? mGrabOffset.y : mGrabOffset.x;
    const double position =
        std::clamp(pointer - grab, mTrackStart, std::max(mTrackStart, mTrackEnd - mThumbLength));
    if (position == ThumbStart())
        return S_OK;
    MoveThumbTo(position);
    // A thumb that fills its track has nowhere to go: the value stays at the start.
    const double travel = mTrackEnd - mTrackStart - mThumbLength;
    const double value = travel > 0 ? std::clamp((position - mTrackStart) / travel, 0.0, 1.0) : 0.0;
    LControl::SetNormalizedValue(value);
    UpdateThumbPosition();
    return S_OK;
}

// ---- step buttons and keys ----

KVRESULT LScrollbar::OnStepButton(const RCPtr<LNotificationDistributor>& sender, const RCPtr<LNotification>&)
{
    auto* button = dynamic_cast<LControl*>(sender.Get());
    if (!button)
        return S_FALSE;
    RCPtr<LScrollbar> self(this);
    if (button->GetName() == u"dec")
        SetNormalizedValue(GetNormalizedValue() - mLineStep);
    else if (button->GetName() == u"inc")
        SetNormalizedValue(GetNormalizedValue() + mLineStep);
    return S_FALSE;
}

KVRESULT LScrollbar::OnSiblingKey(const RCPtr<LNotificationDistributor>&,
                                  const RCPtr<LNotification>& notification)
{
    auto* offered = notification ? dynamic_cast<LSiblingKeyParam*>(notification->GetData().Get()) : nullptr;
    if (!offered || !IsShown(true))
        return S_OK;
    RCPtr<LScrollbar> self(this);
    for (const SiblingKey& key : kSiblingKeys)
    {
        if (!offered->mKeyCode.Equals(KeyCode{key.code}) || (mSiblingKeys & key.bit) == 0)
            continue;
        if ((key.orientation == KeyOrientation::Vertical && !mVertical) ||
            (key.orientation == KeyOrientation::Horizontal && mVertical))
            continue;
        double value = key.direction == kToStart ? 0.0 : 1.0;
        if (key.direction == -1 || key.direction == +1)
            value = GetNormalizedValue() + key.direction * (key.page ? mPageStep : mLineStep);
        SetNormalizedValue(value);
        offered->mResult = 0;
        break;
    }
    return S_OK;
}

// ---- paging in the channel ----

int LScrollbar::HitSide(double along) const
{
    const double thumbStart = ThumbStart();
    if (along >= mTrackStart && along <= thumbStart)
        return 1;
    if (along >= thumbStart + mThumbLength && along <= mTrackEnd)
        return 2;
    return 0;
}

double LScrollbar::PointerInChannel()
{
    RCPtr<LRootWindow> window = GetRootWindow();
    if (!window || !mChannel)
        return -1;
    const PointT<int32_t> cursor = window->GetCursorPosition();
    const PointT<double> root = mChannel->GetRootPosition();
    const RectT<double> client = mChannel->GetClientRect(-1);
    return RoundHalfAwayFromZero(Along(PointT<double>{cursor.x - root.x, cursor.y - root.y}) - Along(client));
}

void LScrollbar::StepPage()
{
    if (mPagingSide == 1)
        SetNormalizedValue(GetNormalizedValue() - mPageStep);
    else if (mPagingSide == 2)
        SetNormalizedValue(GetNormalizedValue() + mPageStep);
}

KVRESULT LScrollbar::OnChannelDragCondition(const RCPtr<LNotificationDistributor>&,
                                            const RCPtr<LNotification>& notification)
{
    const LConditionsParam* param = ConditionsOf(notification);
    if (!param || !mChannel)
        return S_FALSE;
    RCPtr<LScrollbar> self(this);
    if (TurnedOn(*param, kConditionLeftPressed))
    {
        // The press in the channel's client coordinates.
        const RectT<double>& channel = mChannel->GetRect();
        const RectT<double> client = mChannel->GetClientRect(-1);
        const double press =
            RoundHalfAwayFromZero(Along(param->mPressPoint) - Along(channel) - Along(client));
        mPagingSide = HitSide(press);
        if (mPagingSide != 0)
        {
            StepPage();
            UpdatePagingHighlight();
            mLastPageTick = Now();
            mPageCountdown = mPageRepeatDelay;
            BeginIdleProcessing();
        }
    }
    else if (TurnedOff(*param, kConditionCapture) && mPagingSide != 0)
    {
        mPagingSide = 0;
        ClearPagingHighlight();
        EndIdleProcessing();
    }
    if (mPagingSide != 0)
        UpdatePagingHighlight();
    return S_FALSE;
}

KVRESULT LScrollbar::OnChannelHoverCondition(const RCPtr<LNotificationDistributor>&,
                                             const RCPtr<LNotification>& notification)
{
    const LConditionsParam* param = ConditionsOf(notification);
    if (!param)
        return S_FALSE;
    RCPtr<LScrollbar> self(this);
    // Time spent outside the channel does not count towards the next page step.
    if (TurnedOn(*param, kConditionHoverOrHighlighted))
        mLastPageTick = Now();
    if (mPagingSide != 0)
        UpdatePagingHighlight();
    return S_FALSE;
}

void LScrollbar::OnIdle()
{
    if (mPagingSide == 0 || !mChannel || !mChannel->IsHovered() || HitSide(PointerInChannel()) != mPagingSide)
        return;
    RCPtr<LScrollbar> self(this);
    const double now = Now();
    mPageCountdown -= now - mLastPageTick;
    mLastPageTick = now;
    if (mPageCountdown <= 0)
    {
        mPageCountdown = mPageRepeatInterval;
        StepPage();
        UpdatePagingHighlight();
    }
}

void LScrollbar::UpdatePagingHighlight()
{
    if (!mChannel || !mChannel->IsHovered() || HitSide(PointerInChannel()) != mPagingSide)
    {
        ClearPagingHighlight();
        return;
    }
    // From the channel's edge to the thumb, or from the thumb to the far edge, across the
    // whole channel, in the channel's own coordinates.
    const RectT<double>& channel = mChannel->GetRect();
    const double clientOrigin = Along(mChannel->GetClientRect(-1));
    const double thumbStart = ThumbStart() + clientOrigin;
    const double start = mPagingSide == 1 ? 0 : thumbStart + mThumbLength;
    const double end = mPagingSide == 1 ? thumbStart : LengthOf(channel);
    const int32_t across =
        static_cast<int32_t>(RoundHalfAwayFromZero(mVertical ? channel.width : channel.height));
    const int32_t from = static_cast<int32_t>(RoundHalfAwayFromZero(start));
    const int32_t to = static_cast<int32_t>(RoundHalfAwayFromZero(end));
    RectRegion region;
    region.AddRect(mVertical ? RegionRect{0, from, across, to} : RegionRect{from, 0, to, across});
    mChannel->SetLookWeight(1, 1.0f, false);
    mChannel->SetLookRegion(1, region);
    mChannel->SetLookRegionExcluding(0, 1);
}

void LScrollbar::ClearPagingHighlight()
{
    if (!mChannel)
        return;
    mChannel->ClearLookRegions();
    mChannel->ShowLook(0);
}

} // namespace KV
