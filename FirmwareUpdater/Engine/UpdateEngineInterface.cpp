#include "UpdateEngineInterface.h"

#include "DeviceMessages.h"
#include "FirmwareImageFile.h"
#include "UpdateNotifications.h"

#include "Notification/NotificationCenter.h"
#include "ObjectBase/Holder.h"
#include "Storage/File.h"
#include "System/Sleep.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

using namespace KV;

namespace {

bool IsVersionLower(const LUpdateEngineInterface::VersionInfo& a,
                    const LUpdateEngineInterface::VersionInfo& b)
{
    for (size_t i = 0; i < a.mNumbers.size(); ++i)
        if (a.mNumbers[i] != b.mNumbers[i])
            return a.mNumbers[i] < b.mNumbers[i];
    return false;
}

// A keyboard's ports come and go one after the other (a restart takes its ports away
// and brings them back): the scan that follows a change waits until the list has been
// still this long, so that it sees the keyboard whole.
constexpr Milliseconds kDeviceListSettle = 300;

} // namespace

// The engine's MIDI thread and its queue of jobs. Shared with the thread, which may
// outlive the engine by the moment it takes to leave.
struct LUpdateEngineInterface::TaskQueue
{
    std::mutex lock;
    std::condition_variable ready;
    std::condition_variable idle; // told when the last job has ended
    std::deque<std::function<void()>> jobs;
    bool running = false;
    bool stopping = false;
    std::thread thread;

    static void Run(const std::shared_ptr<TaskQueue>& queue)
    {
        std::unique_lock guard(queue->lock);
        for (;;)
        {
            queue->ready.wait(guard, [&] { return queue->stopping || !queue->jobs.empty(); });
            if (queue->jobs.empty())
                return;
            std::function<void()> job = std::move(queue->jobs.front());
            queue->jobs.pop_front();
            queue->running = true;
            guard.unlock();
            job();
            job = nullptr; // may release the engine, whose destructor then runs here
            guard.lock();
            queue->running = false;
            if (queue->jobs.empty())
                queue->idle.notify_all();
        }
    }
};

LUpdateEngineInterface::LUpdateEngineInterface()
    : mTasks(std::make_shared<TaskQueue>()), mCompletionEvent(LEvent::Create())
{
}

LUpdateEngineInterface::~LUpdateEngineInterface()
{
    // Every job holds the engine, so none is queued or running now unless the last
    // reference went in a job's end, on the thread itself.
    std::thread thread;
    {
        std::lock_guard guard(mTasks->lock);
        mTasks->stopping = true;
        thread = std::move(mTasks->thread);
    }
    mTasks->ready.notify_one();
    if (thread.joinable())
    {
        if (thread.get_id() == std::this_thread::get_id())
            thread.detach();
        else
            thread.join();
    }
}

void LUpdateEngineInterface::Schedule(std::function<void()> job)
{
    {
        std::lock_guard guard(mTasks->lock);
        if (mTasks->stopping)
            return;
        mTasks->jobs.push_back(std::move(job));
        if (!mTasks->thread.joinable())
            mTasks->thread = std::thread(&TaskQueue::Run, mTasks);
    }
    mTasks->ready.notify_one();
}

KVRESULT LUpdateEngineInterface::ScanShowingProgress()
{
    const int32_t state = GetDeviceState();
    if (state == DeviceStateEnteringUpdateMode || state == DeviceStateUpdating)
        return E_FAIL;
    SetDeviceState(DeviceStateScanning);
    return ScanNow();
}

KVRESULT LUpdateEngineInterface::RunInBackground(BackgroundTask task, Milliseconds pause, uint32_t count)
{
    if (IsRetired())
        return E_FAIL;
    RCPtr<LUpdateEngineInterface> self(this);
    Schedule([self, task, pause, count] {
        KVRESULT result = E_FAIL;
        switch (task)
        {
        case BackgroundTask::Scan:
            result = self->ScanShowingProgress();
            break;
        case BackgroundTask::EnterUpdateMode:
            result = self->EnterUpdateMode();
            break;
        case BackgroundTask::RescanAfterPowerCycle:
        case BackgroundTask::RescanAfterUpdate:
            result = self->RescanSelectedDevice();
            break;
        case BackgroundTask::WatchForReturn:
            for (uint32_t rescan = 0; rescan < count && !self->IsRetired(); ++rescan)
            {
                Sleep(pause);
                result = self->RescanSelectedDevice();
                if (KV_FAILED(result) || self->GetDeviceState() == DeviceStateNormalFirmware)
                    break;
            }
            break;
        case BackgroundTask::DeviceListChanged:
            // A keyboard's ports come one after the other: see it whole.
            while (GetTickCount() - self->mListChangedAt.load(std::memory_order_acquire) < kDeviceListSettle)
                Sleep(kDeviceListSettle / 3);
            self->mListScanQueued.store(false, std::memory_order_release);
            if (!self->MayRescanByItself())
                return;
            result = self->ScanShowingProgress();
            break;
        }
        self->PostTaskCompleted(task, result);
    });
    return S_OK;
}

