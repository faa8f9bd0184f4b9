#pragma once
// OSWindow: the operating-system window behind one root window.
//
// It makes the window's renderer and render context and its LRootWindow, registers the
// root window with the application, and turns what the window system reports into the
// root window's input (IWindowInputTarget): buttons with double clicks and the pointer
// capture, moves, the wheel in whole steps, keys as virtual-key codes and typed
// characters, focus and activation, size changes with the root control's limits, and
// paints of what was invalidated or uncovered. The close box of the application's main
// window posts the exit request ("NID_APP_EXIT_REQ") instead of closing it. The window
// also keeps the main window's placement in the profile and starts the 33 ms tick that
// keeps the message loop's idle processing going.
//
// Like the windows of the system it stands for, an OSWindow lives on the heap and ends
// itself: a closed window, or one whose modal loop ended, is deleted at the next turn of
// the loop (DeleteClosedWindows), never while one of its own calls is running.
//
// Window thread only.

#include "Application/WindowInput.h"
#include "Application/WindowInputTarget.h"
#include "Application/WindowOSServices.h"
#include "ControlBase/RootWindow.h"
#include "Graphics/Bitmap.h"
#include "Renderer/Renderer.h"

#include <functional>
#include <memory>

namespace KV {

class LProfile;

namespace Platform {
class CommandLineListener;
class PlatformWindow;
struct WindowEvent;
} // namespace Platform

class OSWindow : public IWindowOSServices
{
public:
    struct Style
    {
        bool resizable = false;
        bool borderless = false;
        bool topMost = false;
        bool openGL = false; // drawn by the OpenGL renderer
        // The window manager's class of the window (task lists group windows by it);
        // empty: the window system's default.
        String className;
    };

    // Every 33 ms the loop gets a tick while a window has a renderer.
    static constexpr Milliseconds kIdleTickInterval = 33;

    OSWindow();
    // A window is deleted by its owner only when it was never closed; a closed one is
    // deleted by DeleteClosedWindows.
    ~OSWindow() override;
    OSWindow(const OSWindow&) = delete;
    OSWindow& operator=(const OSWindow&) = delete;

    // Makes the native window, hidden, with its client area at clientRect on the screen.
    // E_FAIL when the window system cannot make it.
    KVRESULT CreateEx(const String& title, const RectT<int32_t>& clientRect, const Style& style);
    // A renderer of the type for the window (LRenderer::Create), the idle tick, then
    // AttachRenderer. Throws what LRenderer::Create throws for an unknown type.
    KVRESULT CreateRenderer(int rendererType);
    // Keeps the renderer, makes its render context for the window, and a new root window
    // registered with the application. Returns 0.
    KVRESULT AttachRenderer(const RCPtr<LRenderer>& renderer);

    const RCPtr<LRootWindow>& GetRootWindow() const noexcept { return mRootWindow; }
    const RCPtr<LRenderer>& GetRenderer() const noexcept { return mRenderer; }
    const RCPtr<LRenderContextInfo>& GetRenderContext() const noexcept { return mRenderContext; }
    // What the window hands its input and paints to (not owned; null: nothing).
    void SetInputTarget(IWindowInputTarget* target) noexcept { mInputTarget = target; }
    IWindowInputTarget* GetInputTarget() const noexcept { return mInputTarget; }

    // The native window, for the renderer; null before CreateEx and after DestroyWindow.
    NativeWindowHandle GetNativeWindow() const noexcept;
    Platform::PlatformWindow* GetPlatformWindow() const noexcept { return mWindow.get(); }
    // The id under which the window's events come; 0 without a native window.
    uint32_t GetWindowId() const noexcept;
    bool Show(bool show) { return Show(show ? kShowNormal : kShowHide); }
    // The picture the window system shows for the window (title bar, task bar); nothing
    // for a bitmap without image.
    void SetIcon(const RCPtr<LBitmap>& icon);

    // Where the main window keeps its placement: the profile's section (the profile must
    // outlive the window). DestroyWindow stores it there; RestorePlacement applies it.
    void SetPlacementProfile(LProfile* profile, const String& section);
    // Applies the stored placement, corrected by the root window's size limits and
    // brought onto the desktop. false when none is stored.
    bool RestorePlacement();

    // While the window exists, the command lines that later instances of the unique
    // name hand over reach the application (LFrameworkApp::OnCommandLine). false when
    // nobody can listen for them.
    bool ListenForCommandLines(const String& uniqueName);

