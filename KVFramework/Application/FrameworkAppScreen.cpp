// What the application answers about the screen, the pointer and the keyboard: from its
// active window where it has one, else from the window system.

#include "Application/FrameworkApp.h"
#include "Application/WindowOSServices.h"

#include <utility>

namespace KV {

namespace {

// The mouse buttons' virtual keys.
constexpr uint32_t kVirtualKeyLeftButton = 0x01;
constexpr uint32_t kVirtualKeyRightButton = 0x02;
constexpr uint32_t kVirtualKeyMiddleButton = 0x04;

} // namespace

void LFrameworkApp::SetDesktopServices(IDesktopServices* desktop) noexcept
{
    mDesktop = desktop ? desktop : &GetWindowSystemDesktop();
}

RectT<int32_t> LFrameworkApp::GetWorkArea()
{
    const RectT<int32_t> area = mDesktop->GetWorkArea();
    if (area.width > 0 && area.height > 0)
        return area;
    if (mRootWindows.GetCount() == 0)
        return {};
    return (*mRootWindows.GetAtConst(0))->GetScreenRect();
}

PointT<int32_t> LFrameworkApp::GetMousePosition()
{
    const RCPtr<LRootWindow> window = GetActiveRootWindow();
    IWindowOSServices* services = window ? window->GetOSServices() : nullptr;
    if (!services)
        return mDesktop->GetPointerPosition();
    PointT<int32_t> point = services->GetCursorPos();
    services->ClientToScreen(point);
    return point;
}

int32_t LFrameworkApp::GetMouseButtons()
{
    const RCPtr<LRootWindow> window = GetActiveRootWindow();
    if (IWindowOSServices* services = window ? window->GetOSServices() : nullptr)
        return services->GetMouseButtons();
    int32_t buttons = 0;
    for (const auto& [virtualKey, button] : {std::pair{kVirtualKeyLeftButton, kMouseButtonLeft},
                                             std::pair{kVirtualKeyMiddleButton, kMouseButtonMiddle},
                                             std::pair{kVirtualKeyRightButton, kMouseButtonRight}})
    {
        bool down = false;
        bool toggled = false;
        GetKeyState(virtualKey, down, toggled);
        if (down)
            buttons |= button;
    }
    return buttons;
}

KVRESULT LFrameworkApp::GetKeyState(uint32_t virtualKey, bool& down, bool& toggled)
{
    down = toggled = false;
    mDesktop->GetKeyState(virtualKey, down, toggled);
    return S_OK;
}

KVRESULT LFrameworkApp::GetSystemTime(SystemTime& time)
{
    time = ToSystemTime(std::chrono::system_clock::now());
    return S_OK;
}

int32_t LFrameworkApp::ShowCursor(bool show)
{
    const bool wasShown = mCursorShowCount >= 0;
    mCursorShowCount += show ? 1 : -1;
    const bool shown = mCursorShowCount >= 0;
    if (shown != wasShown)
        mDesktop->SetPointerVisible(shown);
    return mCursorShowCount;
}

KVRESULT LFrameworkApp::SetCursorPos(int32_t x, int32_t y)
{
    return mDesktop->MovePointerTo(x, y) ? S_OK : E_FAIL;
}

} // namespace KV
