#include "Controls/ComboMenu.h"

#include <algorithm>
#include <cmath>

namespace KV {

LComboMenu::LComboMenu(const RCPtr<LControl>& parent, const String& name) : LDropDownControl(parent, name) {}

LComboMenu::~LComboMenu() = default;

KVRESULT LComboMenu::Initialize()
{
    if (KV_FAILED(LDropDownControl::Initialize()))
        return E_FAIL;
    mMenuHandler = LNotificationHandler<LComboMenu>::Create(this);
    mPopup = FindSubControl<LPopupMenu>(*this, u"popupMenu");
    if (mPopup && mMenuHandler)
    {
        const RCPtr<LNotificationDistributor> popup(mPopup);
        KV_THROW_IF_FAILED(mMenuHandler->AddHandlerFor(&LComboMenu::OnPopupVisibilityChange, popup,
                                                       u"NID_VISIBLITY_CONDITION_CHANGE"));
        KV_THROW_IF_FAILED(
            mMenuHandler->AddHandlerFor(&LComboMenu::OnPopupItemActivated, popup, u"NID_ITEM_ACTIVATED"));
        mPopup->SetAutoClose(false);
    }
    return S_OK;
}

KVRESULT LComboMenu::PostInitialize()
{
    LDropDownControl::PostInitialize();
    if (mPopup)
        mPopupOffsetX = mPopup->GetLayout()->mXPosition.mAbs;
    return S_OK;
}

bool LComboMenu::IsDropDownOpen()
{
    return mPopup && mPopup->GetLayout()->mIsVisible && mPopup->GetRect().width > 0 &&
           mPopup->GetRect().height > 0;
}

void LComboMenu::ShowStateLook()
{
    ShowLook(IsDropDownOpen() ? kLookOpen : IsHovered() ? kLookHover : kLookNormal);
}

KVRESULT LComboMenu::SetDropDownOpen(bool open)
{
    if (!mPopup)
        return S_OK;
    RCPtr<LControl> self(this);
    if (open)
    {
        // Inside the window: moved left to end at its right edge, never past its left edge.
        const RCPtr<LControl> top = GetTopControl();
        const double popupWidth = mPopup->GetRect().width;
        PointT<double> place{mPopupOffsetX, 0};
        const PointT<double> inTop = top->MapPointFromControl(*this, place);
        if (inTop.x + popupWidth > top->GetRect().width)
            place = MapPointFromControl(*top, {std::max(top->GetRect().width - popupWidth, 0.0), inTop.y});
        if (place.x != mPopup->GetLayout()->mXPosition.mAbs)
        {
            LayoutAxisSpec axis = mPopup->GetLayout()->GetAxisSpec(0);
            axis.mPosition.mAbs = place.x;
            mPopup->SetLayoutAxis(0, axis);
        }
    }
    mPopup->SetVisible(open);
    if (open)
        mPopup->SetFocus(true);
    ShowLook(open ? kLookOpen : IsHovered() ? kLookHover : kLookNormal);
    // A press that opened the menu can be dragged into it and released on an item.
    if (open && (GetConditions() & kConditionLeftPressed) != 0)
        static_cast<UITarget*>(mPopup.Get())
            ->BeginMouseCapture(kMouseButtonLeft, static_cast<int32_t>(RoundHalfAwayFromZero(mPressPoint.x)),
                                static_cast<int32_t>(RoundHalfAwayFromZero(mPressPoint.y)));
    return S_OK;
}

RCPtr<LComboMenu> LComboMenu::FindOpenSibling()
{
    const RCPtr<LControl>& parent = GetParent();
    if (!parent)
        return nullptr;
    LControl::ChildControlList& siblings = parent->GetChildren();
    for (int32_t index = static_cast<int32_t>(siblings.GetCount()) - 1; index >= 0; --index)
        if (const auto entry = RCPtr<LComboMenu>::DynamicCastFrom(
                siblings.GetAt(static_cast<uint32_t>(index), LControl::kInsertionOrder)))
            if (entry->IsDropDownOpen())
                return entry;
    return nullptr;
}

void LComboMenu::OnConditionsChanged(const RCPtr<LConditionsParam>& param)
{
    RCPtr<LControl> self(this);
    if (!param)
        return;
    const uint32_t before = param->mOldConditions;
    const uint32_t now = param->mNewConditions;
    if (IsEnabled(true))
    {
        ShowStateLook();
        // Along an open menu bar the menus follow the pointer.
        if (((before ^ now) & kConditionHover) != 0 && (now & kConditionHover) != 0)
        {
            const RCPtr<LComboMenu> open = FindOpenSibling();
            if (open && open.Get() != this)
            {
                open->mPopup->SetVisible(false);
                open->ShowStateLook();
                SetDropDownOpen(true);
            }
        }
    }
    else
        ShowLook(kLookDisabled);
    if ((now & kConditionLeftPressed) != 0 && (before & kConditionLeftPressed) == 0 && mPopup)
    {
        // The press, from the parent's coordinates into the popup's.
        const PointT<double> local{param->mPressPoint.x - GetRect().x, param->mPressPoint.y - GetRect().y};
        mPressPoint = mPopup->MapPointFromControl(*this, local);
    }
    LDropDownControl::OnConditionsChanged(param);
}

KVRESULT LComboMenu::OnPopupVisibilityChange(const RCPtr<LNotificationDistributor>&,
                                             const RCPtr<LNotification>&)
{
    ShowStateLook();
    return S_OK;
}

KVRESULT LComboMenu::OnPopupItemActivated(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
{
    // The popup tells twice (its own activation, then the list's); the second finds it hidden.
    mPopup->SetVisible(false);
    ShowLook(IsHovered() ? kLookHover : kLookNormal);
    return S_FALSE;
}

KVRESULT LComboMenu::Receive(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification)
{
    return ReceiveThroughOwnTable<LDropDownControl>(*this, mMenuHandler, sender, notification);
}

KVRESULT LComboMenu::Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id)
{
    return DetachFromOwnTable<LDropDownControl>(*this, mMenuHandler, distributor, id);
}

} // namespace KV
