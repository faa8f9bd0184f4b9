// The list box's pool of row controls, its template, its layout and its size.

#include "Controls/ListBox.h"

#include "Application/FrameworkApp.h"
#include "ControlBase/ControlFactory.h"
#include "ControlBase/RootWindow.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace KV {

namespace {

// The text a template row is measured with: the tallest letters and the deepest ones.
constexpr const char16_t* kRowHeightSample = u"{WXyg|}";
constexpr const char16_t* kTemplateName = u"templateItem";

RCPtr<LControlFactory> ApplicationFactory()
{
    LFrameworkApp* app = LFrameworkApp::GetInstance();
    return app ? app->GetControlFactory() : nullptr;
}

int32_t RoundToInt(double value)
{
    return static_cast<int32_t>(RoundHalfAwayFromZero(value));
}

} // namespace

LListBox::LListBox(const RCPtr<LControl>& parent, const String& name) : LScrollView(parent, name) {}

LListBox::~LListBox() = default;

KVRESULT LListBox::Receive(const RCPtr<LNotificationDistributor>& sender,
                           const RCPtr<LNotification>& notification)
{
    return ReceiveThroughOwnTable<LScrollView>(*this, mOwnHandler, sender, notification);
}

KVRESULT LListBox::Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id)
{
    return DetachFromOwnTable<LScrollView>(*this, mOwnHandler, distributor, id);
}

KVRESULT LListBox::Initialize()
{
    const KVRESULT base = LScrollView::Initialize();
    mOwnHandler = LNotificationHandler<LListBox>::Create(this);
    if (KV_FAILED(base))
        return base;
    RCPtr<LListBox> self(this);
    // The rows give the extent, not the children.
    SetAutoExtent(kAutoExtentOff, 0, 0);

    if (RCPtr<LControl> templateRow = FindChild(String(kTemplateName)))
    {
        mTemplate = templateRow->GetDescriptor();
        AdoptTemplateItem(*templateRow);
        // It only serves as the pattern of the rows: never shown.
        templateRow->RemoveFromTree();
        // The vertical bar moves by whole rows.
        SetLineScrolling(true, mRowHeight);
        EnsureItemControls();
        LoadItemsFromStringTable(GetStringTable());
        UpdateItemControls(mTopRow);
        LayoutItemControls();
        return base;
    }

    // Rows given one by one by the skin: "item1", "item2", ...
    for (int32_t n = 1;; ++n)
    {
        String name;
        name.Format(u"item%d", n);
        RCPtr<LListBoxItem> row = FindSubControl<LListBoxItem>(*this, name.GetText());
        if (!row)
            break;
        if (n == 1)
            AdoptTemplateItem(*row);
        mRows.push_back(row);
        InsertItem(n - 1);
        mRecords[n - 1].mData = MakeTextData(row->GetText());
        ConnectItemControl(row);
    }
    if (!mRows.empty())
    {
        UpdateItemControls(0);
        if (mDropDown)
            FitHeightToContent(GetContentHeight());
        LayoutItemControls();
    }
    return base;
}

void LListBox::ConnectItemControl(const RCPtr<LListBoxItem>& row)
{
    const RCPtr<LNotificationDistributor> sender(row);
    KV_THROW_IF_FAILED(mOwnHandler->AddHandlerFor(&LListBox::OnItemMouseDown, sender, u"NID_MOUSE_DOWN"));
    KV_THROW_IF_FAILED(mOwnHandler->AddHandlerFor(&LListBox::OnItemLeftDragChange, sender,
                                                  u"NID_LEFT_DRAG_CONDITION_CHANGE"));
    KV_THROW_IF_FAILED(
        mOwnHandler->AddHandlerFor(&LListBox::OnItemHoverChange, sender, u"NID_HOVER_CONDITION_CHANGE"));
    row->SetForwardCapture(mDropDown);
    row->SetDragThreshold(mRowDragThreshold);
}

