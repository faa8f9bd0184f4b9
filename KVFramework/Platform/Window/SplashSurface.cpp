// The splash screen's window on Xlib, on a connection of the splash thread's own.
//  [x] borderless, a splash to the window manager, not in the task list
//  [x] title and class            [x] pictures of 24-bit true-colour screens
//  [x] repainted when uncovered   [ ] other screen depths (the window then stays empty)

#include "Platform/Window/SplashSurface.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <vector>

namespace KV::Platform {

struct SplashSurface::Connection
{
    Display* display = nullptr;
    Window window = 0;
    GC context = nullptr;
    bool trueColor = false;

    ~Connection()
    {
        if (context)
            XFreeGC(display, context);
        if (window)
            XDestroyWindow(display, window);
        if (display)
            XCloseDisplay(display);
    }
};

namespace {

void SetAtomProperty(Display* display, Window window, const char* property, const char* value)
{
    const Atom atom = XInternAtom(display, value, False);
    XChangeProperty(display, window, XInternAtom(display, property, False), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&atom), 1);
}

} // namespace

std::unique_ptr<SplashSurface> SplashSurface::Create(const RectT<int32_t>& rect, const std::string& title,
                                                     const std::string& className)
{
    auto connection = std::make_unique<Connection>();
    connection->display = XOpenDisplay(nullptr);
    if (!connection->display || rect.width <= 0 || rect.height <= 0)
        return nullptr;
    Display* display = connection->display;
    const int screen = DefaultScreen(display);
    Visual* visual = DefaultVisual(display, screen);
    connection->trueColor = DefaultDepth(display, screen) == 24 && visual->red_mask == 0xFF0000 &&
                            visual->green_mask == 0x00FF00 && visual->blue_mask == 0x0000FF;
    XSetWindowAttributes attributes{};
    attributes.background_pixel = BlackPixel(display, screen);
    attributes.event_mask = ExposureMask | StructureNotifyMask;
    connection->window =
        XCreateWindow(display, RootWindow(display, screen), rect.x, rect.y, static_cast<unsigned>(rect.width),
                      static_cast<unsigned>(rect.height), 0, CopyFromParent, InputOutput, CopyFromParent,
                      CWBackPixel | CWEventMask, &attributes);
    if (!connection->window)
        return nullptr;
    const Window window = connection->window;
    // A splash screen to the window manager: no frame, not in the task list, where it was
    // put, and neither moved nor sized by the user.
    SetAtomProperty(display, window, "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_SPLASH");
    SetAtomProperty(display, window, "_NET_WM_STATE", "_NET_WM_STATE_SKIP_TASKBAR");
    XSizeHints* size = XAllocSizeHints();
    size->flags = USPosition | PPosition | PMinSize | PMaxSize;
    size->x = rect.x;
    size->y = rect.y;
    size->min_width = size->max_width = rect.width;
    size->min_height = size->max_height = rect.height;
    XSetWMNormalHints(display, window, size);
    XFree(size);
    XStoreName(display, window, title.c_str());
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False),
                    XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title.data()), static_cast<int>(title.size()));
    if (!className.empty())
    {
        std::string instance = className;
        std::string windowClass = className;
        XClassHint hint{instance.data(), windowClass.data()};
        XSetClassHint(display, window, &hint);
    }
    connection->context = XCreateGC(display, window, 0, nullptr);
    XMapRaised(display, window);
    XFlush(display);
    return std::unique_ptr<SplashSurface>(new SplashSurface(std::move(connection)));
}

SplashSurface::SplashSurface(std::unique_ptr<Connection> connection) : mConnection(std::move(connection)) {}

SplashSurface::~SplashSurface() = default;

uintptr_t SplashSurface::GetSystemHandle() const noexcept
{
    return mConnection->window;
}

void SplashSurface::Present(const SurfacePixels& pixels)
{
    if (!mConnection->trueColor || !pixels.data || pixels.width <= 0 || pixels.height <= 0)
        return;
    // 0xAARRGGBB words in native byte order are what a 24-bit true-colour image of 32 bits
    // per pixel holds; Xlib only reads them.
    XImage* image = XCreateImage(
        mConnection->display, DefaultVisual(mConnection->display, DefaultScreen(mConnection->display)), 24,
        ZPixmap, 0, reinterpret_cast<char*>(const_cast<uint8_t*>(pixels.data)),
        static_cast<unsigned>(pixels.width), static_cast<unsigned>(pixels.height), 32, pixels.stride);
    if (!image)
        return;
    XPutImage(mConnection->display, mConnection->window, mConnection->context, image, 0, 0, 0, 0,
              static_cast<unsigned>(pixels.width), static_cast<unsigned>(pixels.height));
    // The pixels are the caller's: the image must not free them.
    image->data = nullptr;
    XDestroyImage(image);
    XFlush(mConnection->display);
}

bool SplashSurface::TakeEvents()
{
    bool uncovered = false;
    while (XPending(mConnection->display) > 0)
    {
        XEvent event;
        XNextEvent(mConnection->display, &event);
        if (event.type == Expose || event.type == MapNotify)
            uncovered = true;
    }
    return uncovered;
}

} // namespace KV::Platform
