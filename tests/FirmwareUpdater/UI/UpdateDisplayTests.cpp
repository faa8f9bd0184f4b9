#include "UpdateDisplay.h"

#include <gtest/gtest.h>

#include <string>

using namespace KV;

namespace {

std::string Narrow(const char16_t* key)
{
    if (!key)
        return "(unchanged)";
    std::string text;
    for (; *key; ++key)
        text.push_back(static_cast<char>(*key));
    return text;
}

// The visibility of every control in DisplayControl's order, as one character each: '1'
// shown, '0' hidden, '-' unchanged; blanks only group the labels, the progress bar and
// the buttons.
std::string Visibilities(const DisplayPlan& plan)
{
    std::string text;
    for (size_t i = 0; i < kDisplayControlCount; ++i)
    {
        if (i == 6 || i == 7)
            text.push_back(' ');
        text.push_back(!plan.shown[i] ? '-' : *plan.shown[i] ? '1' : '0');
    }
    return text;
}

struct Situation
{
    int32_t result, device, file;
    bool needed = false, allowDowngrade = false, versionKnown = false, waiting = false, scanButton = true;
    int32_t reason = 0;

    EngineSituation Make() const
    {
        EngineSituation s;
        s.updateResult = result;
        s.deviceState = device;
        s.fileState = file;
        s.updateNeeded = needed;
        s.allowDowngrade = allowDowngrade;
        s.deviceVersionKnown = versionKnown;
        s.waitingForReset = waiting;
        s.hasScanButton = scanButton;
        s.cannotUpdateReason = reason;
        return s;
    }
};

} // namespace

