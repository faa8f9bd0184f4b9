#include "Controls/LevelMeter.h"

#include "Notification/Notification.h"

namespace KV {

namespace {

constexpr const char16_t* kClickId = u"NID_LEFT_CLICK";

double AxisOf(const PointT<double>& point, bool vertical)
{
    return vertical ? point.y : point.x;
}

} // namespace

LLevelMeter::LLevelMeter(const RCPtr<LControl>& parent, const String& name) : LControl(parent, name) {}

LLevelMeter::~LLevelMeter() = default;

KVRESULT LLevelMeter::Initialize()
{
    const KVRESULT base = LControl::Initialize();
    mOwnHandler = LNotificationHandler<LLevelMeter>::Create(this);
    mPeakMarker = FindSubControl<LPanel>(*this, u"peakLo");
    mActiveOverlay = FindSubControl<LPanel>(*this, u"activeOverlay");
    mClipButton = FindChild(String(u"clipButton"));
    // The parts show the meter's tool tip.
    if (mPeakMarker)
        mPeakMarker->SetUseParentToolTip(true);
    if (mActiveOverlay)
        mActiveOverlay->SetUseParentToolTip(true);
    return base;
}

KVRESULT LLevelMeter::PostInitialize()
{
    RCPtr<LLevelMeter> self(this);
    mVertical = GetRect().width < GetRect().height;
    if (mPeakMarker)
    {
        mPeakLoPos = {mPeakMarker->GetRect().x, mPeakMarker->GetRect().y};
        mPeakBase = mPeakMarker->GetLayout()->GetAxisSpec(mVertical ? 1 : 0).mPosition.mAbs;
        mPeakMarker->SetVisible(false);
        mPeakMarker->SetNotFocusable(true);
        const RCPtr<LControl> peakHi = FindChild(String(u"peakHi"));
        if (!peakHi)
            mPeakMarker.Reset();
        else
        {
            mPeakHiPos = {peakHi->GetRect().x, peakHi->GetRect().y};
            peakHi->SetVisible(false);
            peakHi->SetNotFocusable(true);
        }
    }
    if (mActiveOverlay)
    {
        mActiveOverlay->SetVisible(false);
        mActiveOverlay->SetNotFocusable(true);
    }
    if (mClipButton)
        mClipButton->SetNotFocusable(true);
    SetNotFocusable(true);
    OnValueChanged();
    return S_OK;
}

KVRESULT LLevelMeter::Receive(const RCPtr<LNotificationDistributor>& sender,
                              const RCPtr<LNotification>& notification)
{
    return ReceiveThroughOwnTable<LControl>(*this, mOwnHandler, sender, notification);
}

KVRESULT LLevelMeter::Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id)
{
    return DetachFromOwnTable<LControl>(*this, mOwnHandler, distributor, id);
}

void LLevelMeter::OnValueChanged()
{
    if (!mSettingLevel)
        SetLevel(GetNormalizedValue(), 0, mClipValue);
}

KVRESULT LLevelMeter::SetLevelAndPeak(double level, double peak)
{
    return SetLevel(level, peak, mClipValue);
}

KVRESULT LLevelMeter::SetLevel(double level, double peak, int32_t clip)
{
    RCPtr<LLevelMeter> self(this);
    if (clip != mClipValue)
        SetClipLight(true);
    else if (!mClipLatch)
        SetClipLight(false);
    mClipValue = clip;

    mSettingLevel = true;
    SetNormalizedValue(level);
    mSettingLevel = false;

    ShowOverlay(level);
    ShowPeak(peak);
    return S_OK;
}

void LLevelMeter::ShowOverlay(double level)
{
    if (!mActiveOverlay)
        return;
    // A vertical meter's overlay covers the part above the level.
    const double length =
        RoundHalfAwayFromZero(mVertical ? GetRect().height * (1.0 - level) : GetRect().width * level);
    if (length < 1)
    {
        mActiveOverlay->SetVisible(false);
        return;
    }
    mActiveOverlay->SetVisible(true);
    const int axis = mVertical ? 1 : 0;
    LayoutAxisSpec spec = mActiveOverlay->GetLayout()->GetAxisSpec(axis);
    spec.mSize = {SizeReference::Self, String(), 0, length};
    mActiveOverlay->SetLayoutAxis(axis, spec);
}

void LLevelMeter::ShowPeak(double peak)
{
    if (!mPeakMarker)
        return;
    const double distance =
        RoundHalfAwayFromZero((AxisOf(mPeakHiPos, mVertical) - AxisOf(mPeakLoPos, mVertical)) * peak);
    if (distance == 0)
    {
        mPeakMarker->SetVisible(false);
        return;
    }
    mPeakMarker->SetVisible(true);
    const int axis = mVertical ? 1 : 0;
    LayoutAxisSpec spec = mPeakMarker->GetLayout()->GetAxisSpec(axis);
    spec.mPosition.mAbs = mPeakBase + distance;
    mPeakMarker->SetLayoutAxis(axis, spec);
}

void LLevelMeter::SetClipLight(bool lit)
{
    if (mClipButton)
        mClipButton->SetNormalizedValue(lit ? 1.0 : 0.0);
}

bool LLevelMeter::IsClipLit() const
{
    return mClipButton && mClipButton->GetNormalizedValue() >= 0.5;
}

KVRESULT LLevelMeter::SetClipLatch(bool latch)
{
    if (!mClipButton)
        return E_FAIL;
    RCPtr<LLevelMeter> self(this);
    SetClipLight(false);
    if (latch == mClipLatch)
        return S_OK;
    mClipLatch = latch;
    const RCPtr<LNotificationDistributor> button(mClipButton);
    if (latch)
    {
        if (!mOwnHandler)
            mOwnHandler = LNotificationHandler<LLevelMeter>::Create(this);
        const KVRESULT registered =
            mOwnHandler->AddHandlerFor(&LLevelMeter::OnClipButtonClick, button, kClickId);
        if (KV_FAILED(registered))
        {
            mClipLatch = false;
            return registered;
        }
    }
    else
    {
        UnregisterNotification(button, kClickId);
        if (mOwnHandler)
            mOwnHandler->RemoveHandler(button.Get(), kClickId);
    }
    return S_OK;
}

KVRESULT LLevelMeter::OnClipButtonClick(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
{
    if (IsClipLit())
    {
        RCPtr<LLevelMeter> self(this);
        SetClipLight(false);
        SendNotification(LNotification::Create(u"NID_CLIPLIGHT_UNLATCHED", nullptr));
    }
    return S_FALSE;
}

} // namespace KV