void LListBox::AdoptTemplateItem(LControl& templateRow)
{
    RCPtr<LListBox> self(this);
    const double width = GetRect().width;
    // The list box's minimum width must not hold the row while it is measured.
    const LLayoutDescriptor& layout = *GetLayout();
    const LayoutSizeLimitSpec minimum = layout.mXMinSize;
    SetSizeLimits(0, LayoutSizeLimitSpec{}, layout.mXMaxSize);

    const String text = templateRow.GetText();
    templateRow.SetText(String());
    mEmptyRowWidth = RoundToInt(templateRow.GetRect().width);
    templateRow.SetText(String(kRowHeightSample));
    mRowHeight = RoundToInt(templateRow.GetRect().height);
    if (mRowHeight <= 0)
        mRowHeight = kDefaultRowHeight;
    templateRow.SetText(text);

    // The width limits and the width the skin gives; a list box whose rows widen with their
    // text keeps at least the width it has now.
    const RCPtr<LControlDescriptor>& own = GetDescriptor();
    RCPtr<LLayoutDescriptor> skinLayout = own && own->mLayout ? own->mLayout : LLayoutDescriptor::Create();
    LayoutSizeLimitSpec restoredMinimum = skinLayout->mXMinSize;
    const RCPtr<LLayoutDescriptor>& rowLayout =
        templateRow.GetDescriptor() ? templateRow.GetDescriptor()->mLayout : templateRow.GetLayout();
    if (rowLayout && rowLayout->mTextOverflowX == TextOverflowX::Expand && !minimum.mToControl &&
        minimum.mAbs == 0)
    {
        restoredMinimum = LayoutSizeLimitSpec{};
        restoredMinimum.mAbs = width;
    }
    SetSizeLimits(0, restoredMinimum, skinLayout->mXMaxSize);
    LayoutAxisSpec xAxis = GetLayout()->GetAxisSpec(0);
    xAxis.mSize = skinLayout->mXSize;
    SetLayoutAxis(0, xAxis);

    if (mDropDown)
        FitHeightToContent(std::max(GetItemCount(), 1) * static_cast<double>(mRowHeight));
    mRowsEnabled = true;
}

// ---- the skin ----

KVRESULT LListBox::ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor)
{
    RCPtr<LListBox> self(this);
    mApplyingDescriptor = true;
    mTemplate = nullptr;
    KVRESULT result = S_OK;
    try
    {
        result = LScrollView::ApplyDescriptor(descriptor);
        // The template of a new skin: its rows replace the ones the old skin made.
        if (IsCreated() && descriptor)
            for (uint32_t i = 0; i < descriptor->mChildren.GetCount(); ++i)
                if (const RCPtr<LControlDescriptor>& child = *descriptor->mChildren.GetAtConst(i);
                    child && child->mName == kTemplateName)
                    AdoptChild(nullptr, child);
    }
    catch (...)
    {
        mApplyingDescriptor = false;
        throw;
    }
    mApplyingDescriptor = false;
    if (IsCreated())
    {
        EnsureItemControls();
        UpdateItemControls(mTopRow);
        UpdateWidestItem();
    }
    return result;
}

KVRESULT LListBox::AdoptChild(const RCPtr<LControl>& child, const RCPtr<LControlDescriptor>& descriptor)
{
    if (!child)
    {
        if (!descriptor || descriptor->mName != kTemplateName)
            return E_FAIL;
        RCPtr<LListBox> self(this);
        mTemplate = descriptor;
        RCPtr<LControlFactory> factory = ApplicationFactory();
        if (!factory)
            return E_FAIL;
        RCPtr<LControl> templateRow = factory->CreateControl(descriptor, RCPtr<LControl>(self));
        if (!templateRow)
            return E_FAIL;
        AdoptTemplateItem(*templateRow);
        templateRow->RemoveFromTree();
        return S_OK;
    }
    if (RCPtr<LListBoxItem> row = RCPtr<LListBoxItem>::DynamicCastFrom(child))
    {
        // A predefined row "item<n>" takes its place n - 1 in the pool again; a name that
        // gives no place in the pool leaves the pool as it is.
        const int32_t n = child->GetName().MidFrom(4).ToInt();
        if (n >= 1 && n <= static_cast<int32_t>(mRows.size()))
            mRows[n - 1] = row;
    }
    return LScrollView::AdoptChild(child, descriptor);
}

