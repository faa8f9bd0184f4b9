#include "Controls/ComboBox.h"

#include "ControlBase/RootWindow.h"
#include "Controls/LabelBehaviour.h"
#include "Controls/ListBox.h"
#include "Controls/TextBox.h"
#include "Notification/Notification.h"
#include "Storage/NumberParsing.h"

#include <algorithm>
#include <stdexcept>

namespace KV {

namespace {

// Keys pressed without a modifier.
constexpr uint32_t kDownPressed = 0x20280000;
constexpr uint32_t kEnterPressed = 0x200D0000;
constexpr uint32_t kEscapePressed = 0x201B0000;

const ListBoxItemRecord& EmptyRecord()
{
    static const ListBoxItemRecord empty;
    return empty;
}

} // namespace

LComboBox::LComboBox(const RCPtr<LControl>& parent, const String& name) : LDropDownControl(parent, name) {}

LComboBox::~LComboBox() = default;

KVRESULT LComboBox::Receive(const RCPtr<LNotificationDistributor>& sender,
                            const RCPtr<LNotification>& notification)
{
    return ReceiveThroughOwnTable<LDropDownControl>(*this, mOwnHandler, sender, notification);
}

KVRESULT LComboBox::Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id)
{
    return DetachFromOwnTable<LDropDownControl>(*this, mOwnHandler, distributor, id);
}

RCPtr<LTextBox> LComboBox::GetTextBox()
{
    return FindSubControl<LTextBox>(*this, u"textBox");
}

KVRESULT LComboBox::ApplyAttributes()
{
    const KVRESULT result = LDropDownControl::ApplyAttributes();
    mInitialSelectedIndex = 0;
    const RCPtr<LControlDescriptor>& descriptor = GetDescriptor();
    String text;
    if (descriptor && descriptor->mCreateParams &&
        descriptor->mCreateParams->GetString(u"INITIAL_SELECTED_INDEX", text))
        mInitialSelectedIndex = ParseLeadingInt(text.View());
    return result;
}

KVRESULT LComboBox::Initialize()
{
    if (KV_FAILED(LDropDownControl::Initialize()))
        return E_FAIL;
    mListBox = FindSubControl<LListBox>(*this, u"listBox");
    if (!mListBox)
        return E_FAIL;
    const RCPtr<LTextBox> textBox = GetTextBox();
    mOwnHandler = LNotificationHandler<LComboBox>::Create(this);
    try
    {
        KV_THROW_IF_FAILED(mOwnHandler->AddHandlerFor(&LComboBox::OnListVisibilityChange, mListBox,
                                                      u"NID_VISIBLITY_CONDITION_CHANGE"));
        KV_THROW_IF_FAILED(
            mOwnHandler->AddHandlerFor(&LComboBox::OnItemActivated, mListBox, u"NID_ITEM_ACTIVATED"));
        if (textBox)
        {
            for (const char16_t* id : {u"NID_TEXTBOX_VALIDATING", u"NID_TEXTBOX_TEXT_CHANGE"})
                KV_THROW_IF_FAILED(
                    mOwnHandler->AddHandlerFor(&LComboBox::OnTextBoxNotification, textBox, id));
            KV_THROW_IF_FAILED(
                mOwnHandler->AddHandlerFor(&LComboBox::OnTextValidated, textBox, u"NID_TEXTBOX_VALIDATED"));
            KV_THROW_IF_FAILED(mOwnHandler->AddHandlerFor(&LComboBox::OnTextBoxFocusChange, textBox,
                                                          u"NID_HAS_FOCUS_CONDITION_CHANGE"));
        }
    }
    catch (const std::runtime_error&)
    {
        return E_FAIL;
    }
    mListBox->SetDropDownMode(true);
    mListBox->SetVisible(false);
    if (GetStringTable())
    {
        mListBox->LoadItemsFromStringTable(GetStringTable());
        const int32_t initial = mInitialSelectedIndex;
        if (initial >= 0 && initial < mListBox->GetItemCount() &&
            mListBox->SelectRange(initial, -1, true) >= 0)
        {
            const String text = mListBox->GetItemText(initial);
            SetTextAndRelayout(text, true);
            if (textBox)
                textBox->SetText(text);
            mSelectedIndex = initial;
        }
    }
    return S_OK;
}

