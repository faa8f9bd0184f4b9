#pragma once
// IWindowOSServices: what a root window and the application ask of the operating-system
// window a root window lives in.
//
// Coordinates are whole pixels. Client coordinates have their origin at the top-left
// corner of the window's client area; screen coordinates at the top-left corner of the
// screen. Operations that need the native window answer E_FAIL (or do nothing) before it
// exists. The window calls its root window back with what it receives: pointer buttons,
// moves, wheel steps, keys, focus, activation, size changes and paints (LRootWindow).

#include "Graphics/Geometry.h"
#include "KVResult.h"
#include "KVTypes.h"
#include "Storage/StringT.h"

#include <cstdint>

namespace KV {

class IWindowOSServices
{
public:
    virtual ~IWindowOSServices() = default;

    virtual KVRESULT SetWindowText(const String& text) = 0;
    // Asks for a paint of the whole client area.
    virtual KVRESULT InvalidateAll() = 0;
    // Asks for a paint of the rectangle, in client coordinates.
    virtual KVRESULT InvalidateRect(const RectT<int32_t>& rect) = 0;
    // The client area, {0, 0, width, height}; rect is left alone when it fails.
    virtual KVRESULT GetClientRect(RectT<int32_t>& rect) = 0;
    virtual KVRESULT ScreenToClient(PointT<int32_t>& point) = 0;
    virtual KVRESULT ClientToScreen(PointT<int32_t>& point) = 0;
    // Places the window so that its client area covers the rectangle, in screen
    // coordinates.
    virtual KVRESULT SetWindowRect(const RectT<int32_t>& rect) = 0;
    // Shows or hides the window (the command values of kShow...); true when it was
    // visible before.
    virtual bool Show(int32_t command) = 0;
    // Paints what is invalid at once, not at the next turn of the loop.
    virtual KVRESULT RedrawWindow() = 0;
    virtual KVRESULT BringWindowToTop() = 0;
    virtual KVRESULT SetTopMost(bool topMost) = 0;
    // Ends a modal loop running on the window with the result, or, without one, closes
    // the window.
    virtual KVRESULT EndModal(int32_t result) = 0;
    // Runs a loop on the window until EndModal; the result EndModal was given.
    virtual int32_t RunModalLoop() = 0;
    virtual bool IsModal() = 0;
    // True while the window is the active window of the application.
    virtual bool IsActive() = 0;
    // True while the window has the keyboard focus.
    virtual bool HasFocus() = 0;
    virtual KVRESULT SetFocus() = 0;
    // Shows the cursor over the window; the cursor it replaces.
    virtual CursorHandle SetCursor(CursorHandle cursor) = 0;
    // The pointer in client coordinates.
    virtual PointT<int32_t> GetCursorPos() = 0;
    // The mouse buttons held (kMouseButtonLeft, ...Middle, ...Right).
    virtual int32_t GetMouseButtons() = 0;
    // The window system's own handle of the window, for code of the platform layer; 0
    // before it exists.
    virtual uintptr_t GetWindowHandle() = 0;
    // Starts or stops text input (with composition) for a control that edits text.
    virtual KVRESULT EnableTextInput(bool enable, int32_t value) = 0;

    // Commands of Show.
    static constexpr int32_t kShowHide = 0;
    static constexpr int32_t kShowNormal = 1;
};

} // namespace KV