void LListBox::OnChildRemoved(const RCPtr<LControl>& child, int32_t index)
{
    const auto found = std::find_if(mRows.begin(), mRows.end(),
                                    [&](const RCPtr<LListBoxItem>& row) { return row.Get() == child.Get(); });
    if (found != mRows.end())
        mRows.erase(found);
    LScrollView::OnChildRemoved(child, index);
}

// ---- the row controls ----

void LListBox::EndGeometryChange()
{
    LScrollView::EndGeometryChange();
    EnsureItemControls();
}

int32_t LListBox::InvalidateChildArea(const RCPtr<LControl>& child)
{
    const int32_t result = LScrollView::InvalidateChildArea(child);
    EnsureItemControls();
    return result;
}

KVRESULT LListBox::EnsureItemControls()
{
    if (mCreatingRows || mApplyingDescriptor)
        return S_OK;
    if (!mRowsEnabled || !mTemplate)
        return S_FALSE;
    RCPtr<LListBox> self(this);
    mCreatingRows = true;
    KVRESULT result = S_OK;
    try
    {
        const RectT<double> area = GetClientArea();
        const double target = area.y + area.height + GetScrollOffset().y;
        const auto bottom = [this] {
            const RectT<double>& rect = mRows.back()->GetRect();
            return rect.y + rect.height;
        };
        // At least one row, which the widths are measured with.
        while (mRows.empty() || bottom() < target)
        {
            const double before = mRows.empty() ? -1.0 : bottom();
            result = CreateItemControl();
            // A row that adds no height would never fill the area.
            if (KV_FAILED(result) || bottom() <= before)
                break;
        }
    }
    catch (...)
    {
        mCreatingRows = false;
        throw;
    }
    mCreatingRows = false;
    return KV_FAILED(result) ? result : S_OK;
}

KVRESULT LListBox::CreateItemControl()
{
    RCPtr<LControlFactory> factory = ApplicationFactory();
    if (!factory || !mTemplate)
        return E_FAIL;
    RCPtr<LListBox> self(this);
    RCPtr<LLayoutDescriptor> layout =
        mTemplate->mLayout ? mTemplate->mLayout->Clone() : LLayoutDescriptor::Create();
    // Rows stand still while the content scrolls: scrolling changes what they show.
    layout->mYIsDocked = true;
    layout->mYPosition.mPlacementAnchor = 0;
    layout->mYPosition.mAbs = 0;
    layout->mTextOverflowX = TextOverflowX::Clip;
    if (!mRows.empty())
    {
        // Directly below the last row.
        layout->mYPosition.mReference = PositionReference::Control;
        layout->mYPosition.mControlName = mRows.back()->GetName();
        layout->mYPosition.mRel = 1.0f;
    }
    else
    {
        layout->mYPosition.mReference = PositionReference::Client;
        layout->mYPosition.mControlName = String();
        layout->mYPosition.mRel = 0;
    }
    String name;
    name.Format(u"ItemControl%d", static_cast<int32_t>(mRows.size()) + 1);
    RCPtr<LControl> control = factory->CreateControl(factory->CloneControlDescriptor(mTemplate, layout, name),
                                                     RCPtr<LControl>(self));
    RCPtr<LListBoxItem> row = RCPtr<LListBoxItem>::DynamicCastFrom(control);
    if (!row || row->GetParent().Get() != this)
    {
        // Not a row (a skin whose template is of another class), or its name is taken.
        if (control && control->GetParent().Get() == this)
            control->RemoveFromTree();
        return E_FAIL;
    }
    ConnectItemControl(row);
    row->SetUseParentToolTip(true);
    mRows.push_back(row);
    UpdateItemControl(mTopRow + static_cast<int32_t>(mRows.size()) - 1);
    return S_OK;
}

