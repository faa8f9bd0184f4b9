#pragma once
// The window factory of a run with a display: the main window is an OSWindow titled,
// placed and sized by the root control's layout, fixed in size when the layout's minimum
// equals its maximum (or all its limits follow other controls), drawing through a
// renderer of the type, carrying the application's icon; its placement is kept in the
// company's profile under the application's unique name, and while it exists it takes the
// command lines that later instances of that name hand over.

#include "Application/ApplicationWindow.h"
#include "Application/Profile.h"
#include "ControlBase/LayoutDescriptor.h"

#include <memory>
#include <optional>

namespace KV {

// Whether a main window with this layout keeps its size (no sizing border).
bool IsFixedSizeLayout(const LLayoutDescriptor& layout);

// Where the client area of a window for a top control of this layout goes on the screen:
// each axis placed and sized against the work area (an axis that follows a control,
// against the pointer), within the layout's own minimum and maximum; limits that follow
// other controls are the control's own business once it is in the window. Without a work
// area, the layout's absolute values alone.
RectT<int32_t> WindowRectFromLayout(const LLayoutDescriptor& layout, const RectT<int32_t>& workArea,
                                    const PointT<int32_t>& pointer);

class OSWindowFactory : public IWindowFactory
{
public:
    // placementSection: the application's unique name: the section of the profile that
    // keeps the main window's placement, and the name later instances hand over to.
    OSWindowFactory(const String& company, const String& productName, const String& placementSection);
    ~OSWindowFactory() override;
    OSWindowFactory(const OSWindowFactory&) = delete;
    OSWindowFactory& operator=(const OSWindowFactory&) = delete;

    // Starts the window system's video on first call and holds it while the factory
    // lives; false when there is no display to start on.
    bool IsAvailable() override;

    std::unique_ptr<IApplicationWindow> CreateMainWindow(LFrameworkApp& app,
                                                         const RCPtr<LControlDescriptor>& descriptor,
                                                         const String& title, int32_t rendererType) override;
    // An OSWindow at the spec's place, resizable or not; the window system gives every
    // window its own title-bar buttons, so the spec's boxes change nothing.
    RCPtr<LRootWindow> CreateRootWindow(LFrameworkApp& app, const RootWindowSpec& spec) override;
    // An LSplashWindow; null without a display.
    std::unique_ptr<ISplashScreen> CreateSplashScreen() override;

private:
    LProfile mProfile;
    String mClassName; // every window of the application is filed under the product's name
    String mPlacementSection;
    std::optional<bool> mVideoStarted;
};

} // namespace KV
