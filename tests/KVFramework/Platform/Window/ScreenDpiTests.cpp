// The screen's resolution comes from the desktop's resource on the X server, and the
// renderer made for a window measures text for it.
#include "Platform/Window/ScreenDpi.h"
#include "Renderer/Font.h"
#include "Renderer/Gdi/GDIRenderer.h"
#include "Renderer/Renderer.h"

#include <gtest/gtest.h>
// After the test framework, whose names Xlib's macros (None, Bool) would take.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cmath>
#include <memory>
#include <string>

using namespace KV;

namespace {

// Sets the X server's resource string for every later connection, and takes it away
// again (this test's private server starts without one).
class ServerResources
{
public:
    ServerResources() : mDisplay(XOpenDisplay(nullptr)) {}
    ~ServerResources()
    {
        if (!mDisplay)
            return;
        XDeleteProperty(mDisplay, DefaultRootWindow(mDisplay), XA_RESOURCE_MANAGER);
        XCloseDisplay(mDisplay);
    }
    bool Set(const std::string& resources)
    {
        if (!mDisplay)
            return false;
        XChangeProperty(mDisplay, DefaultRootWindow(mDisplay), XA_RESOURCE_MANAGER, XA_STRING, 8,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(resources.data()),
                        static_cast<int>(resources.size()));
        XSync(mDisplay, False);
        return true;
    }

private:
    Display* mDisplay;
};

TEST(ScreenDpi, ReadFromTheDesktopsResourceWithinSaneBounds)
{
    ServerResources server;
    EXPECT_EQ(Platform::GetScreenDpi(), 96) << "a server without resources";
    const struct
    {
        const char* resources;
        int32_t expected;
    } cases[] = {
        {"Xft.dpi:\t120\n", 120},  {"Xft.antialias:\t1\nXft.dpi:\t144.4\nXft.hinting:\t1\n", 144},
        {"*dpi:\t192\n", 192},     {"Xft.dpi:\t5000\n", 96},
        {"Xft.dpi:\tlarge\n", 96}, {"Xft.hinting:\t1\n", 96},
    };
    for (const auto& c : cases)
    {
        ASSERT_TRUE(server.Set(c.resources)) << "no X server";
        EXPECT_EQ(Platform::GetScreenDpi(), c.expected) << c.resources;
    }
}

TEST(ScreenDpi, TheWindowsRendererMeasuresTextForTheScreen)
{
    ServerResources server;
    ASSERT_TRUE(server.Set("Xft.dpi:\t120\n")) << "no X server";
    const RCPtr<LFont> font = LFont::GetFont(u"DejaVu Sans", 10, 0);
    const float atSurface = LGDIRenderer::Create(96)->MeasureText(u"Update firmware", font).width;
    ASSERT_GT(atSurface, 0.0f);
    const RCPtr<LRenderer> renderer = LRenderer::Create(kRendererTypeGDI, {0, 0, 100, 100}, {});
    // Widths measured on the 96-dpi surfaces are given for the screen's 120 dpi.
    EXPECT_EQ(renderer->MeasureText(u"Update firmware", font).width,
              std::round(9600.0f / 120.0f * atSurface / 100.0f + 3.0f));
}

} // namespace