KVRESULT LComboBox::PostInitialize()
{
    if (!mListBox)
        return E_FAIL;
    mListBox->SetVisible(false);
    ApplyListSizeLimits();
    return S_OK;
}

void LComboBox::ApplyListSizeLimits()
{
    const RCPtr<LControlDescriptor>& descriptor = mListBox->GetDescriptor();
    if (!descriptor || !descriptor->mLayout)
        return;
    const LLayoutDescriptor& skin = *descriptor->mLayout;
    const LLayoutDescriptor& own = *mListBox->GetLayout();
    // Limits the skin leaves open: at least as wide as the field and one row high.
    if (skin.mXMinSize.mAbs == 0 || skin.mXMaxSize.mAbs == 0)
    {
        LayoutSizeLimitSpec minimum = own.mXMinSize;
        if (skin.mXMinSize.mAbs == 0)
            minimum = {false, String(), 0, GetRect().width};
        mListBox->SetSizeLimits(0, minimum, own.mXMaxSize);
    }
    if (skin.mYMinSize.mAbs == 0 || skin.mYMaxSize.mAbs == 0)
    {
        LayoutSizeLimitSpec minimum = own.mYMinSize;
        if (skin.mYMinSize.mAbs == 0)
            minimum = {false, String(), 0, double(mListBox->GetRowHeight())};
        mListBox->SetSizeLimits(1, minimum, own.mYMaxSize);
    }
    if (mListBox->GetLayout()->mYMaxSize.mAbs > 0)
        mListBox->SnapSizeLimitsToRows();
}

int32_t LComboBox::FindRowOfText(const String& text) const
{
    return mListBox ? mListBox->FindItemByText(text, false) : -1;
}

int32_t LComboBox::SetSelectedIndex(int32_t index)
{
    if (!mListBox)
    {
        mSelectedIndex = -1;
        return -1;
    }
    RCPtr<LComboBox> self(this);
    if (index < 0)
    {
        mSelectedIndex = -1;
        mListBox->ClearSelection();
        return -1;
    }
    const int32_t selected = mListBox->SelectRange(index, -1, true);
    const bool changed = selected != mSelectedIndex;
    mSelectedIndex = selected < 0 ? -1 : selected;
    if (selected < 0)
        return mSelectedIndex;
    const String text = mListBox->GetItemText(selected);
    SetTextAndRelayout(text, true);
    if (const RCPtr<LTextBox> textBox = GetTextBox())
        textBox->SetText(text);
    if (changed)
        SendNotification(LNotification::Create(u"NID_SELECTION_CHANGE"));
    return mSelectedIndex;
}

KVRESULT LComboBox::SetText(const String& text)
{
    RCPtr<LComboBox> self(this);
    if (!SetTextAndRelayout(text, true))
        return S_FALSE;
    SetSelectedIndex(FindRowOfText(text));
    return S_OK;
}

int32_t LComboBox::AddItem(const String& text)
{
    return InsertItem(mListBox ? mListBox->GetItemCount() : 0, LListBox::MakeTextData(text));
}

int32_t LComboBox::InsertItem(int32_t index, const RCPtr<LRefCountedObject>& data)
{
    if (!data)
        return E_INVALIDARG;
    if (!mListBox)
        return E_FAIL;
    RCPtr<LComboBox> self(this);
    const int32_t result = mListBox->InsertItemWithData(index, data);
    if (KV_FAILED(result))
        return result;
    if (mSelectedIndex >= index)
        ++mSelectedIndex; // the same item stays selected
    else if (mSelectedIndex < 0 && mListBox->GetItemText(index) == GetText())
        SetSelectedIndex(index);
    return result;
}

