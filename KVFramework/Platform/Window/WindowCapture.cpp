#include "Platform/Window/WindowCapture.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo.h>

namespace KV::Platform {

namespace {

// The window's pixels as the server holds them, read on the connection given.
bool ReadWindow(Display* display, Window xWindow, CapturedPixels& captured)
{
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, xWindow, &attributes) || attributes.map_state != IsViewable)
        return false;
    XImage* image = XGetImage(display, xWindow, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (!image)
        return false;
    captured.width = attributes.width;
    captured.height = attributes.height;
    captured.pixels.resize(static_cast<size_t>(captured.width) * captured.height);
    for (int32_t y = 0; y < captured.height; ++y)
        for (int32_t x = 0; x < captured.width; ++x)
        {
            const unsigned long pixel = XGetPixel(image, x, y);
            const auto channel = [pixel](unsigned long mask) {
                if (mask == 0)
                    return 0u;
                unsigned long value = pixel & mask;
                while ((mask & 1) == 0)
                {
                    mask >>= 1;
                    value >>= 1;
                }
                // Scaled to eight bits whatever the visual's depth.
                return static_cast<unsigned>(value * 255 / mask);
            };
            captured.pixels[static_cast<size_t>(y) * captured.width + x] =
                0xFF000000u | channel(image->red_mask) << 16 | channel(image->green_mask) << 8 |
                channel(image->blue_mask);
        }
    XDestroyImage(image);
    return true;
}

} // namespace

bool CaptureWindow(const PlatformWindow& window, CapturedPixels& captured)
{
    captured = CapturedPixels{};
    const auto xWindow = static_cast<Window>(window.GetSystemHandle());
    if (xWindow == 0)
        return false;
    // SDL's own connection: what SDL drew is flushed on it before the read.
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    SDL_Window* sdlWindow = SDL_GetWindowFromID(window.GetId());
    if (!sdlWindow || !SDL_GetWindowWMInfo(sdlWindow, &info) || info.subsystem != SDL_SYSWM_X11)
        return false;
    Display* display = info.info.x11.display;
    XSync(display, False);
    return ReadWindow(display, xWindow, captured);
}

bool CaptureSystemWindow(uintptr_t systemWindow, CapturedPixels& captured)
{
    captured = CapturedPixels{};
    Display* display = systemWindow != 0 ? XOpenDisplay(nullptr) : nullptr;
    if (!display)
        return false;
    const bool read = ReadWindow(display, static_cast<Window>(systemWindow), captured);
    XCloseDisplay(display);
    return read;
}

bool SavePng(const CapturedPixels& captured, const std::string& path)
{
    if (captured.width <= 0 || captured.height <= 0)
        return false;
    const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, captured.width);
    std::vector<uint8_t> rows(static_cast<size_t>(stride) * captured.height);
    for (int32_t y = 0; y < captured.height; ++y)
        for (int32_t x = 0; x < captured.width; ++x)
            reinterpret_cast<uint32_t*>(rows.data() + static_cast<size_t>(y) * stride)[x] = captured.At(x, y);
    cairo_surface_t* surface = cairo_image_surface_create_for_data(rows.data(), CAIRO_FORMAT_RGB24,
                                                                   captured.width, captured.height, stride);
    const bool written = cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS &&
                         cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return written;
}

} // namespace KV::Platform
