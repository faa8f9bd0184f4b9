#include "Controls/ComboSlider.h"

#include "Controls/ControlClass.h"
#include "Notification/Notification.h"
#include "ValueStepping.h"

#include <algorithm>

namespace KV {

LComboSlider::LComboSlider(const RCPtr<LControl>& parent, const String& name) : LDropDownControl(parent, name)
{
}

LComboSlider::~LComboSlider() = default;

KVRESULT LComboSlider::Initialize()
{
    if (KV_FAILED(LDropDownControl::Initialize()))
        return E_FAIL;
    mDropDownPanel = FindSubControl<LPanel>(*this, u"dropDownPanel");
    if (!mDropDownPanel)
        return S_OK;
    RCPtr<LComboSlider> self(this);
    mDropDownPanel->SetVisible(false);
    // The field keeps the focus: a press on it would otherwise hand the focus to the open
    // panel's thumb, and the panel closing under it would bring the focus back and open
    // the panel again.
    mDropDownPanel->SetNotFocusable(true);
    mOwnHandler = LNotificationHandler<LComboSlider>::Create(this);
    if (const RCPtr<LControl> slider = GetSlider())
        KV_THROW_IF_FAILED(mOwnHandler->AddHandlerFor(&LComboSlider::OnSliderValueChange,
                                                      RCPtr<LNotificationDistributor>(slider),
                                                      u"NID_VALUE_CHANGE"));
    return S_OK;
}

KVRESULT LComboSlider::Receive(const RCPtr<LNotificationDistributor>& sender,
                               const RCPtr<LNotification>& notification)
{
    return ReceiveThroughOwnTable<LDropDownControl>(*this, mOwnHandler, sender, notification);
}

KVRESULT LComboSlider::Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id)
{
    return DetachFromOwnTable<LDropDownControl>(*this, mOwnHandler, distributor, id);
}

RCPtr<LControl> LComboSlider::GetSlider() const
{
    return mDropDownPanel ? mDropDownPanel->FindChild(String(u"slider")) : nullptr;
}

KVRESULT LComboSlider::OnSliderValueChange(const RCPtr<LNotificationDistributor>&,
                                           const RCPtr<LNotification>&)
{
    if (const RCPtr<LControl> slider = GetSlider())
    {
        RCPtr<LComboSlider> self(this);
        SetNormalizedValue(slider->GetNormalizedValue());
    }
    return S_FALSE;
}

KVRESULT LComboSlider::RequestFocus()
{
    // A part of the open panel asks for the focus when it is pressed; the field holding
    // it already keeps it, for taking it again would close the panel under the press.
    if (mHasFocus)
        return S_OK;
    return LDropDownControl::RequestFocus();
}

KVRESULT LComboSlider::OnKeyDown(const RCPtr<LKeyParam>& param)
{
    // Only the keys the slider takes itself: its arrows pressed without a modifier, and
    // their releases. Anything else goes the field's own way.
    constexpr uint32_t kModifiers = KeyCode::kCtrl | KeyCode::kShift | KeyCode::kAlt | KeyCode::kCmd;
    if (!param || !IsArrowKey(param->mKeyCode) ||
        ((param->mKeyCode.mCode & KeyCode::kPressed) != 0 && (param->mKeyCode.mCode & kModifiers) != 0))
        return S_FALSE;
    const RCPtr<LControl> slider = GetSlider();
    if (!slider)
        return S_FALSE;
    RCPtr<LComboSlider> self(this);
    return slider->ProcessHotKeys(param);
}

double LComboSlider::SetNormalizedValue(double value)
{
    RCPtr<LComboSlider> self(this);
    // Each side stops at a value it holds already, so the two never echo each other.
    if (const RCPtr<LControl> slider = GetSlider())
        slider->SetNormalizedValue(value);
    return LDropDownControl::SetNormalizedValue(value);
}

void LComboSlider::OnValueChanged()
{
    RCPtr<LComboSlider> self(this);
    if (const RCPtr<LControl> slider = GetSlider())
        slider->SetNormalizedValue(GetNormalizedValue());
    String format;
    format.Format(u"%%0.%df", mDecimalPlaces);
    String text;
    text.Format(format.GetText(), NormalizedToValue(GetNormalizedValue()));
    SetText(text);
}

void LComboSlider::OnConditionsChanged(const RCPtr<LConditionsParam>& param)
{
    LDropDownControl::OnConditionsChanged(param);
    RCPtr<LComboSlider> self(this);
    int32_t look = 0;
    if (!IsEnabled(true))
        look = 6;
    else if (IsDropDownOpen())
        look = mHover ? 5 : 4;
    else
        look = (mHover ? 2 : 0) + (mHasFocus ? 1 : 0);
    ShowLook(look);
}

bool LComboSlider::IsDropDownOpen()
{
    return mDropDownPanel && mDropDownPanel->GetLayout()->mIsVisible && mDropDownPanel->GetRect().width > 0 &&
           mDropDownPanel->GetRect().height > 0;
}

KVRESULT LComboSlider::SetDropDownOpen(bool open)
{
    if (!mDropDownPanel)
        return E_FAIL;
    RCPtr<LComboSlider> self(this);
    if (open)
    {
        // From where the skin puts the panel, moved left as far as it must to end inside
        // the top control, but never past its left edge.
        const RCPtr<LControlDescriptor>& descriptor = mDropDownPanel->GetDescriptor();
        const double skinX = descriptor && descriptor->mLayout ? descriptor->mLayout->mXPosition.mAbs
                                                               : mDropDownPanel->GetLayout()->mXPosition.mAbs;
        const RCPtr<LControl> top = GetTopControl();
        PointT<double> point = top->MapPointFromControl(*this, {skinX, 0});
        const double width = mDropDownPanel->GetRect().width;
        double x = skinX;
        if (point.x + width > top->GetRect().width)
        {
            point.x = std::max(top->GetRect().width - width, 0.0);
            x = MapPointFromControl(*top, point).x;
        }
        LayoutAxisSpec spec = mDropDownPanel->GetLayout()->GetAxisSpec(0);
        if (x != spec.mPosition.mAbs)
        {
            spec.mPosition.mAbs = x;
            mDropDownPanel->SetLayoutAxis(0, spec);
        }
    }
    mDropDownPanel->SetVisible(open);
    return S_OK;
}

} // namespace KV