const ListBoxItemRecord& LComboBox::GetItem(int32_t index) const
{
    return mListBox ? mListBox->GetItem(index) : EmptyRecord();
}

int32_t LComboBox::SetItemCount(int32_t count)
{
    if (!mListBox)
        return E_FAIL;
    RCPtr<LComboBox> self(this);
    const int32_t result = mListBox->SetItemCount(count);
    if (mSelectedIndex >= count)
        SetSelectedIndex(-1);
    if (IsDropDownOpen())
        SetDropDownOpen(true);
    return result;
}

bool LComboBox::IsDropDownOpen()
{
    return mListBox && mListBox->GetLayout()->mIsVisible && mListBox->GetRect().width > 0 &&
           mListBox->GetRect().height > 0;
}

void LComboBox::PlaceList()
{
    const RCPtr<LRootWindow> window = GetRootWindow();
    const double rowHeight = mListBox->GetRowHeight();
    const double h = GetRect().height;
    const double y = GetRootPosition().y;
    const double windowHeight = window ? window->GetClientSize().height : 0;
    const double content = mListBox->GetItemCount() * rowHeight;
    const double above = y - kWindowMargin;
    const double below = windowHeight - (y + h) - kWindowMargin;
    const RCPtr<LControlDescriptor>& descriptor = mListBox->GetDescriptor();
    const double skinMax = descriptor && descriptor->mLayout ? descriptor->mLayout->mYMaxSize.mAbs : 0;
    const double currentMax = mListBox->GetLayout()->mYMaxSize.mAbs;

    bool down;
    if (currentMax != 0 && skinMax > 0 && below >= skinMax)
        down = true;
    else if (currentMax != 0 && skinMax > 0 && above >= skinMax)
        down = false;
    else
        down = below >= content || below >= above;
    // A window too small for the list on either side still shows one row of it.
    const double room = std::max(down ? below : above, rowHeight);
    const double maximum = skinMax > 0 ? std::min(room, skinMax) : (content > room ? room : 0);
    const LLayoutDescriptor& own = *mListBox->GetLayout();
    mListBox->SetSizeLimits(
        1, own.mYMinSize,
        {own.mYMaxSize.mToControl, own.mYMaxSize.mControlName, own.mYMaxSize.mRel, maximum});

    LayoutAxisSpec axis = mListBox->GetLayout()->GetAxisSpec(1);
    axis.mPosition = {down ? 0.0f : 1.0f, PositionReference::Parent, String(), down ? 1.0f : 0.0f, 0};
    axis.mDocked = false;
    axis.mSize.mAbs = std::max(std::min(content, room), rowHeight);
    mListBox->SetLayoutAxis(1, axis);
    mListBox->SnapSizeLimitsToRows();

    // The lowest row showing the field's text exactly is selected and shown; else the first.
    bool found = false;
    for (int32_t row = mListBox->GetItemCount() - 1; row >= 0; --row)
        if (mListBox->GetItemText(row) == GetText())
        {
            mListBox->SelectRange(row, -1, true);
            mListBox->EnsureVisible(row);
            found = true;
        }
    if (!found && mListBox->GetItemCount() > 0)
    {
        mListBox->SelectRange(0, -1, true);
        mListBox->EnsureVisible(0);
    }
}

KVRESULT LComboBox::SetDropDownOpen(bool open)
{
    if (!mListBox)
        return E_FAIL;
    RCPtr<LComboBox> self(this);
    if (open && GetParent())
    {
        SendNotification(LNotification::Create(u"NID_DROPDOWN_OPENING"));
        PlaceList();
    }
    mListBox->SetVisible(open);
    if (open)
    {
        if (mListBox->IsDropDownMode() && mLeftPressed)
            static_cast<UITarget*>(mListBox.Get())
                ->BeginMouseCapture(kMouseButtonLeft, int32_t(mPressPoint.x), int32_t(mPressPoint.y));
        mListBox->SetFocus(true);
    }
    return S_OK;
}

