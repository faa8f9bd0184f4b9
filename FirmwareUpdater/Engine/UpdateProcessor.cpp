#include "UpdateProcessor.h"

#include "CommandLine.h"
#include "DeviceProtocol.h"
#include "FirmwareImageFile.h"

#include "Notification/NotificationCenter.h"
#include "ObjectBase/Exception.h"
#include "System/Sleep.h"

#include <algorithm>

using namespace KV;
using Engine = LUpdateEngineInterface;

namespace {

constexpr char16_t kAbsoluteFirmwareFilePath[] = u"-ABSOLUTE_FIRMWARE_FILE_PATH=";
constexpr char16_t kFirmwareImageName[] = u"-FIRMWARE_IMAGE_NAME=";
constexpr char16_t kAlwaysUpdate[] = u"-ALWAYS_UPDATE";
constexpr char16_t kSilentIfUpdateNotNeeded[] = u"-SILENT_IF_UPDATE_NOT_NEEDED";
constexpr char16_t kSilent[] = u"-SILENT";
constexpr char16_t kStartUpdateAutomatically[] = u"-START_UPDATE_AUTOMATICALLY";

String Wide(std::string_view text)
{
    return String(std::string(text).c_str());
}

// The message loop's idle period: a first pass, then up to two more while work remains.
void DrainNotificationQueues()
{
    RCPtr<LNotificationCenterManager> manager = LNotificationCenterManager::GetInstance();
    for (int pass = 0; pass < 3 && manager->ProcessAllQueues(pass == 0); ++pass)
    {
    }
}

// The loop's tick: the queues are drained at least this often while a run waits.
constexpr Milliseconds kDrainInterval = 33;

// A pause that drains the queues as the loop would.
void PauseDraining(Milliseconds pause)
{
    const Milliseconds start = GetTickCount();
    for (Milliseconds waited = 0; waited < pause; waited = GetTickCount() - start)
    {
        Sleep(std::min(kDrainInterval, pause - waited));
        DrainNotificationQueues();
    }
}

} // namespace

RCPtr<LUpdateProcessor> LUpdateProcessor::Create()
{
    return RCPtr<LUpdateProcessor>(new LUpdateProcessor());
}

bool LUpdateProcessor::FindCommandLineOption(const String& commandLine, const String& option, String& value)
{
    return CommandLine::FindOption(commandLine, option, value);
}

bool LUpdateProcessor::HasOption(const char16_t* option) const
{
    String value;
    return FindCommandLineOption(mCommandLine, String(option), value);
}

KVRESULT LUpdateProcessor::SetAllowDowngrade(bool allow)
{
    if (mAllowDowngrade == allow)
        return S_FALSE;
    mAllowDowngrade = allow;
    return S_OK;
}

KVRESULT LUpdateProcessor::SetFirmwareFile(const String& path)
{
    mChosenFirmwareFile = path;
    return mEngine ? mEngine->SetFirmwareFile(path) : E_FAIL;
}

void LUpdateProcessor::SetUpFirmwareFile()
{
    // The image the user chose in the window outlasts a restart; the command line names
    // the first one only.
    if (!mChosenFirmwareFile.IsEmpty())
    {
        mEngine->SetFirmwareFile(mChosenFirmwareFile);
        return;
    }
    String path;
    if (!FindCommandLineOption(mCommandLine, String(kAbsoluteFirmwareFilePath), path))
    {
        String name;
        if (!FindCommandLineOption(mCommandLine, String(kFirmwareImageName), name))
            name = FirmwareImageFile::DefaultImageName;
        path = mExecutableFolder;
        path += u'/';
        path += name;
    }
    mEngine->SetFirmwareFile(path);
}

void LUpdateProcessor::SetUpDeviceDefinitions()
{
    Engine::DeviceDefinition definition;
    definition.mNormalInputPortName = Wide(DeviceProtocol::NormalModePortName);
    definition.mUpdateInputPortName = Wide(DeviceProtocol::UpdateModePortName);
    definition.mNormalOutputPortName = Wide(DeviceProtocol::NormalModePortName);
    definition.mUpdateOutputPortName = Wide(DeviceProtocol::UpdateModePortName);
    Array<Engine::DeviceDefinition> definitions;
    definitions.AddItem(definition);
    mEngine->SetDeviceDefinitions(definitions);
}

KVRESULT LUpdateProcessor::Initialize(const String& commandLine)
{
    return Initialize(commandLine, false);
}

KVRESULT LUpdateProcessor::Reinitialize()
{
    if (mEngine)
        mEngine->Retire();
    return Initialize(mCommandLine, true);
}

