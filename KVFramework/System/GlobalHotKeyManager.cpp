#include "System/GlobalHotKeyManager.h"

namespace KV {

RCPtr<LGlobalHotKeyManager> LGlobalHotKeyManager::Create(const RCPtr<LNotificationReceiver>& target)
{
    return RCPtr<LGlobalHotKeyManager>(new LGlobalHotKeyManager(target));
}

KVRESULT LGlobalHotKeyManager::HandleKey(const KeyCode& key)
{
    const String name = mKeyCodeTable.FindNameByKeyCode(key);
    if (name.IsEmpty())
        return S_FALSE;
    const RCPtr<LNotification> notification = LNotification::Create(name.GetText());
    if (notification && mTarget)
        mTarget->Receive(nullptr, notification);
    return S_OK;
}

} // namespace KV
