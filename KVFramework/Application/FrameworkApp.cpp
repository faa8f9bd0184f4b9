#include "Application/FrameworkApp.h"

#include "Application/ExitStatus.h"
#include "Application/MessageLoop.h"
#include "Application/OSWindow.h"
#include "Application/StartupError.h"
#include "Application/WindowOSServices.h"
#include "Controls/FrameworkControls.h"
#include "ObjectBase/Exception.h"
#include "Platform/Locale/UserLocale.h"
#include "Platform/Threads/TerminationSignals.h"
#include "Platform/Window/WindowEventSource.h"
#include "System/DebugConsole.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace KV {
namespace {

std::atomic<LFrameworkApp*> gInstance{nullptr};
constinit std::atomic<uint32_t> gLocale{0};
constinit std::atomic<IStatusTextTarget*> gStatusBar{nullptr};
// Every status bar there is, the latest made last; the latest is the current one. Texts are
// set from any thread, so the list changes under a lock.
std::mutex gStatusBarsLock;
std::vector<IStatusTextTarget*> gStatusBars;

constexpr const char16_t* kExitRequest = u"NID_APP_EXIT_REQ";

constinit std::atomic<int> gTerminationSignal{0};

// How long a process may take to end in order after a termination signal.
constexpr std::chrono::seconds kOrderlyEndLimit{10};

// On the signal thread.
void TakeTerminationSignal(int signal)
{
    int none = 0;
    if (!gTerminationSignal.compare_exchange_strong(none, signal, std::memory_order_acq_rel))
        Platform::EndAsEndedBySignal(signal); // asked twice: no more waiting
    std::thread([signal] {
        std::this_thread::sleep_for(kOrderlyEndLimit);
        Platform::EndAsEndedBySignal(signal);
    }).detach();
}

} // namespace

void LFrameworkApp::WatchTerminationSignals()
{
    Platform::StartTerminationSignalThread(&TakeTerminationSignal);
}

int LFrameworkApp::GetTerminationSignal() noexcept
{
    return gTerminationSignal.load(std::memory_order_acquire);
}

LFrameworkApp* LFrameworkApp::GetInstance() noexcept
{
    return gInstance.load(std::memory_order_acquire);
}

LFrameworkApp::LFrameworkApp(const RCPtr<LControlFactory>& factory,
                             const RCPtr<LStringTable>& frameworkStringTable, const String& commandLine)
    : LFrameworkApp(factory ? factory->GetAppStringTable() : nullptr, frameworkStringTable)
{
    mControlFactory = factory;
    mCommandLine = commandLine;
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
    mMainWindow.reset();
    mDefaultCenter.Reset();
    // Releasing the manager releases the centers: each detaches its clients and ends.
    LNotificationCenterManager::ReleaseInstance();
    LNotification::EnableRecycling(false);
    LFrameworkApp* self = this;
    gInstance.compare_exchange_strong(self, nullptr, std::memory_order_acq_rel);
}

KVRESULT LFrameworkApp::Receive(const RCPtr<LNotificationDistributor>&,
                                const RCPtr<LNotification>& notification)
{
    if (notification && GetNotificationIdText(notification->GetId()).EqualsText(kExitRequest) &&
        !mExitRequested && CanExit())
        OnExitRequest();
    return S_OK;
}

void LFrameworkApp::OnExitRequest()
{
    mExitRequested = true;
    // The other windows close in the drain after the loop, from the last to the second;
    // the main window closes when the loop has ended.
    for (uint32_t i = mRootWindows.GetCount(); i-- > 1;)
        (*mRootWindows.GetAtConst(i))->RequestClose(0);
    QuitMessageLoop(0);
}

KVRESULT LFrameworkApp::PreStartup(const String&)
{
    return S_OK;
}

KVRESULT LFrameworkApp::PostStartup(const String&)
{
    return S_OK;
}

