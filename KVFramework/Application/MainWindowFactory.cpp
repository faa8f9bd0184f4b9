#include "Application/MainWindowFactory.h"

#include "Application/FrameworkApp.h"
#include "Application/OSWindow.h"
#include "Application/SplashWindow.h"
#include "ControlBase/LayoutArithmetic.h"
#include "Platform/Window/SdlVideo.h"

#include <cmath>

namespace KV {
namespace {

bool SameLimit(const LayoutSizeLimitSpec& a, const LayoutSizeLimitSpec& b)
{
    return a.mToControl == b.mToControl && a.mRel == b.mRel && a.mAbs == b.mAbs;
}

// The main window as the application drives it. The window ends itself once closed; the
// root window tells whether it is still open (a closed window leaves the application's
// list), so a window closed by other means is never touched again.
class MainWindow : public IApplicationWindow
{
public:
    MainWindow(LFrameworkApp& app, OSWindow* window)
        : mApp(app), mWindow(window), mRootWindow(window->GetRootWindow())
    {
    }
    ~MainWindow() override { Close(); }

    void Show() override
    {
        if (IsOpen())
        {
            mWindow->Show(OSWindow::kShowNormal);
            mWindow->RedrawWindow();
        }
    }
    void Close() override
    {
        if (IsOpen())
            mWindow->Close();
        mWindow = nullptr;
        // The root control holds its root window: the tree goes with the window.
        if (mRootWindow)
            mRootWindow->SetRootControl(nullptr);
        mRootWindow.Reset();
    }

private:
    bool IsOpen() const { return mWindow && mApp.GetRootWindowIndex(mRootWindow.Get()) >= 0; }

    LFrameworkApp& mApp;
    OSWindow* mWindow;
    RCPtr<LRootWindow> mRootWindow;
};

} // namespace

bool IsFixedSizeLayout(const LLayoutDescriptor& layout)
{
    const bool minZero = layout.mXMinSize.mRel == 0 && layout.mXMinSize.mAbs == 0 &&
                         layout.mYMinSize.mRel == 0 && layout.mYMinSize.mAbs == 0;
    const bool minEqualsMax =
        SameLimit(layout.mXMinSize, layout.mXMaxSize) && SameLimit(layout.mYMinSize, layout.mYMaxSize);
    const bool allNamed = layout.mXMinSize.mToControl && layout.mYMinSize.mToControl &&
                          layout.mXMaxSize.mToControl && layout.mYMaxSize.mToControl;
    return (!minZero && minEqualsMax) || allNamed;
}

RectT<int32_t> WindowRectFromLayout(const LLayoutDescriptor& layout, const RectT<int32_t>& workArea,
                                    const PointT<int32_t>& pointer)
{
    if (workArea.width <= 0 || workArea.height <= 0)
        return RectT<double>{layout.mXPosition.mAbs, layout.mYPosition.mAbs, layout.mXSize.mAbs,
                             layout.mYSize.mAbs}
            .ToLong();
    double edges[2][2] = {};
    for (int axis = 0; axis < 2; ++axis)
    {
        const LayoutAxisSpec spec = layout.GetAxisSpec(axis);
        const LayoutReferenceFrame area =
            axis == 0 ? LayoutReferenceFrame{double(workArea.x), double(workArea.width)}
                      : LayoutReferenceFrame{double(workArea.y), double(workArea.height)};
        const LayoutReferenceFrame atPointer{double(axis == 0 ? pointer.x : pointer.y), 0};
        const LayoutReferenceFrame positionFrame =
            spec.mPosition.mReference == PositionReference::Control ? atPointer : area;
        const LayoutReferenceFrame sizeFrame =
            spec.mSize.mReference == SizeReference::Control ? atPointer : area;
        double& position = edges[axis][0];
        double& size = edges[axis][1];
        CalculateLayoutAxis(spec.mPosition, spec.mSize, positionFrame, sizeFrame, false, 0, position, size);
        const LayoutSizeLimitSpec& minimum = axis == 0 ? layout.mXMinSize : layout.mYMinSize;
        const LayoutSizeLimitSpec& maximum = axis == 0 ? layout.mXMaxSize : layout.mYMaxSize;
        const float anchor = spec.mPosition.mPlacementAnchor;
        if (!minimum.mToControl)
            ApplyOwnMinimum(position, size, minimum.mAbs, anchor);
        if (!maximum.mToControl)
            ApplyOwnMaximum(position, size, maximum.mAbs, anchor);
    }
    RectT<double> rect{edges[0][0], edges[1][0], edges[0][1], edges[1][1]};
    rect.RoundEdges();
    return rect.ToLong();
}

OSWindowFactory::OSWindowFactory(const String& company, const String& productName,
                                 const String& placementSection)
    : mProfile(company, productName), mClassName(productName), mPlacementSection(placementSection)
{
}

OSWindowFactory::~OSWindowFactory()
{
    if (mVideoStarted.value_or(false))
        Platform::SdlVideo::Release();
}

bool OSWindowFactory::IsAvailable()
{
    if (!mVideoStarted)
        mVideoStarted = Platform::SdlVideo::Acquire();
    return *mVideoStarted;
}

std::unique_ptr<IApplicationWindow>
OSWindowFactory::CreateMainWindow(LFrameworkApp& app, const RCPtr<LControlDescriptor>& descriptor,
                                  const String& title, int32_t rendererType)
{
    RectT<int32_t> rect{0, 0, 0, 0};
    OSWindow::Style style;
    if (const RCPtr<LLayoutDescriptor>& layout = descriptor->mLayout)
    {
        rect = WindowRectFromLayout(*layout, app.GetWorkArea(), app.GetMousePosition());
        style.resizable = !IsFixedSizeLayout(*layout);
    }
    style.openGL = rendererType == kRendererTypeOpenGL;
    style.className = mClassName;
    auto* window = new OSWindow();
    if (KV_FAILED(window->CreateEx(title, rect, style)))
    {
        delete window;
        return nullptr;
    }
    window->SetIcon(app.GetAppIcon());
    window->CreateRenderer(rendererType);
    window->SetPlacementProfile(&mProfile, mPlacementSection);
    window->RestorePlacement();
    if (!mPlacementSection.IsEmpty())
        window->ListenForCommandLines(mPlacementSection);
    return std::make_unique<MainWindow>(app, window);
}

RCPtr<LRootWindow> OSWindowFactory::CreateRootWindow(LFrameworkApp& app, const RootWindowSpec& spec)
{
    OSWindow::Style style;
    style.resizable = spec.resizable;
    style.openGL = !spec.sharedRenderer && spec.rendererType == kRendererTypeOpenGL;
    style.className = mClassName;
    auto* window = new OSWindow();
    if (KV_FAILED(window->CreateEx(spec.title, spec.clientRect, style)))
    {
        delete window;
        return nullptr;
    }
    window->SetIcon(app.GetAppIcon());
    // A modal window's owner takes no input while it runs.
    if (spec.owner)
        window->SetOwner(dynamic_cast<OSWindow*>(spec.owner->GetOSServices()));
    if (spec.sharedRenderer)
        window->AttachRenderer(spec.sharedRenderer);
    else
        window->CreateRenderer(spec.rendererType);
    return window->GetRootWindow();
}

std::unique_ptr<ISplashScreen> OSWindowFactory::CreateSplashScreen()
{
    if (!IsAvailable())
        return nullptr;
    return std::make_unique<LSplashWindow>(mClassName);
}

} // namespace KV