bool LUpdateEngineInterface::MayRescanByItself() const
{
    if (IsRetired() || !mWatchDeviceList.load(std::memory_order_acquire) ||
        mUpdateResult.load(std::memory_order_acquire) != UpdateResultNone ||
        mWorkerBusy.load(std::memory_order_acquire))
        return false;
    switch (GetDeviceState())
    {
    case DeviceStateNoDevice:
    case DeviceStateNoneSelected:
    case DeviceStateCannotUpdate:
    case DeviceStateNormalFirmware:
        return true;
    default:
        return false;
    }
}

void LUpdateEngineInterface::OnDeviceListChanged()
{
    mListChangedAt.store(GetTickCount(), std::memory_order_release);
    if (!MayRescanByItself() || mListScanQueued.exchange(true, std::memory_order_acq_rel))
        return;
    RunInBackground(BackgroundTask::DeviceListChanged);
}

void LUpdateEngineInterface::Retire()
{
    mWatchDeviceList.store(false, std::memory_order_release);
    mRetired.store(true, std::memory_order_release);
    RCPtr<LUpdateEngineInterface> self(this);
    Schedule([self] { self->ReleaseDevicePorts(); });
}

bool LUpdateEngineInterface::WaitForBackgroundTasks(Milliseconds timeout)
{
    std::unique_lock guard(mTasks->lock);
    return mTasks->idle.wait_for(guard, std::chrono::milliseconds(timeout),
                                 [&] { return !mTasks->running && mTasks->jobs.empty(); });
}

bool LUpdateEngineInterface::EndOnItsThread(RCPtr<LUpdateEngineInterface> engine, Milliseconds wait)
{
    if (!engine)
        return true;
    engine->Retire();
    const std::shared_ptr<TaskQueue> tasks = engine->mTasks;
    LUpdateEngineInterface* const raw = engine.Get();
    raw->Schedule([last = std::move(engine)]() mutable { last.Reset(); });
    std::unique_lock guard(tasks->lock);
    return tasks->idle.wait_for(guard, std::chrono::milliseconds(wait),
                                [&] { return !tasks->running && tasks->jobs.empty(); });
}

void LUpdateEngineInterface::PostTaskCompleted(BackgroundTask task, KVRESULT result)
{
    Post(NID_ENGINE_TASK_COMPLETED, RCPtr<LRefCountedObject>(new LEngineTaskCompletedNotificationData(
                                        static_cast<int32_t>(task), static_cast<int32_t>(result))));
}

LUpdateEngineInterface::VersionInfo LUpdateEngineInterface::DefaultFirmwareVersion()
{
    VersionInfo version;
    version.mNumbers = {1, 0, 0, 6};
    version.mText = String(u"1.0.0.6");
    return version;
}

KVRESULT LUpdateEngineInterface::Initialize(const String&)
{
    return S_OK;
}

int32_t LUpdateEngineInterface::GetDeviceState() const
{
    return mDeviceState.load(std::memory_order_acquire);
}

int32_t LUpdateEngineInterface::GetSelectedDeviceIndex() const
{
    return mSelectedDevice.load(std::memory_order_acquire);
}

int32_t LUpdateEngineInterface::GetFirmwareFileState() const
{
    return mFirmwareFileState.load(std::memory_order_acquire);
}

void LUpdateEngineInterface::Post(const char16_t* id, const RCPtr<LRefCountedObject>& data) const
{
    // A retired engine tells nobody: the window listens to its successor.
    if (!AreNotificationsEnabled() || IsRetired())
        return;
    // Posting fails only when the center is shut down, that is when the application
    // ends; nobody is left to tell then.
    if (RCPtr<LNotificationCenter> center = LNotificationCenterManager::GetDefaultCenter())
        center->PostNotification(LNotification::Create(id, data));
}

bool LUpdateEngineInterface::GetSelectedIndex(uint32_t& index) const
{
    const int32_t selected = GetSelectedDeviceIndex();
    if (selected < 0 || static_cast<uint32_t>(selected) >= GetFoundDeviceCount())
        return false;
    index = static_cast<uint32_t>(selected);
    return true;
}

KVRESULT LUpdateEngineInterface::SetDeviceDefinitions(const IArray<DeviceDefinition>& definitions)
{
    const int32_t state = GetDeviceState();
    if (state == DeviceStateScanning || state == DeviceStateEnteringUpdateMode ||
        state == DeviceStateUpdating)
        return E_FAIL;
    mDeviceDefinitions.AssignAll(definitions);
    mSelectedDevice.store(-1);
    SetDeviceState(DeviceStateNoDevice);
    return S_OK;
}

