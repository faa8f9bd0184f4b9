#pragma once
// The one application object of the process, reachable from everywhere.
//
// It owns the process-wide notification services: it fetches the default notification
// center before any other thread runs, switches notification recycling on when the
// application starts and off when it ends, and drains the notification queues at idle
// time on the window thread.

#include "Notification/NotificationCenter.h"

namespace KV {

class LFrameworkApp : public LNotificationClient
{
public:
    // The application object, or null before it is made and after it is gone.
    static LFrameworkApp* GetInstance() noexcept;

    LFrameworkApp();
    ~LFrameworkApp() override;

    // The start-up sequence of the framework. Its first step switches recycling on.
    virtual KVRESULT RunApplicationStartup();

    // Drains every notification center (and, once they exist, the root windows' queues)
    // on the calling thread: the idle tick goes out when idle is true. True while items
    // remain queued.
    bool ProcessNotificationQueues(bool idle);

    const RCPtr<LNotificationCenter>& GetDefaultCenter() const noexcept { return mDefaultCenter; }

private:
    RCPtr<LNotificationCenter> mDefaultCenter;
};

} // namespace KV
