#pragma once
// The face of the update engine. The update processor and the main window talk to the
// engine only through these operations, and learn of its progress only through the
// notifications it posts into the default notification center ("application").
//
// The class holds what the window shows (device state, selected device, firmware file,
// update result) and implements what depends on that state alone; LUpdateEngine does
// the MIDI work. The worker thread writes the device state, the update result and the
// cancel flag while the window thread reads them, so they are atomics.

#include "Storage/Array.h"
#include "Storage/StringT.h"
#include "System/Event.h"
#include "System/RetriggerableThreader.h"
#include "System/ThreadWorker.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

class LUpdateEngineInterface : public KV::LThreadWorker
{
public:
    struct VersionInfo
    {
        std::array<uint32_t, 4> mNumbers{}; // most significant first
        KV::String mText;                   // "1.0.0.6"
    };

    // One kind of device that the engine looks for. Port names are matched as
    // case-insensitive pieces of the MIDI port names.
    struct DeviceDefinition
    {
        std::array<int32_t, 4> mReserved{}; // read by no operation
        KV::String mNormalInputPortName;
        KV::String mUpdateInputPortName;
        KV::String mNormalOutputPortName;
        KV::String mUpdateOutputPortName;
        KV::String mExtraName; // read by no operation
    };

    enum ThreadWorkerTask : int32_t
    {
        ThreadWorkerTaskPerformUpdate = 1,
    };

    enum DeviceState : int32_t
    {
        DeviceStateNoDefinitions = 0,
        DeviceStateNoDevice = 1,
        DeviceStateScanning = 2,
        DeviceStateNoneSelected = 3,
        DeviceStateCannotUpdate = 4,
        DeviceStateNormalFirmware = 5,
        DeviceStateEnteringUpdateMode = 6,
        DeviceStateReadyForUpdate = 7,
        DeviceStateUpdating = 8,
    };

    enum FirmwareFileState : int32_t
    {
        FileStateNone = 0,
        FileStateMissing = 1,
        FileStateVersionUnknown = 2,
        FileStateVersionKnown = 3,
    };

    enum UpdateResult : int32_t
    {
        UpdateResultNone = 0,
        UpdateResultRunning = 1,
        UpdateResultFailed = 2,
        UpdateResultCancelled = 3,
        UpdateResultSucceeded = 4,
    };

    enum CannotUpdateReason : int32_t
    {
        ReasonNone = 0,
        ReasonDriverTooOld = 1,
        ReasonSystemFailure = 2,
        ReasonImageUnreadable = 3,
        ReasonDeviceUnreachable = 4,
    };

    // What ended the last transfer short of success, in more detail than the reason
    // code, so that a run without a window can say what happened. The first cause that
    // a transfer meets is kept.
    enum class TransferFailure : int32_t
    {
        None,
        PortsUnavailable,       // the update-mode ports could not be opened
        ImageUnreadable,        // the image could not be read, or its records are not whole
        SessionNotAcknowledged, // the keyboard did not acknowledge the start of the transfer
        SendFailed,             // a message could not be sent: the MIDI connection failed
        RecordNotAcknowledged,  // the keyboard did not acknowledge a record in time
        CancelledByKeyboard,    // the keyboard asked to stop
        MidiSystemGone,         // the MIDI system went away (its server stopped)
        KeyboardInUse,          // another updater talks to the keyboard: nothing was sent
    };

    // What the look for the keyboard after its switch into update mode found, when it did
    // not find the keyboard in its update mode.
    enum class PowerCycleFinding : int32_t
    {
        None,
        NotSwitchedOffYet, // still on in its normal mode, on the very ports it was switched on
        StillOff,          // no keyboard is there
        BackInNormalMode,  // it came back in its normal mode: it did not take the switch
        CannotTell,        // several keyboards: which one was switched cannot be told
    };

    // The steps that talk to the MIDI server, which the window has the engine do on its
    // MIDI thread, one after the other: a server that stalls must not stall the window.
    // The end of each is posted as NID_ENGINE_TASK_COMPLETED.
    enum class BackgroundTask : int32_t
    {
        Scan,                  // ScanForDevices, "Looking for device." meanwhile
        EnterUpdateMode,       // EnterUpdateMode
        RescanAfterPowerCycle, // RescanSelectedDevice, when the user says the keyboard was switched off and
                               // on
        RescanAfterUpdate,     // RescanSelectedDevice, when the user says the keyboard is back
        WatchForReturn,    // rescans until the keyboard is back in its normal mode, or the rescans run out
        DeviceListChanged, // a scan because keyboards came or went (the engine's own)
    };

