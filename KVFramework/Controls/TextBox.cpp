#include "Controls/TextBox.h"

#include "Application/FrameworkApp.h"
#include "ControlBase/RootWindow.h"
#include "Controls/MenuDescriptor.h"
#include "Notification/Notification.h"
#include "Notification/NotificationParams.h"
#include "Storage/CharacterClasses.h"
#include "System/Clipboard.h"

#include <algorithm>
#include <string>

namespace KV {

namespace {

// Virtual keys the box reads.
constexpr uint32_t kVkBack = 0x08;
constexpr uint32_t kVkTab = 0x09;
constexpr uint32_t kVkReturn = 0x0D;
constexpr uint32_t kVkSpace = 0x20;
constexpr uint32_t kVkEnd = 0x23;
constexpr uint32_t kVkHome = 0x24;
constexpr uint32_t kVkLeft = 0x25;
constexpr uint32_t kVkUp = 0x26;
constexpr uint32_t kVkRight = 0x27;
constexpr uint32_t kVkDown = 0x28;
constexpr uint32_t kVkDelete = 0x2E;

// A pressed key's code word with the modifiers given.
constexpr uint32_t Press(uint32_t virtualKey, uint32_t modifiers = 0)
{
    return (virtualKey << KeyCode::kVirtualKeyShift) | KeyCode::kPressed | modifiers;
}

constexpr uint32_t kCtrl = KeyCode::kCtrl;
constexpr uint32_t kShift = KeyCode::kShift;

bool Changed(const LConditionsParam& param, uint32_t bits)
{
    return ((param.mNewConditions ^ param.mOldConditions) & bits) != 0;
}

std::u16string Units(const String& text)
{
    return std::u16string(text.View());
}

String FromUnits(const std::u16string& units)
{
    return String(units.c_str());
}

// The items of the edit menu, in menu order: the key of the item's text in the framework's
// table, the notification it sends and the edit request it stands for.
struct EditItem
{
    const char16_t* textKey;
    const char16_t* id;
    int request;
};
constexpr EditItem kEditItems[] = {
    {u"EDIT_CUT", u"NID_EDIT_CUT_REQ", kEditCut},
    {u"EDIT_COPY", u"NID_EDIT_COPY_REQ", kEditCopy},
    {u"EDIT_PASTE", u"NID_EDIT_PASTE_REQ", kEditPaste},
    {u"EDIT_DELETE", u"NID_EDIT_DELETE_REQ", kEditDelete},
};

} // namespace

LTextBox::LTextBox(const RCPtr<LControl>& parent, const String& name) : LScrollView(parent, name) {}

LTextBox::~LTextBox() = default;

double LTextBox::Now() const
{
    LFrameworkApp* app = LFrameworkApp::GetInstance();
    return app ? app->GetTimeInSeconds() : 0.0;
}

void LTextBox::InvalidateAll()
{
    InvalidateRect({0, 0, GetRect().width, GetRect().height}, GetLayout()->mClipToParent);
}

// ---- creation ----

KVRESULT LTextBox::Initialize()
{
    const KVRESULT base = LScrollView::Initialize();
    if (KV_FAILED(base))
        return base;
    // The label moves with the content when a long text scrolls.
    mLabelFollowsScroll = true;
    UpdateCaretGeometry();
    // A box made inside a tree that is in a window already gets no word of the window.
    if (GetRootWindow())
        BuildEditMenu();
    return S_OK;
}

KVRESULT LTextBox::ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor)
{
    RCPtr<LTextBox> self(this);
    const String kept = GetText();
    const KVRESULT result = LScrollView::ApplyDescriptor(descriptor);
    // The table's label is the hint; the text stays the user's.
    String hint;
    if (GetStringTable() && GetStringTable()->GetString(u"LABEL", hint))
    {
        LControl::SetText(kept);
        mHintText = hint;
    }
    if (!mHintText.IsEmpty() && kLookHint < GetLookCount())
    {
        ShowHintInLook();
        UpdateLooks();
    }
    return result;
}