    // A disabled window takes no input: clicks, keys, the wheel, the close box and the
    // command lines of later instances reach nothing. A click on it raises the modal
    // window that disabled it.
    void Enable(bool enable);
    bool IsEnabled() const noexcept { return mEnabled; }
    // The window that this one, run as a modal window, belongs to: the owner takes no
    // input while the modal loop runs, and the window system keeps this one in front of
    // it. Null: none.
    void SetOwner(OSWindow* owner);
    // Runs the window thread's loop (paints, the windows' events, the notifications) with
    // every window of the application disabled, until ended() is true or the application
    // is asked to end; then the windows are enabled again. What a dialog of another
    // process needs while it is open in front of the application.
    static void RunDisabledLoop(const std::function<bool()>& ended);
    // The window that a dialog of another process belongs to: the application's active
    // window, else its main window (as the window system knows it); 0 when it has none.
    static uintptr_t GetDialogOwner();

    // Stores the placement of the application's main window, takes the root window out
    // of the application and closes the native window. The object lives on.
    KVRESULT DestroyWindow();
    // DestroyWindow, and the object is deleted at the next turn of the loop.
    void Close();
    // Deletes the windows that were closed. The message loop calls it on every turn.
    static void DeleteClosedWindows();

    // Takes the window's events from the event source.
    class EventBridge;

    // ---- IWindowOSServices ----
    static constexpr int32_t kShowHide = 0;
    static constexpr int32_t kShowNormal = 1;

    // An empty text puts back the title the window was made with.
    KVRESULT SetWindowText(const String& text) override;
    KVRESULT InvalidateAll() override;
    KVRESULT InvalidateRect(const RectT<int32_t>& rect) override;
    KVRESULT GetClientRect(RectT<int32_t>& rect) override;
    KVRESULT ScreenToClient(PointT<int32_t>& point) override;
    KVRESULT ClientToScreen(PointT<int32_t>& point) override;
    KVRESULT SetWindowRect(const RectT<int32_t>& rect) override;
    bool Show(int32_t command) override;
    KVRESULT RedrawWindow() override;
    KVRESULT BringWindowToTop() override;
    KVRESULT SetTopMost(bool topMost) override;
    KVRESULT EndModal(int32_t result) override;
    int32_t RunModalLoop() override;
    bool IsModal() override;
    bool IsActive() override;
    bool HasFocus() override;
    KVRESULT SetFocus() override;
    CursorHandle SetCursor(CursorHandle cursor) override;
    PointT<int32_t> GetCursorPos() override;
    int32_t GetMouseButtons() override;
    uintptr_t GetWindowHandle() override;
    KVRESULT EnableTextInput(bool enable, int32_t value) override;

private:
    void OnWindowEvent(const Platform::WindowEvent& event);
    bool IsMainWindow() const;
    void Paint();
    void OnButton(int action, int button, const PointT<int32_t>& point, uint32_t modifiers);
    void OnButtonUp(int button, const PointT<int32_t>& point, uint32_t modifiers);
    void OnPointerMove(const PointT<int32_t>& point, uint32_t modifiers, bool left);
    void OnResized(int32_t width, int32_t height);
    void OnMoved();
    void OnCloseRequest();
    // Restored, shown again and raised above the other windows.
    void BringToFront();
    void ReleaseCapture();
    bool PointerInClientArea(const PointT<int32_t>& point) const;
    void RequestPaint();
    // Runs the loop until ended(); onWait runs on every turn that finds no event waiting.
    static void RunLoopUntil(const std::function<bool()>& ended, const std::function<void()>& onWait);
    static bool IsLive(const OSWindow* window);

    RCPtr<LRootWindow> mRootWindow;
    RCPtr<LRenderer> mRenderer;
    RCPtr<LRenderContextInfo> mRenderContext;
    PointT<int32_t> mLastPointer{0, 0};
    int32_t mButtons = 0;
    int32_t mPressCount = 0;
    WheelAccumulator mWheel;
    bool mCaptured = false;
    bool mModal = false;
    bool mOutsideWorkArea = false;

    std::unique_ptr<Platform::PlatformWindow> mWindow;
    std::unique_ptr<EventBridge> mBridge;
    std::unique_ptr<Platform::CommandLineListener> mCommandLines;
    IWindowInputTarget* mInputTarget = nullptr;
    RectRegion mUpdateRegion; // uncovered or invalidated, not yet painted
    int32_t mModalResult = 0;
    bool mClosed = false;
    String mTitle;       // as made
    bool mShown = false; // shown by the application (and not hidden since)
    bool mEnabled = true;
    OSWindow* mOwner = nullptr;      // checked with IsLive before use
    OSWindow* mModalChild = nullptr; // the modal window that disabled this one
    LProfile* mPlacementProfile = nullptr;
    String mPlacementSection;
};

} // namespace KV
