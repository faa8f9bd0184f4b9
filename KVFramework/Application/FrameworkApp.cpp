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

LFrameworkApp::LFrameworkApp(const RCPtr<LStringTable>& appStringTable)
    : mDefaultCenter(LNotificationCenterManager::GetDefaultCenter()), mAppStringTable(appStringTable)
{
    RCPtr<LNotificationReceiver> postIntoDefaultCenter;
    if (mDefaultCenter)
        postIntoDefaultCenter = mDefaultCenter->GetPostingReceiver();
    mHotKeyManager = LGlobalHotKeyManager::Create(postIntoDefaultCenter);
    gInstance.store(this, std::memory_order_release);
}

LFrameworkApp::~LFrameworkApp()
{
    UnregisterAllNotifications();
    LFrameworkApp::ReleaseServices();
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
    if (mHotKeyManager && mAppStringTable)
        mHotKeyManager->GetKeyCodeTable().LoadFromStringTable(mAppStringTable, u"GHK");
    return S_OK;
}

KVRESULT LFrameworkApp::ReleaseServices()
{
    mHotKeyManager.Reset();
    return S_OK;
}

bool LFrameworkApp::ProcessNotificationQueues(bool idle)
{
    return LNotificationCenterManager::GetInstance()->ProcessAllQueues(idle);
}

} // namespace KV