void LTextBox::ProcessRootWindowAquired()
{
    // The base renews the idle registration of a blinking caret with the new window.
    LScrollView::ProcessRootWindowAquired();
    BuildEditMenu();
}

void LTextBox::BuildEditMenu()
{
    LFrameworkApp* app = LFrameworkApp::GetInstance();
    const RCPtr<LStringTable> texts = app ? app->GetFrameworkStringTable() : nullptr;
    if (!texts)
        return;
    RCPtr<LMenuDescriptor> menu = LMenuDescriptor::Create();
    for (const EditItem& item : kEditItems)
    {
        String text;
        texts->GetString(item.textKey, text);
        menu->AddItem(static_cast<int32_t>(menu->GetItemCount()), text, String(item.id), true, false);
    }
    mEditMenu = menu;
    SetContextMenu(menu);
}

KVRESULT LTextBox::GetMenuItemState(const RCPtr<LMenuDescriptor>& menu, int32_t itemIndex,
                                    const String& itemId, LMenuItemInfo& info)
{
    for (const EditItem& item : kEditItems)
        if (itemId == String(item.id))
        {
            LFrameworkApp* app = LFrameworkApp::GetInstance();
            info.enabled = app && app->GetClipboard() && app->GetClipboard()->CanPerform(item.request);
            return S_OK;
        }
    return LScrollView::GetMenuItemState(menu, itemIndex, itemId, info);
}

KVRESULT LTextBox::Receive(const RCPtr<LNotificationDistributor>& sender,
                           const RCPtr<LNotification>& notification)
{
    if (!sender && notification)
        for (const EditItem& item : kEditItems)
            if (notification->GetId() == InternNotificationId(item.id))
            {
                RCPtr<LTextBox> self(this);
                if (LFrameworkApp* app = LFrameworkApp::GetInstance(); app && app->GetClipboard())
                    app->GetClipboard()->OnEditRequest(item.request);
                return S_OK;
            }
    return LScrollView::Receive(sender, notification);
}

String LTextBox::GetToolTipText()
{
    if (IsLabelTextClipped())
        return GetText();
    return LScrollView::GetToolTipText();
}

// ---- text ----

KVRESULT LTextBox::SetText(const String& text)
{
    return ApplyText(text, true);
}

KVRESULT LTextBox::ApplyText(const String& text, bool resetCaret)
{
    RCPtr<LTextBox> self(this);
    if (!SetTextAndRelayout(text, true))
        return S_FALSE;
    mTextChanged = true;
    const RCPtr<LLook> look = kLookNormal < GetLookCount() ? GetLook(kLookNormal) : nullptr;
    if (look && look->GetLabel())
    {
        const SizeT<int32_t> bounds = look->GetLabel()->GetBounds();
        SetClientExtent(bounds.width, bounds.height);
    }
    ClearSelection();
    // A shorter text (a correction by the owner) must not leave the caret past its end.
    const int32_t length = GetTextLength();
    if (mCaret > length)
        mCaret = length;
    if (mAnchor > length)
        mAnchor = length;
    if (resetCaret)
        SetCaret(0, true);
    else
    {
        UpdateCaretGeometry();
        ScrollCaretIntoView();
    }
    if (!mHintText.IsEmpty() && kLookHint < GetLookCount())
    {
        ShowHintInLook();
        UpdateLooks();
    }
    SendNotification(LNotification::Create(u"NID_TEXTBOX_TEXT_CHANGE"));
    return S_OK;
}

void LTextBox::ShowHintInLook()
{
    if (const RCPtr<LLook> hint = GetLook(kLookHint))
        hint->SetText(mHintText);
}

bool LTextBox::AcceptsCharacter(char16_t c) const
{
    if (c == u'\t' || !IsPrintableCharacter(c))
        return false;
    return !mInputRestricted || mAllowedCharacters.View().find(c) != std::u16string_view::npos;
}

String LTextBox::FilterInput(const String& text) const
{
    std::u16string kept;
    for (const char16_t c : text.View())
        if (AcceptsCharacter(c))
            kept.push_back(c);
    return FromUnits(kept);
}

// ---- caret and selection ----

