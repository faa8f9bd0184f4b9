#include "ControlBase/Control.h"

#include "Application/WindowOSServices.h"
#include "ControlBase/ControlDescriptor.h"
#include "ControlBase/ControlFactory.h"
#include "ControlBase/MenuItemUpdater.h"
#include "ControlBase/RootWindow.h"
#include "ControlBase/StringTable.h"
#include "Controls/MenuDescriptor.h"
#include "Notification/Notification.h"
#include "Notification/NotificationId.h"
#include "ObjectBase/Exception.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>
#include <utility>

namespace KV {

namespace {

const NotificationId kIdleId = InternNotificationId(u"NID_IDLE");
const NotificationId kSiblingKeyId = InternNotificationId(u"NID_SIBLING_KEY");

// The count a control brings to every ancestor: its unclipped descendants, and itself
// when it is not clipped to its parent.
int32_t UnclippedWeight(LControl& control)
{
    return control.GetUnclippedCount() + (control.GetLayout()->mClipToParent ? 0 : 1);
}

int DockedAxes(const LLayoutDescriptor& layout)
{
    return (layout.mXIsDocked ? 1 : 0) + (layout.mYIsDocked ? 1 : 0);
}

} // namespace

LControl::LControl(const RCPtr<LControl>& parent, const String& name, const RCPtr<LStringTable>& stringTable)
    : mConditionsParam(LConditionsParam::Create(0, 0, {})), mName(name), mStringTable(stringTable)
{
    if (parent)
        SetParent(parent);
    if (!mStringTable)
        if (RCPtr<LControlFactory> factory = GetApplicationFactory())
            mStringTable = factory->GetStringTable(parent ? parent->GetDescriptor().Get() : nullptr, name);
}

LControl::~LControl() = default;

// ---- the child list ----

KVRESULT LControl::ChildControlList::Add(const RCPtr<LControl>& child)
{
    if (!child)
        return E_INVALIDARG;
    if (IndexOfName(child->GetName()) >= 0)
        return E_FAIL;
    mOwner->AddUnclippedAlongAncestry(UnclippedWeight(*child));
    child->mParent = RCPtr<LControl>(mOwner);
    // The child's reference to its owner is internal: it must not keep the owner alive.
    mOwner->AdjustInternalRefCount(1);
    mControls.push_back(child);
    ++mChangeCount;
    return S_OK;
}

int32_t LControl::ChildControlList::Remove(const RCPtr<LControl>& child)
{
    const int32_t index = IndexOf(child.Get());
    if (index < 0)
        return -1;
    RCPtr<LControl> held = child;
    mOwner->AddUnclippedAlongAncestry(-UnclippedWeight(*held));
    mOwner->AdjustInternalRefCount(-1);
    // Keeps the owner alive through the notification below, whatever the child's
    // reference was.
    RCPtr<LControl> owner = std::exchange(held->mParent, nullptr);
    mControls.erase(mControls.begin() + index);
    ++mChangeCount;
    mOwner->OnChildRemoved(held, index);
    return index;
}

bool LControl::ChildControlList::RemoveAll()
{
    const bool wasEmpty = mControls.empty();
    while (!mControls.empty())
        Remove(RCPtr<LControl>(mControls.back()));
    return wasEmpty;
}

int32_t LControl::ChildControlList::IndexOf(const LControl* child) const noexcept
{
    for (int32_t index = static_cast<int32_t>(mControls.size()) - 1; index >= 0; --index)
        if (mControls[index].Get() == child)
            return index;
    return -1;
}

int32_t LControl::ChildControlList::IndexOfName(const String& name) const noexcept
{
    for (int32_t index = static_cast<int32_t>(mControls.size()) - 1; index >= 0; --index)
        if (mControls[index]->GetName() == name)
            return index;
    return -1;
}

[[noreturn]] void LControl::ChildControlList::ThrowOutOfRange(const SourceLocation& where)
{
    // No detail: the method and the line tell which check failed.
    ThrowException<std::runtime_error>("", where, false, "KV::LControl::ChildControlList::GetAt");
}

const RCPtr<LControl>& LControl::ChildControlList::GetAt(uint32_t index, int order)
{
    if (index >= mControls.size())
        ThrowOutOfRange(KV_HERE);
    switch (order)
    {
    case kInsertionOrder:
        return mControls[index];
    case kDrawOrder:
        SortIfChanged();
        return mControls[mDrawOrder[index]];
    case kTabOrder:
        SortIfChanged();
        return mControls[mTabOrder[index]];
    default:
        ThrowOutOfRange(KV_HERE);
    }
}

void LControl::ChildControlList::SortIfChanged()
{
    if (mSortedAt == mChangeCount && mDrawOrder.size() == mControls.size())
        return;
    std::vector<const LLayoutDescriptor*> layouts;
    layouts.reserve(mControls.size());
    for (const RCPtr<LControl>& child : mControls)
        layouts.push_back(child->GetLayout().Get());

    mDrawOrder.resize(mControls.size());
    std::iota(mDrawOrder.begin(), mDrawOrder.end(), 0);
    mTabOrder = mDrawOrder;
    // Clipped children first, then the less docked, then by Z order; the stable sort
    // keeps insertion order among equals.
    std::stable_sort(mDrawOrder.begin(), mDrawOrder.end(), [&](int32_t a, int32_t b) {
        const LLayoutDescriptor& la = *layouts[a];
        const LLayoutDescriptor& lb = *layouts[b];
        if (la.mClipToParent != lb.mClipToParent)
            return la.mClipToParent;
        if (DockedAxes(la) != DockedAxes(lb))
            return DockedAxes(la) < DockedAxes(lb);
        return la.mZOrder < lb.mZOrder;
    });
    std::stable_sort(mTabOrder.begin(), mTabOrder.end(),
                     [&](int32_t a, int32_t b) { return layouts[a]->mTabStop < layouts[b]->mTabStop; });
    mSortedAt = mChangeCount;
}

KVRESULT LControl::ChildControlList::Rename(const RCPtr<LControl>& child, const String& newName)
{
    if (!child)
        return E_INVALIDARG;
    if (child->mName == newName)
        return S_FALSE;
    if (IndexOfName(newName) >= 0)
        return E_FAIL;
    const int32_t index = IndexOf(child.Get());
    if (index < 0)
        return E_INVALIDARG;
    const String oldName = std::exchange(child->mName, newName);
    // Later siblings lay themselves out relative to earlier ones by name.
    for (size_t later = static_cast<size_t>(index) + 1; later < mControls.size(); ++later)
    {
        LLayoutDescriptor& layout = *mControls[later]->GetLayout();
        for (String* name :
             {&layout.mXPosition.mControlName, &layout.mYPosition.mControlName, &layout.mXSize.mControlName,
              &layout.mYSize.mControlName, &layout.mXMinSize.mControlName, &layout.mYMinSize.mControlName,
              &layout.mXMaxSize.mControlName, &layout.mYMaxSize.mControlName})
            if (*name == oldName)
                *name = newName;
    }
    return S_OK;
}

// ---- the tree ----

RCPtr<LControl> LControl::GetTopControl()
{
    LControl* top = this;
    while (top->mParent)
        top = top->mParent.Get();
    return RCPtr<LControl>(top);
}

RCPtr<LRootWindow> LControl::GetRootWindow()
{
    return GetTopControl()->mRootWindow;
}

KVRESULT LControl::SetRootWindow(const RCPtr<LRootWindow>& rootWindow)
{
    if (mParent)
        return E_FAIL;
    mRootWindow = rootWindow;
    if (rootWindow)
    {
        if (IWindowOSServices* window = rootWindow->GetOSServices())
            window->SetWindowText(mText);
        ProcessRootWindowAquired();
    }
    return S_OK;
}

RCPtr<LControl> LControl::FindChild(const String& name)
{
    const int32_t index = mChildren.IndexOfName(name);
    return index < 0 ? nullptr : mChildren.GetAt(static_cast<uint32_t>(index), kInsertionOrder);
}

int32_t LControl::FindChildIndex(const RCPtr<LControl>& child, int order)
{
    for (int32_t index = static_cast<int32_t>(mChildren.GetCount()) - 1; index >= 0; --index)
        if (mChildren.GetAt(static_cast<uint32_t>(index), order) == child)
            return index;
    return -1;
}

KVRESULT LControl::SetParent(const RCPtr<LControl>& newParent)
{
    if (newParent == mParent)
        return S_FALSE;
    // Refused before leaving the old parent, so that a clash never leaves an orphan.
    if (newParent && newParent->mChildren.IndexOfName(mName) >= 0)
        return E_FAIL;
    if (mParent)
    {
        // The old parent's list may hold the last reference.
        RCPtr<LControl> self(this);
        InvalidateWhole();
        mParent->mChildren.Remove(self);
        if (newParent)
        {
            newParent->ProcessPendingRemovals();
            return newParent->mChildren.Add(self);
        }
        return S_OK;
    }
    mRootWindow.Reset();
    if (newParent)
    {
        newParent->ProcessPendingRemovals();
        // Not through a counted pointer to ourselves: the constructor calls this before
        // anyone holds the control.
        AddRef();
        RCPtr<LControl> self(this);
        Release();
        return newParent->mChildren.Add(self);
    }
    return S_OK;
}

KVRESULT LControl::Rename(const String& newName)
{
    if (!mParent)
    {
        if (mName == newName)
            return S_FALSE;
        mName = newName;
        return S_OK;
    }
    return mParent->mChildren.Rename(RCPtr<LControl>(this), newName);
}

KVRESULT LControl::AdoptChild(const RCPtr<LControl>& child, const RCPtr<LControlDescriptor>& descriptor)
{
    if (!child || !descriptor)
        return E_FAIL;
    const KVRESULT result = child->SetParent(RCPtr<LControl>(this));
    if (KV_SUCCEEDED(result))
        child->ApplyDescriptor(descriptor);
    return result;
}

KVRESULT LControl::RemoveChild(const RCPtr<LControl>& child)
{
    if (!child || child->mParent.Get() != this)
        return E_INVALIDARG;
    if (child->mHasCapture)
        child->OnCaptureLost();
    child->SetVisible(false);
    mPendingRemovals.push_back(child);
    if (mPendingRemovals.size() == 1)
        BeginIdleProcessing();
    return S_OK;
}

KVRESULT LControl::ProcessPendingRemovals()
{
    const size_t count = mPendingRemovals.size();
    for (size_t done = 0; done < count && !mPendingRemovals.empty(); ++done)
    {
        RCPtr<LControl> pending = mPendingRemovals.front();
        mPendingRemovals.erase(mPendingRemovals.begin());
        if (pending->mParent.Get() == this)
            pending->RemoveFromTree();
    }
    if (count > 0 && mPendingRemovals.empty())
        EndIdleProcessing();
    return S_OK;
}

KVRESULT LControl::RemoveFromTree()
{
    RCPtr<LControl> self(this);
    SetVisible(false);
    SetClipToParent(true);
    if (mHasCapture)
        OnCaptureLost();
    while (mIdleCount > 0)
        EndIdleProcessing();
    ClearFocusWithin();
    if (mParent)
        return SetParent(nullptr);
    return SetRootWindow(nullptr);
}

void LControl::ClearFocusWithin()
{
    if (mHasFocus || mContainsFocus)
    {
        // Nothing else took the focus when the control was hidden: the path that led
        // into the leaving subtree is given up.
        static_cast<UITarget*>(this)->ReleaseFocus();
        for (LControl* ancestor = mParent.Get(); ancestor && ancestor->mContainsFocus;
             ancestor = ancestor->mParent.Get())
        {
            ancestor->mContainsFocus = false;
            ancestor->UpdateConditions();
        }
    }
    RCPtr<LRootWindow> window = GetRootWindow();
    if (!window)
        return;
    const auto isWithin = [this](LControl* control) {
        for (; control; control = control->mParent.Get())
            if (control == this)
                return true;
        return false;
    };
    // The focus must not stay on a control that is leaving the window.
    if (isWithin(window->GetFocusControl().Get()))
        window->SetFocusControl(mParent);
    // Nor must the window hold on to it as the control to come back to.
    if (isWithin(window->GetSavedFocusControl().Get()))
        window->ForgetSavedFocusControl();
}

void LControl::ProcessRootWindowAquired()
{
    if (mIdleCount > 0)
    {
        RCPtr<LRootWindow> window = GetRootWindow();
        if (!window || !RegisterNotification(window, u"NID_IDLE"))
            mIdleCount = 0;
    }
    for (int32_t index = static_cast<int32_t>(mChildren.GetCount()) - 1; index >= 0; --index)
        RCPtr<LControl>(mChildren.GetAt(static_cast<uint32_t>(index), kInsertionOrder))
            ->ProcessRootWindowAquired();
}

void LControl::OnChildRemoved(const RCPtr<LControl>&, int32_t) {}

// ---- layout state: visibility, enabling, clipping ----

const RCPtr<LLayoutDescriptor>& LControl::GetLayout()
{
    if (!mLayout)
        mLayout = LLayoutDescriptor::Create();
    return mLayout;
}

void LControl::AddUnclippedAlongAncestry(int32_t delta) noexcept
{
    if (delta == 0)
        return;
    for (LControl* control = this; control; control = control->mParent.Get())
        control->mUnclippedCount += delta;
}

bool LControl::SetClipToParent(bool clip)
{
    LLayoutDescriptor& layout = *GetLayout();
    if (layout.mClipToParent == clip)
        return clip;
    // What lay outside the parent must be painted over before the control is cut to it.
    if (clip)
        InvalidateWhole();
    layout.mClipToParent = clip;
    if (mParent)
    {
        mParent->AddUnclippedAlongAncestry(clip ? -1 : 1);
        mParent->mChildren.MarkChanged();
    }
    if (!clip)
        InvalidateWhole();
    return clip;
}

void LControl::InvalidateWhole()
{
    InvalidateRect(RectT<double>{0, 0, mRect.width, mRect.height}, GetLayout()->mClipToParent);
}

bool LControl::SetVisible(bool visible)
{
    LLayoutDescriptor& layout = *GetLayout();
    if (layout.mIsVisible != visible)
    {
        if (!visible)
            InvalidateWithUnclipped(); // while it still counts as visible
        layout.mIsVisible = visible;
        if (visible)
        {
            if ((IsFocusable() || HasFocusableChild()) && mParent && mParent->mHasFocus)
                SetFocus(true);
            InvalidateWithUnclipped();
        }
        else if ((mHasFocus || mContainsFocus) && mParent)
            mParent->SetFocus(true);
        UpdateConditions();
    }
    return IsShown(true);
}

void LControl::SetEnabled(bool enabled)
{
    LLayoutDescriptor& layout = *GetLayout();
    if (layout.mEnabled == enabled)
        return;
    layout.mEnabled = enabled;
    if (!enabled && (mHasFocus || mContainsFocus) && mParent)
        mParent->SetFocus(true);
    if (enabled && (IsFocusable() || HasFocusableChild()) && mParent && mParent->mHasFocus)
        SetFocus(true);
    UpdateConditions();
    InvalidateWithUnclipped();
}

bool LControl::IsShown(bool withAncestors)
{
    for (LControl* control = this; control; control = withAncestors ? control->mParent.Get() : nullptr)
        if (!control->GetLayout()->mIsVisible || control->mRect.width <= 0 || control->mRect.height <= 0)
            return false;
    return true;
}

bool LControl::IsEnabled(bool withAncestors)
{
    for (LControl* control = this; control; control = withAncestors ? control->mParent.Get() : nullptr)
        if (!control->GetLayout()->mEnabled)
            return false;
    return true;
}

// ---- idle processing ----

KVRESULT LControl::BeginIdleProcessing()
{
    if (mIdleCount++ > 0)
        return S_OK;
    if (RCPtr<LRootWindow> window = GetRootWindow(); window && !RegisterNotification(window, u"NID_IDLE"))
    {
        mIdleCount = 0;
        return E_FAIL;
    }
    return S_OK;
}

KVRESULT LControl::EndIdleProcessing()
{
    // An unmatched end must not drive the count below zero.
    if (mIdleCount <= 0)
        return S_OK;
    if (--mIdleCount == 0)
        if (RCPtr<LRootWindow> window = GetRootWindow())
            return UnregisterNotification(window, u"NID_IDLE") == S_OK ? S_OK : E_FAIL;
    return S_OK;
}

KVRESULT LControl::Receive(const RCPtr<LNotificationDistributor>& sender,
                           const RCPtr<LNotification>& notification)
{
    if (notification && notification->GetId() == kIdleId)
    {
        StepAutoScroll();
        ProcessPendingRemovals();
        OnIdle();
        return S_OK;
    }
    if (notification && notification->GetId() == kSiblingKeyId)
        return HandleSiblingKey(notification);
    // Handlers run only once the whole creation sequence is done.
    if (mHandler && mCreated)
        return mHandler->Dispatch(sender, notification);
    return LNotificationClient::Receive(sender, notification);
}

KVRESULT LControl::Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id)
{
    if (mHandler)
        mHandler->RemoveHandler(distributor.Get(), id);
    return LNotificationClient::Detach(distributor, id);
}

// ---- edit targets ----

bool LControl::IsEditTarget() const
{
    return false;
}

RCPtr<LControl> LControl::GetEditTarget()
{
    if (IsEditTarget())
        return RCPtr<LControl>(this);
    return mParent ? RCPtr<LControl>(mParent)->GetEditTarget() : nullptr;
}

bool LControl::CanPerformEdit(int)
{
    return false;
}

int LControl::PerformEdit(int)
{
    KV_THROW(std::logic_error, "LControl::PerformEdit must be overridden");
}

KVRESULT LControl::ReleaseInternalReferences()
{
    if (RCPtr<LMenuItemUpdater> updater = std::exchange(mMenuItemUpdater, nullptr))
    {
        // The updater's reference back to the control was counted as internal.
        AdjustInternalRefCount(-1);
        updater->DetachControl();
    }
    DetachAllClients();
    mPendingRemovals.clear();
    mChildren.RemoveAll();
    UnregisterAllNotifications();
    return LRefCountedObject::ReleaseInternalReferences();
}

} // namespace KV
