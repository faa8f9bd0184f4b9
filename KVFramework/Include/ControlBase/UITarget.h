#pragma once
// UITarget: what a root window calls on the control that receives an input event.
//
// The root window picks the control (the capture control, else the control under the
// pointer for the mouse and the wheel, the focus control for keys) and calls one of
// these. Each answers 0 when it handled the event, 1 when it ignored it, and a negative
// code for a bad argument; an unhandled key or wheel step travels on while the answer
// is 1.

#include "KVResult.h"
#include "Notification/NotificationParams.h"

namespace KV {

class UITarget
{
public:
    virtual KVRESULT OnMouseEnter() = 0;
    // The point is in the receiving control's coordinates.
    virtual KVRESULT OnMouseMove(const RCPtr<LPointWithModifiersParam>& param) = 0;
    virtual KVRESULT OnMouseDown(const RCPtr<LMouseButtonParam>& param) = 0;
    virtual KVRESULT OnMouseUp(const RCPtr<LMouseButtonParam>& param) = 0;
    virtual KVRESULT OnMouseLeave() = 0;
    // x, y: the press point in the control's coordinates; button 0 takes the capture
    // without a press.
    virtual KVRESULT BeginMouseCapture(int button, int32_t x, int32_t y) = 0;
    virtual KVRESULT OnCaptureLost() = 0;
    virtual KVRESULT OnKey(const RCPtr<LKeyParam>& param) = 0;
    // The point of a wheel step is in root-window coordinates.
    virtual KVRESULT OnMouseWheel(const RCPtr<LMouseWheelParam>& param) = 0;
    virtual KVRESULT OnMouseHWheel(const RCPtr<LMouseWheelParam>& param) = 0;
    virtual KVRESULT OnParentResized() = 0;
    // False when the control keeps the focus for now; focus changes are refused then.
    virtual bool CanReleaseFocus() = 0;
    virtual bool ReleaseFocus() = 0;

protected:
    ~UITarget() = default;
};

} // namespace KV