void LTextBox::RestartBlink()
{
    mCaretShown = true;
    mNextBlinkTime = Now() + kCaretShownTime;
}

KVRESULT LTextBox::SetCaret(int32_t position, bool force)
{
    if (position < 0 || position > GetTextLength())
        return E_INVALIDARG;
    if (position == mCaret && !force)
    {
        if (mSelectionLength == 0)
            mAnchor = mCaret;
        return S_FALSE;
    }
    const bool moved = position != mCaret;
    mCaret = position;
    if (mSelectionLength == 0)
        mAnchor = position;
    UpdateCaretGeometry();
    ScrollCaretIntoView();
    UpdateLooks();
    RestartBlink();
    InvalidateAll();
    return moved ? S_OK : S_FALSE;
}

void LTextBox::SelectChars(int32_t first, int32_t last)
{
    const int32_t length = GetTextLength();
    if (first == 0 && last == -1)
    {
        mSelectionStart = 0;
        mSelectionLength = length;
    }
    else if (first == -1)
    {
        mSelectionStart = 0;
        mSelectionLength = 0;
    }
    else if (first < 0 || last < 0 || first >= length || last >= length)
        return;
    else
    {
        mSelectionStart = std::min(first, last);
        mSelectionLength = std::max(first, last) - mSelectionStart + 1;
    }
    mAnchor = mSelectionStart;
    UpdateLooks();
}

void LTextBox::SetSelection(int32_t start, int32_t count, int32_t anchor)
{
    if (count > 0)
        SelectChars(start, start + count - 1);
    else
    {
        const bool had = mSelectionLength > 0;
        mSelectionStart = std::clamp(start, 0, GetTextLength());
        mSelectionLength = 0;
        if (had)
            UpdateLooks();
    }
    mAnchor = anchor;
}

void LTextBox::ExtendSelectionTo(int32_t position)
{
    position = std::clamp(position, 0, GetTextLength());
    mSelectionStart = std::min(position, mAnchor);
    mSelectionLength = std::max(position, mAnchor) - mSelectionStart;
    UpdateLooks();
    SetCaret(position, false);
}

void LTextBox::ClearSelection()
{
    const bool had = mSelectionLength > 0;
    mSelectionStart = 0;
    mSelectionLength = 0;
    // The anchor stays with the caret, so that a selection begun next with Shift+Home
    // or Shift+End reaches from where the caret stands.
    mAnchor = std::min(mCaret, GetTextLength());
    if (had)
        UpdateLooks();
}

int32_t LTextBox::FindPrevWordStart() const
{
    const std::u16string_view text = GetText().View();
    int32_t i = std::min<int32_t>(mCaret, static_cast<int32_t>(text.size()));
    if (i == 0)
        return 0;
    --i;
    while (i > 0 && IsSpaceCharacter(text[i]))
        --i;
    while (i > 0 && !IsSpaceCharacter(text[i]))
        --i;
    return IsSpaceCharacter(text[i]) ? i + 1 : i;
}

int32_t LTextBox::FindNextWordStart() const
{
    const std::u16string_view text = GetText().View();
    const int32_t length = static_cast<int32_t>(text.size());
    int32_t i = std::min(mCaret, length);
    while (i < length && IsSpaceCharacter(text[i]))
        ++i;
    while (i < length && !IsSpaceCharacter(text[i]))
        ++i;
    while (i < length && IsSpaceCharacter(text[i]))
        ++i;
    return i;
}

// ---- editing ----

void LTextBox::InsertText(const String& inserted)
{
    if (inserted.IsEmpty())
        return;
    RCPtr<LTextBox> self(this);
    std::u16string text = Units(GetText());
    int32_t at = std::min(mCaret, static_cast<int32_t>(text.size()));
    if (mSelectionLength > 0)
    {
        text.erase(mSelectionStart, mSelectionLength);
        at = mSelectionStart;
        mCaret = at;
        ClearSelection();
    }
    text.insert(at, inserted.View());
    if (ApplyText(FromUnits(text), false) == S_OK)
        SetCaret(at + inserted.GetLength(), true);
}

