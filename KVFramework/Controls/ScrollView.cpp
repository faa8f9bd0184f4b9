#include "Controls/ScrollView.h"

#include "ControlBase/RootWindow.h"
#include "Notification/Notification.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace KV {

namespace {

// Extents closer than this are the same: a re-layout that gives back the extent it had
// must not announce a change.
constexpr double kExtentTolerance = 2.220446049250313e-15;
// The range of an axis whose extent is not known: no limit in practice.
constexpr double kUnlimitedRange = 4503599627370496.0; // 2^52

} // namespace

LScrollView::LScrollView(const RCPtr<LControl>& parent, const String& name) : LControl(parent, name) {}

LScrollView::~LScrollView() = default;

KVRESULT LScrollView::Initialize()
{
    const KVRESULT base = LControl::Initialize();
    if (KV_FAILED(base))
        return base;
    mOwnHandler = LNotificationHandler<LScrollView>::Create(this);
    mCorner = FindChild(String(u"corner"));
    mHBar = FindSubControl<LScrollbar>(*this, u"hBar");
    mVBar = FindSubControl<LScrollbar>(*this, u"vBar");
    return ConnectBars();
}

KVRESULT LScrollView::ConnectBars()
{
    RCPtr<LScrollView> self(this);
    if (mCorner)
    {
        // The corner is as wide as the vertical bar and as high as the horizontal one.
        mVBarWidth = mCorner->GetLayout()->mXSize.mAbs;
        mHBarHeight = mCorner->GetLayout()->mYSize.mAbs;
    }
    else
        mVBarWidth = mHBarHeight = 0;
    for (const RCPtr<LScrollbar>& bar : {mHBar, mVBar})
    {
        if (!bar)
            continue;
        if (!IsCreated())
            KV_THROW_IF_FAILED(mOwnHandler->AddHandlerFor(
                &LScrollView::OnBarValueChange, RCPtr<LNotificationDistributor>(bar), u"NID_VALUE_CHANGE"));
        double& thickness = bar == mHBar ? mHBarHeight : mVBarWidth;
        if (thickness == 0)
            thickness = bar == mHBar ? bar->GetRect().height : bar->GetRect().width;
    }
    RecalcScrollBars();
    return S_OK;
}

KVRESULT LScrollView::ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor)
{
    if (!IsCreated())
        return LControl::ApplyDescriptor(descriptor);
    RCPtr<LScrollView> self(this);
    // The children change under the new skin: the extent waits until the bars are found.
    const int32_t mode = std::exchange(mAutoExtentMode, kAutoExtentOff);
    const KVRESULT result = LControl::ApplyDescriptor(descriptor);
    ConnectBars();
    mAutoExtentMode = mode;
    UpdateAutoExtent();
    RecalcScrollBars();
    EndGeometryChange();
    return result;
}

KVRESULT LScrollView::Receive(const RCPtr<LNotificationDistributor>& sender,
                              const RCPtr<LNotification>& notification)
{
    return ReceiveThroughOwnTable<LControl>(*this, mOwnHandler, sender, notification);
}

KVRESULT LScrollView::Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id)
{
    return DetachFromOwnTable<LControl>(*this, mOwnHandler, distributor, id);
}

KVRESULT LScrollView::SetClientExtent(double width, double height)
{
    if (std::fabs(width - mClientExtent.width) < kExtentTolerance &&
        std::fabs(height - mClientExtent.height) < kExtentTolerance)
        return S_FALSE;
    mClientExtent = {width, height};
    RCPtr<LScrollView> self(this);
    UpdateScrollBars();
    SendNotification(LNotification::Create(u"NID_CLIENT_EXTENT_CHANGE", nullptr));
    return S_OK;
}

KVRESULT LScrollView::SetAutoExtent(int32_t mode, int32_t marginX, int32_t marginY)
{
    mAutoExtentMode = mode;
    mAutoExtentMargin = {marginX, marginY};
    UpdateAutoExtent();
    return S_OK;
}