KVRESULT LFrameworkApp::OnCommandLine(const String& commandLine)
{
    // Nothing acts on it; the debug console shows that it arrived.
    CDebugLine<char16_t>() << u"Command line handed over: " << commandLine.View() << u"\n";
    return S_OK;
}

KVRESULT LFrameworkApp::RunApplicationStartup()
{
    try
    {
        LNotification::EnableRecycling(true);
        if (mControlFactory)
            KV_THROW_IF_FAILED(RegisterFrameworkControlClasses(*mControlFactory));
        if (mHotKeyManager && mAppStringTable)
            mHotKeyManager->GetKeyCodeTable().LoadFromStringTable(mAppStringTable, u"GHK");
        if (mClipboard)
            mClipboard->Initialize();
        // The saved skin, as far as the skins go. A factory without skins is left so: only
        // a window needs one, and opening the main window fails without it.
        if (mControlFactory && mControlFactory->GetSkins().GetCount() > 0)
        {
            const auto last = static_cast<int32_t>(mControlFactory->GetSkins().GetCount()) - 1;
            KV_THROW_IF_FAILED(SetSkin(std::clamp(GetCurrentSkinIndex(), 0, last)));
        }
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
    mControlFactory.Reset();
    mHotKeyManager.Reset();
    mClipboard.Reset();
    return S_OK;
}

bool LFrameworkApp::Run()
{
    if (const RCPtr<LRootWindow> first = GetFirstRootWindow())
        first->Redraw();
    BeforeMessageLoop();
    ProcessNotificationQueues(true);
    // An error inside the loop takes the ordinary exit road: the request is posted and the
    // loop runs on until the request is taken, so that it is refused as long as CanExit
    // says so (a transfer is never cut off).
    for (;;)
    {
        try
        {
            RunMessageLoop();
            break;
        }
        catch (...)
        {
            // Shown once: a loop that keeps failing must not pile up boxes.
            if (!std::exchange(mLoopFailureShown, true))
            {
                const StartupErrorBoxTexts box = GetStartupErrorBoxTexts(mFrameworkStringTable);
                MessageBox(box.text, box.caption, kMessageBoxIconError);
            }
            if (mExitRequested || !mWindowFactory)
                break;
            if (mDefaultCenter)
                mDefaultCenter->PostNotification(LNotification::Create(kExitRequest));
        }
    }
    if (mMainWindow)
        mMainWindow->Close();
    const bool itemsRemain = ProcessNotificationQueues(true);
    // The windows closed since the loop's last turn are deleted here: no turn follows.
    OSWindow::DeleteClosedWindows();
    return itemsRemain;
}

int32_t LFrameworkApp::RunMessageLoop()
{
    if (!mWindowFactory)
        return 0;
    MessageLoop loop(Platform::GetWindowEventSource());
    MessageLoop* const outer = std::exchange(mRunningLoop, &loop);
    struct Restore
    {
        MessageLoop*& running;
        MessageLoop* outer;
        ~Restore() { running = outer; }
    } restore{mRunningLoop, outer};
    // An exit request taken before the loop began (in the drain ahead of it) ends it too.
    return loop.Run([this](int32_t passCount) { return OnIdle(passCount); },
                    [this] { return !mExitRequested; });
}

void LFrameworkApp::QuitMessageLoop(int32_t code)
{
    if (mRunningLoop)
        mRunningLoop->Quit(code);
}

void LFrameworkApp::BeforeMessageLoop() {}

bool LFrameworkApp::OnIdle(int32_t passCount)
{
    if (mExitRequested)
        return false;
    if (GetTerminationSignal() != 0)
    {
        OnTerminationSignal();
        if (mExitRequested)
            return false;
    }
    return ProcessNotificationQueues(passCount == 0) && passCount < 2;
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

int LFrameworkApp::GetQuietExitStatus(KVRESULT)
{
    return 0;
}

int LFrameworkApp::OnWindowUnavailable()
{
    return kExitWindowUnavailable;
}

void LFrameworkApp::FinishRunningWork() {}

bool LFrameworkApp::CanExit()
{
    return true;
}

void LFrameworkApp::OnTerminationSignal()
{
    if (!mExitRequested && CanExit())
        OnExitRequest();
}

String LFrameworkApp::GetRootControlName()
{
    return String();
}

int32_t LFrameworkApp::GetRendererType()
{
    return kRendererTypeGDI;
}

RCPtr<LBitmap> LFrameworkApp::GetAppIcon()
{
    return nullptr;
}

int32_t LFrameworkApp::OnPowerBroadcast(uint32_t, uintptr_t)
{
    return 1;
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

KVRESULT LFrameworkApp::CreateControl(RCPtr<LControl>& control, const String& name)
{
    control = mControlFactory ? mControlFactory->CreateControlByName(name, nullptr) : nullptr;
    return control ? S_OK : E_FAIL;
}

int32_t LFrameworkApp::MessageBox(const String& text, const String& caption, uint32_t flags)
{
    IMessageBoxSink& sink = mMessageBoxSink ? *mMessageBoxSink : GetStandardErrorMessageBoxes();
    return sink.ShowMessageBox(text, caption, flags);
}

IStatusTextTarget* LFrameworkApp::GetStatusBar()
{
    return gStatusBar.load(std::memory_order_acquire);
}

void LFrameworkApp::SetCurrentStatusBar(IStatusTextTarget* statusBar)
{
    std::lock_guard lock(gStatusBarsLock);
    std::erase(gStatusBars, statusBar);
    if (statusBar)
        gStatusBars.push_back(statusBar);
    gStatusBar.store(statusBar, std::memory_order_release);
}

void LFrameworkApp::ClearCurrentStatusBar(IStatusTextTarget* statusBar) noexcept
{
    std::lock_guard lock(gStatusBarsLock);
    std::erase(gStatusBars, statusBar);
    gStatusBar.store(gStatusBars.empty() ? nullptr : gStatusBars.back(), std::memory_order_release);
}

KVRESULT LFrameworkApp::SetStatusText(const String& text, bool atOnce)
{
    IStatusTextTarget* statusBar = GetStatusBar();
    if (!GetFirstRootWindow() || !statusBar)
        return E_FAIL;
    return statusBar->SetStatusText(text, atOnce);
}

KVRESULT LFrameworkApp::RestoreStatusText(bool atOnce)
{
    IStatusTextTarget* statusBar = GetStatusBar();
    if (!GetFirstRootWindow() || !statusBar)
        return E_FAIL;
    return statusBar->RestoreStatusText(atOnce);
}

KVRESULT LFrameworkApp::CreateMainWindow(int32_t rendererType)
{
    const String rootName = GetRootControlName();
    const RCPtr<LControlDescriptor> descriptor =
        mControlFactory ? mControlFactory->FindControlDescriptor(rootName) : nullptr;
    if (!descriptor)
        KV_THROW_NULL_POINTER("Invalid Control Name");
    if (!mWindowFactory)
        return E_FAIL;
    // The title bar, the task list and the window manager's questions name the window
    // by its title: the application's name says which program it is (the company's
    // name would not).
    mMainWindow = mWindowFactory->CreateMainWindow(*this, descriptor, GetApplicationName(), rendererType);
    return mMainWindow ? S_OK : E_FAIL;
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

RCPtr<LRootWindow> LFrameworkApp::GetFirstRootWindow() const
{
    return mRootWindows.GetCount() > 0 ? *mRootWindows.GetAtConst(0) : nullptr;
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
    const RCPtr<LRootWindow> first = GetFirstRootWindow();
    if (!first || !first->GetRenderer())
        return nullptr;
    return RCPtr<LMeasurementRenderer>(first->GetRenderer().Get());
}

} // namespace KV
