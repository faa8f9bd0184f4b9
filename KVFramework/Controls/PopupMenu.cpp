#include "Controls/PopupMenu.h"

#include "Application/FrameworkApp.h"
#include "ControlBase/ControlFactory.h"
#include "ControlBase/RootWindow.h"
#include "Controls/MainMenu.h"
#include "Renderer/MeasurementRenderer.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace KV {

namespace {

constexpr uint32_t kKeyLeft = 0x20250000;
constexpr uint32_t kKeyRight = 0x20270000;
constexpr uint32_t kKeyEscape = 0x201B0000;
// The room between the check box and the text, and between the text and the hot key.
constexpr int32_t kTextGap = 20;

LFrameworkApp* App()
{
    return LFrameworkApp::GetInstance();
}

double MeasureWidth(const String& text, const RCPtr<LFont>& font)
{
    LFrameworkApp* app = App();
    const RCPtr<LMeasurementRenderer> measurer = app ? app->GetMeasurementRenderer() : nullptr;
    if (!measurer || !font || text.IsEmpty())
        return 0;
    return measurer->MeasureText(text, ConstRCPtr<LFont>(font)).width;
}

LayoutAxisSpec AxisOf(LControl& control, int axis)
{
    const LLayoutDescriptor& layout = *control.GetLayout();
    return axis == 0 ? LayoutAxisSpec{layout.mXPosition, layout.mXIsDocked, layout.mXSize}
                     : LayoutAxisSpec{layout.mYPosition, layout.mYIsDocked, layout.mYSize};
}

// Each leaf of the menu, submenus first descended.
void ForEachLeaf(LMenuDescriptor& menu, const std::function<void(LMenuItemDescriptor&)>& visit)
{
    for (uint32_t index = 0; index < menu.GetItemCount(); ++index)
    {
        const RCPtr<LMenuItemDescriptor> item = menu.GetItem(static_cast<int32_t>(index));
        if (item->IsSubmenu())
            ForEachLeaf(*item, visit);
        else if (!item->IsSeparator())
            visit(*item);
    }
}

} // namespace

// ---- LMenuListBoxItem ----

LMenuListBoxItem::LMenuListBoxItem(const RCPtr<LControl>& parent, const String& name)
    : LCheckedListBoxItem(parent, name)
{
}

LMenuListBoxItem::~LMenuListBoxItem() = default;

// ---- LPopupMenu ----

LPopupMenu::LPopupMenu(const RCPtr<LControl>& parent, const String& name) : LCheckedListBox(parent, name) {}

LPopupMenu::~LPopupMenu() = default;

KVRESULT LPopupMenu::Initialize()
{
    if (KV_FAILED(LCheckedListBox::Initialize()))
        return E_FAIL;
    mPopupHandler = LNotificationHandler<LPopupMenu>::Create(this);
    ApplySizeLimits();
    // Hidden until shown: a popup made while its parent has the focus must not take it.
    SetVisible(false);
    SetNotFocusable(false);
    SetHoldsFocusForChildren(true);
    SetDropDownMode(true);
    SetCheckBoxLooksExternal(true);
    // Rows made before the handler table existed hear their hover from now on.
    for (int32_t index = 0; index < GetItemControlCount(); ++index)
        if (const RCPtr<LListBoxItem> row = GetItemControl(index))
            if (!mPopupHandler->HasHandler(row.Get(), u"NID_HOVER_CONDITION_CHANGE"))
                KV_THROW_IF_FAILED(mPopupHandler->AddHandlerFor(&LPopupMenu::OnRowHoverChange,
                                                                RCPtr<LNotificationDistributor>(row),
                                                                u"NID_HOVER_CONDITION_CHANGE"));
    if (const RCPtr<LStringTable>& table = GetStringTable())
    {
        Array<LStringTable::Entry> entries;
        table->GetEntries(entries);
        if (entries.GetCount() > 0)
            SetMenuDescriptor(LMenuDescriptor::BuildFromPaths({entries.GetDataConst(), entries.GetCount()}));
    }
    return S_OK;
}

KVRESULT LPopupMenu::PostInitialize()
{
    LCheckedListBox::PostInitialize();
    SetClipToParent(false);
    SetVisible(false);
    ApplySizeLimits();
    return S_OK;
}