KVRESULT LScrollView::UpdateAutoExtent()
{
    if (mAutoExtentMode == kAutoExtentOff)
        return S_FALSE;
    // The far edges of the children that scroll with the content on each axis; a child
    // docked on an axis stays put on it and gives no extent there.
    double right = 0;
    double bottom = 0;
    for (uint32_t i = 0; i < GetChildren().GetCount(); ++i)
    {
        LControl& child = *GetChildren().GetAt(i, kInsertionOrder);
        const RectT<double>& rect = child.GetRect();
        if (!child.GetLayout()->mXIsDocked)
            right = std::max(right, RoundHalfAwayFromZero(rect.x + rect.width));
        if (!child.GetLayout()->mYIsDocked)
            bottom = std::max(bottom, RoundHalfAwayFromZero(rect.y + rect.height));
    }
    SizeT<double> extent = mClientExtent;
    if (mAutoExtentMode & kAutoExtentWidth)
        extent.width = right + mAutoExtentMargin.x;
    if (mAutoExtentMode & kAutoExtentHeight)
        extent.height = bottom + mAutoExtentMargin.y;
    return SetClientExtent(extent.width, extent.height);
}

KVRESULT LScrollView::RecalcScrollBars()
{
    if (mRecalcBarsActive)
        return S_FALSE;
    mRecalcBarsActive = true;
    RCPtr<LScrollView> self(this);
    const double barWidth = mCorner ? mCorner->GetRect().width : mVBar ? mVBar->GetRect().width : 0;
    const double barHeight = mCorner ? mCorner->GetRect().height : mHBar ? mHBar->GetRect().height : 0;
    const RectT<double> area = GetClientArea();
    // The room with no bar shown.
    const double fullWidth = area.width + (barWidth > 0 ? mVBarWidth : 0);
    const double fullHeight = area.height + (barHeight > 0 ? mHBarHeight : 0);
    UpdateAutoExtent();
    bool needV = fullHeight < mClientExtent.height;
    const bool needH = fullWidth - (needV ? mVBarWidth : 0) < mClientExtent.width;
    // The horizontal bar takes height from the view, which may now need the vertical one.
    if (needH && !needV)
        needV = fullHeight - mHBarHeight < mClientExtent.height;
    ShowBar(1, needV);
    ShowBar(0, needH);
    UpdateBarRanges();
    if (mVBar && IsBarShown(mVBar) != (barWidth > 0))
        OnScrollBarVisibilityChanged(1);
    if (mHBar && IsBarShown(mHBar) != (barHeight > 0))
        OnScrollBarVisibilityChanged(0);
    if (GetClientArea() != area)
        OnClientAreaChanged();
    UpdateAutoExtent();
    mRecalcBarsActive = false;
    return S_OK;
}

void LScrollView::ShowBar(int axis, bool show)
{
    const RCPtr<LScrollbar>& bar = axis == 0 ? mHBar : mVBar;
    if (!bar || IsBarShown(bar) == show)
        return;
    // The bars reach to the corner: sizing the corner across the bar sizes the bar.
    const RCPtr<LControl> sized = mCorner ? mCorner : RCPtr<LControl>(bar);
    const int across = axis == 0 ? 1 : 0;
    LayoutAxisSpec spec = sized->GetLayout()->GetAxisSpec(across);
    spec.mSize = {SizeReference::Self, String(), 0, show ? (axis == 0 ? mHBarHeight : mVBarWidth) : 0.0};
    sized->SetLayoutAxis(across, spec);
}

bool LScrollView::IsBarShown(const RCPtr<LScrollbar>& bar)
{
    return bar && bar->GetLayout()->mIsVisible && bar->GetRect().width > 0 && bar->GetRect().height > 0;
}

SizeT<double> LScrollView::GetBarThickness()
{
    if (mCorner)
        return {mCorner->GetRect().width, mCorner->GetRect().height};
    return {mVBar ? mVBar->GetRect().width : 0, mHBar ? mHBar->GetRect().height : 0};
}

void LScrollView::SetLineScrolling(bool lineScrollY, int32_t lineHeight)
{
    mLineScrollY = lineScrollY;
    mLineHeight = lineHeight;
    UpdateBarRanges();
}

