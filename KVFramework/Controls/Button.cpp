#include "Controls/Button.h"

#include "Application/FrameworkApp.h"
#include "ControlBase/RootWindow.h"
#include "Notification/Notification.h"

#include <stdexcept>

namespace KV {

namespace {

// Enter pressed, no modifier.
constexpr uint32_t kEnterPressed = 0x200D0000;
constexpr uint32_t kSpacePressed = 0x20200000;

} // namespace

LButton::LButton(const RCPtr<LControl>& parent, const String& name) : LControl(parent, name) {}

LButton::~LButton() = default;

double LButton::Now() const
{
    LFrameworkApp* app = LFrameworkApp::GetInstance();
    return app ? app->GetTimeInSeconds() : 0.0;
}

KVRESULT LButton::Initialize()
{
    const KVRESULT base = LControl::Initialize();
    if (KV_FAILED(base))
        return base;
    mOwnHandler = LNotificationHandler<LButton>::Create(this);
    try
    {
        KV_THROW_IF_FAILED(mOwnHandler->AddHandler(&LButton::OnSimulateClick, u"NID_SIMULATE_CLICK"));
        ReadAttributeFlag(*this, u"AUTO_VALUE_SET", mAutoValueSet);
        ReadAttributeFlag(*this, u"IS_RADIO", mIsRadio);
    }
    catch (const std::runtime_error&)
    {
        return base;
    }
    return S_OK;
}

KVRESULT LButton::Receive(const RCPtr<LNotificationDistributor>& sender,
                          const RCPtr<LNotification>& notification)
{
    return ReceiveThroughOwnTable<LControl>(*this, mOwnHandler, sender, notification);
}

KVRESULT LButton::Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id)
{
    return DetachFromOwnTable<LControl>(*this, mOwnHandler, distributor, id);
}

KVRESULT LButton::OnSimulateClick(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
{
    if (IsEnabled(true))
        SimulateClick();
    return S_FALSE;
}

KVRESULT LButton::UpdateLook()
{
    if (mPassive || mSimulatedPress)
        return S_OK;
    const int column = (IsOn() ? 2 : 0) + (mHasFocus ? 1 : 0);
    if (!IsEnabled(true))
        return ShowLook(kLookDisabled[column]);
    const bool pressed = mHasCapture && (mLeftPressed || mLeftDragging);
    const int32_t* row = kLookNormal;
    if (pressed)
        row = mHover || mPressedWhileDragged ? kLookPressed : kLookHover;
    else if (mHover && !mHasCapture)
        row = kLookHover;
    ShowLook(row[column]);
    return S_OK;
}

void LButton::OnConditionsChanged(const RCPtr<LConditionsParam>& param)
{
    RCPtr<LButton> self(this);
    if (param)
    {
        if (mAutoRepeat && ConditionTurnedOn(*param, kConditionHoverOrHighlighted))
        {
            // Time spent outside the button does not count towards the next repeat.
            mLastRepeatTick = Now();
        }
        else if (ConditionTurnedOn(*param, kConditionLeftPressed))
        {
            if (mAutoRepeat && IsEnabled(true) && !mRepeatActive)
            {
                mRepeatActive = true;
                BeginIdleProcessing();
                mLastRepeatTick = Now();
                mRepeatCountdown = mRepeatDelay;
                SendAutoRepeat();
            }
        }
        else if (ConditionTurnedOff(*param, kConditionCapture) && mRepeatActive)
        {
            // The held press gives back its own idle registration; a click made by code
            // that is still showing holds one of its own.
            mRepeatActive = false;
            EndIdleProcessing();
        }
    }
    UpdateLook();
}

void LButton::OnIdle()
{
    RCPtr<LButton> self(this);
    if (mSimulatedPress && Now() - mSimulatedPressTime >= mSimulatedHold)
        FinishSimulatedPress(true);
    if (mRepeatActive && mHover && IsEnabled(true))
    {
        const double now = Now();
        mRepeatCountdown -= now - mLastRepeatTick;
        mLastRepeatTick = now;
        if (mRepeatCountdown <= 0)
        {
            mRepeatCountdown = mRepeatInterval;
            SendAutoRepeat();
        }
    }
}

void LButton::FinishSimulatedPress(bool showLook)
{
    mSimulatedPress = false;
    EndIdleProcessing();
    mSimulatedPressTime = 0;
    if (showLook)
        UpdateLook();
    if (mAutoRepeat)
        SendAutoRepeat();
    RCPtr<LRootWindow> window = GetRootWindow();
    const int buttons = window ? window->GetMouseButtons() : 0;
    OnLeftClick(LMouseButtonParam::Create(kMouseButtonLeft, {0, 0}, 0, 0, buttons));
}

void LButton::SimulateClick()
{
    RCPtr<LButton> self(this);
    // A press still showing ends with its click first, without the look between.
    if (mSimulatedPress)
        FinishSimulatedPress(false);
    mSimulatedPress = true;
    SetFocus(true);
    BeginIdleProcessing();
    mSimulatedPressTime = Now();
    ShowLook(IsOn() ? kLookPressed[2] : kLookPressed[0]);
    InvalidateRect({0, 0, GetRect().width, GetRect().height}, GetLayout()->mClipToParent);
}

void LButton::HandleLeftClick(const RCPtr<LMouseButtonParam>&)
{
    if (!mAutoValueSet)
        return;
    if (mIsRadio)
        SetNormalizedValue(1.0);
    else
        SetNormalizedValue(IsOn() ? 0.0 : 1.0);
}

void LButton::OnValueChanged()
{
    RCPtr<LButton> self(this);
    if (mIsRadio && IsOn() && GetParent())
    {
        // The other radio buttons among the siblings go off.
        RCPtr<LControl> parent = GetParent();
        for (uint32_t i = parent->GetChildren().GetCount(); i-- > 0;)
        {
            const RCPtr<LButton> sibling =
                RCPtr<LButton>::DynamicCastFrom(parent->GetChildren().GetAt(i, kInsertionOrder));
            if (sibling && sibling != self && sibling->mIsRadio)
                sibling->SetNormalizedValue(0.0);
        }
    }
    UpdateLook();
}

void LButton::SetEnabled(bool enabled)
{
    LControl::SetEnabled(enabled);
    UpdateLook();
}

bool LButton::HitTest(const PointT<int32_t>& point)
{
    return !mPassive && LControl::HitTest(point);
}

KVRESULT LButton::OnKeyDown(const RCPtr<LKeyParam>& param)
{
    // Return, or Space, presses the focused button.
    if (param && (param->mKeyCode.mCode == kEnterPressed || param->mKeyCode.mCode == kSpacePressed))
    {
        SimulateClick();
        return S_OK;
    }
    return S_FALSE;
}

void LButton::SendAutoRepeat()
{
    SendNotification(LNotification::Create(u"NID_BUTTON_AUTOREPEAT", nullptr));
}

} // namespace KV
