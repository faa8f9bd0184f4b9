#include "Platform/Window/SystemWindows.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <memory>

namespace KV::Platform {

namespace {

struct DisplayCloser
{
    void operator()(Display* display) const { XCloseDisplay(display); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

// The process id the window carries, -1 without one.
long WindowProcess(Display* display, Window window, Atom pidAtom)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after,
                           &data) == Success &&
        data && type == XA_CARDINAL && format == 32 && count == 1)
        pid = *reinterpret_cast<long*>(data);
    if (data)
        XFree(data);
    return pid;
}

} // namespace

uintptr_t FindProcessWindow(int processId)
{
    DisplayPtr display(XOpenDisplay(nullptr));
    if (!display)
        return 0;
    const Atom pidAtom = XInternAtom(display.get(), "_NET_WM_PID", True);
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (pidAtom == None ||
        !XQueryTree(display.get(), DefaultRootWindow(display.get()), &root, &parent, &children, &count))
        return 0;
    uintptr_t found = 0;
    long largest = 0;
    for (unsigned i = 0; i < count; ++i)
    {
        XWindowAttributes attributes;
        if (WindowProcess(display.get(), children[i], pidAtom) != processId ||
            !XGetWindowAttributes(display.get(), children[i], &attributes) ||
            attributes.map_state != IsViewable)
            continue;
        // A toolkit may keep small helper windows of its own beside the real one.
        const long area = static_cast<long>(attributes.width) * attributes.height;
        if (area > largest)
        {
            largest = area;
            found = children[i];
        }
    }
    if (children)
        XFree(children);
    return found;
}

bool GetSystemWindowPlace(uintptr_t systemWindow, ScreenPlace& place)
{
    DisplayPtr display(XOpenDisplay(nullptr));
    XWindowAttributes attributes;
    if (!display || systemWindow == 0 ||
        !XGetWindowAttributes(display.get(), static_cast<Window>(systemWindow), &attributes))
        return false;
    Window child = 0;
    int x = 0, y = 0;
    if (!XTranslateCoordinates(display.get(), static_cast<Window>(systemWindow),
                               DefaultRootWindow(display.get()), 0, 0, &x, &y, &child))
        return false;
    place = {x, y, attributes.width, attributes.height};
    return true;
}

bool GetSystemWindowIcon(uintptr_t systemWindow, WindowIcon& icon)
{
    DisplayPtr display(XOpenDisplay(nullptr));
    if (!display || systemWindow == 0)
        return false;
    const Atom iconAtom = XInternAtom(display.get(), "_NET_WM_ICON", True);
    if (iconAtom == None)
        return false;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    // Up to 1024 x 1024 pixels after the two sizes; the property's 32-bit items come as
    // longs.
    if (XGetWindowProperty(display.get(), static_cast<Window>(systemWindow), iconAtom, 0, 2 + 1024 * 1024,
                           False, XA_CARDINAL, &type, &format, &count, &after, &data) != Success)
        return false;
    bool found = false;
    if (data && type == XA_CARDINAL && format == 32 && count >= 2)
    {
        const auto* items = reinterpret_cast<const unsigned long*>(data);
        const unsigned long width = items[0];
        const unsigned long height = items[1];
        if (width > 0 && height > 0 && width <= 1024 && height <= 1024 && count - 2 >= width * height)
        {
            icon.width = static_cast<int32_t>(width);
            icon.height = static_cast<int32_t>(height);
            icon.pixels.assign(items + 2, items + 2 + width * height);
            found = true;
        }
    }
    if (data)
        XFree(data);
    return found;
}

} // namespace KV::Platform