void LScrollView::UpdateBarRanges()
{
    RCPtr<LScrollView> self(this);
    const RectT<double> area = GetClientArea();
    for (int axis = 0; axis < 2; ++axis)
    {
        const RCPtr<LScrollbar> bar = axis == 0 ? mHBar : mVBar;
        if (!bar || !bar->GetParent())
            continue;
        const double view = axis == 0 ? area.width : area.height;
        const double extent = axis == 0 ? mClientExtent.width : mClientExtent.height;
        // Without a line height there are no lines to count: pixels instead.
        if (axis == 1 && mLineScrollY && mLineHeight > 0)
        {
            const int64_t lines = static_cast<int64_t>(extent / mLineHeight);
            const int64_t visible = static_cast<int64_t>(view / mLineHeight);
            double lineStep = 1;
            double fraction = 1;
            if (lines > visible)
            {
                lineStep = 1.0 / static_cast<double>(lines - visible);
                fraction = static_cast<double>(visible) / static_cast<double>(lines);
            }
            bar->SetLineStep(lineStep);
            bar->SetThumbFraction(fraction);
            bar->SetPageStep(std::min(static_cast<double>(visible) * lineStep, 1.0));
            bar->UpdateThumbSize();
            // The value stays on the line it showed, at most the new last one.
            bar->SetValueRange(0, static_cast<double>(std::max<int64_t>(lines - visible, 0)), 0);
            continue;
        }
        float fraction = 1;
        float page = 1;
        if (view < extent)
        {
            fraction = static_cast<float>(view) / static_cast<float>(extent);
            page = std::clamp(static_cast<float>(view) / static_cast<float>(extent - view), 0.0f, 1.0f);
        }
        bar->SetValueRange(0, extent - view, 0);
        bar->SetThumbFraction(fraction);
        bar->UpdateThumbSize();
        bar->SetPageStep(page);
        bar->SetLineStep(page / 10.0);
        const double offset =
            std::max(RoundHalfAwayFromZero((extent - view) * bar->GetNormalizedValue()), 0.0);
        PointT<double> scroll = GetScrollOffset();
        double& onAxis = axis == 0 ? scroll.x : scroll.y;
        if (offset != onAxis)
        {
            onAxis = offset;
            SetScrollOffset(scroll);
        }
    }
}

RectT<double> LScrollView::GetClientArea()
{
    const RectT<double> client = GetClientRect(-1);
    const SizeT<double> thickness = GetBarThickness();
    const double width = client.width - (IsBarShown(mVBar) ? thickness.width : 0);
    const double height = client.height - (IsBarShown(mHBar) ? thickness.height : 0);
    return {0, 0, std::max(width, 0.0), std::max(height, 0.0)};
}

RectT<double> LScrollView::GetScrollRange(const LControl*)
{
    const RectT<double> area = GetClientArea();
    const auto range = [](double extent, double view) {
        return extent <= 0 ? kUnlimitedRange : std::max(extent - view, 0.0);
    };
    return {0, 0, range(mClientExtent.width, area.width), range(mClientExtent.height, area.height)};
}

RectT<double> LScrollView::GetViewRect()
{
    const RectT<double> client = GetClientRect(-1);
    const RectT<double> children = GetChildrenBounds();
    const PointT<double>& scroll = GetScrollOffset();
    return {std::max(scroll.x, 0.0), std::max(scroll.y, 0.0),
            std::max(std::min(client.width, children.x + children.width), 1.0),
            std::max(std::min(client.height, children.y + children.height), 1.0)};
}

int32_t LScrollView::InvalidateChildArea(const RCPtr<LControl>& child)
{
    if (child && !mRecalcBarsActive && !mSettingScrollOffset && !mGeometryChanging)
    {
        // Bars and the corner are docked on both axes: they change the client area, the
        // rest changes the content.
        if (child->GetLayout()->mXIsDocked && child->GetLayout()->mYIsDocked)
            RecalcScrollBars();
        else
            UpdateAutoExtent();
    }
    return LControl::InvalidateChildArea(child);
}

PointT<double> LScrollView::SetScrollOffset(const PointT<double>& offset)
{
    const bool was = std::exchange(mSettingScrollOffset, true);
    const PointT<double> result = LControl::SetScrollOffset(offset);
    mSettingScrollOffset = was;
    return result;
}

