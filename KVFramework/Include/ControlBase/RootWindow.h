#pragma once
// LRootWindow: the top of one control tree inside one operating-system window.
//
// The operating-system window (IWindowOSServices) calls the root window with what it
// receives, in client coordinates: pointer buttons (OnMouseButton), moves, wheel steps,
// keys, focus loss and activation, size changes, close requests and paints. The root
// window picks the control that takes each event (the capture control, else the control
// under the pointer, or the focus control for keys) and calls its UITarget operations.
// Mouse input is ignored while the window is not active.
//
// A root window is its own notification queue, dispatched through its own distributor:
// what is posted into it (the notifications of its global hot keys, for example) reaches
// the clients registered with the window when the application drains it at idle time
// (ProcessIdle), which is also when a requested close is carried out. It keeps the
// control that has the keyboard focus, and a hot-key manager loaded with the "GHK."
// entries of its root control's string table.
//
// Window thread only.

#include "Application/WindowInputTarget.h"
#include "ControlBase/Control.h"
#include "Graphics/RectRegion.h"
#include "Notification/NotificationQueue.h"
#include "Renderer/Renderer.h"
#include "System/GlobalHotKeyManager.h"

namespace KV {

class IWindowOSServices;

class LRootWindow : public LNotificationDistributor, public LNotificationQueue, public IWindowInputTarget
{
public:
    // osServices: the window the root window lives in (not owned; may be null);
    // renderer: what the window paints with (may be null).
    static RCPtr<LRootWindow> CreateInstance(IWindowOSServices* osServices,
                                             const RCPtr<LRenderer>& renderer = nullptr);

    IWindowOSServices* GetOSServices() const noexcept { return mOSServices; }
    const RCPtr<LRenderer>& GetRenderer() const noexcept { return mRenderer; }

    // Takes the control as the root control (null: none): the previous one leaves its
    // tree, the new one fills the client area and brings its global hot keys. Returns 0.
    KVRESULT SetRootControl(const RCPtr<LControl>& control);
    const RCPtr<LControl>& GetRootControl() const noexcept { return mRootControl; }

    // ---- input from the window ----
    void OnMouseButton(int action, int button, uint32_t modifiers, const PointT<int32_t>& point) override;
    void OnMouseMove(const PointT<int32_t>& point, uint32_t modifiers) override;
    // direction: kWheel...
    void OnMouseWheel(const PointT<int32_t>& point, uint32_t modifiers, int direction) override;
    void OnKey(const RCPtr<LKeyParam>& param) override;
    // The system took the pointer capture away.
    void OnCaptureLost() override;
    // The window lost the keyboard focus: the focus path empties, the focus control is
    // kept to come back to.
    void OnFocusLost() override;
    // The window became active: the focus goes back where it was.
    void OnActivate() override;
    // The close box: recorded, carried out at the next idle pass; a dialog as the root
    // control is ended instead, and its listeners may keep it open.
    void OnCloseCommand() override;
    // E_FAIL without a window.
    KVRESULT RequestClose(int32_t code);
    bool IsCloseRequested() const noexcept { return mCloseRequested; }
    // Passes the text-input request of a control that edits text to the window.
    KVRESULT EnableTextInput(bool enable, LControl* control, int32_t value);

    // ---- routing state, used by the controls ----
    // The control under the point (client coordinates) and the point in its
    // coordinates; with updateHover the hover control follows it.
    virtual RCPtr<LControl> FindControlAtPoint(const PointT<int32_t>& point, PointT<int32_t>& local,
                                               bool updateHover);
    void SetHoverControl(const RCPtr<LControl>& control);
    const RCPtr<LControl>& GetHoverControl() const noexcept { return mHoverControl; }
    const RCPtr<LControl>& GetToolTipOwner() const noexcept { return mToolTipOwner; }
    // The control that has the keyboard focus; empty when none.
    void SetFocusControl(const RCPtr<LControl>& control) { mFocusControl = control; }
    const RCPtr<LControl>& GetFocusControl() const noexcept { return mFocusControl; }
    bool HasFocusControl() override { return mFocusControl != nullptr; }
    // The focus control gave the focus up: it is kept as the one to come back to.
    void ClearFocusControl();
    const RCPtr<LControl>& GetSavedFocusControl() const noexcept { return mSavedFocusControl; }
    // The saved control left the window: activation gives the root control the focus.
    void ForgetSavedFocusControl() { mSavedFocusControl.Reset(); }
    // E_INVALIDARG for null; a control holding the capture loses it first.
    KVRESULT SetCaptureControl(const RCPtr<LControl>& control);
    KVRESULT ReleaseCaptureControl();
    const RCPtr<LControl>& GetCaptureControl() const noexcept { return mCaptureControl; }
    // Tab navigation that left the root control: the next window, or round again.
    void NavigateWindows(const RCPtr<LKeyParam>& param);
    // Bits kMouseButton...; 0 without a window.
    int32_t GetMouseButtons();
    PointT<int32_t> GetCursorPosition();
    // Shows the cursor (0: the default arrow); the cursor it replaced.
    CursorHandle SetCursor(CursorHandle cursor);

