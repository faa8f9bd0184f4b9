#pragma once
// Connects the command line to the update engine. The application's start-up calls
// Initialize once, before any window exists: it makes the engine, gives it the
// firmware image and the device definition, scans for the keyboard and, when the
// options ask for it, starts the update at once; with "-SILENT" it waits for the update
// and asks the process to end without a window. The main window reaches the engine
// through the processor and calls Reinitialize for its "RESTART" button.
//
// The image is read and checked before anything is sent to the keyboard, so an
// unreadable image never leaves the keyboard switched into its update mode. A silent
// run reports a transfer as done only when the keyboard confirmed it: its
// acknowledgement of the last record, or its return in normal mode with the image's
// version. While a silent run waits, it drains the notification queues as the message
// loop would, so that nothing piles up until the process ends. A run asked to end (a
// termination signal) starts no update and cancels a running transfer: it ends as
// cancelled.

#include "UpdateEngineInterface.h"

#include <functional>
#include <utility>

class LUpdateProcessor : public virtual KV::LRefCountedObject
{
public:
    // How a run without a window ended, for the process's exit status.
    enum class SilentOutcome
    {
        None,                 // no silent end: the window is needed
        NoUpdateNeeded,       // nothing to do
        SwitchedToUpdateMode, // the keyboard waits for its power cycle
        Succeeded,            // the whole image was sent, and the keyboard confirmed it
        Unconfirmed,          // the whole image was sent; the keyboard confirmed nothing
        Failed,               // the update (or the switch) failed
        ImageUnreadable,      // the image cannot be read: nothing was sent
        Cancelled,            // the update was cancelled
        TimedOut,             // the update did not end within the wait; it was cancelled
    };

    static KV::RCPtr<LUpdateProcessor> Create();

    // 0: go on and open the main window; E_QUIET_EXIT_A020: end without a window. Throws
    // a failed result when the engine cannot initialise.
    KVRESULT Initialize(const KV::String& commandLine);
    // Initialize again with the stored command line, for the window: the engine in use is
    // retired, and the new one does not scan yet: the window has it scan on its MIDI
    // thread (the window must not wait for the MIDI server) once it listens to it. The
    // options that would start an update at once are left to the user.
    KVRESULT Reinitialize();

    const KV::RCPtr<LUpdateEngineInterface>& GetUpdateEngine() const noexcept { return mEngine; }
    // The image the user chose: the engine's from now on, and again after Reinitialize in
    // place of the command line's. The engine's answer.
    KVRESULT SetFirmwareFile(const KV::String& path);
    // The engine, which the processor no longer holds.
    KV::RCPtr<LUpdateEngineInterface> TakeUpdateEngine() noexcept { return std::exchange(mEngine, nullptr); }
    bool GetAllowDowngrade() const noexcept { return mAllowDowngrade; }
    // S_FALSE when the flag already had that value.
    KVRESULT SetAllowDowngrade(bool allow);
    SilentOutcome GetSilentOutcome() const noexcept { return mSilentOutcome; }
    // For a run that would go on with the window: when Initialize started a transfer,
    // waits for it as a silent run does, so that the process never ends in the middle
    // of one. True, with the silent outcome set, when there was one.
    bool FinishStartedUpdate();
    // Whether the image is there but could not be read as one (the engine read it when it
    // was given).
    bool IsImageUnreadable() const noexcept { return mImageUnreadable; }

    static bool FindCommandLineOption(const KV::String& commandLine, const KV::String& option,
                                      KV::String& value);

    // Where the default image and "-FIRMWARE_IMAGE_NAME=" are looked for: the folder of
    // the executable.
    void SetExecutableFolder(const KV::String& folder) { mExecutableFolder = folder; }
    // How engines are made (tests give theirs) and how long a silent run waits.
    void SetEngineFactory(std::function<KV::RCPtr<LUpdateEngineInterface>()> factory)
    {
        mEngineFactory = std::move(factory);
    }
    void SetSilentWait(KV::Milliseconds wait) noexcept { mSilentWait = wait; }
    // Asked at each step and while a run waits: true when the process was asked to end.
    // No update starts then, and a running transfer is cancelled.
    void SetStopRequest(std::function<bool()> stopRequested) { mStopRequested = std::move(stopRequested); }
    // Whether the run was asked to end before it was over.
    bool WasStopped() const noexcept { return mStopped; }
    // The pause between two rescans that look for the keyboard's return after a
    // transfer, and how many there are at most.
    void SetReturnRescans(KV::Milliseconds pause, uint32_t count) noexcept
    {
        mRescanPause = pause;
        mRescanCount = count;
    }
    KV::Milliseconds GetReturnRescanPause() const noexcept { return mRescanPause; }
    uint32_t GetReturnRescanCount() const noexcept { return mRescanCount; }

    static constexpr KV::Milliseconds DefaultSilentWait = 600000;
    static constexpr KV::Milliseconds DefaultRescanPause = 500;
    static constexpr uint32_t DefaultRescanCount = 20;

protected:
    LUpdateProcessor() = default;

private:
    void SetUpFirmwareFile();
    void SetUpDeviceDefinitions();
    bool HasOption(const char16_t* option) const;
    void StartAllowedUpdate();
    SilentOutcome WaitSilently();
    // Waits up to the time for the running update, draining the notification queues
    // meanwhile; true when it ended.
    bool WaitForUpdate(KV::Milliseconds timeout);
    bool IsTransferConfirmed();
    // Whether the process was asked to end; remembered for the report.
    bool IsStopRequested();

    KVRESULT Initialize(const KV::String& commandLine, bool forWindow);

    KV::String mCommandLine;
    KV::RCPtr<LUpdateEngineInterface> mEngine;
    bool mAllowDowngrade = false;
    SilentOutcome mSilentOutcome = SilentOutcome::None;
    KV::String mExecutableFolder;
    std::function<KV::RCPtr<LUpdateEngineInterface>()> mEngineFactory;
    KV::Milliseconds mSilentWait = DefaultSilentWait;
    KV::Milliseconds mRescanPause = DefaultRescanPause;
    uint32_t mRescanCount = DefaultRescanCount;
    bool mImageUnreadable = false;
    KV::String mChosenFirmwareFile;
    std::function<bool()> mStopRequested;
    bool mStopped = false;
};
