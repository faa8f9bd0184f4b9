#include "Controls/StatusBar.h"

#include "Application/FrameworkApp.h"
#include "ControlBase/RootWindow.h"
#include "Notification/Notification.h"
#include "Storage/WrapperStringable.h"

#include <utility>

namespace KV {

namespace {

constexpr const char16_t* kSetStatusText = u"NID_SET_STATUS_TEXT";

} // namespace

LStatusBar::LStatusBar(const RCPtr<LControl>& parent, const String& name) : LControl(parent, name) {}

LStatusBar::~LStatusBar()
{
    StopBeingCurrent();
}

KVRESULT LStatusBar::Initialize()
{
    const KVRESULT base = LControl::Initialize();
    mOwnHandler = LNotificationHandler<LStatusBar>::Create(this);
    // Of the texts posted between two ticks only the last one is delivered.
    KV_THROW_IF_FAILED(mOwnHandler->AddHandlerFor(&LStatusBar::OnSetStatusText,
                                                  RCPtr<LNotificationDistributor>(this), kSetStatusText,
                                                  kNotificationFlagKeepLatest));
    // The queue's reference to its dispatcher is a reference to the status bar itself.
    if (!mDispatchesItself && SetDispatcher(RCPtr<LNotificationDistributor>(this)) == S_OK)
    {
        AdjustInternalRefCount(1);
        mDispatchesItself = true;
    }
    BeginIdleProcessing();
    mLabel = FindSubControl<LLabel>(*this, u"label1");
    LFrameworkApp::SetCurrentStatusBar(this);
    return base;
}

KVRESULT LStatusBar::ApplyAttributes()
{
    // Marked before the attributes are read too: a control that may take the focus takes
    // it at once when its parent has it, and the window would keep it as the control to
    // give the focus back to.
    SetNotFocusable(true);
    const KVRESULT base = LControl::ApplyAttributes();
    SetNotFocusable(true);
    return base;
}

KVRESULT LStatusBar::Receive(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification)
{
    return ReceiveThroughOwnTable<LControl>(*this, mOwnHandler, sender, notification);
}

KVRESULT LStatusBar::Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id)
{
    return DetachFromOwnTable<LControl>(*this, mOwnHandler, distributor, id);
}

void LStatusBar::OnIdle()
{
    ProcessNotifications(false);
}

KVRESULT LStatusBar::OnSetStatusText(const RCPtr<LNotificationDistributor>&,
                                     const RCPtr<LNotification>& notification)
{
    if (mLabel && notification && notification->GetData())
        mLabel->SetText(notification->GetData()->ToString());
    return S_FALSE;
}

KVRESULT LStatusBar::PostStatusText(const String& text)
{
    return PostNotification(LNotification::Create(kSetStatusText, LWrapperStringable<>::Create(text)));
}

KVRESULT LStatusBar::SetStatusTextNow(const String& text)
{
    RCPtr<LStatusBar> self(this);
    ProcessNotifications(false);
    if (!mLabel)
        return E_FAIL;
    mLabel->SetText(text);
    if (RCPtr<LRootWindow> window = GetRootWindow())
        window->Redraw();
    return S_OK;
}

String LStatusBar::GetLabelText()
{
    String text;
    if (mLabel && mLabel->GetStringTable())
        mLabel->GetStringTable()->GetString(u"LABEL", text);
    return text;
}

KVRESULT LStatusBar::SetStatusText(const String& text, bool atOnce)
{
    return atOnce ? SetStatusTextNow(text) : PostStatusText(text);
}

KVRESULT LStatusBar::RestoreStatusText(bool atOnce)
{
    return SetStatusText(GetLabelText(), atOnce);
}

void LStatusBar::StopBeingCurrent() noexcept
{
    LFrameworkApp::ClearCurrentStatusBar(this);
}

KVRESULT LStatusBar::ReleaseInternalReferences()
{
    StopBeingCurrent();
    Shutdown();
    if (std::exchange(mDispatchesItself, false))
        AdjustInternalRefCount(-1);
    return LControl::ReleaseInternalReferences();
}

} // namespace KV
