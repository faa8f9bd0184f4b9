#pragma once
// Connects the command line to the update engine. The application's start-up calls
// Initialize once, before any window exists: it makes the engine, gives it the
// firmware image and the device definition, scans for the keyboard and, when the
// options ask for it, starts the update at once; with "-SILENT" it waits for the update
// and asks the process to end without a window. The main window reaches the engine
// through the processor and calls Reinitialize for its "RESTART" button.

#include "UpdateEngineInterface.h"

#include <functional>

class LUpdateProcessor : public virtual KV::LRefCountedObject
{
public:
    // How a run without a window ended, for the process's exit status.
    enum class SilentOutcome
    {
        None,                 // no silent end: the window is needed
        NoUpdateNeeded,       // nothing to do
        SwitchedToUpdateMode, // the keyboard waits for its power cycle
        Succeeded,            // the whole image was sent
        Failed,               // the update (or the switch) failed
        Cancelled,            // the update was cancelled
        TimedOut,             // the update did not end within the wait; it was cancelled
    };

    static KV::RCPtr<LUpdateProcessor> Create();

    // 0: go on and open the main window; E_QUIET_EXIT_A020: end without a window. Throws
    // a failed result when the engine cannot initialise.
    KVRESULT Initialize(const KV::String& commandLine);
    KVRESULT Reinitialize() { return Initialize(mCommandLine); }

    const KV::RCPtr<LUpdateEngineInterface>& GetUpdateEngine() const noexcept { return mEngine; }
    bool GetAllowDowngrade() const noexcept { return mAllowDowngrade; }
    // S_FALSE when the flag already had that value.
    KVRESULT SetAllowDowngrade(bool allow);
    SilentOutcome GetSilentOutcome() const noexcept { return mSilentOutcome; }

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

    static constexpr KV::Milliseconds DefaultSilentWait = 600000;

protected:
    LUpdateProcessor() = default;

private:
    void SetUpFirmwareFile();
    void SetUpDeviceDefinitions();
    bool HasOption(const char16_t* option) const;
    SilentOutcome WaitSilently();

    KV::String mCommandLine;
    KV::RCPtr<LUpdateEngineInterface> mEngine;
    bool mAllowDowngrade = false;
    SilentOutcome mSilentOutcome = SilentOutcome::None;
    KV::String mExecutableFolder;
    std::function<KV::RCPtr<LUpdateEngineInterface>()> mEngineFactory;
    KV::Milliseconds mSilentWait = DefaultSilentWait;
};
