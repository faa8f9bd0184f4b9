#pragma once
// What the application needs of the window layer to open the main window for the root
// control. The window backend supplies the factory; a run without a display has none.

#include "ControlBase/ControlDescriptor.h"
#include "ControlBase/RootWindow.h"
#include "Graphics/Bitmap.h"
#include "Renderer/Renderer.h"
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

// The splash screen of the start-up, as the entry drives it: an image with a progress
// bar, shown from Start until Stop.
class ISplashScreen
{
public:
    virtual ~ISplashScreen() = default;
    // The image to show; only the first one given counts.
    virtual void SetImage(const RCPtr<LBitmap>& bitmap) = 0;
    virtual void Start() = 0;
    // The bar's position, 0..100.
    virtual void SetProgress(int position) = 0;
    // Moves the bar from start to end over the seconds.
    virtual void AnimateProgress(int start, int end, int seconds) = 0;
    virtual void Stop() = 0;
};

// A window other than the main window, as CreateRootWindow asks for it.
struct RootWindowSpec
{
    String title;
    RectT<int32_t> clientRect; // on the screen
    bool resizable = false;
    bool closeBox = false;
    bool minimizeBox = false;
    bool maximizeBox = false;
    // The window it belongs to (a modal window's owner); null for a modeless window.
    RCPtr<LRootWindow> owner;
    // Drawn through this renderer, shared with another window; null: a renderer of the
    // type of its own.
    RCPtr<LRenderer> sharedRenderer;
    int32_t rendererType = 0;
};

class IWindowFactory
{
public:
    virtual ~IWindowFactory() = default;
    // Whether windows can be made in this run (a display is there). Asked when the
    // start-up asks for the main window, or a splash screen is to be shown, so that runs
    // that end before never reach the window system.
    virtual bool IsAvailable() { return true; }
    // A splash screen, not started yet; null when none can be shown (here: never).
    virtual std::unique_ptr<ISplashScreen> CreateSplashScreen() { return nullptr; }
    // Another window, hidden until shown or its modal loop runs: its root window, on the
    // application's list when this returns; the window ends itself when closed. Null when
    // no window was made (here: always).
    virtual RCPtr<LRootWindow> CreateRootWindow(LFrameworkApp&, const RootWindowSpec&) { return nullptr; }
    // The main window for the root control's descriptor, titled, placed and sized by its
    // layout, drawing through a renderer of the type; its root window is on the
    // application's list (AddRootWindow) when this returns. Null when no window was made.
    virtual std::unique_ptr<IApplicationWindow> CreateMainWindow(LFrameworkApp& app,
                                                                 const RCPtr<LControlDescriptor>& descriptor,
                                                                 const String& title,
                                                                 int32_t rendererType) = 0;
};

} // namespace KV
