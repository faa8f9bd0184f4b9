#include "Controls/ListBoxItem.h"

#include "Controls/LabelBehaviour.h"

#include <cmath>

namespace KV {

LListBoxItem::LListBoxItem(const RCPtr<LControl>& parent, const String& name) : LControl(parent, name) {}

LListBoxItem::~LListBoxItem() = default;

KVRESULT LListBoxItem::PostInitialize()
{
    return MarkLabelNotFocusable(*this);
}

String LListBoxItem::GetToolTipText()
{
    return LabelToolTipText(*this, LControl::GetToolTipText());
}

int32_t LListBoxItem::GetLookIndex()
{
    if (mSeparator)
        return kLookSeparator;
    const int column = (IsOn() ? 2 : 0) + (mHasSubMenu ? 1 : 0);
    if (!IsEnabled(true))
        return kLookDisabled[column];
    const bool hot = mHover || mHighlighted;
    if (mHasCapture && (mLeftPressed || mLeftDragging))
        // A press dragged off the row keeps the hover look until it is released.
        return hot ? kLookPressed[column] : kLookHover[column];
    if (hot && !mHasCapture)
        return kLookHover[column];
    return kLookNormal[column];
}

KVRESULT LListBoxItem::RefreshLook()
{
    ShowLook(GetLookIndex());
    InvalidateRect({0, 0, GetRect().width, GetRect().height}, GetLayout()->mClipToParent);
    return S_OK;
}

void LListBoxItem::OnValueChanged()
{
    RefreshLook();
}

void LListBoxItem::OnConditionsChanged(const RCPtr<LConditionsParam>&)
{
    RefreshLook();
}

void LListBoxItem::SetSeparator(bool separator)
{
    if (separator == mSeparator)
        return;
    mSeparator = separator;
    if (separator)
        SetText(String());
    RefreshLook();
}

void LListBoxItem::SetHasSubMenu(bool hasSubMenu)
{
    if (hasSubMenu == mHasSubMenu)
        return;
    mHasSubMenu = hasSubMenu;
    RefreshLook();
}

KVRESULT LListBoxItem::BeginMouseCapture(int button, int32_t x, int32_t y)
{
    const RCPtr<LControl> parent = GetParent();
    if (!mForwardCapture || !parent)
        return LControl::BeginMouseCapture(button, x, y);
    const PointT<int32_t> moved =
        parent->MapPointFromControl(*this, {static_cast<double>(x), static_cast<double>(y)}).ToLong();
    return static_cast<UITarget*>(parent.Get())->BeginMouseCapture(button, moved.x, moved.y);
}

} // namespace KV