void LTextBox::InsertChar(char16_t c)
{
    InsertText(String(c));
}

void LTextBox::DeleteRange(int32_t start, int32_t count)
{
    const int32_t length = GetTextLength();
    if (start < 0 || count <= 0 || start >= length)
        return;
    RCPtr<LTextBox> self(this);
    std::u16string text = Units(GetText());
    text.erase(start, std::min(count, length - start));
    if (ApplyText(FromUnits(text), false) == S_OK)
        SetCaret(start, true);
}

void LTextBox::DeleteSelection()
{
    if (mSelectionLength > 0)
        DeleteRange(mSelectionStart, mSelectionLength);
}

KVRESULT LTextBox::ReplaceSelection(const String& inserted)
{
    if (mSelectionLength <= 0)
        return E_FAIL;
    RCPtr<LTextBox> self(this);
    const int32_t start = mSelectionStart;
    std::u16string text = Units(GetText());
    text.replace(start, mSelectionLength, inserted.View());
    const KVRESULT result = ApplyText(FromUnits(text), false);
    SetCaret(start + inserted.GetLength(), true);
    ClearSelection();
    return result;
}

RCPtr<LTextValidationParams> LTextBox::Validate()
{
    RCPtr<LTextBox> self(this);
    RCPtr<LTextValidationParams> params = LTextValidationParams::Create(GetText());
    if (!params)
        return params;
    SendNotification(LNotification::Create(u"NID_TEXTBOX_VALIDATING", params));
    if (params->mAccepted && params->mText != GetText())
        ApplyText(params->mText, false);
    if (params->mAccepted)
        SendNotification(LNotification::Create(u"NID_TEXTBOX_VALIDATED", params));
    return params;
}

// ---- focus ----

KVRESULT LTextBox::SetFocus(bool forward)
{
    RCPtr<LTextBox> self(this);
    if (mHasFocus)
        Validate();
    return LScrollView::SetFocus(forward);
}

bool LTextBox::CanReleaseFocus()
{
    const RCPtr<LTextValidationParams> params = Validate();
    return params && params->mAccepted;
}

void LTextBox::OnConditionsChanged(const RCPtr<LConditionsParam>& param)
{
    if (!param)
        return;
    RCPtr<LTextBox> self(this);
    RCPtr<LRootWindow> window = GetRootWindow();
    if (ConditionTurnedOn(*param, kConditionHasFocus))
    {
        if (window)
            window->EnableTextInput(true, this, 1);
        UpdateLooks();
        RestartBlink();
        InvalidateAll();
        BeginIdleProcessing();
    }
    else if (ConditionTurnedOff(*param, kConditionHasFocus))
    {
        if (window)
            window->EnableTextInput(false, this, 0);
        EndIdleProcessing();
        mCaretShown = false;
        // The box shows the text's start again when the user is done with it.
        StopAutoScroll(0);
        StopAutoScroll(1);
        SetScrollOffset({0, 0});
        UpdateLooks();
        InvalidateAll();
    }
    else if (ConditionTurnedOn(*param, kConditionHoverOrHighlighted))
    {
        if (LFrameworkApp* app = LFrameworkApp::GetInstance())
            SetCursor(app->LoadCursorByName(String(u"UI_CURSOR_IBEAM")));
    }
    if (ConditionTurnedOff(*param, kConditionLeftDragging))
    {
        StopAutoScroll(0);
        StopAutoScroll(1);
    }
    if (Changed(*param, kConditionHoverOrHighlighted | kConditionHasFocus | kConditionEnabled) ||
        ConditionTurnedOff(*param, kConditionLeftDragging))
        UpdateLooks();
}

void LTextBox::OnIdle()
{
    const double now = Now();
    if (now < mNextBlinkTime)
        return;
    mCaretShown = !mCaretShown;
    mNextBlinkTime = now + (mCaretShown ? kCaretShownTime : kCaretHiddenTime);
    InvalidateAll();
}

// ---- pointer ----

