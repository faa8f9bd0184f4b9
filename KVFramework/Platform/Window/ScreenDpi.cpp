// The screen's resolution from the X server's resource database. The size the server
// reports for the screen in millimetres is not used: many displays and every virtual
// server report a made-up one, while the resource is what the user's desktop chose.

#include "Platform/Window/ScreenDpi.h"

#include <X11/Xlib.h>
#include <X11/Xresource.h>

#include <cmath>
#include <cstdlib>
#include <memory>

namespace KV::Platform {

namespace {

struct DisplayCloser
{
    void operator()(Display* display) const { XCloseDisplay(display); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

struct DatabaseCloser
{
    void operator()(_XrmHashBucketRec* database) const { XrmDestroyDatabase(database); }
};
using DatabasePtr = std::unique_ptr<_XrmHashBucketRec, DatabaseCloser>;

constexpr double kLowestDpi = 24.0;
constexpr double kHighestDpi = 960.0;

} // namespace

int32_t GetScreenDpi()
{
    const DisplayPtr display(XOpenDisplay(nullptr));
    if (!display)
        return kDefaultScreenDpi;
    const char* resources = XResourceManagerString(display.get());
    if (!resources)
        return kDefaultScreenDpi;
    XrmInitialize();
    const DatabasePtr database(XrmGetStringDatabase(resources));
    if (!database)
        return kDefaultScreenDpi;
    char* type = nullptr;
    XrmValue value{};
    if (!XrmGetResource(database.get(), "Xft.dpi", "Xft.Dpi", &type, &value) || !value.addr)
        return kDefaultScreenDpi;
    char* end = nullptr;
    const double dpi = std::strtod(value.addr, &end);
    if (end == value.addr || !(dpi >= kLowestDpi && dpi <= kHighestDpi))
        return kDefaultScreenDpi;
    return static_cast<int32_t>(std::lround(dpi));
}

} // namespace KV::Platform