KVRESULT LUpdateEngineInterface::ScanForDevices()
{
    const int32_t state = GetDeviceState();
    if (state == DeviceStateScanning || state == DeviceStateEnteringUpdateMode ||
        state == DeviceStateUpdating)
        return E_FAIL;
    return ScanNow();
}

KVRESULT LUpdateEngineInterface::ScanNow()
{
    SetPowerCycleFinding(PowerCycleFinding::None);
    mSelectedDevice.store(-1);
    const KVRESULT result = ScanPorts();
    const uint32_t found = GetFoundDeviceCount();
    if (KV_FAILED(result) || found == 0)
        SetDeviceState(DeviceStateNoDevice);
    else if (found == 1)
    {
        // Straight through "none selected": the selection posts the only notification.
        mDeviceState.store(DeviceStateNoneSelected, std::memory_order_release);
        SelectDevice(0);
    }
    else
        SetDeviceState(DeviceStateNoneSelected);
    return result;
}

KVRESULT LUpdateEngineInterface::SelectDevice(uint32_t index)
{
    const int32_t state = GetDeviceState();
    if (state < DeviceStateNoneSelected || state == DeviceStateEnteringUpdateMode ||
        state == DeviceStateUpdating)
        return E_FAIL;
    mSelectedDevice.store(-1);
    if (index >= GetFoundDeviceCount())
    {
        SetDeviceState(DeviceStateNoneSelected);
        return E_INVALIDARG;
    }
    mSelectedDevice.store(static_cast<int32_t>(index));
    int32_t reason = ReasonNone;
    if (KV_FAILED(GetDeviceCannotUpdateReason(index, reason)) || reason != ReasonNone)
        SetDeviceState(DeviceStateCannotUpdate);
    else
        SetDeviceState(IsDeviceInUpdateMode(index) ? DeviceStateReadyForUpdate : DeviceStateNormalFirmware);
    return S_OK;
}

KVRESULT LUpdateEngineInterface::GetCannotUpdateReason(int32_t& reason)
{
    uint32_t index = 0;
    if (GetDeviceState() == DeviceStateCannotUpdate && GetSelectedIndex(index))
        return GetDeviceCannotUpdateReason(index, reason);
    reason = ReasonNone;
    return E_FAIL;
}

KVRESULT LUpdateEngineInterface::GetDeviceFirmwareVersionText(String& text)
{
    text = u"N/A";
    uint32_t index = 0;
    if (GetDeviceState() <= DeviceStateNoneSelected || !GetSelectedIndex(index))
        return E_FAIL;
    VersionInfo version;
    if (KV_FAILED(GetDeviceVersion(index, version)))
        return E_FAIL;
    text = version.mText;
    return S_OK;
}

bool LUpdateEngineInterface::IsUpdateNeeded()
{
    uint32_t index = 0;
    if (GetFirmwareFileState() < FileStateVersionKnown || GetDeviceState() <= DeviceStateNoneSelected ||
        !GetSelectedIndex(index))
        return false;
    VersionInfo device;
    if (KV_FAILED(GetDeviceVersion(index, device)))
        return false;
    return IsVersionLower(device, mFirmwareVersion);
}

KVRESULT LUpdateEngineInterface::StartUpdate()
{
    if (GetFirmwareFileState() < FileStateVersionUnknown || GetDeviceState() != DeviceStateReadyForUpdate)
        return E_FAIL;
    SetCancelRequested(false);
    mTransferFailure.store(TransferFailure::None, std::memory_order_release);
    SetDeviceState(DeviceStateUpdating);
    // "Running" before the worker starts, so that a wait that follows at once cannot
    // find the update over before it began.
    const int32_t previousResult = mUpdateResult.exchange(UpdateResultRunning, std::memory_order_acq_rel);
    mWorkerBusy.store(true, std::memory_order_release);
    const KVRESULT started = mWorker.Trigger(RCPtr<LThreadWorker>(this),
                                             LHolder<ThreadWorkerTask>::Create(ThreadWorkerTaskPerformUpdate),
                                             mCompletionEvent, 0);
    if (KV_FAILED(started))
    {
        mWorkerBusy.store(false, std::memory_order_release);
        SetUpdateResult(previousResult);
        SetDeviceState(DeviceStateReadyForUpdate);
    }
    return started;
}

int LUpdateEngineInterface::DoWork(RCPtr<LRefCountedObject>& task)
{
    auto holder = DynamicRCPtrCast<LHolder<ThreadWorkerTask>>(task);
    if (!holder || holder->Value() != ThreadWorkerTaskPerformUpdate)
        return E_FAIL;
    KVRESULT result = E_FAIL;
    try
    {
        result = PerformUpdate();
    }
    catch (...)
    {
        // Nothing may leave the worker: an unexpected fault ends the update as failed.
        SetUpdateResult(UpdateResultFailed);
        SetDeviceState(DeviceStateCannotUpdate);
    }
    PostUpdateCompleted(KV_SUCCEEDED(result));
    mWorkerBusy.store(false, std::memory_order_release);
    return result;
}

