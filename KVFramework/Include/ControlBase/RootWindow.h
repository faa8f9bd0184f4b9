#pragma once
// LRootWindow: the top of one control tree inside one operating-system window.
//
// A root window is its own notification queue, dispatched through its own distributor:
// what is posted into it (the notifications of its global hot keys, for example) reaches
// the clients registered with the window when the application drains it at idle time.
// It keeps the control that has the keyboard focus, and a hot-key manager loaded with the
// "GHK." entries of its root control's string table.

#include "ControlBase/Control.h"
#include "Notification/NotificationQueue.h"
#include "System/GlobalHotKeyManager.h"

namespace KV {

class IWindowOSServices;

class LRootWindow : public LNotificationDistributor, public LNotificationQueue
{
public:
    // osServices: the window the root window lives in (not owned; may be null).
    static RCPtr<LRootWindow> CreateInstance(IWindowOSServices* osServices);

    IWindowOSServices* GetOSServices() const noexcept { return mOSServices; }

    // Takes the control as the root control (null: none) and binds its global hot keys
    // in place of the previous root control's. Returns 0.
    KVRESULT SetRootControl(const RCPtr<LControl>& control);
    const RCPtr<LControl>& GetRootControl() const noexcept { return mRootControl; }

    // The control that has the keyboard focus; empty when none.
    void SetFocusControl(const RCPtr<LControl>& control) { mFocusControl = control; }
    const RCPtr<LControl>& GetFocusControl() const noexcept { return mFocusControl; }

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
    void InvalidateRect(const RectT<int32_t>& rect);
    // Hands over what is to be painted, optimised, and starts collecting anew.
    void CollectInvalidRegion(RectRegion& out);
    const RectRegion& GetInvalidRegion() const noexcept { return mInvalidRegion; }

    // ---- painting (RootWindowPainting.cpp) ----
    // Draws the root control's tree inside the region, in window coordinates: the clipped
    // controls first, then the unclipped ones above them.
    void OnPaint(LRenderer& renderer, const RectRegion& region);
    // Draws the control, then the unclipped controls it collected, lower Z order first,
    // each at its parent's content origin with its own opacity, and theirs in turn.
    void DrawControlTree(LRenderer& renderer, const RCPtr<LControl>& control, const RectRegion& region,
                         bool unclippedPass);

    // Drains the window's own queue, with the idle tick when sendIdle is set. True while
    // items remain queued.
    bool ProcessIdle(bool sendIdle);

    // Detaches the clients, gives up the root control and ends the queue once only
    // internal references remain.
    KVRESULT ReleaseInternalReferences() override;

protected:
    ~LRootWindow() override = default;

private:
    explicit LRootWindow(IWindowOSServices* osServices) : mOSServices(osServices) {}

    IWindowOSServices* mOSServices;
    RectT<int32_t> mScreenRect{0, 0, 1024, 768};
    RectRegion mInvalidRegion;
    RCPtr<LControl> mRootControl;
    RCPtr<LControl> mFocusControl;
    RCPtr<LGlobalHotKeyManager> mHotKeyManager;
    bool mDispatchesItself = false;
    bool mRootControlHoldsWindow = false; // the root control's back reference, counted as internal
};

} // namespace KV
