#pragma once
// What the main window shows for the update engine's situation: the string-table key of
// each information label and which of its controls are shown. The skin stacks the
// controls in groups (the scan, restart, next and rescan buttons over the update button,
// the cannot-update label over the process label), so at most one of each group may be
// shown at a time. Plain functions of the engine's codes and answers, so that every
// combination can be checked without a window.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace KV {

// The controls of the main window whose texts or visibility follow the engine.
enum class DisplayControl
{
    DeviceLabel,
    FileLabel,
    ProcessLabel,
    CannotUpdateLabel,
    FileVersionLabel,
    DeviceVersionLabel,
    ProgressBar,
    UpdateButton,
    ExitButton,
    RestartButton,
    ScanButton,
    NextButton,
    RescanButton,
};
inline constexpr size_t kDisplayControlCount = 13;

// The skin's names of the controls, in the order of DisplayControl.
inline constexpr std::array<const char16_t*, kDisplayControlCount> kDisplayControlNames{
    u"labelDeviceInformation",
    u"labelFirmwareFileInformation",
    u"labelUpdateProcessInformation",
    u"labelDeviceCannotUpdateError",
    u"labelFileFirmwareVersion",
    u"labelDeviceFirmwareVersion",
    u"progressBar",
    u"buttonUpdateFirmware",
    u"buttonExit",
    u"buttonReinitialize",
    u"buttonScanForDevice",
    u"buttonManualDeviceReadyForUpdateButton",
    u"buttonManualDeviceHasUpdatedRescanButton",
};

constexpr const char16_t* DisplayControlName(DisplayControl control)
{
    return kDisplayControlNames[static_cast<size_t>(control)];
}

// Everything the display depends on, read from the engine and the main control.
struct EngineSituation
{
    int32_t updateResult = 0;
    int32_t deviceState = 0;
    int32_t fileState = 0;
    bool updateNeeded = false; // the engine's IsUpdateNeeded
    // The device's firmware is newer than the image's.
    bool deviceNewer = false;
    bool allowDowngrade = false; // the processor's flag
    int32_t cannotUpdateReason = 0;
    // The engine answered the device's version with a text that is not empty.
    bool deviceVersionKnown = false;
    // A transfer begun by the window has not been seen to its end yet.
    bool waitingForReset = false;
    bool hasScanButton = true;
    // The process label's table has a text for waiting after a transfer.
    bool hasWaitAfterUpdateText = true;
    // What the last look for the keyboard after its switch found
    // (LUpdateEngineInterface::PowerCycleFinding).
    int32_t powerCycleFinding = 0;

    // An update may start: it is needed, or downgrades are allowed.
    bool IsUpdateAllowed() const noexcept { return allowDowngrade || updateNeeded; }
};

// The keys of the labels; null where the label keeps its text.
const char16_t* DeviceLabelKey(int32_t deviceState);
const char16_t* FileLabelKey(int32_t fileState);
const char16_t* ProcessLabelKey(const EngineSituation& situation);
const char16_t* CannotUpdateLabelKey(const EngineSituation& situation);

// The whole display for a situation: a key per label and a visibility per control, each
// empty where the control stays as it is.
struct DisplayPlan
{
    std::array<const char16_t*, kDisplayControlCount> textKey{};
    std::array<std::optional<bool>, kDisplayControlCount> shown{};

    const char16_t* KeyOf(DisplayControl control) const { return textKey[static_cast<size_t>(control)]; }
    std::optional<bool> ShownOf(DisplayControl control) const { return shown[static_cast<size_t>(control)]; }
};

DisplayPlan PlanDisplay(const EngineSituation& situation);

} // namespace KV