KVRESULT LUpdateEngineInterface::WaitForUpdateCompletion(Milliseconds timeout)
{
    if (mUpdateResult.load(std::memory_order_acquire) != UpdateResultRunning &&
        !mWorkerBusy.load(std::memory_order_acquire))
        return S_OK;
    // The worker sets the event after its run, also when the run ended before we wait;
    // it is busy no more by then, so a wait that took the event is not repeated.
    return mCompletionEvent->Wait(timeout) == WAIT_OBJECT_0 ? S_OK : E_FAIL;
}

int32_t LUpdateEngineInterface::GetUpdateResult(bool reset)
{
    int32_t result = mUpdateResult.load(std::memory_order_acquire);
    if (reset && result >= UpdateResultFailed &&
        !mUpdateResult.compare_exchange_strong(result, UpdateResultNone, std::memory_order_acq_rel))
        return mUpdateResult.load(std::memory_order_acquire);
    return result;
}

KVRESULT LUpdateEngineInterface::SetFirmwareFileWithVersion(const String& path, const VersionInfo& version)
{
    mFirmwareFilePath = File::GetAbsolutePath(path);
    mFirmwareVersion = version;
    if (path.IsEmpty() || !File::Exists(mFirmwareFilePath))
    {
        SetFirmwareFileState(FileStateMissing);
        return E_FAIL;
    }
    // The image is read and checked when it is chosen: a file that holds no whole records
    // is never offered for an update, so the keyboard is not switched into its update mode
    // for an image that could not be sent.
    DeviceMessages::Bytes image;
    if (KV_FAILED(FirmwareImageFile::LoadImage(mFirmwareFilePath, image)))
    {
        SetFirmwareFileState(FileStateVersionUnknown);
        return E_FAIL;
    }
    SetFirmwareFileState(FileStateVersionKnown);
    return S_OK;
}

KVRESULT LUpdateEngineInterface::SetFirmwareFile(const String& path)
{
    return SetFirmwareFileWithVersion(path, DefaultFirmwareVersion());
}

KVRESULT LUpdateEngineInterface::GetFirmwareFilePath(String& path) const
{
    path = mFirmwareFilePath;
    return path.IsEmpty() ? E_FAIL : S_OK;
}

KVRESULT LUpdateEngineInterface::GetFirmwareFileVersionText(String& text) const
{
    if (GetFirmwareFileState() != FileStateVersionKnown)
    {
        text = u"N/A";
        return E_FAIL;
    }
    text = mFirmwareVersion.mText;
    return S_OK;
}

void LUpdateEngineInterface::PostUpdateProgress(int32_t stage, double fraction, uint8_t further,
                                                int32_t secondsRemaining, uint8_t estimate)
{
    Post(NID_FIRMWARE_UPDATE_PROGRESS, RCPtr<LRefCountedObject>(new LFirmwareUpdateProgressNotificationData(
                                           stage, fraction, secondsRemaining, estimate, further)));
}

void LUpdateEngineInterface::PostDeviceStateChange(int32_t newState, int32_t oldState)
{
    Post(NID_DEVICE_STATE_CHANGE,
         RCPtr<LRefCountedObject>(new LDeviceStateChangeNotificationData(newState, oldState)));
}

void LUpdateEngineInterface::PostFirmwareFileStateChange(int32_t newState, int32_t oldState)
{
    Post(NID_FIRMWARE_FILE_STATE_CHANGE,
         RCPtr<LRefCountedObject>(new LFirmwareFileStateChangeNotificationData(newState, oldState)));
}

void LUpdateEngineInterface::PostFoundDeviceListChange()
{
    Post(NID_FOUND_DEVICE_LIST_CHANGE, nullptr);
}

void LUpdateEngineInterface::PostUpdateCompleted(bool success)
{
    Post(NID_FIRMWARE_UPDATE_COMPLETED,
         RCPtr<LRefCountedObject>(new LFirmwareUpdateCompletedNotificationData(success)));
}

void LUpdateEngineInterface::SetDeviceState(int32_t state)
{
    const int32_t old = mDeviceState.exchange(state, std::memory_order_acq_rel);
    if (old != state)
        PostDeviceStateChange(state, old);
}

void LUpdateEngineInterface::SetFirmwareFileState(int32_t state)
{
    const int32_t old = mFirmwareFileState.exchange(state, std::memory_order_acq_rel);
    if (old != state)
        PostFirmwareFileStateChange(state, old);
}
