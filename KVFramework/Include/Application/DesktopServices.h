#pragma once
// What the application asks of the window system beyond its own windows: the part of the
// screen windows may take, the pointer, the keyboard's state and the pointer's
// visibility. The window layer answers by default (GetWindowSystemDesktop); tests give
// the application one of their own.

#include "Graphics/Geometry.h"

#include <cstdint>

namespace KV {

class IDesktopServices
{
public:
    virtual ~IDesktopServices() = default;

    // In screen coordinates; empty when the window system does not tell.
    virtual RectT<int32_t> GetWorkArea() = 0;
    // The pointer in screen coordinates.
    virtual PointT<int32_t> GetPointerPosition() = 0;
    // Whether the key of the virtual key (the mouse buttons' 1, 2 and 4 included) is down,
    // and whether its lock is on.
    virtual void GetKeyState(uint32_t virtualKey, bool& down, bool& toggled) = 0;
    // false when the window system refused.
    virtual bool MovePointerTo(int32_t screenX, int32_t screenY) = 0;
    virtual void SetPointerVisible(bool visible) = 0;
};

// The window layer's answers; nothing is known without a display.
IDesktopServices& GetWindowSystemDesktop();

} // namespace KV