KVRESULT LUpdateProcessor::Initialize(const String& commandLine, bool forWindow)
{
    mSilentOutcome = SilentOutcome::None;
    mImageUnreadable = false;
    mStopped = false;
    if (mCommandLine.IsEmpty())
    {
        mCommandLine = commandLine;
        if (HasOption(kAlwaysUpdate))
            mAllowDowngrade = true;
    }
    mEngine = mEngineFactory ? mEngineFactory() : Engine::Create();
    const KVRESULT initialized = mEngine->Initialize(commandLine);
    if (KV_FAILED(initialized))
        ThrowException<FailedResultException>(FormatResult(initialized), KV_HERE, false,
                                              "LUpdateProcessor::Initialize");

    SetUpFirmwareFile();
    if (mEngine->GetDeviceState() == Engine::DeviceStateNoDefinitions)
        SetUpDeviceDefinitions();
    if (forWindow)
        return S_OK; // the window has the engine scan, once it listens to it
    if (mEngine->GetDeviceState() == Engine::DeviceStateNoDevice)
        mEngine->ScanForDevices();

    // The engine read the image when it was given: a file that is there but holds no image
    // is never sent, and a run that was asked to update says so.
    mImageUnreadable = mEngine->GetFirmwareFileState() == Engine::FileStateVersionUnknown;
    if (mImageUnreadable && mEngine->GetDeviceState() > Engine::DeviceStateCannotUpdate && HasOption(kSilent))
    {
        mSilentOutcome = SilentOutcome::ImageUnreadable;
        return E_QUIET_EXIT_A020;
    }
    if (mEngine->GetDeviceState() > Engine::DeviceStateCannotUpdate &&
        mEngine->GetFirmwareFileState() == Engine::FileStateVersionKnown)
    {
        const bool allowed = mEngine->IsUpdateNeeded() || mAllowDowngrade;
        if (!allowed && HasOption(kSilentIfUpdateNotNeeded))
        {
            mSilentOutcome = SilentOutcome::NoUpdateNeeded;
            return E_QUIET_EXIT_A020;
        }
        const bool silent = HasOption(kSilent);
        if (allowed && silent && IsStopRequested())
        {
            mSilentOutcome = SilentOutcome::Cancelled;
            return E_QUIET_EXIT_A020;
        }
        if (allowed && (silent || HasOption(kStartUpdateAutomatically)))
        {
            StartAllowedUpdate();
        }
        if (silent)
        {
            mSilentOutcome = allowed ? WaitSilently() : SilentOutcome::NoUpdateNeeded;
            return E_QUIET_EXIT_A020;
        }
    }
    return S_OK;
}

bool LUpdateProcessor::IsStopRequested()
{
    if (!mStopped && mStopRequested && mStopRequested())
        mStopped = true;
    return mStopped;
}

void LUpdateProcessor::StartAllowedUpdate()
{
    if (IsStopRequested())
        return;
    if (mEngine->GetDeviceState() == Engine::DeviceStateNormalFirmware)
    {
        mEngine->EnterUpdateMode();
        if (mEngine->GetDeviceState() == Engine::DeviceStateReadyForUpdate && !IsStopRequested())
            mEngine->StartUpdate();
    }
    else
        mEngine->StartUpdate();
}

bool LUpdateProcessor::FinishStartedUpdate()
{
    if (!mEngine || mEngine->GetUpdateResult(false) != Engine::UpdateResultRunning)
        return false;
    mSilentOutcome = WaitSilently();
    return true;
}

bool LUpdateProcessor::WaitForUpdate(Milliseconds timeout)
{
    const Milliseconds start = GetTickCount();
    for (;;)
    {
        // A transfer stops at once when the process is asked to end.
        if (IsStopRequested())
            mEngine->RequestCancel();
        const bool ended = KV_SUCCEEDED(mEngine->WaitForUpdateCompletion(kDrainInterval));
        DrainNotificationQueues();
        if (ended)
            return true;
        if (timeout != INFINITE_WAIT && GetTickCount() - start >= timeout)
            return false;
    }
}

bool LUpdateProcessor::IsTransferConfirmed()
{
    if (mEngine->WaitForFinalAcknowledgement())
        return true;
    // The last record's acknowledgement may be lost with the keyboard's ports, or the
    // keyboard may restart at once: look for it back in its normal mode, as the window
    // does after a transfer.
    for (uint32_t rescan = 0; rescan < mRescanCount && !IsStopRequested(); ++rescan)
    {
        PauseDraining(mRescanPause);
        mEngine->RescanSelectedDevice();
        if (mEngine->GetDeviceState() != Engine::DeviceStateNormalFirmware)
            continue;
        const int32_t selected = mEngine->GetSelectedDeviceIndex();
        Engine::VersionInfo version;
        return selected >= 0 &&
               KV_SUCCEEDED(mEngine->GetDeviceVersion(static_cast<uint32_t>(selected), version)) &&
               version.mNumbers == mEngine->GetFirmwareFileVersion().mNumbers;
    }
    return false;
}

LUpdateProcessor::SilentOutcome LUpdateProcessor::WaitSilently()
{
    if (!WaitForUpdate(mSilentWait))
    {
        // The process must not end in the middle of a transfer: stop it and wait for the
        // worker, which notices the request at the next record.
        mEngine->RequestCancel();
        WaitForUpdate(INFINITE_WAIT);
        return SilentOutcome::TimedOut;
    }
    switch (mEngine->GetUpdateResult(false))
    {
    case Engine::UpdateResultSucceeded:
        return IsTransferConfirmed() ? SilentOutcome::Succeeded : SilentOutcome::Unconfirmed;
    case Engine::UpdateResultFailed:
        return SilentOutcome::Failed;
    case Engine::UpdateResultCancelled:
        return SilentOutcome::Cancelled;
    default:
        break;
    }
    switch (mEngine->GetDeviceState())
    {
    case Engine::DeviceStateEnteringUpdateMode:
        return SilentOutcome::SwitchedToUpdateMode;
    case Engine::DeviceStateCannotUpdate:
        return SilentOutcome::Failed;
    default:
        // Asked to end before the transfer began, or allowed, yet nothing could be started.
        return IsStopRequested() ? SilentOutcome::Cancelled : SilentOutcome::Failed;
    }
}
