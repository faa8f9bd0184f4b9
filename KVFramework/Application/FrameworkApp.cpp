#include "Application/FrameworkApp.h"

#include <atomic>

namespace KV {
namespace {

std::atomic<LFrameworkApp*> gInstance{nullptr};

} // namespace

LFrameworkApp* LFrameworkApp::GetInstance() noexcept
{
    return gInstance.load(std::memory_order_acquire);
}

LFrameworkApp::LFrameworkApp() : mDefaultCenter(LNotificationCenterManager::GetDefaultCenter())
{
    gInstance.store(this, std::memory_order_release);
}

LFrameworkApp::~LFrameworkApp()
{
    UnregisterAllNotifications();
    mDefaultCenter.Reset();
    // Releasing the manager releases the centers: each detaches its clients and ends.
    LNotificationCenterManager::ReleaseInstance();
    LNotification::EnableRecycling(false);
    LFrameworkApp* self = this;
    gInstance.compare_exchange_strong(self, nullptr, std::memory_order_acq_rel);
}

KVRESULT LFrameworkApp::RunApplicationStartup()
{
    LNotification::EnableRecycling(true);
    return S_OK;
}

bool LFrameworkApp::ProcessNotificationQueues(bool idle)
{
    return LNotificationCenterManager::GetInstance()->ProcessAllQueues(idle);
}

} // namespace KV
