#include "UpdateDisplay.h"

#include "UpdateEngineInterface.h"

namespace KV {

namespace {

using Engine = LUpdateEngineInterface;

// A device found with a valid image that it does not need (its firmware is as new or
// newer) while older firmware is not allowed: good news, or a hint at the option that
// allows the older image; no failure.
bool NothingToUpdate(const EngineSituation& s)
{
    return s.fileState == Engine::FileStateVersionKnown && !s.IsUpdateAllowed() &&
           (s.deviceState == Engine::DeviceStateNormalFirmware ||
            s.deviceState == Engine::DeviceStateReadyForUpdate);
}

// The device cannot be updated: the engine says so, or the device and a valid image are
// known and the update is not allowed. Without a valid image nothing can be said about the
// device's firmware being current: the window asks for an image instead.
bool CannotUpdate(const EngineSituation& s)
{
    return s.deviceState == Engine::DeviceStateCannotUpdate ||
           (s.deviceState >= Engine::DeviceStateCannotUpdate &&
            s.fileState == Engine::FileStateVersionKnown && !s.IsUpdateAllowed() && !NothingToUpdate(s));
}

bool UpdateButtonShown(const EngineSituation& s)
{
    return s.fileState == Engine::FileStateVersionKnown && s.IsUpdateAllowed() &&
           (s.deviceState == Engine::DeviceStateNormalFirmware ||
            s.deviceState == Engine::DeviceStateReadyForUpdate);
}

// After a finished transfer the restart button waits until the device is back; back in
// normal mode it is offered only when the new firmware did not take.
bool RestartShownAfterTransfer(const EngineSituation& s)
{
    if (s.waitingForReset)
        return false;
    if (s.deviceState == Engine::DeviceStateNormalFirmware)
        return s.updateNeeded;
    return true;
}

} // namespace

const char16_t* DeviceLabelKey(int32_t deviceState)
{
    switch (deviceState)
    {
    case Engine::DeviceStateNoDefinitions:
        return u"LABEL_NO_DEVICE_DEFINED";
    case Engine::DeviceStateNoDevice:
        return u"LABEL_NO_DEVICE_FOUND";
    case Engine::DeviceStateScanning:
        return u"LABEL_SCANNING_FOR_DEVICE";
    case Engine::DeviceStateNoneSelected:
        return u"LABEL_DEVICES_AVAILABLE_NONE_SELECTED";
    case Engine::DeviceStateNormalFirmware:
        return u"LABEL_DEVICE_NOT_IN_UPDATE_MODE";
    case Engine::DeviceStateReadyForUpdate:
        return u"LABEL_DEVICE_IN_UPDATE_MODE";
    default:
        return nullptr;
    }
}

const char16_t* FileLabelKey(int32_t fileState)
{
    switch (fileState)
    {
    case Engine::FileStateNone:
        return u"LABEL_NO_FILE_DEFINED";
    case Engine::FileStateMissing:
    case Engine::FileStateVersionUnknown:
        return u"LABEL_FIRMARE_FILE_INVALID";
    case Engine::FileStateVersionKnown:
        return u"LABEL_FIRMARE_FILE_FOUND_VERSION_KNOWN";
    default:
        return nullptr;
    }
}

const char16_t* ProcessLabelKey(const EngineSituation& s)
{
    switch (s.updateResult)
    {
    case Engine::UpdateResultNone:
        if (s.deviceState == Engine::DeviceStateEnteringUpdateMode)
        {
            // NEXT pressed too early says what the window waits for.
            switch (static_cast<Engine::PowerCycleFinding>(s.powerCycleFinding))
            {
            case Engine::PowerCycleFinding::NotSwitchedOffYet:
                return u"LABEL_UPDATE_NOT_SWITCHED_OFF_YET";
            case Engine::PowerCycleFinding::StillOff:
                return u"LABEL_UPDATE_WAITING_FOR_DEVICE";
            default:
                return u"LABEL_UPDATE_TRANSITIONING_TO_UPDATE_MODE";
            }
        }
        if (NothingToUpdate(s))
            return s.deviceNewer ? u"LABEL_DEVICE_FIRMWARE_NEWER" : u"LABEL_UPDATE_NOT_NEEDED";
        if (s.deviceState == Engine::DeviceStateNormalFirmware &&
            static_cast<Engine::PowerCycleFinding>(s.powerCycleFinding) ==
                Engine::PowerCycleFinding::BackInNormalMode)
            return u"LABEL_UPDATE_DEVICE_STILL_IN_NORMAL_MODE";
        return u"LABEL_READY_FOR_UPDATE";
    case Engine::UpdateResultRunning:
        return u"LABEL_UPDATE_IN_PROGRESS";
    case Engine::UpdateResultCancelled:
        return u"LABEL_UPDATE_ABORTED";
    case Engine::UpdateResultSucceeded:
        if (s.deviceState == Engine::DeviceStateNormalFirmware)
            return s.updateNeeded ? u"LABEL_UPDATE_SENT_BUT_NOT_SUCCESSFUL" : u"LABEL_UPDATE_SUCCEEDED";
        if (!s.waitingForReset)
            return u"LABEL_UPDATE_SUCESS_UNKNOWN";
        return s.hasWaitAfterUpdateText ? u"LABEL_UPDATE_TRANSITIONING_AFTER_UPDATE"
                                        : u"LABEL_UPDATE_IN_PROGRESS";
    default: // a failure keeps the text it had; the cannot-update label says why
        return nullptr;
    }
}

const char16_t* CannotUpdateLabelKey(const EngineSituation& s)
{
    if (!s.IsUpdateAllowed())
        return u"LABEL_UPDATE_NOT_NEEDED";
    switch (s.cannotUpdateReason)
    {
    case Engine::ReasonNone:
        return u"LABEL_DEVICE_CANNOT_BE_UPDATED_NO_REASON";
    case Engine::ReasonDriverTooOld:
        return u"LABEL_DEVICE_DRIVER_TOO_OLD";
    case Engine::ReasonSystemFailure:
        return u"LABEL_CANNOT_UPDATE_SYSTEM_FAILURE";
    case Engine::ReasonImageUnreadable:
        return u"LABEL_CANNOT_UPDATE_FILE_ACCESS_FAILURE";
    case Engine::ReasonDeviceUnreachable:
        return u"LABEL_DEVICE_DEVICE_ACCESS_FAILURE";
    default:
        return nullptr;
    }
}

DisplayPlan PlanDisplay(const EngineSituation& s)
{
    using C = DisplayControl;
    DisplayPlan plan;
    auto key = [&plan](C control, const char16_t* value) {
        plan.textKey[static_cast<size_t>(control)] = value;
    };
    auto show = [&plan](C control, bool value) { plan.shown[static_cast<size_t>(control)] = value; };

    key(C::DeviceLabel, DeviceLabelKey(s.deviceState));
    key(C::FileLabel, FileLabelKey(s.fileState));
    key(C::ProcessLabel, ProcessLabelKey(s));
    key(C::CannotUpdateLabel, CannotUpdateLabelKey(s));

    const bool deviceVersionShown =
        s.deviceVersionKnown && s.deviceState == Engine::DeviceStateNormalFirmware;
    const bool hasScan = s.hasScanButton;
    const int32_t d = s.deviceState;
    switch (s.updateResult)
    {
    case Engine::UpdateResultNone:
        show(C::DeviceLabel, !CannotUpdate(s));
        show(C::FileLabel, !CannotUpdate(s));
        show(C::ProcessLabel,
             UpdateButtonShown(s) || d == Engine::DeviceStateEnteringUpdateMode || NothingToUpdate(s));
        show(C::CannotUpdateLabel, CannotUpdate(s));
        show(C::FileVersionLabel, s.fileState == Engine::FileStateVersionKnown);
        show(C::DeviceVersionLabel, deviceVersionShown);
        show(C::ProgressBar, false);
        show(C::UpdateButton, UpdateButtonShown(s));
        // The exit button stays as it is until a transfer starts.
        show(C::RestartButton, d == Engine::DeviceStateCannotUpdate);
        if (hasScan)
            show(C::ScanButton, d == Engine::DeviceStateNoDevice || d == Engine::DeviceStateNoneSelected);
        show(C::NextButton, d == Engine::DeviceStateEnteringUpdateMode);
        show(C::RescanButton, false);
        break;
    case Engine::UpdateResultRunning:
    case Engine::UpdateResultFailed:
    case Engine::UpdateResultCancelled:
    case Engine::UpdateResultSucceeded:
    {
        const bool running = s.updateResult == Engine::UpdateResultRunning;
        const bool failed = s.updateResult == Engine::UpdateResultFailed;
        show(C::DeviceLabel, false);
        show(C::FileLabel, failed);
        show(C::ProcessLabel, !failed);
        show(C::CannotUpdateLabel, failed);
        show(C::FileVersionLabel, true);
        show(C::DeviceVersionLabel, deviceVersionShown);
        show(C::ProgressBar, running);
        show(C::UpdateButton, false);
        show(C::ExitButton, !running);
        if (running)
            show(C::RestartButton, false);
        else
            show(C::RestartButton,
                 s.updateResult == Engine::UpdateResultSucceeded ? RestartShownAfterTransfer(s) : true);
        if (hasScan)
            show(C::ScanButton, false);
        show(C::NextButton, false);
        show(C::RescanButton,
             s.updateResult == Engine::UpdateResultSucceeded && d != Engine::DeviceStateNormalFirmware);
        break;
    }
    default: // an unknown result changes no visibility
        break;
    }
    return plan;
}

} // namespace KV
