#include "ControlBase/RootWindow.h"

#include "ControlBase/StringTable.h"

#include <utility>

namespace KV {

RCPtr<LRootWindow> LRootWindow::CreateInstance(IWindowOSServices* osServices)
{
    RCPtr<LRootWindow> window(new LRootWindow(osServices));
    // The window dispatches its own queue; that reference is internal. A matched global
    // hot key is posted into the same queue.
    if (window->GetPostingReceiver() && window->SetDispatcher(window) == S_OK)
    {
        window->AdjustInternalRefCount(1);
        window->mDispatchesItself = true;
    }
    window->mHotKeyManager = LGlobalHotKeyManager::Create(window->GetPostingReceiver());
    return window;
}

KVRESULT LRootWindow::SetRootControl(const RCPtr<LControl>& control)
{
    mFocusControl.Reset();
    if (RCPtr<LControl> old = std::exchange(mRootControl, nullptr))
    {
        // The old root control's back reference goes with it; it stops counting first,
        // so that dropping it is not taken for the release of the last outside reference.
        if (std::exchange(mRootControlHoldsWindow, false))
        {
            AdjustInternalRefCount(-1);
            old->SetRootWindow(nullptr);
        }
        mHotKeyManager->GetKeyCodeTable().Clear();
    }
    if (!control)
        return S_OK;

    mRootControl = control;
    if (control->GetStringTable())
        mHotKeyManager->GetKeyCodeTable().LoadFromStringTable(control->GetStringTable(), u"GHK");
    if (!control->GetRootWindow() && control->SetRootWindow(RCPtr<LRootWindow>(this)) == S_OK)
    {
        AdjustInternalRefCount(1);
        mRootControlHoldsWindow = true;
    }
    return S_OK;
}

bool LRootWindow::ProcessIdle(bool sendIdle)
{
    return ProcessNotifications(sendIdle);
}

KVRESULT LRootWindow::ReleaseInternalReferences()
{
    DetachAllClients();
    mOSServices = nullptr;
    SetRootControl(nullptr);
    Shutdown();
    if (std::exchange(mDispatchesItself, false))
        AdjustInternalRefCount(-1);
    return LRefCountedObject::ReleaseInternalReferences();
}

} // namespace KV