void LTextBox::OnLeftButtonDown(const RCPtr<LMouseButtonParam>& param)
{
    if (!param)
        return;
    RCPtr<LTextBox> self(this);
    const int32_t index = GetCharIndexAtPoint(param->mPoint.ToDouble());
    if (param->mModifiers & kModifierShift)
    {
        ExtendSelectionTo(index);
        return;
    }
    ClearSelection();
    SetCaret(index, false);
    mAnchor = index;
}

void LTextBox::OnMouseMoved(const RCPtr<LPointWithModifiersParam>& param)
{
    if (!param || !mLeftDragging)
        return;
    RCPtr<LTextBox> self(this);
    const RectT<float> area = GetTextArea();
    const PointT<double> point{std::clamp<double>(param->mPoint.x, area.x, area.x + area.width),
                               std::clamp<double>(param->mPoint.y, area.y, area.y + area.height)};
    ExtendSelectionTo(GetCharIndexAtPoint(point));
    AutoScrollTowards(param->mPoint.x);
}

void LTextBox::HandleLeftClick(const RCPtr<LMouseButtonParam>& param)
{
    if (!param || (!param->mIsDoubleClick && (param->mModifiers & kModifierCtrl) == 0))
        return;
    RCPtr<LTextBox> self(this);
    // The word at the caret, without the blanks after it.
    ClearSelection();
    const int32_t start = FindPrevWordStart();
    SetCaret(start, false);
    int32_t end = FindNextWordStart();
    const std::u16string_view text = GetText().View();
    while (end > start && IsSpaceCharacter(text[end - 1]))
        --end;
    mAnchor = start;
    ExtendSelectionTo(end);
}

// ---- keys ----

void LTextBox::ExtendByOne(int32_t step)
{
    const int32_t target = mCaret + step;
    if (target < 0 || target > GetTextLength())
        return;
    if (mSelectionLength == 0)
        mAnchor = mCaret;
    ExtendSelectionTo(target);
}

KVRESULT LTextBox::OnKeyDown(const RCPtr<LKeyParam>& param)
{
    if (!param)
        return S_FALSE;
    RCPtr<LTextBox> self(this);
    const uint32_t code = param->mKeyCode.mCode;
    if (code & KeyCode::kNoKey)
        return S_OK;
    if (code & KeyCode::kVirtualKeyMask)
        return (code & KeyCode::kPressed) ? HandleVirtualKey(code) : S_OK; // a release is ours
    const char16_t c = static_cast<char16_t>(code & KeyCode::kCharacterMask);
    if (c == u'\t' || !IsPrintableCharacter(c))
        return S_FALSE;
    // A character the box does not take is still the box's: it goes nowhere else.
    if (AcceptsCharacter(c))
        InsertChar(c);
    return S_OK;
}

