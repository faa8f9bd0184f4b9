#include "Controls/Panel.h"

#include "Application/FrameworkApp.h"
#include "Notification/Notification.h"
#include "Notification/NotificationParams.h"

#include <stdexcept>

namespace KV {

namespace {

RCPtr<LControl> LastVisited(const LKeyParam& param)
{
    const uint32_t count = param.mControls.GetCount();
    return count == 0 ? nullptr : *param.mControls.GetAtConst(count - 1);
}

} // namespace

LPanel::LPanel(const RCPtr<LControl>& parent, const String& name) : LScrollView(parent, name) {}

LPanel::~LPanel() = default;

KVRESULT LPanel::Initialize()
{
    const KVRESULT base = LScrollView::Initialize();
    if (KV_FAILED(base) || !GetParent())
        return base;
    try
    {
        mOwnHandler = LNotificationHandler<LPanel>::Create(this);
        KV_THROW_IF_FAILED(
            mOwnHandler->AddHandlerFor(&LPanel::OnSiblingKey, GetParent(), u"NID_SIBLING_KEY"));
    }
    catch (const std::runtime_error&)
    {
        return E_FAIL;
    }
    return S_OK;
}

KVRESULT LPanel::Receive(const RCPtr<LNotificationDistributor>& sender,
                         const RCPtr<LNotification>& notification)
{
    return ReceiveThroughOwnTable<LScrollView>(*this, mOwnHandler, sender, notification);
}

KVRESULT LPanel::Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id)
{
    return DetachFromOwnTable<LScrollView>(*this, mOwnHandler, distributor, id);
}

KVRESULT LPanel::OnSiblingKey(const RCPtr<LNotificationDistributor>&,
                              const RCPtr<LNotification>& notification)
{
    auto* offered = notification ? dynamic_cast<LSiblingKeyParam*>(notification->GetData().Get()) : nullptr;
    if (!offered)
        return S_FALSE;
    RCPtr<LPanel> self(this);
    const RCPtr<LKeyParam> inner = LKeyParam::Create(offered->mKeyCode, 1);
    offered->mResult = DispatchSiblingKey(inner);
    return S_FALSE;
}

RCPtr<LControl> LPanel::GetNextTabStop(const RCPtr<LControl>& child, bool backward)
{
    RCPtr<LControl> next = LControl::GetNextTabStop(child, backward);
    if (!next || !GetParent())
        return next;
    // Inside another control, running off an end leaves the panel instead of wrapping.
    const int32_t from = FindChildIndex(child, kTabOrder);
    const int32_t to = FindChildIndex(next, kTabOrder);
    const bool wrapped = backward ? to >= from : to <= from;
    return wrapped ? nullptr : next;
}

void LPanel::HandleNavigationKey(const RCPtr<LKeyParam>& param)
{
    if (!param)
        return;
    RCPtr<LPanel> self(this);
    const bool backward = (param->mKeyCode.mCode & KeyCode::kShift) != 0;
    if ((param->mKeyCode.mCode & KeyCode::kCtrl) == 0)
    {
        RCPtr<LControl> start = LastVisited(*param);
        RCPtr<LControl> candidate = GetNextTabStop(start, backward);
        for (uint32_t steps = 0; candidate && candidate != start && steps <= GetChildren().GetCount();
             ++steps)
        {
            if (candidate->IsFocusable() || candidate->HasFocusableChild())
            {
                candidate->SetFocus(!backward);
                return;
            }
            // A start that left the rotation (hidden, disabled) would never come round.
            if (!start->IsShown(true) || !start->IsEnabled(true))
                start = candidate;
            candidate = GetNextTabStop(candidate, backward);
        }
    }
    param->mControls.AddItem(RCPtr<LControl>(this));
    // The root panel hands the key to its window, as any root control does: with no other
    // control to go to, the focus comes round again (and a text box checks its text).
    PassNavigationUp(param);
}

KVRESULT LPanel::ProcessHotKeys(const RCPtr<LKeyParam>& param)
{
    if (!param)
        return E_INVALIDARG;
    RCPtr<LPanel> self(this);
    const KVRESULT taken = DispatchSiblingKey(param);
    if (taken != S_FALSE)
        return taken;
    if (GetParent())
    {
        param->mControls.AddItem(RCPtr<LControl>(this));
        return RCPtr<LControl>(GetParent())->ProcessHotKeys(param);
    }
    // The top panel hands the key to the application; the window's own hot keys are not
    // asked on this way.
    LFrameworkApp* app = LFrameworkApp::GetInstance();
    if (!app || !app->GetHotKeyManager())
        return S_FALSE;
    return app->GetHotKeyManager()->HandleKey(param->mKeyCode);
}

} // namespace KV