void LPopupMenu::ApplySizeLimits()
{
    const RCPtr<LControlDescriptor>& descriptor = GetDescriptor();
    if (descriptor && descriptor->mLayout)
    {
        const LLayoutDescriptor& skin = *descriptor->mLayout;
        const LLayoutDescriptor& own = *GetLayout();
        for (int axis = 0; axis < 2; ++axis)
        {
            const LayoutSizeLimitSpec& skinMin = axis == 0 ? skin.mXMinSize : skin.mYMinSize;
            const LayoutSizeLimitSpec& skinMax = axis == 0 ? skin.mXMaxSize : skin.mYMaxSize;
            if (skinMin.mAbs != 0 && skinMax.mAbs != 0)
                continue;
            LayoutSizeLimitSpec minimum = axis == 0 ? own.mXMinSize : own.mYMinSize;
            const LayoutSizeLimitSpec maximum = axis == 0 ? own.mXMaxSize : own.mYMaxSize;
            if (skinMin.mAbs == 0)
            {
                // At least as wide as the skin makes it, and one row high.
                minimum.mRel = 0;
                minimum.mAbs = axis == 0 ? std::round(GetRect().width) : GetRowHeight();
            }
            SetSizeLimits(axis, minimum, maximum);
        }
    }
    mTextMargin = -1;
}

KVRESULT LPopupMenu::SetMenuDescriptor(const RCPtr<LMenuDescriptor>& menu)
{
    if (!menu)
        return E_INVALIDARG;
    CloseSubmenu();
    mMenu = menu->Copy();
    UpdateHotKeyLabels(mMenu);
    return RebuildItems();
}

KVRESULT LPopupMenu::SetActivationQueue(const RCPtr<LNotificationQueue>& queue)
{
    if (!queue)
        return E_INVALIDARG;
    if (mOwnerReceiver)
        return E_FAIL;
    mOwnerReceiver = RCPtr<LNotificationReceiver>(queue->GetPostingReceiver());
    if (mMenu)
    {
        UpdateHotKeyLabels(mMenu);
        RebuildItems();
    }
    return S_OK;
}

RCPtr<LMenuItemDescriptor> LPopupMenu::ItemAt(int32_t row) const
{
    return mMenu ? mMenu->GetItem(row) : nullptr;
}

LPopupMenu* LPopupMenu::ParentPopup() const
{
    return dynamic_cast<LPopupMenu*>(GetParent().Get());
}

LControl* LPopupMenu::GetOwnerControl() const
{
    LControl* control = GetParent().Get();
    while (control && dynamic_cast<LPopupMenu*>(control))
        control = control->GetParent().Get();
    return control;
}

RCPtr<LNotificationReceiver> LPopupMenu::GetOwnerReceiver() const
{
    if (mOwnerReceiver)
        return mOwnerReceiver;
    return RCPtr<LNotificationReceiver>(GetOwnerControl());
}

const RCPtr<LMenuItemUpdater>& LPopupMenu::GetItemUpdater()
{
    if (!mItemUpdater)
        if (LControl* owner = GetOwnerControl())
            mItemUpdater = owner->GetMenuItemUpdater();
    return mItemUpdater;
}

// ---- rows ----