    // The engine of this system, already wrapped.
    static KV::RCPtr<LUpdateEngineInterface> Create();

    // The version that goes with an image chosen by path alone.
    static VersionInfo DefaultFirmwareVersion();

    // --- The operations, in the order of the engine's table. ---
    int DoWork(KV::RCPtr<KV::LRefCountedObject>& task) override;
    virtual KVRESULT Initialize(const KV::String& commandLine);
    virtual int32_t GetDeviceState() const;
    virtual int32_t GetFixedZero(int32_t) const { return 0; }
    virtual KVRESULT SetDeviceDefinitions(const KV::IArray<DeviceDefinition>& definitions);
    virtual KVRESULT ScanForDevices();
    virtual KVRESULT GetFoundDevices(KV::IArray<DeviceDefinition>& devices) = 0;
    virtual KVRESULT SelectDevice(uint32_t index);
    virtual int32_t GetSelectedDeviceIndex() const;
    virtual KVRESULT GetCannotUpdateReason(int32_t& reason);
    virtual KVRESULT GetDeviceFirmwareVersionText(KV::String& text);
    virtual KVRESULT RescanSelectedDevice() = 0;
    virtual int32_t GetFixedValue() const { return 3; }
    virtual KVRESULT EnterUpdateMode() = 0;
    virtual bool IsUpdateNeeded();
    virtual int32_t GetFixedOne() const { return 1; }
    virtual KVRESULT StartUpdate();
    virtual KVRESULT WaitForUpdateCompletion(KV::Milliseconds timeout);
    virtual KVRESULT RequestCancel() = 0;
    virtual int32_t GetUpdateResult(bool reset);
    virtual int32_t GetFirmwareFileState() const;
    virtual KVRESULT SetFirmwareFileWithVersion(const KV::String& path, const VersionInfo& version);
    virtual KVRESULT SetFirmwareFile(const KV::String& path);
    virtual KVRESULT GetFirmwareFilePath(KV::String& path) const;
    virtual KVRESULT GetFirmwareFileVersionText(KV::String& text) const;
    virtual void PostUpdateProgress(int32_t stage, double fraction, uint8_t further, int32_t secondsRemaining,
                                    uint8_t estimate);
    virtual void PostDeviceStateChange(int32_t newState, int32_t oldState);
    virtual void PostFirmwareFileStateChange(int32_t newState, int32_t oldState);
    virtual void PostFoundDeviceListChange();
    virtual void PostUpdateCompleted(bool success);
    virtual void SetDeviceState(int32_t state);
    virtual void SetFirmwareFileState(int32_t state);
    virtual KVRESULT ScanPorts() = 0;
    virtual uint32_t GetFoundDeviceCount() const = 0;
    virtual bool IsDeviceInUpdateMode(uint32_t index) const = 0;
    virtual KVRESULT GetDeviceCannotUpdateReason(uint32_t index, int32_t& reason) const = 0;
    virtual KVRESULT GetDeviceVersion(uint32_t index, VersionInfo& version) const = 0;
    virtual KVRESULT PerformUpdate() = 0;

    // The engine posts its notifications only while this is set; it is clear from the
    // start, so that nothing is posted before the window that listens is ready (the
    // window then shows the state as it finds it, and switches the posts on).
    void EnableNotifications(bool enable) noexcept
    {
        mNotificationsEnabled.store(enable, std::memory_order_release);
    }
    bool AreNotificationsEnabled() const noexcept
    {
        return mNotificationsEnabled.load(std::memory_order_acquire);
    }

    // Has the MIDI thread do the task. For WatchForReturn: at most `count` rescans, each
    // after `pause`. S_OK when it was queued.
    KVRESULT RunInBackground(BackgroundTask task, KV::Milliseconds pause = 0, uint32_t count = 0);
    // From now on keyboards that come and go are noticed: a scan follows on the MIDI
    // thread whenever nothing else is under way with the keyboard (no transfer, no switch
    // waiting for its power cycle, no result shown).
    void WatchDeviceList(bool watch) noexcept { mWatchDeviceList.store(watch, std::memory_order_release); }
    // The engine is done with: it posts nothing more, notices nothing more, and its MIDI
    // thread lets go of the keyboard's ports (a stalled server holds up that thread, not
    // the caller's).
    virtual void Retire();
    // Waits up to the time for the MIDI thread to finish what it was given; whether it
    // did. A stalled MIDI server keeps it from finishing: the caller then goes on.
    bool WaitForBackgroundTasks(KV::Milliseconds timeout);
    // The end of an engine whose last reference the caller hands over: retired, then
    // destroyed on its own MIDI thread (its MIDI client may close with it, which a
    // stalled server holds up), waited for up to the time. Whether it ended in time.
    static bool EndOnItsThread(KV::RCPtr<LUpdateEngineInterface> engine, KV::Milliseconds wait);
    PowerCycleFinding GetPowerCycleFinding() const noexcept
    {
        return mPowerCycleFinding.load(std::memory_order_acquire);
    }