KVRESULT LListBox::UpdateItemControl(int32_t row)
{
    const int32_t index = GetItemControlIndex(row);
    if (index < 0)
        return S_FALSE;
    RCPtr<LListBox> self(this);
    RCPtr<LListBoxItem> control = mRows[index];
    const bool exists = row >= 0 && row < GetItemCount();
    const ListBoxItemRecord& record = GetItem(row);
    // A separator shows no text, however often its row is refilled.
    control->SetText(exists && !record.mSeparator ? GetItemText(row) : String());
    control->SetNormalizedValue(exists ? record.mValue : 0.0);
    control->SetHasSubMenu(exists && record.mHasSubMenu);
    control->SetEnabled(exists);
    control->SetSeparator(exists && record.mSeparator);
    return S_OK;
}

void LListBox::UpdateItemControls(int32_t row)
{
    const int32_t last = mTopRow + static_cast<int32_t>(mRows.size()) - 1;
    for (int32_t r = std::max(row, mTopRow); r <= last; ++r)
        if (KV_FAILED(UpdateItemControl(r)))
            break;
}

KVRESULT LListBox::LayoutItemControls()
{
    if (mLayoutSuspended)
        return S_FALSE;
    RCPtr<LListBox> self(this);
    const bool fixed =
        !mTemplate || !mTemplate->mLayout || mTemplate->mLayout->mXSize.mReference == SizeReference::Self;
    SetClientExtent(fixed ? mWidestItemWidth : 0, GetContentHeight());
    if (fixed)
        for (const RCPtr<LListBoxItem>& row : std::vector<RCPtr<LListBoxItem>>(mRows))
        {
            // Centred in the client area, as wide as the widest item.
            LayoutAxisSpec x = row->GetLayout()->GetAxisSpec(0);
            x.mPosition.mPlacementAnchor = 0.5f;
            x.mPosition.mReference = PositionReference::Client;
            x.mPosition.mControlName = String();
            x.mPosition.mRel = 0.5f;
            x.mPosition.mAbs = 0;
            x.mSize.mReference = SizeReference::Self;
            x.mSize.mControlName = String();
            x.mSize.mRel = 0;
            x.mSize.mAbs = mWidestItemWidth;
            row->SetLayoutAxis(0, x);
        }
    return S_OK;
}

int32_t LListBox::MeasureItem(int32_t row)
{
    if (row < 0 || row >= GetItemCount() || mRows.empty())
        return 0;
    LFrameworkApp* app = LFrameworkApp::GetInstance();
    RCPtr<LMeasurementRenderer> measurer = app ? app->GetMeasurementRenderer() : nullptr;
    if (!measurer)
        return 0;
    const RectT<float> size = measurer->MeasureText(GetItemText(row), mRows.front()->GetFont());
    return static_cast<int32_t>(size.width + 0.5 + mEmptyRowWidth);
}

int32_t LListBox::GetContentHeight()
{
    return GetItemCount() * mRowHeight;
}

bool LListBox::TemplateExpands() const
{
    return mTemplate && mTemplate->mLayout && mTemplate->mLayout->mTextOverflowX == TextOverflowX::Expand;
}

KVRESULT LListBox::UpdateWidestItem()
{
    if (mLayoutSuspended)
        return S_FALSE;
    int32_t widest = 0;
    for (int32_t row = 0; row < GetItemCount(); ++row)
        widest = std::max(widest, MeasureItem(row));
    return SetWidestItemWidth(widest);
}

KVRESULT LListBox::SetWidestItemWidth(int32_t width)
{
    if (mLayoutSuspended || width == mWidestItemWidth)
        return S_FALSE;
    RCPtr<LListBox> self(this);
    mWidestItemWidth = width;
    LayoutItemControls();
    if (TemplateExpands())
        FitWidthToContent(GetBarThickness().width + mWidestItemWidth);
    return S_OK;
}

