#pragma once
// Small clients and distributors for the notification tests.

#include "Notification/NotificationDistributor.h"

#include <functional>
#include <string>
#include <vector>

namespace notiftest {

using namespace KV;

// Appends "<name>" to a shared log for every notification it receives, then runs an
// optional action (the re-entrancy cases).
class Recorder : public LNotificationClient
{
public:
    Recorder(std::vector<std::string>* log, std::string name, bool* destroyed = nullptr)
        : mLog(log), mName(std::move(name)), mDestroyed(destroyed)
    {
    }
    ~Recorder() override
    {
        if (mDestroyed)
            *mDestroyed = true;
    }

    KVRESULT Receive(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n) override
    {
        if (mLog)
            mLog->push_back(mName);
        ++mReceived;
        mLastId = n ? n->GetId() : nullptr;
        mLast = n;
        if (mAction)
        {
            auto action = mAction; // the action may replace itself
            action();
        }
        return S_OK;
    }

    std::vector<std::string>* mLog;
    std::string mName;
    bool* mDestroyed;
    int mReceived = 0;
    NotificationId mLastId = nullptr;
    RCPtr<LNotification> mLast;
    std::function<void()> mAction;
};

class Distributor : public LNotificationDistributor
{
};

} // namespace notiftest
