#include "UpdateProcessor.h"

#include "CommandLine.h"
#include "DeviceProtocol.h"
#include "FirmwareImageFile.h"

#include "ObjectBase/Exception.h"

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

void LUpdateProcessor::SetUpFirmwareFile()
{
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
    mSilentOutcome = SilentOutcome::None;
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
    if (mEngine->GetDeviceState() == Engine::DeviceStateNoDevice)
        mEngine->ScanForDevices();

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
        if (allowed && (silent || HasOption(kStartUpdateAutomatically)))
        {
            if (mEngine->GetDeviceState() == Engine::DeviceStateNormalFirmware)
            {
                mEngine->EnterUpdateMode();
                if (mEngine->GetDeviceState() == Engine::DeviceStateReadyForUpdate)
                    mEngine->StartUpdate();
            }
            else
                mEngine->StartUpdate();
        }
        if (silent)
        {
            mSilentOutcome = allowed ? WaitSilently() : SilentOutcome::NoUpdateNeeded;
            return E_QUIET_EXIT_A020;
        }
    }
    return S_OK;
}

LUpdateProcessor::SilentOutcome LUpdateProcessor::WaitSilently()
{
    if (KV_FAILED(mEngine->WaitForUpdateCompletion(mSilentWait)))
    {
        // The process must not end in the middle of a transfer: stop it and wait for the
        // worker, which notices the request at the next record.
        mEngine->RequestCancel();
        mEngine->WaitForUpdateCompletion(INFINITE_WAIT);
        return SilentOutcome::TimedOut;
    }
    switch (mEngine->GetUpdateResult(false))
    {
    case Engine::UpdateResultSucceeded:
        return SilentOutcome::Succeeded;
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
        return SilentOutcome::Failed; // allowed, yet nothing could be started
    }
}