void LListBox::OnScrollBarVisibilityChanged(int axis)
{
    if (axis == 1 && TemplateExpands())
        FitWidthToContent(GetBarThickness().width + mWidestItemWidth);
}

// ---- size ----

double LListBox::NonClientHeight() const
{
    return GetRect().height - GetClientRect(-1).height;
}

KVRESULT LListBox::FitAxisToContent(int axis, double content)
{
    if (mLayoutSuspended)
        return S_FALSE;
    const double frame = axis == 0 ? GetRect().width - GetClientRect(-1).width : NonClientHeight();
    LayoutAxisSpec spec = GetLayout()->GetAxisSpec(axis);
    spec.mSize = LayoutSizeSpec{SizeReference::Self, String(), 0, RoundHalfAwayFromZero(frame + content)};
    SetLayoutAxis(axis, spec);
    return S_OK;
}

KVRESULT LListBox::FitHeightToContent(double contentHeight)
{
    return FitAxisToContent(1, contentHeight);
}

KVRESULT LListBox::FitWidthToContent(double contentWidth)
{
    return FitAxisToContent(0, contentWidth);
}

void LListBox::SnapSizeLimitsToRows()
{
    const double frame = NonClientHeight();
    const double rowHeight = mRowHeight;
    const LLayoutDescriptor& layout = *GetLayout();
    LayoutSizeLimitSpec minimum = layout.mYMinSize;
    LayoutSizeLimitSpec maximum = layout.mYMaxSize;
    const auto snapLimit = [&](LayoutSizeLimitSpec& limit) {
        if (limit.mAbs > frame)
            limit.mAbs =
                std::max(frame + rowHeight * std::trunc((limit.mAbs - frame) / rowHeight), frame + rowHeight);
    };
    snapLimit(minimum);
    snapLimit(maximum);
    if (minimum.mAbs > 0 || maximum.mAbs > 0)
        SetSizeLimits(1, minimum, maximum);
    LayoutAxisSpec y = layout.GetAxisSpec(1);
    if (y.mSize.mAbs > 0)
    {
        y.mSize.mAbs = std::max(frame + rowHeight * std::trunc(y.mSize.mAbs / rowHeight), frame + rowHeight);
        SetLayoutAxis(1, y);
    }
}

// ---- scrolling and looks ----

int32_t LListBox::ScrollOffscreenBuffer(const PointT<double>& offset)
{
    const int32_t topRow = std::max(static_cast<int32_t>(GetScrollOffset().y / mRowHeight), 0);
    if (topRow != mTopRow)
    {
        RCPtr<LListBox> self(this);
        mTopRow = topRow;
        UpdateItemControls(mTopRow);
        // The row under the pointer now shows another item: its hover state is taken afresh.
        if (RCPtr<LRootWindow> window = GetRootWindow())
            if (const RCPtr<LControl> hover = window->GetHoverControl();
                hover && GetItemControlRow(hover.Get()) >= 0)
            {
                hover->SetVisible(false);
                hover->SetVisible(true);
            }
    }
    return LScrollView::ScrollOffscreenBuffer(offset);
}

void LListBox::ScrollToTopRow(int32_t topRow)
{
    SetScrollOffset({GetScrollOffset().x, static_cast<double>(topRow) * mRowHeight});
}

void LListBox::OnConditionsChanged(const RCPtr<LConditionsParam>& param)
{
    LScrollView::OnConditionsChanged(param);
    if (!param ||
        ((param->mOldConditions ^ param->mNewConditions) & (kConditionEnabled | kConditionHasFocus)) == 0)
        return;
    int32_t look = kLookNormal;
    if ((param->mNewConditions & kConditionEnabled) == 0)
        look = kLookDisabled;
    else if ((param->mNewConditions & kConditionHasFocus) != 0)
        look = kLookFocused;
    ShowLook(look < GetLookCount() ? look : kLookNormal);
}

} // namespace KV