KVRESULT LPopupMenu::RebuildItems()
{
    if (!mMenu)
        return S_OK;
    const int32_t count = static_cast<int32_t>(mMenu->GetItemCount());
    SetItemCount(count);
    if (GetItemControlCount() == 0)
        return S_FALSE;
    const RCPtr<LListBoxItem> last = GetItemControl(GetItemControlCount() - 1);
    if (mTextMargin == -1)
    {
        const RCPtr<LControl> checkBox = last->FindChild(String(u"checkBox"));
        const RCPtr<LControl> hotKey = last->FindChild(String(u"hotKeyLabel"));
        const double checkRight = checkBox ? checkBox->GetRect().x + checkBox->GetRect().width : 0;
        const double hotKeyGap =
            hotKey ? last->GetRect().width - (hotKey->GetRect().x + hotKey->GetRect().width) : 0;
        mTextMargin = static_cast<int32_t>(checkRight) + kTextGap + static_cast<int32_t>(hotKeyGap);
    }
    // A separator row may be lower than a text row.
    const bool wasSeparator = last->IsSeparator();
    last->SetSeparator(true);
    last->SetText(String());
    last->RecalcLayout();
    mSeparatorHeight = static_cast<int32_t>(last->GetRect().height);
    last->SetSeparator(wasSeparator);

    mSeparatorCount = 0;
    int32_t widest = 0;
    for (int32_t row = 0; row < count; ++row)
    {
        const RCPtr<LMenuItemDescriptor> item = ItemAt(row);
        SetItemRecord(row, RCPtr<LRefCountedObject>(item), 0, item->IsSubmenu(), item->IsSeparator());
        SetItemChecked(row, item->IsChecked());
        SetItemSeparator(row, item->IsSeparator());
        mSeparatorCount += item->IsSeparator() ? 1 : 0;
        const int32_t index = GetItemControlIndex(row);
        if (index >= 0)
            GetItemControl(index)->RecalcLayout();
        widest = std::max(widest, MeasureRowWidth(row));
    }
    FitHeightToContent(GetContentHeight());
    FitWidthToContent(widest);
    UpdateItemControls(0);
    return S_OK;
}

int32_t LPopupMenu::MeasureRowWidth(int32_t row)
{
    const RCPtr<LMenuItemDescriptor> item = ItemAt(row);
    if (!item || GetItemControlCount() == 0)
        return 0;
    const RCPtr<LListBoxItem> rowControl = GetItemControl(0);
    const RCPtr<LControl> hotKey = rowControl->FindChild(String(u"hotKeyLabel"));
    const double width = MeasureWidth(item->GetText(), rowControl->GetFont()) +
                         (hotKey ? MeasureWidth(item->GetHotKeyLabel(), hotKey->GetFont()) : 0);
    return static_cast<int32_t>(RoundHalfAwayFromZero(width)) + std::max(mTextMargin, 0);
}

int32_t LPopupMenu::GetContentHeight()
{
    const int32_t rows = GetItemCount();
    return mSeparatorCount * mSeparatorHeight + (rows - mSeparatorCount) * GetRowHeight();
}

bool LPopupMenu::IsItemSelectable(int32_t row)
{
    const RCPtr<LMenuItemDescriptor> item = ItemAt(row);
    return item && item->IsEnabled() && !item->IsSeparator();
}

KVRESULT LPopupMenu::CreateItemControl()
{
    const KVRESULT result = LCheckedListBox::CreateItemControl();
    if (KV_FAILED(result) || !mPopupHandler || GetItemControlCount() == 0)
        return result;
    const RCPtr<LListBoxItem> row = GetItemControl(GetItemControlCount() - 1);
    KV_THROW_IF_FAILED(mPopupHandler->AddHandlerFor(
        &LPopupMenu::OnRowHoverChange, RCPtr<LNotificationDistributor>(row), u"NID_HOVER_CONDITION_CHANGE"));
    return result;
}

KVRESULT LPopupMenu::UpdateItemControl(int32_t row)
{
    const int32_t index = GetItemControlIndex(row);
    if (index < 0)
        return S_FALSE;
    const RCPtr<LListBoxItem> rowControl = GetItemControl(index);
    const auto menuRow = RCPtr<LCheckedListBoxItem>::DynamicCastFrom(rowControl);
    const RCPtr<LControl> hotKey = rowControl->FindChild(String(u"hotKeyLabel"));
    const RCPtr<LMenuItemDescriptor> item = ItemAt(row);
    if (item)
    {
        if (hotKey)
            hotKey->SetText(item->GetHotKeyLabel());
        rowControl->SetSeparator(item->IsSeparator());
    }
    else
    {
        if (hotKey)
            hotKey->SetText(String());
        rowControl->SetEnabled(false);
        if (menuRow)
            menuRow->SetLookAndCheckBox(0, true);
    }
    const KVRESULT result = LCheckedListBox::UpdateItemControl(row);
    if (item)
        rowControl->SetEnabled(item->IsEnabled());
    if (menuRow)
    {
        int32_t checkLook = 0;
        if (item && item->IsChecked())
            checkLook = rowControl->IsHovered() ? 8 : 7;
        menuRow->ShowCheckBoxLook(checkLook);
    }
    // The label takes the row's text colour, so that it changes with the row.
    if (hotKey)
        if (const RCPtr<LLook> look = rowControl->GetLook(rowControl->GetShownLookIndex()))
            if (look->GetTextForegroundPart())
                hotKey->SetLookTextForeground(look->GetTextForegroundPart(), -1);
    return result;
}

