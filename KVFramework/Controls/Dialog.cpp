#include "Controls/Dialog.h"

#include "ControlBase/RootWindow.h"
#include "Notification/Notification.h"

namespace KV {

LDialog::LDialog(const RCPtr<LControl>& parent, const String& name) : LPanel(parent, name) {}

LDialog::~LDialog() = default;

RCPtr<LCancelArgs> LDialog::SendClosing()
{
    RCPtr<LCancelArgs> args = LCancelArgs::Create();
    SendNotification(LNotification::Create(u"NID_DIALOG_CLOSING", args));
    return args;
}

KVRESULT LDialog::EndDialog(int32_t result)
{
    RCPtr<LDialog> self(this);
    mResult = result;
    if (SendClosing()->mCancel)
        return S_FALSE;
    if (RCPtr<LRootWindow> window = GetRootWindow())
        window->RequestClose(result);
    SendNotification(LNotification::Create(u"NID_DIALOG_CLOSED"));
    return Close();
}

} // namespace KV
