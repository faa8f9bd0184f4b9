#pragma once
// The updater's application object: it names the root control, its renderer, settings
// files and cursors, makes the update processor that applies the command line, and refuses
// to end while an update is in progress. A run that ends without a window (the "-SILENT"
// runs, or no display) reports its outcome here, with its own exit status (RunReport).

#include "UpdateProcessor.h"

#include "Application/ApplicationBase.h"

class LApplication : public KV::LApplicationBase<LApplication>
{
public:
    static KV::RCPtr<LApplication> Create(const KV::RCPtr<KV::LControlFactory>& factory,
                                          const KV::RCPtr<KV::LStringTable>& frameworkStringTable,
                                          const KV::String& commandLine);

    // The name one updater per user holds, built once.
    static const KV::String& GetUniqueInstanceName();

    // A new reference to the processor; null before the start-up.
    KV::RCPtr<LUpdateProcessor> GetUpdateProcessor() const { return mUpdateProcessor; }

    KV::String GetVersionFolderName() override;
    KV::String GetRootControlName() override;
    int32_t GetRendererType() override;
    KV::CursorHandle LoadCursorByName(const KV::String& name) override;
    // 0: "AppSettings.ini" in the common data folder, 1: "UserSettings.ini" in the
    // configuration folder; opened on first use, 0 when that fails (tried again later).
    int32_t GetSettingsFile(int32_t kind) override;

    // The framework's start-up, the MIDI system's check, then the processor with the
    // command line: its result (a quiet exit for the silent runs). A missing MIDI system
    // is a start-up error that says what is missing.
    KVRESULT RunApplicationStartup() override;
    // False while an update is in progress.
    bool CanExit() override;
    // SIGTERM, SIGINT or SIGHUP: a running transfer is cancelled, then the window closes as
    // for a close. A silent run stops through its processor.
    void OnTerminationSignal() override;

    int GetQuietExitStatus(KVRESULT startupResult) override;
    int OnWindowUnavailable() override;
    void FinishRunningWork() override;

protected:
    using LApplicationBase::LApplicationBase;
    ~LApplication() override;

private:
    KV::RCPtr<LUpdateProcessor> mUpdateProcessor;
    int32_t mAppSettingsFile = 0;
    int32_t mUserSettingsFile = 0;
    bool mSettingsRefusalSaid = false; // a settings file that is no regular file, said once
};
