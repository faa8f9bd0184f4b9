#pragma once
// Top-level windows of other processes on the X server, for tests and scripted runs that
// drive a program from outside as a person would: the window a process made, and where
// it is on the screen (to aim made-up input at it and to read it back).

#include <cstdint>
#include <string>
#include <vector>

namespace KV::Platform {

struct ScreenPlace
{
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// The largest viewable top-level window the process made (by the process id its window
// carries); 0 while it has none.
uintptr_t FindProcessWindow(int processId);
// The window's client area on the screen; false when the window is gone.
bool GetSystemWindowPlace(uintptr_t systemWindow, ScreenPlace& place);

// A viewable top-level window with the title (whichever process made it); 0 when none.
uintptr_t FindSystemWindowByTitle(const std::string& title);
// The window's title as the window manager reads it (_NET_WM_NAME, else WM_NAME); empty
// when it has none or is gone.
std::string GetSystemWindowTitle(uintptr_t systemWindow);
// The window's WM_CLASS: its instance and class names; false when it has none.
bool GetSystemWindowClass(uintptr_t systemWindow, std::string& instanceName, std::string& className);
// Takes the window off the screen as a window manager does when the user minimises it
// (it unmaps the window and marks it hidden). false when the window is gone.
bool MinimizeSystemWindow(uintptr_t systemWindow);
// Whether the window is mapped and shown on the screen.
bool IsSystemWindowViewable(uintptr_t systemWindow);
// The window that the window says it belongs to (WM_TRANSIENT_FOR); 0 when none.
uintptr_t GetSystemWindowOwner(uintptr_t systemWindow);

struct WindowIcon
{
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels; // straight 0xAARRGGBB, rows top to bottom
};
// The first picture of the icon the window offers the window manager (_NET_WM_ICON);
// false when it offers none or the window is gone.
bool GetSystemWindowIcon(uintptr_t systemWindow, WindowIcon& icon);

} // namespace KV::Platform
