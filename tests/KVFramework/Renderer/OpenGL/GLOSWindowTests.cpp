// The OpenGL renderer selected for an operating-system window made for it: its paints
// reach the X server.

#include "Application/OSWindow.h"
#include "Application/WindowInputTarget.h"
#include "Platform/Window/WindowCapture.h"
#include "Platform/Window/WindowEventSource.h"
#include "Renderer/Renderer.h"
#include "TestBitmaps.h"

#include <gtest/gtest.h>

using namespace KV;

namespace {

constexpr uint32_t kBackground = 0xFF3060A0u;

// Stands for the root window: paints the whole dirty area in one colour.
class PaintingTarget : public IWindowInputTarget
{
public:
    void OnMouseButton(int, int, uint32_t, const PointT<int32_t>&) override {}
    void OnMouseMove(const PointT<int32_t>&, uint32_t) override {}
    void OnMouseWheel(const PointT<int32_t>&, uint32_t, int) override {}
    void OnKey(const RCPtr<LKeyParam>&) override {}
    void OnCaptureLost() override {}
    void OnFocusLost() override {}
    void OnActivate() override {}
    void OnCloseCommand() override {}
    bool HasFocusControl() override { return false; }
    void OnWindowResized() override {}
    void SetSizeChanged() override {}
    int32_t OnSizing(SizeT<int32_t>&) override { return 0; }
    void InvalidateRect(const RectT<int32_t>&) override {}
    void CollectInvalidRegion(RectRegion&) override {}
    void OnPaint(const RectRegion& region) override
    {
        RegionRect bounds;
        region.GetBounds(bounds);
        window->GetRenderer()->FillRect(
            {bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top},
            Testing::Color(kBackground), false);
        ++paints;
    }

    OSWindow* window = nullptr;
    int paints = 0;
};

} // namespace

TEST(GLOSWindow, AWindowMadeForOpenGLShowsWhatTheOpenGLRendererPaints)
{
    Platform::ResetWindowEventSource();
    PaintingTarget target;
    auto* window = new OSWindow();
    OSWindow::Style style;
    style.openGL = true;
    ASSERT_EQ(S_OK, window->CreateEx(String(u"OpenGL window"), {40, 40, 120, 90}, style));
    target.window = window;
    window->SetInputTarget(&target);
    window->CreateRenderer(kRendererTypeOpenGL);
    ASSERT_TRUE(window->GetRenderContext());
    EXPECT_EQ(kRendererTypeOpenGL, window->GetRenderer()->GetType());
    window->Show(true);

    Platform::WindowEventSource& source = Platform::GetWindowEventSource();
    Platform::WindowEvent event;
    while (target.paints == 0 && source.WaitEvent(event, 5000))
        source.Dispatch(event);
    ASSERT_GT(target.paints, 0);
    Platform::CapturedPixels screen;
    ASSERT_TRUE(Platform::CaptureWindow(*window->GetPlatformWindow(), screen));
    size_t background = 0;
    for (const uint32_t pixel : screen.pixels)
        background += pixel == kBackground ? 1 : 0;
    EXPECT_EQ(screen.pixels.size(), background);
    window->Close();
    OSWindow::DeleteClosedWindows();
    Platform::ResetWindowEventSource();
}