// ---- item states and hot keys ----

KVRESULT LPopupMenu::UpdateHotKeyLabels(const RCPtr<LMenuDescriptor>& menu)
{
    if (!menu)
        return E_FAIL;
    LControl* ownerControl = nullptr;
    const KeyCodeTable* windowKeys = nullptr;
    RCPtr<LRootWindow> window = GetRootWindow();
    if (!mOwnerReceiver)
    {
        ownerControl = GetOwnerControl();
        if (!ownerControl)
            return E_FAIL;
        window = ownerControl->GetRootWindow();
        if (window && window->GetHotKeyManager())
            windowKeys = &window->GetHotKeyManager()->GetKeyCodeTable();
    }
    else
    {
        if (!window)
            return E_FAIL;
        // Posted into this window's queue: its keys apply; any other queue: only the
        // application's.
        if (mOwnerReceiver.Get() == window->GetPostingReceiver().Get() && window->GetHotKeyManager())
            windowKeys = &window->GetHotKeyManager()->GetKeyCodeTable();
    }
    LFrameworkApp* app = App();
    const KeyCodeTable* appKeys =
        app && app->GetHotKeyManager() ? &app->GetHotKeyManager()->GetKeyCodeTable() : nullptr;
    ForEachLeaf(*menu, [&](LMenuItemDescriptor& item) {
        if (!item.GetHotKeyLabel().IsEmpty() || item.GetName().IsEmpty())
            return;
        const char16_t* name = item.GetName().GetText();
        KeyCode key;
        if (ownerControl && ownerControl->HasLocalHotKey(item.GetName()))
            key = ownerControl->GetLocalHotKey(item.GetName());
        else if (windowKeys && windowKeys->HasName(name))
            key = windowKeys->GetFirstKeyCode(name);
        else if (appKeys && appKeys->HasName(name))
            key = appKeys->GetFirstKeyCode(name);
        else
            return;
        item.SetHotKeyLabel(key.ToDisplayString());
    });
    return S_OK;
}

void LPopupMenu::UpdateItemStates()
{
    const RCPtr<LMenuItemUpdater>& updater = GetItemUpdater();
    if (!updater || !mMenu)
        return;
    ClearSelection();
    const RCPtr<LControl> control = updater->GetControl();
    for (int32_t row = static_cast<int32_t>(mMenu->GetItemCount()) - 1; row >= 0; --row)
    {
        const RCPtr<LMenuItemDescriptor> item = ItemAt(row);
        if (!item || item->IsSubmenu() || item->IsSeparator())
            continue;
        LMenuItemInfo info;
        mMenu->GetItemInfo(row, info);
        if (control)
            control->GetMenuItemState(mMenu, row, item->GetName(), info);
        ApplyItemInfo(row, info);
    }
}

KVRESULT LPopupMenu::ApplyItemInfo(int32_t row, const LMenuItemInfo& info)
{
    const RCPtr<LMenuItemDescriptor> item = ItemAt(row);
    if (!item)
        return E_INVALIDARG;
    LMenuItemInfo current;
    mMenu->GetItemInfo(row, current);
    if (info == current)
        return S_FALSE;
    if (!item->IsSeparator())
        item->SetEnabled(info.enabled);
    if (!item->IsSeparator() && !item->IsSubmenu())
    {
        item->SetChecked(info.checked);
        SetItemChecked(row, info.checked);
    }
    if (info.text != item->GetText())
    {
        item->SetText(info.text);
        RebuildItems();
    }
    UpdateItemControl(row);
    return S_OK;
}

// ---- opening and closing ----

