#include "Application/DesktopServices.h"

#include "Platform/Window/PlatformWindow.h"

namespace KV {
namespace {

class WindowSystemDesktop : public IDesktopServices
{
public:
    RectT<int32_t> GetWorkArea() override { return Platform::GetWorkArea(); }
    PointT<int32_t> GetPointerPosition() override { return Platform::GetPointerScreenPosition(); }
    void GetKeyState(uint32_t virtualKey, bool& down, bool& toggled) override
    {
        down = toggled = false;
        if (virtualKey <= 0xFF)
            Platform::GetKeyState(static_cast<uint8_t>(virtualKey), down, toggled);
    }
    bool MovePointerTo(int32_t screenX, int32_t screenY) override
    {
        return Platform::MovePointerTo(screenX, screenY);
    }
    void SetPointerVisible(bool visible) override { Platform::SetPointerVisible(visible); }
};

} // namespace

IDesktopServices& GetWindowSystemDesktop()
{
    static WindowSystemDesktop desktop;
    return desktop;
}

} // namespace KV
