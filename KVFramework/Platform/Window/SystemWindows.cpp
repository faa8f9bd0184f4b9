#include "Platform/Window/SystemWindows.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <memory>
#include <utility>

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

std::string GetSystemWindowTitle(uintptr_t systemWindow)
{
    DisplayPtr display(XOpenDisplay(nullptr));
    if (!display || systemWindow == 0)
        return {};
    const Atom netName = XInternAtom(display.get(), "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display.get(), "UTF8_STRING", False);
    std::string title;
    for (const auto& [property, type] :
         {std::pair{netName, utf8}, std::pair{Atom(XA_WM_NAME), Atom(XA_STRING)}})
    {
        Atom actual = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display.get(), static_cast<Window>(systemWindow), property, 0, 1024, False,
                               AnyPropertyType, &actual, &format, &count, &after, &data) == Success &&
            data && format == 8 && (actual == type || actual == utf8))
            title.assign(reinterpret_cast<const char*>(data), count);
        if (data)
            XFree(data);
        if (!title.empty())
            break;
    }
    return title;
}

uintptr_t FindSystemWindowByTitle(const std::string& title)
{
    DisplayPtr display(XOpenDisplay(nullptr));
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!display ||
        !XQueryTree(display.get(), DefaultRootWindow(display.get()), &root, &parent, &children, &count))
        return 0;
    uintptr_t found = 0;
    for (unsigned i = 0; i < count && found == 0; ++i)
    {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display.get(), children[i], &attributes) &&
            attributes.map_state == IsViewable && GetSystemWindowTitle(children[i]) == title)
            found = children[i];
    }
    if (children)
        XFree(children);
    return found;
}

bool GetSystemWindowClass(uintptr_t systemWindow, std::string& instanceName, std::string& className)
{
    DisplayPtr display(XOpenDisplay(nullptr));
    XClassHint hint{nullptr, nullptr};
    if (!display || systemWindow == 0 ||
        !XGetClassHint(display.get(), static_cast<Window>(systemWindow), &hint))
        return false;
    instanceName = hint.res_name ? hint.res_name : "";
    className = hint.res_class ? hint.res_class : "";
    if (hint.res_name)
        XFree(hint.res_name);
    if (hint.res_class)
        XFree(hint.res_class);
    return true;
}

bool MinimizeSystemWindow(uintptr_t systemWindow)
{
    DisplayPtr display(XOpenDisplay(nullptr));
    if (!display || systemWindow == 0)
        return false;
    const auto window = static_cast<Window>(systemWindow);
    // What the window's own program reads: the state the window manager keeps, then the
    // window gone from the screen.
    const Atom state = XInternAtom(display.get(), "_NET_WM_STATE", False);
    const Atom hidden = XInternAtom(display.get(), "_NET_WM_STATE_HIDDEN", False);
    XChangeProperty(display.get(), window, state, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&hidden), 1);
    const Atom wmState = XInternAtom(display.get(), "WM_STATE", False);
    const long iconic[2] = {IconicState, None};
    XChangeProperty(display.get(), window, wmState, wmState, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(iconic), 2);
    XUnmapWindow(display.get(), window);
    XSync(display.get(), False);
    return true;
}

bool IsSystemWindowViewable(uintptr_t systemWindow)
{
    DisplayPtr display(XOpenDisplay(nullptr));
    XWindowAttributes attributes;
    return display && systemWindow != 0 &&
           XGetWindowAttributes(display.get(), static_cast<Window>(systemWindow), &attributes) &&
           attributes.map_state == IsViewable;
}

uintptr_t GetSystemWindowOwner(uintptr_t systemWindow)
{
    DisplayPtr display(XOpenDisplay(nullptr));
    Window owner = 0;
    if (!display || systemWindow == 0 ||
        !XGetTransientForHint(display.get(), static_cast<Window>(systemWindow), &owner))
        return 0;
    return owner;
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