KVRESULT LPopupMenu::OpenSubmenu(int32_t row)
{
    const RCPtr<LMenuItemDescriptor> entry = ItemAt(row);
    if (!entry || !entry->IsSubmenu())
        return E_INVALIDARG;
    CloseSubmenu();
    LFrameworkApp* app = App();
    const RCPtr<LControlFactory> factory = app ? app->GetControlFactory() : nullptr;
    if (!factory || !GetDescriptor() || !GetDescriptor()->mLayout)
        return E_FAIL;
    // Made hidden: while it is made, nothing in it may take the focus from this chain.
    RCPtr<LLayoutDescriptor> layout = GetDescriptor()->mLayout->Clone();
    layout->mIsVisible = false;
    const RCPtr<LControlDescriptor> descriptor =
        factory->CloneControlDescriptor(GetDescriptor(), layout, String(u"submenu"));
    ProcessPendingRemovals();
    const auto submenu =
        RCPtr<LPopupMenu>::DynamicCastFrom(factory->CreateControl(descriptor, RCPtr<LControl>(this)));
    if (!submenu)
        return E_FAIL;
    mOpenSubmenu = submenu;
    mSubmenuEntry = entry;
    // The submenu shows the entry itself, not a copy: its states belong to this menu.
    submenu->mMenu = RCPtr<LMenuDescriptor>(entry);
    submenu->mOwnerReceiver = mOwnerReceiver;
    submenu->mAutoClose = mAutoClose;
    submenu->UpdateHotKeyLabels(submenu->mMenu);
    submenu->RebuildItems();

    // To the right of the row, or to its left when it would leave the window; moved up to
    // end at the window's bottom, never above this popup's top.
    const RectT<double> rowRect = GetRowRect(row);
    const RCPtr<LRootWindow> window = GetRootWindow();
    const SizeT<int32_t> client =
        window ? SizeT<int32_t>{window->GetScreenRect().width, window->GetScreenRect().height}
               : SizeT<int32_t>{};
    const int32_t w = static_cast<int32_t>(submenu->GetRect().width);
    const int32_t h = static_cast<int32_t>(submenu->GetRect().height);
    const PointT<double> root = GetRootPosition();
    const int32_t px = static_cast<int32_t>(root.x);
    const int32_t py = static_cast<int32_t>(root.y);
    int32_t x = static_cast<int32_t>(rowRect.x + rowRect.width);
    if (px + x + w > client.width)
        x = -w;
    if (px + x < 0)
        x = static_cast<int32_t>(rowRect.x + rowRect.width);
    int32_t y = static_cast<int32_t>(rowRect.y);
    if (py + y + h > client.height)
        y = client.height - h - py;
    if (py + y < 0)
        y = 0;
    for (int axis = 0; axis < 2; ++axis)
    {
        LayoutAxisSpec spec = AxisOf(*submenu, axis);
        spec.mPosition.mRel = 0;
        spec.mPosition.mAbs = axis == 0 ? x : y;
        submenu->SetLayoutAxis(axis, spec);
    }
    submenu->mItemUpdater = mItemUpdater;
    // The top of the chain keeps the focus and hands the keys to the innermost submenu:
    // the focus moving into a submenu would look to the chain like leaving it.
    submenu->SetNotFocusable(true);
    submenu->SetVisible(true);
    return S_OK;
}

KVRESULT LPopupMenu::CloseSubmenu()
{
    CancelSubmenuTimer();
    if (mOpenSubmenu)
    {
        const RCPtr<LPopupMenu> submenu = std::move(mOpenSubmenu);
        mFocusTransfer = true;
        submenu->CloseSubmenu();
        submenu->SetVisible(false);
        RemoveChild(RCPtr<LControl>(submenu));
    }
    mSubmenuEntry.Reset();
    return S_OK;
}

KVRESULT LPopupMenu::CloseMenu()
{
    RCPtr<LControl> self(this);
    mClosed = true;
    if (LPopupMenu* parent = ParentPopup())
        return parent->CloseMenu();
    CancelSubmenuTimer();
    CloseSubmenu();
    if (const RCPtr<LControl>& parent = GetParent())
        return RCPtr<LControl>(parent)->RemoveChild(self);
    return S_OK;
}

bool LPopupMenu::IsInMenuChain(const LPopupMenu* popup) const
{
    for (const LPopupMenu* below = mOpenSubmenu.Get(); below; below = below->mOpenSubmenu.Get())
        if (below == popup)
            return true;
    for (const LPopupMenu* above = ParentPopup(); above; above = above->ParentPopup())
        if (above == popup)
            return true;
    return popup == this;
}

