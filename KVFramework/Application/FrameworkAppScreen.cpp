#include "Application/FrameworkApp.h"
#include "Application/WindowOSServices.h"

namespace KV {

RectT<int32_t> LFrameworkApp::GetWorkArea()
{
    if (mRootWindows.GetCount() == 0)
        return {};
    return (*mRootWindows.GetAtConst(0))->GetScreenRect();
}

PointT<int32_t> LFrameworkApp::GetMousePosition()
{
    const RCPtr<LRootWindow> window = GetActiveRootWindow();
    IWindowOSServices* services = window ? window->GetOSServices() : nullptr;
    if (!services)
        return {};
    PointT<int32_t> point = services->GetCursorPos();
    services->ClientToScreen(point);
    return point;
}

} // namespace KV
