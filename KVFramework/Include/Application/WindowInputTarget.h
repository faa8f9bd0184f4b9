#pragma once
// IWindowInputTarget: what the operating-system window hands its root window. The window
// turns the window system's events into these calls (client coordinates; modifier words
// of KeyCode.h) and asks here what to paint; the root window routes them to its controls.

#include "Graphics/Geometry.h"
#include "Graphics/RectRegion.h"
#include "ObjectBase/RCPtr.h"

#include <cstdint>

namespace KV {

class LKeyParam;

class IWindowInputTarget
{
public:
    // Actions of OnMouseButton.
    static constexpr int kPress = 0;
    static constexpr int kRelease = 1;
    static constexpr int kDoubleClick = 2;

    virtual ~IWindowInputTarget() = default;

    virtual void OnMouseButton(int action, int button, uint32_t modifiers, const PointT<int32_t>& point) = 0;
    virtual void OnMouseMove(const PointT<int32_t>& point, uint32_t modifiers) = 0;
    // direction: kWheelDown, kWheelUp, kWheelLeft, kWheelRight (WindowInput.h).
    virtual void OnMouseWheel(const PointT<int32_t>& point, uint32_t modifiers, int direction) = 0;
    virtual void OnKey(const RCPtr<LKeyParam>& param) = 0;
    virtual void OnCaptureLost() = 0;
    virtual void OnFocusLost() = 0;
    virtual void OnActivate() = 0;
    // The close box of a window that is not the application's main window.
    virtual void OnCloseCommand() = 0;
    // Whether a control of the window has the keyboard focus.
    virtual bool HasFocusControl() = 0;

    // The client area took a new size.
    virtual void OnWindowResized() = 0;
    // The next paint covers the whole client area.
    virtual void SetSizeChanged() = 0;
    // The client size the user asks for, corrected to what the root control allows:
    // 1 when it was changed, 0 when not, negative without a root control.
    virtual int32_t OnSizing(SizeT<int32_t>& size) = 0;
    // Adds the rectangle to what the next paint draws.
    virtual void InvalidateRect(const RectT<int32_t>& rect) = 0;
    // Moves what is still to be painted into region.
    virtual void CollectInvalidRegion(RectRegion& region) = 0;
    // Draws the controls inside region through the window's renderer; the renderer's
    // frame is already started on the window's render context.
    virtual void OnPaint(const RectRegion& region) = 0;
};

} // namespace KV
