#pragma once
// Helpers for the engine tests: collecting what the engine posts into the default
// notification center, and temporary image files.

#include "UpdateNotifications.h"

#include "Notification/NotificationCenter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace enginetest {

// Records every engine notification drained from the default center, as text:
// "state 5<-3", "file 3<-0", "progress 0.5", "completed 1".
class PostedLog : public KV::LNotificationClient
{
public:
    static KV::RCPtr<PostedLog> Attach()
    {
        KV::RCPtr<PostedLog> log(new PostedLog());
        auto center = KV::LNotificationCenterManager::GetDefaultCenter();
        for (auto id : {KV::NID_DEVICE_STATE_CHANGE, KV::NID_FIRMWARE_FILE_STATE_CHANGE,
                        KV::NID_FIRMWARE_UPDATE_PROGRESS, KV::NID_FIRMWARE_UPDATE_COMPLETED,
                        KV::NID_FOUND_DEVICE_LIST_CHANGE})
            log->RegisterNotification(center, id);
        return log;
    }

    // Drains the default center and returns what arrived since the last call.
    std::vector<std::string> Take()
    {
        KV::LNotificationCenterManager::GetInstance()->ProcessAllQueues(false);
        return std::exchange(mEntries, {});
    }

    KVRESULT Receive(const KV::RCPtr<KV::LNotificationDistributor>&,
                     const KV::RCPtr<KV::LNotification>& n) override
    {
        const auto& data = n->GetData();
        if (auto* s = dynamic_cast<const KV::LDeviceStateChangeNotificationData*>(data.Get()))
            mEntries.push_back("state " + std::to_string(s->mNewState) + "<-" + std::to_string(s->mOldState));
        else if (auto* f = dynamic_cast<const KV::LFirmwareFileStateChangeNotificationData*>(data.Get()))
            mEntries.push_back("file " + std::to_string(f->mNewState) + "<-" + std::to_string(f->mOldState));
        else if (auto* p = dynamic_cast<const KV::LFirmwareUpdateProgressNotificationData*>(data.Get()))
        {
            char text[32];
            std::snprintf(text, sizeof text, "progress %g", p->mFraction);
            mEntries.push_back(text);
        }
        else if (auto* c = dynamic_cast<const KV::LFirmwareUpdateCompletedNotificationData*>(data.Get()))
            mEntries.push_back("completed " + std::to_string(c->mSuccess));
        else
            mEntries.push_back("list");
        return S_OK;
    }

    ~PostedLog() override = default;

private:
    std::vector<std::string> mEntries;
};

// Detaches on destruction so that one test's log does not see the next test's posts.
struct PostedLogScope
{
    KV::RCPtr<PostedLog> log = PostedLog::Attach();
    ~PostedLogScope()
    {
        log->Take();
        log->UnregisterAllNotifications();
    }
};

// A temporary folder removed at the end of the test.
struct TempFolder
{
    std::filesystem::path path;
    TempFolder()
    {
        char pattern[] = "/tmp/kv-engine-XXXXXX";
        path = mkdtemp(pattern);
    }
    ~TempFolder() { std::filesystem::remove_all(path); }
    std::string Write(const std::string& name, const std::string& content) const
    {
        std::ofstream(path / name, std::ios::binary) << content;
        return (path / name).string();
    }
};

} // namespace enginetest
