#include "Application/FrameworkApp.h"

#include "Application/WindowOSServices.h"
#include "Platform/Locale/UserLocale.h"

#include <atomic>
#include <exception>
#include <vector>

namespace KV {
namespace {

std::atomic<LFrameworkApp*> gInstance{nullptr};
constinit std::atomic<uint32_t> gLocale{0};

} // namespace

LFrameworkApp* LFrameworkApp::GetInstance() noexcept
{
    return gInstance.load(std::memory_order_acquire);
}

LFrameworkApp::LFrameworkApp(const RCPtr<LStringTable>& appStringTable,
                             const RCPtr<LStringTable>& frameworkStringTable)
    : mDefaultCenter(LNotificationCenterManager::GetDefaultCenter()), mAppStringTable(appStringTable),
      mFrameworkStringTable(frameworkStringTable)
{
    RCPtr<LNotificationReceiver> postIntoDefaultCenter;
    if (mDefaultCenter)
        postIntoDefaultCenter = mDefaultCenter->GetPostingReceiver();
    mHotKeyManager = LGlobalHotKeyManager::Create(postIntoDefaultCenter);
    mClipboard = LClipboard::Create();
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
    try
    {
        LNotification::EnableRecycling(true);
        if (mHotKeyManager && mAppStringTable)
            mHotKeyManager->GetKeyCodeTable().LoadFromStringTable(mAppStringTable, u"GHK");
        if (mClipboard)
            mClipboard->Initialize();
    }
    catch (const std::exception&)
    {
        // A failed start-up step is reported as a result: nothing shows its text.
        return E_FAIL;
    }
    return S_OK;
}

KVRESULT LFrameworkApp::ReleaseServices()
{
    mHotKeyManager.Reset();
    mClipboard.Reset();
    return S_OK;
}

bool LFrameworkApp::ProcessNotificationQueues(bool idle)
{
    bool itemsRemain = LNotificationCenterManager::GetInstance()->ProcessAllQueues(idle);
    // A window may open or close while its queue is drained: work on a snapshot.
    std::vector<RCPtr<LRootWindow>> windows;
    for (uint32_t i = 0; i < mRootWindows.GetCount(); ++i)
        windows.push_back(*mRootWindows.GetAtConst(i));
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        itemsRemain |= (*it)->ProcessIdle(idle);
    return itemsRemain;
}

uint32_t LFrameworkApp::GetLocale()
{
    return gLocale.load(std::memory_order_relaxed);
}

void LFrameworkApp::SetLocale(uint32_t locale) noexcept
{
    gLocale.store(locale, std::memory_order_relaxed);
}

uint32_t LFrameworkApp::GetUserDefaultLocale()
{
    return Platform::GetUserDefaultLocaleId();
}

double LFrameworkApp::GetTimeInSeconds()
{
    return mClock.GetTimeInSeconds();
}

Milliseconds LFrameworkApp::GetTimeMs()
{
    return mClock.GetTimeMs();
}

int32_t LFrameworkApp::AddRootWindow(const RCPtr<LRootWindow>& window)
{
    if (const int32_t index = GetRootWindowIndex(window.Get()); index >= 0)
        return index;
    const int32_t added = mRootWindows.AddItem(window);
    return added < 0 ? added : static_cast<int32_t>(mRootWindows.GetCount()) - 1;
}

int32_t LFrameworkApp::RemoveRootWindow(const RCPtr<LRootWindow>& window)
{
    const int32_t index = GetRootWindowIndex(window.Get());
    if (index < 0)
        return index;
    RCPtr<LRootWindow> removed;
    return mRootWindows.RemoveItem(static_cast<uint32_t>(index), removed);
}

int32_t LFrameworkApp::GetRootWindowIndex(const LRootWindow* window) const
{
    for (uint32_t i = mRootWindows.GetCount(); i-- > 0;)
        if (mRootWindows.GetAtConst(i)->Get() == window)
            return static_cast<int32_t>(i);
    return -1;
}

RCPtr<LRootWindow> LFrameworkApp::GetActiveRootWindow() const
{
    for (uint32_t i = mRootWindows.GetCount(); i-- > 0;)
    {
        const RCPtr<LRootWindow>& window = *mRootWindows.GetAtConst(i);
        if (window->GetOSServices() && window->GetOSServices()->IsActive())
            return window;
    }
    return nullptr;
}

RCPtr<LMeasurementRenderer> LFrameworkApp::GetMeasurementRenderer()
{
    // Root windows do not hold the renderer of their operating-system window: there is
    // none to measure with.
    return nullptr;
}

} // namespace KV
