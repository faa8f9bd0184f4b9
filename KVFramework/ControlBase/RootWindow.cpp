#include "ControlBase/RootWindow.h"

#include "Application/FrameworkApp.h"
#include "Application/WindowOSServices.h"
#include "ControlBase/StringTable.h"
#include "Controls/Dialog.h"

#include <utility>

namespace KV {

RCPtr<LRootWindow> LRootWindow::CreateInstance(IWindowOSServices* osServices,
                                               const RCPtr<LRenderer>& renderer)
{
    RCPtr<LRootWindow> window(new LRootWindow(osServices, renderer));
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
    mSavedFocusControl.Reset();
    mHoverControl.Reset();
    mCaptureControl.Reset();
    // The same control again leaves its tree and comes back in; it stays as visible as
    // it was.
    const bool reattached = control && control == mRootControl;
    const bool wasVisible = reattached && control->GetLayout()->mIsVisible;
    if (RCPtr<LControl> old = std::exchange(mRootControl, nullptr))
    {
        // The old root control's back reference goes with it; it stops counting first,
        // so that dropping it is not taken for the release of the last outside reference.
        if (std::exchange(mRootControlHoldsWindow, false))
            AdjustInternalRefCount(-1);
        old->RemoveFromTree();
        mHotKeyManager->GetKeyCodeTable().Clear();
    }
    if (!control)
        return S_OK;

    mRootControl = control;
    if (wasVisible)
        control->GetLayout()->mIsVisible = true;
    if (control->GetStringTable())
        mHotKeyManager->GetKeyCodeTable().LoadFromStringTable(control->GetStringTable(), u"GHK");
    // A control the factory made for this window holds it already: that reference is the
    // same back reference and counts as internal too, or the pair would keep each other.
    const bool holdsThisWindow = !control->GetParent() && control->GetRootWindow().Get() == this;
    if (holdsThisWindow ||
        (!control->GetRootWindow() && control->SetRootWindow(RCPtr<LRootWindow>(this)) == S_OK))
    {
        AdjustInternalRefCount(1);
        mRootControlHoldsWindow = true;
    }
    // The root control fills the client area.
    LLayoutDescriptor& layout = *control->GetLayout();
    for (LayoutPositionSpec* position : {&layout.mXPosition, &layout.mYPosition})
    {
        position->mReference = PositionReference::Client;
        position->mPlacementAnchor = 0;
        position->mRel = 0;
        position->mAbs = 0;
    }
    for (LayoutSizeSpec* size : {&layout.mXSize, &layout.mYSize})
    {
        size->mReference = SizeReference::Client;
        size->mRel = 1.0f;
        size->mAbs = 0;
    }
    // Laid out when it was made against the screen, the control stood where its layout
    // placed the window; from now on it is the window's content, from the client origin.
    if (control->GetRootWindow().Get() == this)
        control->RecalcLayout();
    if (!mFocusControl && mOSServices)
    {
        if (mOSServices->HasFocus())
            control->SetFocus(true);
        else
            mOSServices->SetFocus();
    }
    const SizeT<int32_t> size = GetClientSize();
    InvalidateRect({0, 0, size.width, size.height});
    return S_OK;
}

// ---- pointer input ----

bool LRootWindow::TakesMouseInput()
{
    return mOSServices && mOSServices->IsActive();
}

RCPtr<LControl> LRootWindow::FindTarget(const PointT<int32_t>& point, PointT<int32_t>& local)
{
    if (RCPtr<LControl> capture = mCaptureControl)
    {
        const PointT<int32_t> origin = capture->GetRootPosition().ToLong();
        local = {point.x - origin.x, point.y - origin.y};
        return capture;
    }
    return FindControlAtPoint(point, local, true);
}

void LRootWindow::HideToolTip()
{
    if (RCPtr<LControl> owner = mToolTipOwner)
        owner->ShowToolTip(false);
}

void LRootWindow::OnMouseButton(int action, int button, uint32_t modifiers, const PointT<int32_t>& point)
{
    if (!TakesMouseInput())
        return;
    // Handlers may end the tree or the window's last outside reference.
    RCPtr<LRootWindow> self(this);
    if (point != GetCursorPosition())
        OnMouseMove(point, modifiers);
    HideToolTip();
    if (button != kMouseButtonLeft && button != kMouseButtonMiddle && button != kMouseButtonRight)
        return;
    PointT<int32_t> local;
    if (action == kRelease)
    {
        RCPtr<LControl> capture = mCaptureControl;
        if (!capture)
            return;
        FindTarget(point, local);
        const int doubleClick = (mDoubleClickButtons & button) ? 1 : 0;
        mDoubleClickButtons &= ~button;
        static_cast<UITarget*>(capture.Get())
            ->OnMouseUp(LMouseButtonParam::Create(button, local, modifiers, doubleClick, GetMouseButtons()));
        return;
    }
    RCPtr<LControl> target = FindTarget(point, local);
    if (!target)
        return;
    const bool doubleClick = action == kDoubleClick;
    if (doubleClick)
        mDoubleClickButtons |= button;
    else
        mDoubleClickButtons &= ~button;
    static_cast<UITarget*>(target.Get())
        ->OnMouseDown(
            LMouseButtonParam::Create(button, local, modifiers, doubleClick ? 1 : 0, GetMouseButtons()));
}

void LRootWindow::OnMouseMove(const PointT<int32_t>& point, uint32_t modifiers)
{
    if (!TakesMouseInput())
        return;
    RCPtr<LRootWindow> self(this);
    PointT<int32_t> local;
    // The hover control follows the pointer also while a control holds the capture.
    RCPtr<LControl> target = FindControlAtPoint(point, local, true);
    if (RCPtr<LControl> capture = mCaptureControl)
    {
        FindTarget(point, local);
        target = capture;
    }
    if (target)
        static_cast<UITarget*>(target.Get())->OnMouseMove(LPointWithModifiersParam::Create(local, modifiers));
}

void LRootWindow::OnMouseWheel(const PointT<int32_t>& point, uint32_t modifiers, int direction)
{
    if (!TakesMouseInput())
        return;
    RCPtr<LRootWindow> self(this);
    HideToolTip();
    PointT<int32_t> local;
    RCPtr<LControl> target = FindTarget(point, local);
    if (!target)
        return;
    // The wheel step carries the window point: its routing may search the tree again.
    const RCPtr<LMouseWheelParam> param = LMouseWheelParam::Create(point, modifiers, direction);
    const bool horizontal = direction == kWheelHorizontalNegative || direction == kWheelHorizontalPositive;
    const auto deliver = [&](LControl& control) {
        UITarget& receiver = control;
        return horizontal ? receiver.OnMouseHWheel(param) : receiver.OnMouseWheel(param);
    };
    if (deliver(*target) == S_FALSE)
        if (RCPtr<LControl> focus = mFocusControl)
            deliver(*focus);
}

void LRootWindow::OnCaptureLost()
{
    if (RCPtr<LControl> capture = mCaptureControl)
        static_cast<UITarget*>(capture.Get())->OnCaptureLost();
}

RCPtr<LControl> LRootWindow::FindControlAtPoint(const PointT<int32_t>& point, PointT<int32_t>& local,
                                                bool updateHover)
{
    local = {0, 0};
    RCPtr<LControl> found;
    if (RCPtr<LControl> root = mRootControl)
    {
        const PointT<double> origin{root->GetRect().x, root->GetRect().y};
        const PointT<int32_t> relative = PointT<double>{point.x - origin.x, point.y - origin.y}.ToLong();
        int32_t bestRank = LControl::kNormalLayer;
        found = root->FindControlAtPoint(relative, true, local, bestRank);
    }
    if (updateHover)
        SetHoverControl(found);
    return found;
}

void LRootWindow::SetHoverControl(const RCPtr<LControl>& control)
{
    // While a control holds the capture, only it can be under the pointer.
    RCPtr<LControl> hover = control;
    if (mCaptureControl && hover != mCaptureControl)
        hover.Reset();
    if (hover == mHoverControl)
        return;
    RCPtr<LRootWindow> self(this);
    RCPtr<LControl> owner;
    if (hover && hover != mCaptureControl)
    {
        owner = hover->GetToolTipOwner();
        if (owner && owner->GetToolTipText().IsEmpty())
            owner.Reset();
    }
    if (owner != mToolTipOwner)
    {
        if (RCPtr<LControl> old = std::exchange(mToolTipOwner, owner))
            old->ShowToolTip(false);
        if (owner)
            owner->ShowToolTip(true);
    }
    if (RCPtr<LControl> old = std::exchange(mHoverControl, nullptr))
    {
        // A control that has left every tree gets no more events.
        if (old->GetParent() || old->GetRootWindow())
            static_cast<UITarget*>(old.Get())->OnMouseLeave();
    }
    mHoverControl = hover;
    if (hover)
        static_cast<UITarget*>(hover.Get())->OnMouseEnter();
}

KVRESULT LRootWindow::SetCaptureControl(const RCPtr<LControl>& control)
{
    if (!control)
        return E_INVALIDARG;
    if (RCPtr<LControl> old = mCaptureControl)
        if (old != control)
            static_cast<UITarget*>(old.Get())->OnCaptureLost();
    mCaptureControl = control;
    return S_OK;
}

KVRESULT LRootWindow::ReleaseCaptureControl()
{
    mCaptureControl.Reset();
    return S_OK;
}

int32_t LRootWindow::GetMouseButtons()
{
    if (!mOSServices)
        return 0;
    if (mOSServices->IsActive())
        return mOSServices->GetMouseButtons();
    LFrameworkApp* app = LFrameworkApp::GetInstance();
    return app ? app->GetMouseButtons() : 0;
}

PointT<int32_t> LRootWindow::GetCursorPosition()
{
    if (!mOSServices)
        return {0, 0};
    if (mOSServices->IsActive())
        return mOSServices->GetCursorPos();
    // An inactive window does not follow the pointer: the application's screen position.
    LFrameworkApp* app = LFrameworkApp::GetInstance();
    if (!app)
        return mOSServices->GetCursorPos();
    PointT<int32_t> point = app->GetMousePosition();
    mOSServices->ScreenToClient(point);
    return point;
}

CursorHandle LRootWindow::SetCursor(CursorHandle cursor)
{
    return mOSServices ? mOSServices->SetCursor(cursor) : 0;
}

// ---- keys and focus ----

uint32_t GetModifierState()
{
    LFrameworkApp* app = LFrameworkApp::GetInstance();
    if (!app)
        return 0;
    constexpr std::pair<uint32_t, uint32_t> kModifierKeys[] = {
        {0x11, kModifierCtrl}, // the virtual keys of Ctrl, Shift and Alt
        {0x10, kModifierShift},
        {0x12, kModifierAlt},
    };
    uint32_t modifiers = 0;
    for (const auto& [virtualKey, modifier] : kModifierKeys)
    {
        bool down = false;
        bool toggled = false;
        app->GetKeyState(virtualKey, down, toggled);
        if (down)
            modifiers |= modifier;
    }
    return modifiers;
}

void LRootWindow::OnKey(const RCPtr<LKeyParam>& param)
{
    RCPtr<LRootWindow> self(this);
    HideToolTip();
    if (RCPtr<LControl> focus = mFocusControl)
        static_cast<UITarget*>(focus.Get())->OnKey(param);
}

void LRootWindow::ClearFocusControl()
{
    mSavedFocusControl = std::exchange(mFocusControl, nullptr);
}

void LRootWindow::OnFocusLost()
{
    RCPtr<LRootWindow> self(this);
    SetHoverControl(nullptr);
    if (RCPtr<LControl> root = mRootControl)
    {
        // Without a focus control one is chosen first, so that there is one to come back
        // to. An existing one is kept: giving the root control the focus again would
        // move it to the first control of the focused one's container.
        if (!mFocusControl)
            root->SetFocus(true);
        static_cast<UITarget*>(root.Get())->ReleaseFocus();
    }
}

void LRootWindow::OnActivate()
{
    RCPtr<LRootWindow> self(this);
    RCPtr<LControl> saved = mSavedFocusControl;
    if (!mFocusControl && saved && saved->GetRootWindow().Get() == this)
        saved->SetFocus(true);
    else if (RCPtr<LControl> root = mRootControl)
        root->SetFocus(true);
}

void LRootWindow::NavigateWindows(const RCPtr<LKeyParam>& param)
{
    if (!param || !mOSServices || !mOSServices->IsActive() || mOSServices->IsModal())
        return;
    RCPtr<LRootWindow> self(this);
    const bool backward = (param->mKeyCode.mCode & KeyCode::kShift) != 0;
    LFrameworkApp* app = LFrameworkApp::GetInstance();
    const int32_t count = app ? static_cast<int32_t>(app->GetRootWindows().GetCount()) : 0;
    const int32_t index = app ? app->GetRootWindowIndex(this) : -1;
    if (count < 2 || index < 0)
    {
        // The only window: round again from its first (last) focusable control. The focus
        // leaves its holder on the way, which may refuse, as a text box with a text it
        // does not accept does.
        const RCPtr<LControl> holder = GetFocusControl();
        if (holder && !static_cast<UITarget*>(holder.Get())->CanReleaseFocus())
            return;
        if (RCPtr<LControl> root = mRootControl)
        {
            static_cast<UITarget*>(root.Get())->ReleaseFocus();
            root->SetFocus(!backward);
        }
        return;
    }
    const int32_t next = ((backward ? index - 1 : index + 1) % count + count) % count;
    const RCPtr<LRootWindow> window = *app->GetRootWindows().GetAtConst(static_cast<uint32_t>(next));
    if (window && window->mOSServices && !window->mOSServices->IsActive())
        window->mOSServices->SetFocus();
}

KVRESULT LRootWindow::EnableTextInput(bool enable, LControl* control, int32_t value)
{
    if (!mOSServices)
        return E_FAIL;
    if (enable && !(control && control->HasFocus()))
        return S_FALSE;
    return mOSServices->EnableTextInput(enable, value);
}

// ---- closing and idle ----

void LRootWindow::OnCloseCommand()
{
    // A dialog decides itself whether it may close: its listeners can keep it open.
    if (RCPtr<LDialog> dialog = RCPtr<LDialog>::DynamicCastFrom(mRootControl))
    {
        dialog->EndDialog(LDialog::kClosedByWindow);
        return;
    }
    if (mOSServices)
    {
        mCloseCode = 0;
        mCloseRequested = true;
    }
}

KVRESULT LRootWindow::RequestClose(int32_t code)
{
    if (!mOSServices)
        return E_FAIL;
    mCloseCode = code;
    mCloseRequested = true;
    return S_OK;
}

bool LRootWindow::ProcessIdle(bool sendIdle)
{
    RCPtr<LRootWindow> self(this);
    const bool remaining = ProcessNotifications(sendIdle);
    // The window ends between two idle passes, never inside an input handler.
    if (mCloseRequested && mOSServices)
    {
        mCloseRequested = false;
        mOSServices->EndModal(mCloseCode);
    }
    return remaining;
}

KVRESULT LRootWindow::ReleaseInternalReferences()
{
    DetachAllClients();
    mOSServices = nullptr;
    SetRootControl(nullptr);
    mToolTipOwner.Reset();
    Shutdown();
    if (std::exchange(mDispatchesItself, false))
        AdjustInternalRefCount(-1);
    return LRefCountedObject::ReleaseInternalReferences();
}

} // namespace KV