    const RCPtr<LGlobalHotKeyManager>& GetHotKeyManager() const noexcept { return mHotKeyManager; }

    // ---- geometry and invalidation (RootWindowGeometry.cpp) ----
    // The client area with its origin in screen coordinates, refreshed from the window;
    // the last one known without a window.
    RectT<int32_t> GetScreenRect();
    // The client size the root control is laid out in.
    SizeT<int32_t> GetClientSize();
    // Places the window's client area on the screen; a change repaints the root control.
    void SetBounds(const RectT<int32_t>& rect);
    // Adds the rectangle, cut to the client area, to what the next paint draws.
    void InvalidateRect(const RectT<int32_t>& rect) override;
    // Hands over what is to be painted, optimised, and starts collecting anew.
    void CollectInvalidRegion(RectRegion& out) override;
    const RectRegion& GetInvalidRegion() const noexcept { return mInvalidRegion; }

    // ---- painting (RootWindowPainting.cpp) ----
    // Draws the root control's tree inside the region, in window coordinates: the clipped
    // controls first, then the unclipped ones above them.
    void OnPaint(LRenderer& renderer, const RectRegion& region);
    // The same through the renderer the window was made with; nothing without one.
    void OnPaint(const RectRegion& region) override;
    // Draws the control, then the unclipped controls it collected, lower Z order first,
    // each at its parent's content origin with its own opacity, and theirs in turn.
    void DrawControlTree(LRenderer& renderer, const RCPtr<LControl>& control, const RectRegion& region,
                         bool unclippedPass);

    // The next CollectInvalidRegion paints everything (after a size change).
    void SetSizeChanged() override { mSizeChanged = true; }
    // Paints the whole client area at once.
    void Redraw();
    // The window's client area changed size: the root control lays itself out again.
    void OnWindowResized() override;
    // The client size a drag of the window's frame asks for, made at least 1 x 1 and
    // kept within the root control's limits: 1 when it was changed, E_FAIL without a
    // root control.
    int32_t OnSizing(SizeT<int32_t>& size) override;

    // Drains the window's own queue, with the idle tick when sendIdle is set, then
    // carries out a requested close. True while items remain queued.
    bool ProcessIdle(bool sendIdle);

    // Detaches the clients, gives up the root control and ends the queue once only
    // internal references remain.
    KVRESULT ReleaseInternalReferences() override;

protected:
    ~LRootWindow() override = default;

private:
    LRootWindow(IWindowOSServices* osServices, const RCPtr<LRenderer>& renderer)
        : mOSServices(osServices), mRenderer(renderer)
    {
    }
    bool TakesMouseInput();
    // The capture control with the point in its coordinates, else the control under it.
    RCPtr<LControl> FindTarget(const PointT<int32_t>& point, PointT<int32_t>& local);
    void HideToolTip();

    IWindowOSServices* mOSServices;
    RCPtr<LRenderer> mRenderer;
    RectT<int32_t> mScreenRect{0, 0, 1024, 768};
    RCPtr<LControl> mRootControl;
    RectRegion mInvalidRegion;
    bool mSizeChanged = false;
    int32_t mDoubleClickButtons = 0;
    RCPtr<LGlobalHotKeyManager> mHotKeyManager;
    RCPtr<LControl> mFocusControl;
    RCPtr<LControl> mSavedFocusControl;
    RCPtr<LControl> mHoverControl;
    RCPtr<LControl> mToolTipOwner;
    RCPtr<LControl> mCaptureControl;
    bool mCloseRequested = false;
    int32_t mCloseCode = 0;
    bool mDispatchesItself = false;
    bool mRootControlHoldsWindow = false; // the root control's back reference, counted as internal
};

// The modifiers held now, as the application sees the keyboard: kModifierCtrl,
// kModifierShift and kModifierAlt.
uint32_t GetModifierState();

} // namespace KV