KVRESULT LPopupMenu::ShowAtPointer()
{
    const RCPtr<LRootWindow> window = GetRootWindow();
    if (window)
    {
        const PointT<int32_t> pointer = window->GetCursorPosition();
        const SizeT<int32_t> client = window->GetClientSize();
        const int32_t size[2] = {static_cast<int32_t>(GetRect().width),
                                 static_cast<int32_t>(GetRect().height)};
        const int32_t limit[2] = {client.width, client.height};
        int32_t place[2] = {pointer.x, pointer.y};
        PointT<double> origin;
        if (const RCPtr<LControl>& parent = GetParent())
        {
            // Where the parent's children start, in window coordinates.
            const PointT<double> content = parent->GetContentOrigin();
            const PointT<double> root = parent->GetRootPosition();
            origin = {root.x + content.x, root.y + content.y};
        }
        for (int axis = 0; axis < 2; ++axis)
        {
            if (place[axis] + size[axis] > limit[axis])
                place[axis] = limit[axis] - size[axis];
            if (place[axis] < 0)
                place[axis] = 0;
            LayoutAxisSpec spec = AxisOf(*this, axis);
            spec.mPosition.mRel = 0;
            spec.mPosition.mAbs = place[axis] - (axis == 0 ? origin.x : origin.y);
            spec.mDocked = true;
            SetLayoutAxis(axis, spec);
        }
    }
    SetVisible(true);
    if (!HasFocus())
        SetFocus(true);
    return S_OK;
}

bool LPopupMenu::IsShownWithSize()
{
    return GetLayout()->mIsVisible && GetRect().width > 0 && GetRect().height > 0;
}

// ---- activation ----

bool LPopupMenu::OnItemActivated(int32_t row)
{
    const RCPtr<LMenuItemDescriptor> item = ItemAt(row);
    if (!item)
        return true;
    if (item->IsSubmenu())
    {
        // Works like Right: the menu stays open.
        if (item != mSubmenuEntry && KV_SUCCEEDED(OpenSubmenu(row)) && mOpenSubmenu)
            mOpenSubmenu->SelectRange(0, -1, true);
        return false;
    }
    ActivateMenuItem(row);
    return true;
}

bool LPopupMenu::ReturnFocusFromMenuBar()
{
    for (LControl* control = GetParent().Get(); control; control = control->GetParent().Get())
        if (auto* bar = dynamic_cast<LMainMenu*>(control))
        {
            const RCPtr<LControl>& previous = bar->GetRememberedFocus();
            if (!previous || !previous->GetRootWindow())
                return false;
            RCPtr<LControl>(previous)->SetFocus(true);
            return true;
        }
    return false;
}

void LPopupMenu::ActivateMenuItem(int32_t row)
{
    RCPtr<LControl> self(this);
    // The focus goes back to where it was before the menu bar took it.
    ReturnFocusFromMenuBar();
    if (mAutoClose && !mClosed)
        SetVisible(false);
    const RCPtr<LMenuItemDescriptor> item = ItemAt(row);
    const RCPtr<LNotificationReceiver> owner = GetOwnerReceiver();
    if (owner && item)
    {
        SendNotification(LNotification::Create(u"NID_ITEM_ACTIVATED"));
        const RCPtr<LMenuActivationParam> param = LMenuActivationParam::Create(mMenu, row);
        owner->Receive(nullptr,
                       LNotification::Create(item->GetName().GetText(), RCPtr<LRefCountedObject>(param)));
    }
    if (mAutoClose && !mClosed)
        CloseMenu();
}

// ---- the submenu timer ----

void LPopupMenu::StartSubmenuTimer()
{
    mSubmenuTimerStart = App() ? App()->GetTimeMs() : 0;
    if (!mSubmenuTimerPending)
    {
        mSubmenuTimerPending = true;
        BeginIdleProcessing();
    }
}

void LPopupMenu::CancelSubmenuTimer()
{
    if (!mSubmenuTimerPending)
        return;
    mSubmenuTimerPending = false;
    EndIdleProcessing();
}

