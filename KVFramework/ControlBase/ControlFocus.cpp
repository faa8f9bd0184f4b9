// Keyboard focus of a control: what can take it, how it is taken and given up along the
// path from the top control down to the focused one, and the tab order.

#include "ControlBase/Control.h"
#include "ControlBase/RootWindow.h"

namespace KV {

bool LControl::NotFocusableInChain()
{
    // A control that holds the focus for its children (a menu) shields them from the
    // marks of its ancestors.
    for (LControl* control = this; control; control = control->mParent.Get())
    {
        if (control->mNotFocusable)
            return true;
        if (control->mHoldsFocusForChildren)
            break;
    }
    return false;
}

bool LControl::HasFocusableChild()
{
    if (!AcceptsInput() || mNotFocusable)
        return false;
    for (int32_t index = static_cast<int32_t>(mChildren.GetCount()) - 1; index >= 0; --index)
    {
        const RCPtr<LControl> child = mChildren.GetAt(static_cast<uint32_t>(index), kInsertionOrder);
        if (child->HasFocusableChild() || child->IsFocusable())
            return true;
    }
    return false;
}

bool LControl::IsFocusable()
{
    // A container with focusable children passes the focus on instead of taking it.
    return AcceptsInput() && !mNotFocusable && !HasFocusableChild() &&
           !(mParent && !mHoldsFocusForChildren && NotFocusableInChain());
}

RCPtr<LControl> LControl::FocusableChildAtEnd(bool first)
{
    const int32_t count = static_cast<int32_t>(mChildren.GetCount());
    for (int32_t step = 0; step < count; ++step)
    {
        const RCPtr<LControl> child =
            mChildren.GetAt(static_cast<uint32_t>(first ? step : count - 1 - step), kTabOrder);
        if (child->IsFocusable() || child->HasFocusableChild())
            return child;
    }
    return nullptr;
}

RCPtr<LControl> LControl::FocusedChild()
{
    for (int32_t index = static_cast<int32_t>(mChildren.GetCount()) - 1; index >= 0; --index)
    {
        const RCPtr<LControl> child = mChildren.GetAt(static_cast<uint32_t>(index), kInsertionOrder);
        if (child->mHasFocus || child->mContainsFocus)
            return child;
    }
    return nullptr;
}

KVRESULT LControl::SetFocus(bool forward)
{
    RCPtr<LControl> self(this);
    RCPtr<LRootWindow> window = GetRootWindow();
    if (!mHasFocus && window)
    {
        const RCPtr<LControl> holder = window->GetFocusControl();
        if (holder && !static_cast<UITarget*>(holder.Get())->CanReleaseFocus())
            return E_FAIL;
    }
    const bool focusable = IsFocusable();
    if (mHasFocus && focusable)
        return S_OK;

    const bool hasFocusableChild = HasFocusableChild();
    if (hasFocusableChild)
    {
        if (mContainsFocus)
        {
            const RCPtr<LControl> focused = FocusedChild();
            if (!focused)
                return E_FAIL;
            if (focusable || focused->HasFocusableChild())
                return focused->SetFocus(forward);
        }
        const RCPtr<LControl> target = FocusableChildAtEnd(forward);
        return target ? target->SetFocus(forward) : E_FAIL;
    }

    if (focusable)
    {
        KVRESULT result = S_OK;
        if (!mContainsFocus)
        {
            mHasFocus = true;
            if (mParent)
                result = RCPtr<LControl>(mParent)->TakeFocusPath(*this) ? S_FALSE : S_OK;
        }
        else
        {
            // A descendant had the focus; it comes back up here.
            mHasFocus = true;
            mContainsFocus = false;
            const RCPtr<LControl> focused = FocusedChild();
            if (!focused)
                result = E_FAIL;
            else
                result = static_cast<UITarget*>(focused.Get())->ReleaseFocus() ? S_FALSE : S_OK;
        }
        if (window)
            window->SetFocusControl(self);
        UpdateConditions();
        return result;
    }

    // Nothing here can take the focus: the top control finds another place for it.
    const RCPtr<LControl> top = GetTopControl();
    if (mHasFocus || top.Get() == this)
        return E_FAIL;
    if (!top->mHasFocus && !top->mContainsFocus)
        return S_FALSE;
    return top->SetFocus(true);
}

bool LControl::TakeFocusPath(LControl& child)
{
    RCPtr<LControl> self(this);
    if (!mContainsFocus)
    {
        mContainsFocus = true;
        if (mHasFocus)
            mHasFocus = false;
        else if (mParent)
            RCPtr<LControl>(mParent)->TakeFocusPath(*this);
        UpdateConditions();
        return true;
    }
    // The focus was elsewhere below this control: that branch lets it go.
    for (int32_t index = static_cast<int32_t>(mChildren.GetCount()) - 1; index >= 0; --index)
    {
        const RCPtr<LControl> other = mChildren.GetAt(static_cast<uint32_t>(index), kInsertionOrder);
        if (other.Get() != &child && (other->mHasFocus || other->mContainsFocus))
        {
            static_cast<UITarget*>(other.Get())->ReleaseFocus();
            return true;
        }
    }
    return false;
}

bool LControl::ReleaseFocus()
{
    RCPtr<LControl> self(this);
    if (mHasFocus)
    {
        mHasFocus = false;
        UpdateConditions();
        if (RCPtr<LRootWindow> window = GetRootWindow())
            window->ClearFocusControl();
        return true;
    }
    mContainsFocus = false;
    const RCPtr<LControl> focused = FocusedChild();
    if (focused)
        static_cast<UITarget*>(focused.Get())->ReleaseFocus();
    UpdateConditions();
    return focused != nullptr;
}

KVRESULT LControl::RequestFocus()
{
    RCPtr<LControl> self(this);
    if (!NotFocusableInChain())
        SetFocus(true);
    else if (mParent)
        RCPtr<LControl>(mParent)->RequestFocus();
    return S_OK;
}

void LControl::SetNotFocusable(bool notFocusable)
{
    LLayoutDescriptor& layout = *GetLayout();
    if (mNotFocusable == notFocusable && (layout.mTabStop < 0) == notFocusable)
        return;
    mNotFocusable = notFocusable;
    // The sign of the tab stop says the same, so that the tab order puts the control
    // among the ones that cannot take the focus.
    if (notFocusable && layout.mTabStop >= 0)
        layout.mTabStop = layout.mTabStop == 0 ? -1 : -layout.mTabStop;
    else if (!notFocusable && layout.mTabStop < 0)
        layout.mTabStop = -layout.mTabStop;
    if (mParent)
        mParent->mChildren.MarkChanged();
    if (!notFocusable && (IsFocusable() || HasFocusableChild()) && mParent && mParent->mHasFocus)
        SetFocus(true);
    else if (notFocusable && mHasFocus && mParent)
        RCPtr<LControl>(mParent)->SetFocus(true);
}

RCPtr<LControl> LControl::GetNextTabStop(const RCPtr<LControl>& child, bool backward)
{
    if (!child || child->mParent.Get() != this)
        return nullptr;
    const int32_t count = static_cast<int32_t>(mChildren.GetCount());
    const int32_t start = FindChildIndex(child, kTabOrder);
    if (count == 1)
        return child->AcceptsInput() ? child : nullptr;
    for (int32_t step = 1; step < count; ++step)
    {
        const int32_t index = ((backward ? start - step : start + step) % count + count) % count;
        const RCPtr<LControl> next = mChildren.GetAt(static_cast<uint32_t>(index), kTabOrder);
        if (next->AcceptsInput())
            return next;
    }
    return nullptr;
}

} // namespace KV
