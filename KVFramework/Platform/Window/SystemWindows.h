#pragma once
// Top-level windows of other processes on the X server, for tests and scripted runs that
// drive a program from outside as a person would: the window a process made, and where
// it is on the screen (to aim made-up input at it and to read it back).

#include <cstdint>
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