void LPopupMenu::OnSelectionChanged()
{
    LCheckedListBox::OnSelectionChanged();
    const int32_t row = GetCaret();
    const RCPtr<LMenuItemDescriptor> item = GetItemValue(row) >= 0.5 ? ItemAt(row) : nullptr;
    if (!item)
        return;
    // Back in a submenu: its entry in the parent stays the parent's selection.
    if (LPopupMenu* parent = ParentPopup())
        if (parent->mSubmenuEntry)
        {
            const int32_t entryRow = parent->mMenu ? [&] {
                for (uint32_t i = 0; i < parent->mMenu->GetItemCount(); ++i)
                    if (parent->mMenu->GetItem(static_cast<int32_t>(i)) == parent->mSubmenuEntry)
                        return static_cast<int32_t>(i);
                return -1;
            }()
                                                   : -1;
            if (entryRow >= 0 && parent->GetItemValue(entryRow) < 0.5)
            {
                parent->SelectRange(entryRow, -1, true);
                parent->CancelSubmenuTimer();
            }
        }
    if (item->IsSubmenu())
    {
        if (item == mSubmenuEntry)
        {
            CancelSubmenuTimer();
            return;
        }
        const RCPtr<LRootWindow> window = GetRootWindow();
        const RectT<double> rect = GetRowRect(row);
        if (!window)
            return;
        const PointT<int32_t> pointer = window->GetCursorPosition();
        const PointT<double> root = GetRootPosition();
        const PointT<double> content = GetContentOrigin();
        const double x = pointer.x - root.x - content.x;
        const double y = pointer.y - root.y - content.y;
        if (x >= rect.x && x < rect.x + rect.width && y >= rect.y && y < rect.y + rect.height)
            StartSubmenuTimer();
    }
    else if (mOpenSubmenu)
        StartSubmenuTimer();
}

void LPopupMenu::OnIdle()
{
    LCheckedListBox::OnIdle();
    if (!mSubmenuTimerPending || !App())
        return;
    if (static_cast<Milliseconds>(App()->GetTimeMs() - mSubmenuTimerStart) <= kSubmenuDelayMs)
        return;
    CloseSubmenu();
    const int32_t row = GetCaret();
    const RCPtr<LMenuItemDescriptor> item = GetItemValue(row) >= 0.5 ? ItemAt(row) : nullptr;
    if (item && item->IsSubmenu())
        OpenSubmenu(row);
}

// ---- input ----

KVRESULT LPopupMenu::OnKeyDown(const RCPtr<LKeyParam>& param)
{
    if (!param)
        return S_FALSE;
    RCPtr<LControl> self(this);
    // The keys act on the innermost open submenu.
    RCPtr<LPopupMenu> target(this);
    while (target->mOpenSubmenu)
        target = target->mOpenSubmenu;
    const uint32_t code = param->mKeyCode.mCode;
    if (code == kKeyLeft)
    {
        if (LPopupMenu* parent = target->ParentPopup())
            parent->CloseSubmenu();
        return S_OK;
    }
    if (code == kKeyRight)
    {
        const int32_t row = target->GetCaret();
        const RCPtr<LMenuItemDescriptor> item = target->ItemAt(row);
        if (item && item->IsSubmenu() && KV_SUCCEEDED(target->OpenSubmenu(row)) && target->mOpenSubmenu)
            target->mOpenSubmenu->SelectRange(0, -1, true);
        return S_OK;
    }
    if (code == kKeyEscape)
    {
        if (target->mAutoClose && !target->mClosed)
            target->CloseMenu();
        else if (!target->mAutoClose)
        {
            // A menu-bar menu closes as its entry loses the focus: the focus goes back to
            // where it was before the bar took it.
            CloseSubmenu();
            if (!ReturnFocusFromMenuBar())
                if (auto* entry = dynamic_cast<LDropDownControl*>(GetParent().Get()))
                    entry->SetDropDownOpen(false);
        }
        return S_OK;
    }
    if (target.Get() == this)
        LCheckedListBox::OnKeyDown(param);
    else
        target->OnKeyDown(param);
    return S_OK;
}