    // Whether the cancel flag is set (the device or the user asked to stop).
    bool IsCancelRequested() const noexcept { return mCancelRequested.load(std::memory_order_acquire); }
    TransferFailure GetTransferFailure() const noexcept
    {
        return mTransferFailure.load(std::memory_order_acquire);
    }
    // After a transfer that sent the whole image: waits for the keyboard's
    // acknowledgement of the last record, which the transfer itself does not await.
    // True when it came within the wait that every other record gets.
    virtual bool WaitForFinalAcknowledgement() { return false; }
    // The version that goes with the image.
    const VersionInfo& GetFirmwareFileVersion() const noexcept { return mFirmwareVersion; }

protected:
    LUpdateEngineInterface();
    ~LUpdateEngineInterface() override;

    // Runs the job on the engine's MIDI thread after the jobs queued before it; the job
    // holds the engine. Test engines may run it at once.
    virtual void Schedule(std::function<void()> job);
    // The MIDI service told of devices that came or went.
    void OnDeviceListChanged();
    // Lets go of the found devices' ports; on the MIDI thread when retired.
    virtual void ReleaseDevicePorts() {}
    void SetPowerCycleFinding(PowerCycleFinding finding) noexcept
    {
        mPowerCycleFinding.store(finding, std::memory_order_release);
    }
    bool IsRetired() const noexcept { return mRetired.load(std::memory_order_acquire); }

    void SetUpdateResult(int32_t result) noexcept { mUpdateResult.store(result, std::memory_order_release); }
    void SetCancelRequested(bool requested) noexcept
    {
        mCancelRequested.store(requested, std::memory_order_release);
    }
    // Keeps the first cause of a failure of the running transfer.
    void SetTransferFailure(TransferFailure failure) noexcept
    {
        TransferFailure none = TransferFailure::None;
        mTransferFailure.compare_exchange_strong(none, failure, std::memory_order_acq_rel);
    }
    // Posts into the default notification center while notifications are enabled.
    void Post(const char16_t* id, const KV::RCPtr<KV::LRefCountedObject>& data) const;
    // The selected index when it names a found device.
    bool GetSelectedIndex(uint32_t& index) const;

    KV::Array<DeviceDefinition> mDeviceDefinitions;
    std::atomic<int32_t> mSelectedDevice{-1};

private:
    struct TaskQueue;
    void PostTaskCompleted(BackgroundTask task, KVRESULT result);
    // A scan that shows "Looking for device." meanwhile; refused while the keyboard is
    // being switched or updated.
    KVRESULT ScanShowingProgress();
    KVRESULT ScanNow();
    bool MayRescanByItself() const;

    KV::RetriggerableThreader mWorker;
    const std::shared_ptr<TaskQueue> mTasks;
    std::atomic<bool> mWatchDeviceList{false};
    std::atomic<bool> mRetired{false};
    std::atomic<bool> mListScanQueued{false};
    std::atomic<KV::Milliseconds> mListChangedAt{0};
    std::atomic<PowerCycleFinding> mPowerCycleFinding{PowerCycleFinding::None};
    KV::RCPtr<KV::LEvent> mCompletionEvent;
    std::atomic<int32_t> mDeviceState{DeviceStateNoDefinitions};
    std::atomic<int32_t> mUpdateResult{UpdateResultNone};
    // From the start of an update until its worker has posted the completion: the result
    // is final a little earlier than that.
    std::atomic<bool> mWorkerBusy{false};
    std::atomic<bool> mCancelRequested{false};
    std::atomic<bool> mNotificationsEnabled{false};
    std::atomic<TransferFailure> mTransferFailure{TransferFailure::None};
    std::atomic<int32_t> mFirmwareFileState{FileStateNone};
    KV::String mFirmwareFilePath;
    VersionInfo mFirmwareVersion;
};
