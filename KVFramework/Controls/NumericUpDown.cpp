#include "Controls/NumericUpDown.h"

#include "Controls/Button.h"
#include "Controls/TextBox.h"
#include "Notification/Notification.h"
#include "Notification/NotificationQueue.h"
#include "Storage/NumberParsing.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace KV {

namespace {

// Up and Down pressed, no modifier.
constexpr uint32_t kUpPressed = 0x20260000;
constexpr uint32_t kDownPressed = 0x20280000;

LTextValidationParams* ValidationParamsOf(const RCPtr<LNotification>& notification)
{
    return notification ? dynamic_cast<LTextValidationParams*>(notification->GetData().Get()) : nullptr;
}

} // namespace

LNumericUpDown::LNumericUpDown(const RCPtr<LControl>& parent, const String& name) : LPanel(parent, name) {}

LNumericUpDown::~LNumericUpDown() = default;

KVRESULT LNumericUpDown::Initialize()
{
    const KVRESULT base = LPanel::Initialize();
    mTextBox = FindSubControl<LTextBox>(*this, u"textBox");
    mUpButton = FindSubControl<LButton>(*this, u"buttonUp");
    mDownButton = FindSubControl<LButton>(*this, u"buttonDown");
    for (const RCPtr<LButton>& button : {mUpButton, mDownButton})
        if (button)
            button->SetAutoRepeat(true);
    UpdateAllowedCharacters();
    mOwnHandler = LNotificationHandler<LNumericUpDown>::Create(this);
    try
    {
        if (mTextBox)
        {
            KV_THROW_IF_FAILED(mOwnHandler->AddHandlerFor(&LNumericUpDown::OnTextValidating, mTextBox,
                                                          u"NID_TEXTBOX_VALIDATING"));
            KV_THROW_IF_FAILED(mOwnHandler->AddHandlerFor(&LNumericUpDown::OnTextValidated, mTextBox,
                                                          u"NID_TEXTBOX_VALIDATED"));
        }
        for (const RCPtr<LButton>& button : {mUpButton, mDownButton})
            if (button)
                KV_THROW_IF_FAILED(mOwnHandler->AddHandlerFor(&LNumericUpDown::OnButtonRepeat, button,
                                                              u"NID_BUTTON_AUTOREPEAT"));
    }
    catch (const std::runtime_error&)
    {
        return E_FAIL;
    }
    return base;
}

KVRESULT LNumericUpDown::PostInitialize()
{
    SetNotFocusable(false);
    // The buttons are worked by the pointer and the arrow keys; the focus stays in the text.
    for (const RCPtr<LButton>& button : {mUpButton, mDownButton})
        if (button)
            button->SetNotFocusable(true);
    return S_OK;
}

KVRESULT LNumericUpDown::Receive(const RCPtr<LNotificationDistributor>& sender,
                                 const RCPtr<LNotification>& notification)
{
    return ReceiveThroughOwnTable<LPanel>(*this, mOwnHandler, sender, notification);
}

KVRESULT LNumericUpDown::Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id)
{
    return DetachFromOwnTable<LPanel>(*this, mOwnHandler, distributor, id);
}

String LNumericUpDown::FormatValue() const
{
    String text;
    text.Format(u"%0.0f", GetValue());
    return text;
}

void LNumericUpDown::UpdateAllowedCharacters()
{
    if (!mTextBox)
        return;
    const bool negative = std::min(NormalizedToValue(0.0), NormalizedToValue(1.0)) < 0;
    mTextBox->SetAllowedCharacters(String(negative ? u"0123456789-" : u"0123456789"));
    mTextBox->SetInputRestricted(true);
}

KVRESULT LNumericUpDown::SetText(const String& text)
{
    const double value = ParseLeadingDouble(text.View());
    if (!std::isfinite(value))
        return E_INVALIDARG;
    SetNormalizedValue(ValueToNormalized(value));
    return S_OK;
}

KVRESULT LNumericUpDown::SetValueRange(double min, double max, int32_t taper)
{
    if (!std::isfinite(min) || !std::isfinite(max))
        return E_INVALIDARG;
    const KVRESULT result = LPanel::SetValueRange(min, max, taper);
    if (KV_FAILED(result))
        return result;
    RCPtr<LNumericUpDown> self(this);
    UpdateAllowedCharacters();
    if (mTextBox)
        mTextBox->SetText(FormatValue());
    return S_OK;
}

void LNumericUpDown::OnValueChanged()
{
    if (!mTextBox)
        return;
    RCPtr<LNumericUpDown> self(this);
    mTextBox->SetText(FormatValue());
    // Every change is validated, so that the field's listeners hear of it as of a typed one.
    mTextBox->CanReleaseFocus();
}

KVRESULT LNumericUpDown::OnTextValidating(const RCPtr<LNotificationDistributor>&,
                                          const RCPtr<LNotification>& notification)
{
    LTextValidationParams* params = ValidationParamsOf(notification);
    if (!params)
        return S_FALSE;
    RCPtr<LNumericUpDown> self(this);
    const RCPtr<LTextValidationParams> held(params);
    SendNotification(LNotification::Create(u"NID_TEXTBOX_VALIDATING", held));
    if (!params->mAccepted)
        return S_FALSE;
    const double current = GetValue();
    const double typed = ParseLeadingDouble(params->mText.View());
    // A number that is not finite is not taken: the field keeps its value and shows it.
    if (!std::isfinite(typed))
    {
        params->mText = FormatValue();
        return S_FALSE;
    }
    const double low = std::min(NormalizedToValue(0.0), NormalizedToValue(1.0));
    const double high = std::max(NormalizedToValue(0.0), NormalizedToValue(1.0));
    const double value = std::clamp(typed, low, high);
    if (value != current)
    {
        SetNormalizedValue(ValueToNormalized(value));
        params->mText = FormatValue();
        params->mAccepted = true;
    }
    else if (value == low || value == high)
    {
        // A number beyond an end reads as the end itself.
        params->mText = FormatValue();
        params->mAccepted = true;
    }
    return S_FALSE;
}

KVRESULT LNumericUpDown::OnTextValidated(const RCPtr<LNotificationDistributor>&,
                                         const RCPtr<LNotification>& notification)
{
    if (notification)
        SendNotification(LNotification::Create(u"NID_TEXTBOX_VALIDATED", notification->GetData()));
    return S_FALSE;
}

KVRESULT LNumericUpDown::OnButtonRepeat(const RCPtr<LNotificationDistributor>& sender,
                                        const RCPtr<LNotification>&)
{
    RCPtr<LNumericUpDown> self(this);
    const double current = GetValue();
    if (mUpButton && sender.Get() == static_cast<LNotificationDistributor*>(mUpButton.Get()))
        SetNormalizedValue(ValueToNormalized(current + mStep));
    else if (mDownButton && sender.Get() == static_cast<LNotificationDistributor*>(mDownButton.Get()))
        SetNormalizedValue(ValueToNormalized(current - mStep));
    return S_FALSE;
}

KVRESULT LNumericUpDown::ProcessHotKeys(const RCPtr<LKeyParam>& param)
{
    if (!param)
        return E_INVALIDARG;
    const uint32_t code = param->mKeyCode.mCode;
    if (code != kUpPressed && code != kDownPressed)
        return LPanel::ProcessHotKeys(param);
    // A click made by code presses the button briefly: one step.
    const RCPtr<LButton>& button = code == kUpPressed ? mUpButton : mDownButton;
    if (button)
        DeliverNotification(RCPtr<LNotificationReceiver>(button), u"NID_SIMULATE_CLICK", nullptr);
    return S_OK;
}

} // namespace KV