void LPopupMenu::OnMouseMoved(const RCPtr<LPointWithModifiersParam>& param)
{
    LCheckedListBox::OnMouseMoved(param);
    if (!param || !IsDragging(kMouseButtonLeft))
        return;
    const PointT<int32_t> point{static_cast<int32_t>(param->mPoint.x), static_cast<int32_t>(param->mPoint.y)};
    if (point.x >= 0 && point.y >= 0 && point.x < GetRect().width && point.y < GetRect().height)
        return;
    const RCPtr<LRootWindow> window = GetRootWindow();
    if (!window)
        return;
    // The drag goes on in another menu of the chain: that one takes the capture.
    const PointT<double> root = GetRootPosition();
    const PointT<int32_t> windowPoint{point.x + static_cast<int32_t>(root.x),
                                      point.y + static_cast<int32_t>(root.y)};
    PointT<int32_t> local;
    const RCPtr<LControl> under = window->FindControlAtPoint(windowPoint, local, false);
    if (!under)
        return;
    if (dynamic_cast<LListBoxItem*>(under.Get()) && dynamic_cast<LPopupMenu*>(under->GetParent().Get()))
    {
        static_cast<UITarget*>(under.Get())->BeginMouseCapture(kMouseButtonLeft, local.x, local.y);
        return;
    }
    for (LControl* control = under.Get(); control; control = control->GetParent().Get())
        if (auto* popup = dynamic_cast<LPopupMenu*>(control))
        {
            if (popup != this && IsInMenuChain(popup))
            {
                const PointT<double> theirs = popup->GetRootPosition();
                static_cast<UITarget*>(popup)->BeginMouseCapture(
                    kMouseButtonLeft, windowPoint.x - static_cast<int32_t>(theirs.x),
                    windowPoint.y - static_cast<int32_t>(theirs.y));
            }
            return;
        }
}

void LPopupMenu::OnConditionsChanged(const RCPtr<LConditionsParam>& param)
{
    RCPtr<LControl> self(this);
    LCheckedListBox::OnConditionsChanged(param);
    if (!param)
        return;
    const uint32_t before = param->mOldConditions;
    const uint32_t now = param->mNewConditions;
    constexpr uint32_t kFocusBits = kConditionHasFocus | kConditionContainsFocus;
    if (((before ^ now) & kFocusBits) != 0 && !ParentPopup() && (now & kFocusBits) == 0 &&
        IsShownWithSize() && mAutoClose && !mClosed)
        CloseMenu();
    if ((now & kConditionShown) != 0 && (before & kConditionShown) == 0)
        UpdateItemStates();
    if ((now & kConditionShown) == 0 && (before & kConditionShown) != 0 && !ParentPopup())
        CloseSubmenu();
}

KVRESULT LPopupMenu::SetFocus(bool forward)
{
    if ((HasFocus() || ContainsFocus()) && !mFocusTransfer && mAutoClose && !mClosed)
        CloseMenu();
    mFocusTransfer = false;
    return LCheckedListBox::SetFocus(forward);
}

KVRESULT LPopupMenu::ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor)
{
    const KVRESULT result = LCheckedListBox::ApplyDescriptor(descriptor);
    if (KV_SUCCEEDED(result) && mMenu)
    {
        LayoutItemControls();
        RebuildItems();
    }
    return result;
}

KVRESULT LPopupMenu::OnRowHoverChange(const RCPtr<LNotificationDistributor>& sender,
                                      const RCPtr<LNotification>& notification)
{
    const auto* param = dynamic_cast<const LConditionsParam*>(notification->GetData().Get());
    LFrameworkApp* app = App();
    if (!param || !app)
        return S_OK;
    const bool was = (param->mOldConditions & kConditionHoverOrHighlighted) != 0;
    const bool is = (param->mNewConditions & kConditionHoverOrHighlighted) != 0;
    if (is && !was)
    {
        const RCPtr<LMenuItemDescriptor> item =
            ItemAt(GetItemControlRow(dynamic_cast<LControl*>(sender.Get())));
        if (item && !item->GetStatusText().IsEmpty())
            app->SetStatusText(item->GetStatusText(), false);
    }
    else if (was && !is)
        app->RestoreStatusText(false);
    return S_OK;
}

KVRESULT LPopupMenu::Receive(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification)
{
    return ReceiveThroughOwnTable<LCheckedListBox>(*this, mPopupHandler, sender, notification);
}

KVRESULT LPopupMenu::Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id)
{
    return DetachFromOwnTable<LCheckedListBox>(*this, mPopupHandler, distributor, id);
}

} // namespace KV