void LComboBox::OnConditionsChanged(const RCPtr<LConditionsParam>& param)
{
    RCPtr<LComboBox> self(this);
    if (param && ConditionTurnedOn(*param, kConditionLeftPressed) && mListBox)
    {
        // The press point comes in the parent's coordinates; the list box's origin is the
        // field's plus its own place.
        const RectT<double>& list = mListBox->GetRect();
        mPressPoint = {param->mPressPoint.x - GetRect().x - list.x,
                       param->mPressPoint.y - GetRect().y - list.y};
    }
    LDropDownControl::OnConditionsChanged(param);
    UpdateLook();
}

int32_t LComboBox::ChooseStateLook()
{
    if (!IsEnabled(true))
        return kLookDisabled;
    const bool hovered = mHover || mHighlighted;
    if (IsDropDownOpen())
        return hovered ? kLookOpenHovered : kLookOpen;
    return (mHasFocus || mContainsFocus ? kLookFocused : kLookNormal) + (hovered ? 2 : 0);
}

KVRESULT LComboBox::UpdateLook()
{
    const int32_t look = ChooseStateLook();
    if (look < GetLookCount())
        ShowLook(look);
    return S_OK;
}

KVRESULT LComboBox::OnKeyDown(const RCPtr<LKeyParam>& param)
{
    if (!param)
        return S_FALSE;
    const uint32_t code = param->mKeyCode.mCode;
    if (!IsDropDownOpen() && (code == kDownPressed || code == kEnterPressed))
    {
        SetDropDownOpen(true);
        return S_OK;
    }
    if (IsDropDownOpen() && code == kEscapePressed)
    {
        mListBox->SetVisible(false);
        return S_OK;
    }
    return S_FALSE;
}

KVRESULT LComboBox::ProcessHotKeys(const RCPtr<LKeyParam>& param)
{
    // Escape from the open list (which has the focus) closes it.
    if (param && param->mKeyCode.mCode == kEscapePressed && mListBox && IsDropDownOpen())
    {
        mListBox->SetVisible(false);
        return S_OK;
    }
    return LDropDownControl::ProcessHotKeys(param);
}

KVRESULT LComboBox::OnListVisibilityChange(const RCPtr<LNotificationDistributor>&,
                                           const RCPtr<LNotification>&)
{
    UpdateLook();
    return S_FALSE;
}

KVRESULT LComboBox::OnItemActivated(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
{
    if (mListBox)
        SetSelectedIndex(mListBox->GetCaret());
    return S_FALSE;
}

KVRESULT LComboBox::OnTextBoxNotification(const RCPtr<LNotificationDistributor>&,
                                          const RCPtr<LNotification>& notification)
{
    if (notification)
        SendNotification(LNotification::Create(notification->GetId(), notification->GetData()));
    return S_FALSE;
}

KVRESULT LComboBox::OnTextValidated(const RCPtr<LNotificationDistributor>&,
                                    const RCPtr<LNotification>& notification)
{
    if (!notification)
        return S_OK;
    RCPtr<LComboBox> self(this);
    if (auto* params = dynamic_cast<LTextValidationParams*>(notification->GetData().Get()))
        SetSelectedIndex(FindRowOfText(params->mText));
    SendNotification(LNotification::Create(u"NID_TEXTBOX_VALIDATED", notification->GetData()));
    return S_OK;
}

KVRESULT LComboBox::OnTextBoxFocusChange(const RCPtr<LNotificationDistributor>&,
                                         const RCPtr<LNotification>& notification)
{
    auto* param = notification ? dynamic_cast<LConditionsParam*>(notification->GetData().Get()) : nullptr;
    if (param && ConditionTurnedOn(*param, kConditionHasFocus) && mListBox)
        mListBox->SetVisible(false);
    return S_FALSE;
}

String LComboBox::GetToolTipText()
{
    return LabelToolTipText(*this, LControl::GetToolTipText());
}

} // namespace KV
