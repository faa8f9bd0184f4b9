#pragma once
// LGlobalHotKeyManager: turns a key that is bound in its table into a notification named
// by the binding, handed to its target. The application's manager posts into the
// default notification center, a root window's into the window's own queue, so that the
// command runs later on the window thread, outside the key handling.

#include "Notification/NotificationDistributor.h"
#include "System/KeyCodeTable.h"

namespace KV {

class LGlobalHotKeyManager : public virtual LRefCountedObject
{
public:
    static RCPtr<LGlobalHotKeyManager> Create(const RCPtr<LNotificationReceiver>& target);

    KeyCodeTable& GetKeyCodeTable() noexcept { return mKeyCodeTable; }
    // Where the notifications of matched keys go.
    const RCPtr<LNotificationReceiver>& GetTarget() const noexcept { return mTarget; }
    const KeyCodeTable& GetKeyCodeTable() const noexcept { return mKeyCodeTable; }

    // 0 when the key is bound (whether or not a notification could be delivered), 1 when
    // it is not.
    KVRESULT HandleKey(const KeyCode& key);

protected:
    ~LGlobalHotKeyManager() override = default;

private:
    explicit LGlobalHotKeyManager(const RCPtr<LNotificationReceiver>& target) : mTarget(target) {}

    KeyCodeTable mKeyCodeTable;
    RCPtr<LNotificationReceiver> mTarget;
};

} // namespace KV