KVRESULT LTextBox::HandleVirtualKey(uint32_t code)
{
    const int32_t length = GetTextLength();
    switch (code)
    {
    case Press(kVkLeft):
        ClearSelection();
        if (mCaret > 0)
            SetCaret(mCaret - 1, false);
        return S_OK;
    case Press(kVkRight):
        ClearSelection();
        if (mCaret < length)
            SetCaret(mCaret + 1, false);
        return S_OK;
    case Press(kVkLeft, kShift):
        ExtendByOne(-1);
        return S_OK;
    case Press(kVkRight, kShift):
        ExtendByOne(1);
        return S_OK;
    case Press(kVkLeft, kCtrl):
    case Press(kVkRight, kCtrl):
    {
        const int32_t target = code == Press(kVkLeft, kCtrl) ? FindPrevWordStart() : FindNextWordStart();
        ClearSelection();
        SetCaret(target, false);
        return S_OK;
    }
    case Press(kVkLeft, kCtrl | kShift):
        ExtendSelectionTo(FindPrevWordStart());
        return S_OK;
    case Press(kVkRight, kCtrl | kShift):
        ExtendSelectionTo(FindNextWordStart());
        return S_OK;
    case Press(kVkHome):
    case Press(kVkEnd):
        ClearSelection();
        SetCaret(code == Press(kVkHome) ? 0 : length, false);
        return S_OK;
    case Press(kVkHome, kShift):
        if (mCaret > 0)
        {
            const int32_t anchor = mAnchor;
            SetSelection(0, anchor, anchor);
            SetCaret(0, false);
        }
        return S_OK;
    case Press(kVkEnd, kShift):
        if (mCaret < length)
        {
            const int32_t anchor = mAnchor;
            SetSelection(anchor, length - anchor, anchor);
            SetCaret(length, false);
        }
        return S_OK;
    case Press(kVkBack):
    case Press(kVkDelete, kShift):
        if (mSelectionLength > 0)
            DeleteSelection();
        else if (mCaret > 0)
            DeleteRange(mCaret - 1, 1);
        return S_OK;
    case Press(kVkDelete):
        if (mSelectionLength > 0)
            DeleteSelection();
        else
            DeleteRange(mCaret, 1);
        return S_OK;
    case Press(kVkDelete, kCtrl):
        if (mSelectionLength > 0)
            DeleteSelection();
        else
            DeleteRange(mCaret, length - mCaret);
        return S_OK;
    case Press(kVkReturn):
    {
        // An accepted text lets Enter go on (to a default button); a refused one keeps it.
        const RCPtr<LTextValidationParams> params = Validate();
        return params && params->mAccepted ? S_FALSE : S_OK;
    }
    default:
        break;
    }
    const uint32_t virtualKey = (code & KeyCode::kVirtualKeyMask) >> KeyCode::kVirtualKeyShift;
    if (virtualKey == kVkUp || virtualKey == kVkDown || virtualKey == kVkTab)
        return S_FALSE;
    // The keys that type a character are the box's, unless a modifier makes them a
    // shortcut.
    const bool types = virtualKey == kVkSpace || (virtualKey >= '0' && virtualKey <= '9') ||
                       (virtualKey >= 'A' && virtualKey <= 'Z');
    const bool shortcut = (code & (KeyCode::kCtrl | KeyCode::kAlt | KeyCode::kCmd)) != 0;
    return types && !shortcut ? S_OK : S_FALSE;
}

// ---- edit commands ----

bool LTextBox::GetClipboardText(String& text) const
{
    LFrameworkApp* app = LFrameworkApp::GetInstance();
    if (!app || !app->GetClipboard())
        return false;
    const RCPtr<LClipboard::TextObject> object =
        RCPtr<LClipboard::TextObject>::DynamicCastFrom(app->GetClipboard()->GetContents());
    if (!object)
        return false;
    text = *object;
    return true;
}

void LTextBox::PutOnClipboard(const String& text) const
{
    LFrameworkApp* app = LFrameworkApp::GetInstance();
    if (app && app->GetClipboard())
        app->GetClipboard()->SetContents(RCPtr<LRefCountedObject>(LClipboard::TextObject::Create(text)));
}

bool LTextBox::CanPerformEdit(int request)
{
    switch (request)
    {
    case kEditDelete:
    case kEditCut:
    case kEditCopy:
        return mSelectionLength > 0;
    case kEditPaste:
    {
        String text;
        return GetClipboardText(text);
    }
    default:
        return false;
    }
}

int LTextBox::PerformEdit(int request)
{
    RCPtr<LTextBox> self(this);
    const String selected = GetText().Mid(mSelectionStart, mSelectionLength);
    switch (request)
    {
    case kEditDelete:
    case kEditCut:
    case kEditCopy:
        if (mSelectionLength <= 0)
            return E_FAIL;
        if (request != kEditDelete)
            PutOnClipboard(selected);
        if (request != kEditCopy)
            DeleteSelection();
        return S_OK;
    case kEditPaste:
    {
        String pasted;
        if (!GetClipboardText(pasted))
            return E_FAIL;
        // Pasted text obeys the rules of typed text; a text made only of characters the
        // box refuses changes nothing.
        const String kept = FilterInput(pasted);
        if (kept.IsEmpty())
            return E_FAIL;
        const String old = GetText();
        InsertText(kept);
        return GetText() != old ? S_OK : E_FAIL;
    }
    default:
        return E_FAIL;
    }
}

} // namespace KV
