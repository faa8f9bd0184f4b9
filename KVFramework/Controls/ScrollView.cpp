#include "Controls/ScrollView.h"

#include "ControlBase/RootWindow.h"
#include "Notification/Notification.h"

#include <algorithm>
#include <cmath>

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
    RecalcScrollBars();
    return S_OK;
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
    const RectT<double> area = GetClientArea();
    UpdateAutoExtent();
    if (GetClientArea() != area)
        OnClientAreaChanged();
    UpdateAutoExtent();
    mRecalcBarsActive = false;
    return S_OK;
}

RectT<double> LScrollView::GetClientArea()
{
    const RectT<double> client = GetClientRect(-1);
    return {0, 0, std::max(client.width, 0.0), std::max(client.height, 0.0)};
}

RectT<double> LScrollView::GetScrollRange()
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
