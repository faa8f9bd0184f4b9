#pragma once
// What the application needs of the window layer to open the main window for the root
// control. The window backend supplies the factory; a run without a display has none.

#include "ControlBase/ControlDescriptor.h"
#include "Storage/StringT.h"

#include <cstdint>
#include <memory>

namespace KV {

class LFrameworkApp;

// The operating-system window of the main root window, as the application drives it.
class IApplicationWindow
{
public:
    virtual ~IApplicationWindow() = default;
    // Shows the window and draws it at once.
    virtual void Show() = 0;
    // Closes the window: its placement is kept, its root window leaves the application's
    // list and lets go of its root control.
    virtual void Close() = 0;
};

class IWindowFactory
{
public:
    virtual ~IWindowFactory() = default;
    // Whether windows can be made in this run (a display is there). Asked once, when the
    // start-up asks for the main window, so that runs that end before never reach the
    // window system.
    virtual bool IsAvailable() { return true; }
    // The main window for the root control's descriptor, titled, placed and sized by its
    // layout, drawing through a renderer of the type; its root window is on the
    // application's list (AddRootWindow) when this returns. Null when no window was made.
    virtual std::unique_ptr<IApplicationWindow> CreateMainWindow(LFrameworkApp& app,
                                                                 const RCPtr<LControlDescriptor>& descriptor,
                                                                 const String& title,
                                                                 int32_t rendererType) = 0;
};

} // namespace KV
