#pragma once
// What a window shows on the screen, read back from the window system: the pixels of
// its client area as the X server holds them, for screenshots of tests and of steps a
// person must see.

#include "Platform/Window/PlatformWindow.h"

#include <cstdint>
#include <string>
#include <vector>

namespace KV::Platform {

struct CapturedPixels
{
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels; // 0xFFRRGGBB, rows top to bottom

    uint32_t At(int32_t x, int32_t y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// false when the window system does not let the window be read (no X11 window, or the
// window is not mapped).
bool CaptureWindow(const PlatformWindow& window, CapturedPixels& captured);
// The same for a window of any process on the X server (an X window id), read on a
// connection of its own; what its process drew is there once that process flushed it.
bool CaptureSystemWindow(uintptr_t systemWindow, CapturedPixels& captured);
// The captured pixels as a PNG file; false when it cannot be written.
bool SavePng(const CapturedPixels& captured, const std::string& path);

} // namespace KV::Platform