int32_t LScrollView::ScrollOffscreenBuffer(const PointT<double>& oldOffset)
{
    RCPtr<LScrollView> self(this);
    const RectT<double> area = GetClientArea();
    const PointT<double>& offset = GetScrollOffset();
    for (int axis = 0; axis < 2; ++axis)
    {
        const RCPtr<LScrollbar> bar = axis == 0 ? mHBar : mVBar;
        if (!bar)
            continue;
        const double range =
            std::max(axis == 0 ? mClientExtent.width - area.width : mClientExtent.height - area.height, 0.0);
        const double value = range > 0 ? (axis == 0 ? offset.x : offset.y) / range : 0.0;
        const RCPtr<LNotificationDistributor> sender(bar);
        if (!mOwnHandler || !mOwnHandler->HasHandler(sender.Get(), u"NID_VALUE_CHANGE"))
        {
            bar->SetNormalizedValue(value);
            continue;
        }
        // The bar moves with the offset; its change must not come back as a scroll.
        CAutoNotificationDisabler<LScrollView> quiet(mOwnHandler, sender, u"NID_VALUE_CHANGE");
        bar->SetNormalizedValue(value);
        quiet.Restore();
    }
    return LControl::ScrollOffscreenBuffer(oldOffset);
}

KVRESULT LScrollView::OnBarValueChange(const RCPtr<LNotificationDistributor>& sender,
                                       const RCPtr<LNotification>&)
{
    RCPtr<LScrollView> self(this);
    PointT<double> scroll = GetScrollOffset();
    if (mHBar && sender.Get() == static_cast<LNotificationDistributor*>(mHBar.Get()))
        scroll.x = RoundHalfAwayFromZero(mHBar->NormalizedToValue(mHBar->GetNormalizedValue()));
    else if (mVBar && sender.Get() == static_cast<LNotificationDistributor*>(mVBar.Get()))
    {
        const double mapped = mVBar->NormalizedToValue(mVBar->GetNormalizedValue());
        scroll.y = mLineScrollY && mLineHeight > 0 ? std::trunc(mapped) * mLineHeight
                                                   : RoundHalfAwayFromZero(mapped);
    }
    else
        return S_FALSE;
    SetScrollOffset(scroll);
    return S_FALSE;
}

KVRESULT LScrollView::StepBar(const RCPtr<LScrollbar>& bar, const RCPtr<LMouseWheelParam>& param,
                              bool forward)
{
    const double step = (param->mModifiers & kModifierShift) ? bar->GetPageStep() : bar->GetLineStep();
    bar->SetNormalizedValue(bar->GetNormalizedValue() + (forward ? step : -step));
    return S_OK;
}

KVRESULT LScrollView::OnWheel(const RCPtr<LMouseWheelParam>& param)
{
    const bool vShown = IsBarShown(mVBar);
    const bool hShown = IsBarShown(mHBar);
    if (!param || (!vShown && !hShown))
        return S_FALSE;
    RCPtr<LScrollView> self(this);
    const bool horizontal = !vShown || ((param->mModifiers & kModifierAlt) != 0 && hShown);
    // Turned towards the user, the wheel moves the content on.
    return StepBar(horizontal ? mHBar : mVBar, param, param->mDirection == kWheelVerticalNegative);
}

KVRESULT LScrollView::OnHWheel(const RCPtr<LMouseWheelParam>& param)
{
    const bool vShown = IsBarShown(mVBar);
    const bool hShown = IsBarShown(mHBar);
    if (!param || (!vShown && !hShown))
        return S_FALSE;
    RCPtr<LScrollView> self(this);
    // Tilted to the right, the view moves to the right.
    return StepBar(hShown ? mHBar : mVBar, param, param->mDirection == kWheelHorizontalPositive);
}

void LScrollView::BeginGeometryChange()
{
    mGeometryChanging = true;
    LControl::BeginGeometryChange();
}

void LScrollView::EndGeometryChange()
{
    LControl::EndGeometryChange();
    mGeometryChanging = false;
    UpdateAutoExtent();
    RecalcScrollBars();
}

void LScrollView::OnChildRemoved(const RCPtr<LControl>& child, int32_t index)
{
    LControl::OnChildRemoved(child, index);
    if (GetRootWindow())
        UpdateAutoExtent();
}

} // namespace KV
