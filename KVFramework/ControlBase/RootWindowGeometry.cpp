#include "Application/FrameworkApp.h"
#include "Application/WindowOSServices.h"
#include "ControlBase/RootWindow.h"

#include <algorithm>
#include <utility>

namespace KV {

RectT<int32_t> LRootWindow::GetScreenRect()
{
    if (!mOSServices)
        return mScreenRect;
    RectT<int32_t> client = mScreenRect;
    mOSServices->GetClientRect(client);
    PointT<int32_t> origin{0, 0};
    mOSServices->ClientToScreen(origin);
    mScreenRect = {origin.x, origin.y, client.width, client.height};
    return mScreenRect;
}

SizeT<int32_t> LRootWindow::GetClientSize()
{
    const RectT<int32_t> rect = GetScreenRect();
    return {rect.width, rect.height};
}

void LRootWindow::SetBounds(const RectT<int32_t>& rect)
{
    if (!mOSServices)
        return;
    const RectT<int32_t> current = GetScreenRect();
    if (rect.x == current.x && rect.y == current.y && rect.width == current.width &&
        rect.height == current.height)
        return;
    mOSServices->SetWindowRect(rect);
    if (mRootControl)
    {
        const RectT<double>& area = mRootControl->GetRect();
        mRootControl->InvalidateRect({0, 0, area.width, area.height},
                                     mRootControl->GetLayout()->mClipToParent);
    }
}

void LRootWindow::InvalidateRect(const RectT<int32_t>& rect)
{
    const RectT<int32_t> window = GetScreenRect();
    RectT<int32_t> visible;
    if (!RectT<int32_t>::Intersect(visible, rect, {0, 0, window.width, window.height}))
        return;
    mInvalidRegion.AddRect({visible.x, visible.y, visible.x + visible.width, visible.y + visible.height});
    if (mOSServices)
        mOSServices->InvalidateRect(visible);
}

int32_t LRootWindow::OnSizing(SizeT<int32_t>& size)
{
    const RCPtr<LControl> root = mRootControl;
    if (!root)
        return E_FAIL;
    const SizeT<int32_t> requested{std::max(size.width, 1), std::max(size.height, 1)};
    PointT<int32_t> origin{0, 0};
    if (mOSServices)
        mOSServices->ClientToScreen(origin);
    LFrameworkApp* app = LFrameworkApp::GetInstance();
    const RectT<int32_t> workArea = app ? app->GetWorkArea() : RectT<int32_t>{};
    const PointT<int32_t> pointer = app ? app->GetMousePosition() : origin;
    LayoutScreenReferences references;
    references.screen = {ClampCoordinate(-double(origin.x)), ClampCoordinate(-double(origin.y)),
                         ClampCoordinate(workArea.width), ClampCoordinate(workArea.height)};
    references.windowClient = {double(requested.width), double(requested.height)};
    references.pointer = {ClampCoordinate(double(pointer.x) - origin.x),
                          ClampCoordinate(double(pointer.y) - origin.y)};
    RectT<double> rect;
    if (KV_FAILED(root->CalculateLayoutRect(root->GetLayout().Get(), nullptr, references, rect)))
        return E_FAIL;
    rect.SnapToGrid();
    PointT<double> position{rect.x, rect.y};
    SizeT<double> extent{rect.width, rect.height};
    root->ApplyMinSize(position, extent);
    root->ApplyMaxSize(position, extent);
    rect = {position.x, position.y, extent.width, extent.height};
    rect.SnapToGrid();
    const SizeT<int32_t> result = SizeT<double>{rect.width, rect.height}.ToLong();
    const bool changed = result != size;
    size = result;
    return changed ? S_FALSE : S_OK;
}

void LRootWindow::Redraw()
{
    if (!mOSServices)
        return;
    const SizeT<int32_t> size = GetClientSize();
    InvalidateRect({0, 0, size.width, size.height});
    mOSServices->RedrawWindow();
}

void LRootWindow::OnWindowResized()
{
    if (RCPtr<LControl> root = mRootControl)
        static_cast<UITarget*>(root.Get())->OnParentResized();
}

void LRootWindow::CollectInvalidRegion(RectRegion& out)
{
    if (std::exchange(mSizeChanged, false))
    {
        const SizeT<int32_t> size = GetClientSize();
        InvalidateRect({0, 0, size.width, size.height});
    }
    mInvalidRegion.Optimize();
    out.Clear();
    out.AppendRegion(mInvalidRegion);
    mInvalidRegion.Clear();
}

} // namespace KV