TEST(UpdateDisplayTests, VisibilitiesFollowResultDeviceAndFile)
{
    struct Row
    {
        const char* what;
        Situation situation;
        // device, file, process, cannot-update, file version, device version labels;
        // progress bar; update, exit, restart, scan, next, rescan buttons
        const char* expected;
    };
    const Row rows[] = {
        {"normal mode, update needed", {0, 5, 3, true, false, true}, "111011 0 1-0000"},
        // Nothing to update is good news in the process text, no failure.
        {"normal mode, up to date", {0, 5, 3, false, false, true}, "111011 0 0-0000"},
        {"normal mode, up to date, downgrade allowed", {0, 5, 3, false, true, true}, "111011 0 1-0000"},
        // Without a valid image the window asks for one; it does not call the device current.
        {"normal mode, image missing", {0, 5, 1, false, false, true}, "110001 0 0-0000"},
        {"normal mode, no image", {0, 5, 0, false, false, true}, "110001 0 0-0000"},
        {"no device", {0, 1, 3}, "110010 0 0-0100"},
        {"no device, skin without scan button",
         {0, 1, 3, false, false, false, false, false},
         "110010 0 0-0-00"},
        {"several devices", {0, 3, 3}, "110010 0 0-0100"},
        {"entering update mode", {0, 6, 3, true}, "111010 0 0-0010"},
        {"cannot be updated", {0, 4, 3, false, false, false, false, true, 4}, "000110 0 0-1000"},
        {"update mode, image missing", {0, 7, 1, true}, "110000 0 0-0000"},
        {"update mode, image valid", {0, 7, 3, true}, "111010 0 1-0000"},
        {"transfer running", {1, 8, 3, true}, "001010 1 000000"},
        {"transfer failed", {2, 4, 3, false, false, false, false, true, 4}, "010110 0 011000"},
        {"transfer aborted", {3, 7, 3, true}, "001010 0 011000"},
        {"finished, waiting for the device", {4, 8, 3, false, false, false, true}, "001010 0 010001"},
        {"finished, device back with the new firmware", {4, 5, 3, false, false, true}, "001011 0 010000"},
        {"finished, device back with the old firmware", {4, 5, 3, true, false, true}, "001011 0 011000"},
        {"finished, device never came back", {4, 8, 3}, "001010 0 011001"},
        {"unknown result", {7, 5, 3, true}, "------ - ------"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(Visibilities(PlanDisplay(row.situation.Make())), row.expected) << row.what;
}

TEST(UpdateDisplayTests, DeviceAndFileLabelKeys)
{
    const char* deviceKeys[] = {"LABEL_NO_DEVICE_DEFINED",
                                "LABEL_NO_DEVICE_FOUND",
                                "LABEL_SCANNING_FOR_DEVICE",
                                "LABEL_DEVICES_AVAILABLE_NONE_SELECTED",
                                "(unchanged)",
                                "LABEL_DEVICE_NOT_IN_UPDATE_MODE",
                                "(unchanged)",
                                "LABEL_DEVICE_IN_UPDATE_MODE",
                                "(unchanged)",
                                "(unchanged)"};
    for (int32_t state = 0; state < 10; ++state)
        EXPECT_EQ(Narrow(DeviceLabelKey(state)), deviceKeys[state]) << "device state " << state;
    const char* fileKeys[] = {"LABEL_NO_FILE_DEFINED", "LABEL_FIRMARE_FILE_INVALID",
                              "LABEL_FIRMARE_FILE_INVALID", "LABEL_FIRMARE_FILE_FOUND_VERSION_KNOWN",
                              "(unchanged)"};
    for (int32_t state = 0; state < 5; ++state)
        EXPECT_EQ(Narrow(FileLabelKey(state)), fileKeys[state]) << "file state " << state;
}

TEST(UpdateDisplayTests, ProcessLabelKeys)
{
    struct Row
    {
        Situation situation;
        bool hasWaitText;
        const char* expected;
    };
    const Row rows[] = {
        {{0, 5, 3, true}, true, "LABEL_READY_FOR_UPDATE"},
        {{0, 6, 3, true}, true, "LABEL_UPDATE_TRANSITIONING_TO_UPDATE_MODE"},
        {{0, 5, 3, false}, true, "LABEL_UPDATE_NOT_NEEDED"},
        {{0, 5, 3, false, true}, true, "LABEL_READY_FOR_UPDATE"},
        {{1, 8, 3, true}, true, "LABEL_UPDATE_IN_PROGRESS"},
        {{2, 4, 3}, true, "(unchanged)"},
        {{3, 7, 3, true}, true, "LABEL_UPDATE_ABORTED"},
        {{4, 5, 3, false}, true, "LABEL_UPDATE_SUCCEEDED"},
        {{4, 5, 3, true}, true, "LABEL_UPDATE_SENT_BUT_NOT_SUCCESSFUL"},
        {{4, 8, 3, false, false, false, false}, true, "LABEL_UPDATE_SUCESS_UNKNOWN"},
        {{4, 8, 3, false, false, false, true}, true, "LABEL_UPDATE_TRANSITIONING_AFTER_UPDATE"},
        {{4, 8, 3, false, false, false, true}, false, "LABEL_UPDATE_IN_PROGRESS"},
        {{9, 5, 3}, true, "(unchanged)"},
    };
    EngineSituation newer = Situation{0, 5, 3}.Make();
    newer.deviceNewer = true;
    EXPECT_EQ(Narrow(ProcessLabelKey(newer)), "LABEL_DEVICE_FIRMWARE_NEWER");
    for (const Row& row : rows)
    {
        EngineSituation s = row.situation.Make();
        s.hasWaitAfterUpdateText = row.hasWaitText;
        EXPECT_EQ(Narrow(ProcessLabelKey(s)), row.expected)
            << "result " << s.updateResult << ", device " << s.deviceState << ", waiting "
            << s.waitingForReset;
        EXPECT_EQ(Narrow(PlanDisplay(s).KeyOf(DisplayControl::ProcessLabel)), row.expected);
    }
}

TEST(UpdateDisplayTests, CannotUpdateLabelKeys)
{
    const char* byReason[] = {
        "LABEL_DEVICE_CANNOT_BE_UPDATED_NO_REASON", "LABEL_DEVICE_DRIVER_TOO_OLD",
        "LABEL_CANNOT_UPDATE_SYSTEM_FAILURE",       "LABEL_CANNOT_UPDATE_FILE_ACCESS_FAILURE",
        "LABEL_DEVICE_DEVICE_ACCESS_FAILURE",       "(unchanged)"};
    for (int32_t reason = 0; reason < 6; ++reason)
    {
        const EngineSituation needed = Situation{0, 4, 3, true, false, false, false, true, reason}.Make();
        EXPECT_EQ(Narrow(CannotUpdateLabelKey(needed)), byReason[reason]) << "reason " << reason;
        const EngineSituation allowed = Situation{0, 4, 3, false, true, false, false, true, reason}.Make();
        EXPECT_EQ(Narrow(CannotUpdateLabelKey(allowed)), byReason[reason]) << "reason " << reason;
        // Neither needed nor allowed: whatever the reason, the device is up to date.
        const EngineSituation upToDate = Situation{0, 5, 3, false, false, false, false, true, reason}.Make();
        EXPECT_EQ(Narrow(CannotUpdateLabelKey(upToDate)), "LABEL_UPDATE_NOT_NEEDED");
    }
}
