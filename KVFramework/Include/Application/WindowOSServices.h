#pragma once
// IWindowOSServices: what a root window asks of the operating-system window it lives in.
//
// Coordinates are whole pixels. Client coordinates have their origin at the top-left
// corner of the window's client area; screen coordinates at the top-left corner of the
// screen.

#include "Graphics/Geometry.h"
#include "KVResult.h"

#include <cstdint>

namespace KV {

class IWindowOSServices
{
public:
    virtual ~IWindowOSServices() = default;

    // Asks for a paint of the rectangle, in client coordinates.
    virtual KVRESULT InvalidateRect(const RectT<int32_t>& rect) = 0;
    // The client area, {0, 0, width, height}; rect is left alone when it fails.
    virtual KVRESULT GetClientRect(RectT<int32_t>& rect) = 0;
    virtual KVRESULT ClientToScreen(PointT<int32_t>& point) = 0;
    // Places the window so that its client area covers the rectangle, in screen
    // coordinates.
    virtual KVRESULT SetWindowRect(const RectT<int32_t>& rect) = 0;
    // The pointer in client coordinates.
    virtual PointT<int32_t> GetCursorPos() = 0;

    // True while the window is the active window of the application.
    virtual bool IsActive() = 0;
};

} // namespace KV
