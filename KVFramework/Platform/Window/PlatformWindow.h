#pragma once
// PlatformWindow: one top-level window of the window system, as the operating-system
// window of the framework drives it. Its events come through the process's
// WindowEventSource under GetId(); pictures drawn in memory reach it through its
// presenter. Coordinates: the client area's rectangle on the screen; sizes in pixels.
//
// Window thread only.

#include "Graphics/Geometry.h"
#include "Platform/Graphics/SurfacePixels.h"
#include "Platform/Window/NativeWindow.h"

#include <cstdint>
#include <memory>
#include <string>

namespace KV::Platform {

struct WindowSpec
{
    std::string title; // UTF-8
    // The class the window manager files the window under (X's WM_CLASS): task lists
    // group and name windows by it. Empty: the window system's default.
    std::string className;
    RectT<int32_t> clientRect{0, 0, 1, 1};
    bool resizable = false;
    bool borderless = false; // no frame, not in the task bar (a splash screen)
    bool topMost = false;
    bool openGL = false; // drawn by the OpenGL renderer (GetGLDrawable)
};

// The system's cursors; a framework cursor handle (CursorHandle) is one of these loaded.
enum class SystemCursor
{
    Arrow,
    IBeam,
    Wait,
    Cross,
    UpArrow,
    SizeAll,
    SizeNWSE,
    SizeNESW,
    SizeWE,
    SizeNS,
    No,
    Hand,
    AppStarting,
    Help,
};

// The thickness of the frame the window system puts around a client area.
struct FrameExtents
{
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

class PlatformWindow : public NativeWindow
{
public:
    // The window, created hidden; null when the window system cannot make it.
    static std::unique_ptr<PlatformWindow> Create(const WindowSpec& spec);

    virtual uint32_t GetId() const = 0;
    virtual void SetTitle(const std::string& utf8) = 0;
    virtual void Show(bool show) = 0;
    virtual bool IsVisible() const = 0;
    virtual bool IsMinimized() const = 0;
    // Whether the user may drag the window's frame to another size.
    virtual bool IsResizable() const = 0;
    virtual void Restore() = 0;
    virtual RectT<int32_t> GetClientRect() const = 0;
    virtual void SetClientRect(const RectT<int32_t>& screenRect) = 0;
    virtual FrameExtents GetFrameExtents() const = 0;
    // The sizes the user may drag the client area to; a size of 0 on an axis: no limit.
    virtual void SetSizeLimits(const SizeT<int32_t>& minimum, const SizeT<int32_t>& maximum) = 0;
    virtual void Raise() = 0;
    // Restored when minimised, back on the screen when the window manager took it off
    // (as it does to a minimised window), and raised above the other windows.
    virtual void BringToFront() = 0;
    virtual void SetTopMost(bool topMost) = 0;
    // The window this one belongs to as its modal window (X's WM_TRANSIENT_FOR): the
    // window manager keeps this one in front of it. Null: none.
    virtual void SetModalFor(PlatformWindow* owner) = 0;
    virtual void TakeFocus() = 0;
    virtual bool HasFocus() const = 0;
    // The pointer keeps reporting to this window while it is outside.
    virtual void SetMouseCapture(bool capture) = 0;
    // Straight (not premultiplied) 0xAARRGGBB pixels.
    virtual void SetIcon(const SurfacePixels& pixels) = 0;
    // Where the window system shows the window (the X window id); 0 when it does not say.
    virtual uintptr_t GetSystemHandle() const = 0;
};

// The id of the window of this process that has the keyboard focus; 0 when none has.
uint32_t GetFocusedWindowId();
// The pointer on the screen, and the buttons held (1 left, 2 middle, 4 right).
PointT<int32_t> GetPointerScreenPosition();
int GetPointerButtons();
// Whether the key of the virtual key is down and whether its lock is on, as far as the
// windows of this process have seen the keyboard; the mouse buttons' virtual keys (1, 2,
// 4) from the pointer.
void GetKeyState(uint8_t virtualKey, bool& down, bool& toggled);
// Moves the pointer to the point of the screen; false when the window system refused.
bool MovePointerTo(int32_t screenX, int32_t screenY);
// Shows or hides the pointer over the windows of this process.
void SetPointerVisible(bool visible);
// The part of the screen that windows may use (without panels and docks); empty when
// there is no display.
RectT<int32_t> GetWorkArea();
// A system cursor, loaded once and kept for the life of the process: 0 when it cannot be.
uintptr_t LoadSystemCursor(SystemCursor cursor);
// Shows the cursor (from LoadSystemCursor; 0: the arrow) over the windows of the process.
void ShowCursor(uintptr_t cursor);

} // namespace KV::Platform
