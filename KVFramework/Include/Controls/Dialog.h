#pragma once
// LDialog: the root control of a window shown as a dialog. Ending it asks the listeners
// first ("NID_DIALOG_CLOSING" with an LCancelArgs that any of them may set to keep the
// dialog open); when none objects, the result is recorded, the window is asked to close
// at its next idle pass, the listeners hear "NID_DIALOG_CLOSED" and the dialog's own
// Close finishes. The window's close box ends a dialog with the result 2.

#include "Controls/Panel.h"

namespace KV {

// The argument of "NID_DIALOG_CLOSING": a listener sets mCancel to keep the dialog open.
class LCancelArgs : public virtual LRefCountedObject
{
public:
    static RCPtr<LCancelArgs> Create() { return RCPtr<LCancelArgs>(new LCancelArgs()); }

    bool mCancel = false;

protected:
    LCancelArgs() = default;
    ~LCancelArgs() override = default;
};

class LDialog : public LPanel
{
public:
    // The result a dialog ended by the window's close box gets.
    static constexpr int32_t kClosedByWindow = 2;

    LDialog(const RCPtr<LControl>& parent, const String& name);

    // Ends the dialog with the result unless a listener of "NID_DIALOG_CLOSING" cancels;
    // the result is recorded either way. S_FALSE when cancelled.
    KVRESULT EndDialog(int32_t result);
    // Asks the listeners whether the dialog may close; the arguments they answered in.
    RCPtr<LCancelArgs> SendClosing();
    int32_t GetResult() const noexcept { return mResult; }

protected:
    ~LDialog() override;
    // The dialog's own end, after the window was asked to close. Returns 0.
    virtual KVRESULT Close() { return S_OK; }

private:
    int32_t mResult = 0;
};

} // namespace KV
