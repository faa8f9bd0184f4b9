// The main control against a scripted engine: the roads of an update as the buttons and the
// engine's notifications drive them, with the texts of the updater's own string tables.

#include "MainControl.h"
#include "ScopedVariable.h"
#include "UiTestSupport.h"

#include "UpdateNotifications.h"

#include "ControlBase/ControlFactory.h"
#include "ControlBase/RootWindow.h"
#include "Application.h"
#include "Controls/Button.h"
#include "Controls/MainMenu.h"
#include "Controls/MenuDescriptor.h"
#include "Controls/ProgressBar.h"
#include "Notification/Notification.h"
#include "Notification/NotificationCenter.h"
#include "Notification/NotificationParams.h"
#include "System/KeyCode.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>

using namespace KV;
using namespace uitest;
using C = DisplayControl;

namespace {

std::string Narrow(const String& text)
{
    return std::string(text.ToNarrow().View());
}

// Counts the exit requests posted into the default center.
class ExitListener : public LNotificationClient
{
public:
    int mRequests = 0;
    KVRESULT Receive(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&) override
    {
        ++mRequests;
        return S_OK;
    }
};

// Until the queues stay empty: a handler may post what another handles (the engine's
// steps for the window end with a notification).
void Drain()
{
    for (int pass = 0; pass < 10 && LNotificationCenterManager::GetInstance()->ProcessAllQueues(false);
         ++pass)
    {
    }
}

// The open-file dialog's program, made up to answer with the path: first on the PATH while
// the object lives.
class DialogAnswer
{
public:
    DialogAnswer(const std::filesystem::path& folder, const std::filesystem::path& answer)
        : mPath("PATH", MakeProgram(folder) + ":/usr/bin:/bin"), mAnswer("KV_DIALOG_ANSWER", answer.string())
    {
    }

private:
    static std::string MakeProgram(const std::filesystem::path& folder)
    {
        std::filesystem::create_directories(folder / "bin");
        const std::filesystem::path program = folder / "bin" / "zenity";
        std::ofstream(program) << "#!/bin/sh\nprintf '%s' \"$KV_DIALOG_ANSWER\"\n";
        std::filesystem::permissions(program, std::filesystem::perms::owner_all);
        return (folder / "bin").string();
    }

    ScopedVariable mPath;
    ScopedVariable mAnswer;
};

class MainControlTests : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Drain();
        char pattern[] = "/tmp/kv-main-control-XXXXXX";
        mFolder = mkdtemp(pattern);
        std::ofstream(mFolder / "VORazuro61.led") << "0003AABBCC";

        mFactory = LControlFactory::Create(String(u"Norvik ZR Firmware Updater"));
        ASSERT_EQ(mFactory->LoadResources(String(LControlFactory::kResourceFolder), 0x0409), S_OK);
        mSkinRoot = mFactory->FindControlDescriptor(String(u"mainControl"));
        ASSERT_TRUE(mSkinRoot);

        mProcessor = LUpdateProcessor::Create();
        mProcessor->SetExecutableFolder(String(mFolder.c_str()));
        mProcessor->SetReturnRescans(0, 20);
        mProcessor->SetEngineFactory([this] {
            mEngine = RCPtr<ScriptedEngine>(new ScriptedEngine());
            mEngine->mAtScan = mAtScan;
            return RCPtr<LUpdateEngineInterface>(mEngine);
        });
    }

    void TearDown() override
    {
        Drain();
        if (mMain)
            mMain->ReleaseInternalReferences();
        mMain.Reset();
        mProcessor.Reset();
        std::filesystem::remove_all(mFolder);
    }

    // The processor's start, then the main control with the children of the shipped skin
    // (less those named), each with its own string table.
    void Start(const std::set<std::u16string>& omit = {u"buttonManualDeviceHasUpdatedRescanButton"},
               const char* commandLine = "")
    {
        ASSERT_EQ(mProcessor->Initialize(String(commandLine)), S_OK);
        mMain = MakeTree(omit);
        mMain->SetUpdateProcessor(mProcessor);
        mMain->Initialize();
        mMain->MarkCreatedForTest();
        Drain();
    }

    RCPtr<LMainControl> MakeTree(const std::set<std::u16string>& omit)
    {
        RCPtr<LMainControl> main(new LMainControl(nullptr, String(u"mainControl")));
        RCPtr<LControl>(new LMainMenu(main, String(u"mainMenu")))->GetLayout();
        for (const char16_t* name : kDisplayControlNames)
        {
            if (omit.count(name))
                continue;
            const String childName(name);
            if (childName.View().starts_with(u"button"))
                RCPtr<LButton>(new LButton(main, childName))->GetLayout();
            else if (childName == String(DisplayControlName(C::ProgressBar)))
                MakeProgressBar(main);
            else
                RCPtr<LControl>(
                    new PlainControl(main, childName, mFactory->GetStringTable(mSkinRoot.Get(), childName)))
                    ->GetLayout();
        }
        return main;
    }

    // A progress bar with the parts its skin gives it.
    static void MakeProgressBar(const RCPtr<LMainControl>& main)
    {
        RCPtr<LProgressBar> bar(new LProgressBar(main, String(DisplayControlName(C::ProgressBar))));
        bar->GetLayout();
        RCPtr<LControl>(new LPanel(bar, String(u"activeOverlay")))->GetLayout();
        RCPtr<LControl>(new LLabel(bar, String(u"timeRemainingLabel")))->GetLayout();
        RCPtr<LControl>(new LLabel(bar, String(u"percentCompleteLabel")))->GetLayout();
        bar->Initialize();
    }

    RCPtr<LControl> Child(C control) const { return mMain->FindChild(String(DisplayControlName(control))); }

    void Click(C button)
    {
        ASSERT_TRUE(Child(button)) << Narrow(String(DisplayControlName(button)));
        Child(button)->OnLeftClick(LMouseButtonParam::Create(1, {5, 5}, 0, false, 1));
    }

    // Which controls are shown, in DisplayControl's order ('-' for a control the tree lacks):
    // labels, progress bar, buttons.
    std::string Shown() const
    {
        std::string text;
        for (size_t i = 0; i < kDisplayControlCount; ++i)
        {
            if (i == 6 || i == 7)
                text.push_back(' ');
            const RCPtr<LControl> child = mMain->FindChild(String(kDisplayControlNames[i]));
            text.push_back(!child ? '-' : child->GetLayout()->mIsVisible ? '1' : '0');
        }
        return text;
    }

    std::string Text(C label) const { return Narrow(mMain->GetShownText(label)); }

    // The main control in a root window with the window's keys of the shipped skin.
    RCPtr<LRootWindow> AttachWindow()
    {
        const RCPtr<LRootWindow> window = LRootWindow::CreateInstance(nullptr);
        EXPECT_EQ(window->SetRootControl(RCPtr<LControl>(mMain)), S_OK);
        window->GetHotKeyManager()->GetKeyCodeTable().LoadFromStringTable(
            mFactory->GetStringTable(nullptr, String(u"mainControl")), u"GHK");
        EXPECT_FALSE(window->GetHotKeyManager()->GetKeyCodeTable().IsEmpty());
        // Keys go to the focused control, which the window chooses when it is activated.
        window->OnActivate();
        return window;
    }

    // A key pressed in the window, and what it asked for carried out.
    static void Press(const RCPtr<LRootWindow>& window, char16_t character, uint32_t modifiers)
    {
        window->OnKey(LKeyParam::Create(KeyCode::FromCharacter(character, modifiers), 1));
        window->ProcessNotifications(false);
        Drain();
    }

    std::filesystem::path mFolder;
    RCPtr<LControlFactory> mFactory;
    RCPtr<LControlDescriptor> mSkinRoot;
    RCPtr<LUpdateProcessor> mProcessor;
    std::vector<ScriptedEngine::Device> mAtScan{ScriptedEngine::Device{}};
    RCPtr<ScriptedEngine> mEngine;
    RCPtr<LMainControl> mMain;
};

using Presence = ScriptedEngine::Presence;

TEST_F(MainControlTests, AMissingRequiredChildNamesItself)
{
    ASSERT_EQ(mProcessor->Initialize(String()), S_OK);
    for (const char16_t* required :
         {u"buttonExit", u"buttonUpdateFirmware", u"buttonReinitialize", u"labelDeviceInformation",
          u"labelFirmwareFileInformation", u"labelUpdateProcessInformation", u"labelFileFirmwareVersion",
          u"labelDeviceFirmwareVersion", u"labelDeviceCannotUpdateError", u"progressBar"})
    {
        RCPtr<LMainControl> main = MakeTree({required});
        main->SetUpdateProcessor(mProcessor);
        const std::string name = Narrow(String(required));
        try
        {
            main->Initialize();
            ADD_FAILURE() << name << " was not missed";
        }
        catch (const std::exception& error)
        {
            const std::string text = error.what();
            EXPECT_NE(text.find("Null Pointer : LMainControl couldn't find " + name + " : "),
                      std::string::npos)
                << text;
            EXPECT_NE(text.find("KV::LMainControl::Initialize"), std::string::npos) << text;
        }
        main->ReleaseInternalReferences();
    }
    // A child of the right name but of another class counts as missing.
    for (const char16_t* typed : {u"buttonExit", u"progressBar"})
    {
        RCPtr<LMainControl> main = MakeTree({typed});
        RCPtr<LControl>(new PlainControl(main, String(typed)))->GetLayout();
        main->SetUpdateProcessor(mProcessor);
        EXPECT_THROW(main->Initialize(), std::exception) << Narrow(String(typed));
        main->ReleaseInternalReferences();
    }
}

TEST_F(MainControlTests, UpdateFromNormalModeThroughThePowerCycleToSuccess)
{
    // The waiting text is the application's.
    const RCPtr<LApplication> app =
        LApplication::Create(mFactory, mFactory->GetFrameworkStringTable(), String());
    Start();
    EXPECT_EQ(Shown(), "111011 0 11000-");
    EXPECT_EQ(Text(C::ProcessLabel), "Click the \"UPDATE FIRMWARE\" button to start the update process.");
    EXPECT_EQ(Text(C::FileVersionLabel), "Update Firmware Version: 1.0.0.6");
    EXPECT_EQ(Text(C::DeviceVersionLabel), "Device Firmware Version: 1.0.0.5");

    // While the keyboard is asked to switch, the window says so; the power-cycle request
    // comes once it has taken the switch.
    std::string shownWhileWaiting, textWhileWaiting;
    mEngine->mOnEnterUpdateMode = [&] {
        shownWhileWaiting = Shown();
        textWhileWaiting = Text(C::ProcessLabel);
    };
    Click(C::UpdateButton);
    EXPECT_EQ(mEngine->mEnterCalls, 1);
    EXPECT_EQ(shownWhileWaiting, "111011 0 01000-");
    EXPECT_EQ(textWhileWaiting, "Waiting for the device to enter its update mode...");
    Drain();
    EXPECT_EQ(Text(C::ProcessLabel),
              "Turn the device off, wait 5 seconds, then turn the device back on. Press "
              "the NEXT button when you are ready.");
    EXPECT_EQ(mEngine->GetDeviceState(), LUpdateEngineInterface::DeviceStateEnteringUpdateMode);
    EXPECT_EQ(mEngine->mStartCalls, 0);
    EXPECT_EQ(Shown(), "111010 0 01001-");

    // NEXT before the keyboard is back changes nothing; after, the transfer starts.
    mEngine->mRescans = {ScriptedEngine::Device{Presence::Absent}};
    Click(C::NextButton);
    Drain();
    EXPECT_EQ(mEngine->mStartCalls, 0);
    mEngine->mRescans = {ScriptedEngine::Device{Presence::UpdateMode}};
    Click(C::NextButton);
    Drain();
    EXPECT_EQ(mEngine->mStartCalls, 1);
    EXPECT_TRUE(mMain->IsWaitingForReset());
    EXPECT_EQ(Shown(), "001010 1 00000-");
    EXPECT_EQ(Text(C::ProcessLabel), "Firmware update in progress. Do not disconnect Norvik.");

    mEngine->PostUpdateProgress(0, 0.25, 1, -1, 0);
    Drain();
    EXPECT_DOUBLE_EQ(Child(C::ProgressBar)->GetNormalizedValue(), 0.25);

    // The keyboard restarts: gone for two rescans, then back with the new firmware.
    ScriptedEngine::Device updated;
    updated.version = {1, 0, 0, 6};
    mEngine->mRescans = {ScriptedEngine::Device{Presence::Absent}, ScriptedEngine::Device{Presence::Absent},
                         updated};
    mEngine->Finish(true);
    Drain();
    EXPECT_EQ(mEngine->mRescanCalls, 2 + 3);
    EXPECT_FALSE(mMain->IsWaitingForReset());
    EXPECT_EQ(Text(C::ProcessLabel),
              "Your Norvik has been successfully updated. You may now close this application.");
    EXPECT_EQ(Shown(), "001011 0 01000-");
}

// The engine's count of the seconds left is shown when it has one; -1 is none, not "0
// Seconds Remaining". When the engine says its count is not worth showing, the bar
// estimates by itself.
TEST_F(MainControlTests, TheProgressBarShowsTheRemainingTimeTheEngineKnows)
{
    // The bar's words come from the application's framework table.
    const RCPtr<LApplication> app =
        LApplication::Create(mFactory, mFactory->GetFrameworkStringTable(), String());
    mAtScan = {ScriptedEngine::Device{Presence::UpdateMode}};
    Start();
    const RCPtr<LProgressBar> bar = RCPtr<LProgressBar>::DynamicCastFrom(Child(C::ProgressBar));
    ASSERT_TRUE(bar);
    const RCPtr<LControl> timeLabel = bar->FindChild(String(u"timeRemainingLabel"));
    ASSERT_TRUE(timeLabel);

    // A new transfer starts without the estimate of an earlier one.
    bar->EnableTimeEstimate(true);
    Click(C::UpdateButton);
    EXPECT_FALSE(bar->IsTimeEstimateOn());
    EXPECT_EQ(bar->GetNormalizedValue(), 0);

    struct Row
    {
        double fraction;
        int32_t seconds;
        uint8_t estimate;
        bool timeShown;
        const char* timeText; // the label keeps its last text when nothing new is shown
        bool estimating;
    };
    const Row rows[] = {
        {0.10, -1, 0, false, "", false},
        {0.20, 95, 0, true, "1 Minute 35 Seconds Remaining", false},
        {0.30, -1, 0, true, "1 Minute 35 Seconds Remaining", false},
        {0.40, -1, 1, true, "1 Minute 35 Seconds Remaining", true},
        {0.50, 0, 0, true, "0 Seconds Remaining", false},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.fraction);
        mEngine->PostUpdateProgress(0, row.fraction, 1, row.seconds, row.estimate);
        Drain();
        EXPECT_DOUBLE_EQ(bar->GetNormalizedValue(), row.fraction);
        EXPECT_EQ(timeLabel->GetLayout()->mIsVisible, row.timeShown);
        EXPECT_EQ(Narrow(timeLabel->GetText()), row.timeText);
        EXPECT_EQ(bar->IsTimeEstimateOn(), row.estimating);
    }
}

TEST_F(MainControlTests, AKeyboardInUpdateModeStartsAtOnce)
{
    mAtScan = {ScriptedEngine::Device{Presence::UpdateMode}};
    Start();
    EXPECT_EQ(Shown(), "111010 0 11000-");
    Click(C::UpdateButton);
    EXPECT_EQ(mEngine->mEnterCalls, 0);
    EXPECT_EQ(mEngine->mStartCalls, 1);
}

TEST_F(MainControlTests, ResetPollingEndsAfterItsRescans)
{
    struct Row
    {
        const char* what;
        KVRESULT rescanResult;
        ScriptedEngine::Device comesBackAs;
        int rescans;
        const char* processText;
    };
    const char* unknown =
        "Your Norvik is not responding after an update. The success of the update is unknown. "
        "Unplug the device, wait 5 seconds, then replug the device and press \"RESTART\"";
    const Row rows[] = {
        {"never back in normal mode", S_OK, ScriptedEngine::Device{Presence::UpdateMode}, 20, unknown},
        {"never back at all", S_OK, ScriptedEngine::Device{Presence::Absent}, 20, unknown},
        {"the rescan fails", E_FAIL, ScriptedEngine::Device{Presence::UpdateMode}, 1, unknown},
        {"back with the old firmware", S_OK, ScriptedEngine::Device{}, 1,
         "The update does not appear to have been successful. Press the \"RESTART\" button to try again."},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.what);
        mAtScan = {ScriptedEngine::Device{Presence::UpdateMode}};
        Start();
        Click(C::UpdateButton);
        Drain();
        mEngine->mRescans = {row.comesBackAs};
        mEngine->mRescanResult = row.rescanResult;
        mEngine->Finish(true);
        Drain();
        EXPECT_EQ(mEngine->mRescanCalls, row.rescans);
        EXPECT_FALSE(mMain->IsWaitingForReset());
        EXPECT_EQ(Text(C::ProcessLabel), row.processText);
        EXPECT_TRUE(Child(C::RestartButton)->GetLayout()->mIsVisible);
        TearDown();
        SetUp();
    }
}

TEST_F(MainControlTests, FailuresShowTheirReasonAndOfferRestart)
{
    // The waiting text is the application's.
    const RCPtr<LApplication> app =
        LApplication::Create(mFactory, mFactory->GetFrameworkStringTable(), String());
    // Without an image, the update button does nothing.
    std::filesystem::remove(mFolder / "VORazuro61.led");
    Start();
    EXPECT_EQ(Text(C::FileLabel),
              "The firmware update file is missing or invalid.\nFirmware file: VORazuro61.led");
    Click(C::UpdateButton);
    EXPECT_EQ(mEngine->mEnterCalls, 0);

    // The keyboard does not answer the switch.
    std::ofstream(mFolder / "VORazuro61.led") << "0003AABBCC";
    Click(C::RestartButton);
    Drain();
    // A keyboard that does not answer is never asked to switch off and on.
    mEngine->mAnswersSwitch = false;
    std::string textWhileWaiting;
    mEngine->mOnEnterUpdateMode = [&] { textWhileWaiting = Text(C::ProcessLabel); };
    Click(C::UpdateButton);
    Drain();
    EXPECT_EQ(textWhileWaiting, "Waiting for the device to enter its update mode...");
    EXPECT_EQ(Shown(), "000110 0 01100-");
    EXPECT_EQ(Text(C::CannotUpdateLabel),
              "The update has failed because the device can not be accessed. Unplug "
              "and replug the device and press \"RESTART\"");

    // A transfer that fails keeps the process text and shows why.
    mAtScan = {ScriptedEngine::Device{Presence::UpdateMode}};
    Click(C::RestartButton);
    Drain();
    Click(C::UpdateButton);
    Drain();
    mEngine->Finish(false);
    Drain();
    EXPECT_FALSE(mMain->IsWaitingForReset());
    EXPECT_EQ(Shown(), "010110 0 01100-");
    EXPECT_EQ(Text(C::ProcessLabel), "Firmware update in progress. Do not disconnect Norvik.");
}

// The menu's commands reach the control through its root window's queue.
TEST_F(MainControlTests, AllowingOlderFirmwareFromTheMenuShowsTheUpdateButtonAtOnce)
{
    mAtScan[0].version = {1, 0, 0, 6};
    Start();
    const RCPtr<LRootWindow> window = LRootWindow::CreateInstance(nullptr);
    ASSERT_EQ(window->SetRootControl(RCPtr<LControl>(mMain)), S_OK);
    // Good news, told in the process text rather than as a failure.
    EXPECT_EQ(Shown(), "111011 0 01000-");
    EXPECT_EQ(Text(C::ProcessLabel),
              "Your Norvik is using the most current firmware. You do not need to update it.");
    auto chooseFromMenu = [&window] {
        window->PostNotification(LNotification::Create(u"NID_MENU_OPTIONS_ALLOW_DOWNGRADE"));
        window->ProcessNotifications(false);
    };
    // The menu bar asks the main control whether the item is checked.
    const RCPtr<LMainMenu> menu = RCPtr<LMainMenu>::DynamicCastFrom(mMain->FindChild(String(u"mainMenu")));
    ASSERT_TRUE(menu);
    EXPECT_TRUE(menu->SetMenuItemUpdater(mMain->GetMenuItemUpdater())) << "not the main control's";
    auto checked = [&menu] {
        LMenuItemInfo info;
        menu->GetMenuItemState(nullptr, 0, String(u"NID_MENU_OPTIONS_ALLOW_DOWNGRADE"), info);
        return info.checked;
    };
    EXPECT_FALSE(checked());
    chooseFromMenu();
    EXPECT_TRUE(mProcessor->GetAllowDowngrade());
    EXPECT_TRUE(checked());
    EXPECT_EQ(Shown(), "111011 0 11000-");
    chooseFromMenu();
    EXPECT_FALSE(mProcessor->GetAllowDowngrade());
    EXPECT_FALSE(checked());
    EXPECT_EQ(Shown(), "111011 0 01000-");
    window->SetRootControl(nullptr);
}

// The file menu's choice goes to the engine, and the window follows the new image.
TEST_F(MainControlTests, TheFileMenuChoosesTheImage)
{
    std::filesystem::remove(mFolder / "VORazuro61.led");
    Start();
    EXPECT_EQ(Text(C::FileLabel),
              "The firmware update file is missing or invalid.\nFirmware file: VORazuro61.led");
    EXPECT_EQ(Shown(), "110001 0 01000-");

    // The dialog program answers with the path of an image.
    std::ofstream(mFolder / "chosen.led") << "0003AABBCC";
    const DialogAnswer answer(mFolder, mFolder / "chosen.led");

    const RCPtr<LRootWindow> window = LRootWindow::CreateInstance(nullptr);
    ASSERT_EQ(window->SetRootControl(RCPtr<LControl>(mMain)), S_OK);
    window->PostNotification(LNotification::Create(u"NID_MENU_FILE_SELECT"));
    window->ProcessNotifications(false);
    Drain();
    String chosen;
    EXPECT_EQ(mEngine->GetFirmwareFilePath(chosen), S_OK);
    EXPECT_EQ(Narrow(chosen), (mFolder / "chosen.led").string());
    EXPECT_EQ(Text(C::FileVersionLabel), "Update Firmware Version: 1.0.0.6");
    EXPECT_EQ(Text(C::FileLabel), "Firmware file: chosen.led");
    EXPECT_EQ(Shown(), "111011 0 11000-");

    // A file that is no image, chosen the same way, is shown invalid: no update is offered.
    std::ofstream(mFolder / "notes.led") << "Release notes\n";
    const DialogAnswer notes(mFolder, mFolder / "notes.led");
    window->PostNotification(LNotification::Create(u"NID_MENU_FILE_SELECT"));
    window->ProcessNotifications(false);
    Drain();
    EXPECT_EQ(mEngine->GetFirmwareFileState(), LUpdateEngineInterface::FileStateVersionUnknown);
    EXPECT_EQ(Text(C::FileLabel),
              "The firmware update file is missing or invalid.\nFirmware file: notes.led");
    EXPECT_EQ(Shown(), "110001 0 01000-");
    window->SetRootControl(nullptr);
}

// The image chosen in the window (here with Ctrl+O) is the one RESTART starts again with,
// not the command line's.
TEST_F(MainControlTests, TheChosenImageOutlastsARestart)
{
    std::filesystem::remove(mFolder / "VORazuro61.led");
    Start();
    std::ofstream(mFolder / "chosen.led") << "0003AABBCC";
    const DialogAnswer answer(mFolder, mFolder / "chosen.led");
    const RCPtr<LRootWindow> window = AttachWindow();
    Press(window, u'\x0F', kModifierCtrl);
    EXPECT_EQ(Text(C::FileLabel), "Firmware file: chosen.led");

    // The keyboard does not take the switch; RESTART starts again.
    mEngine->mAnswersSwitch = false;
    Click(C::UpdateButton);
    Drain();
    ASSERT_TRUE(Child(C::RestartButton)->GetLayout()->mIsVisible);
    Click(C::RestartButton);
    Drain();
    String chosen;
    EXPECT_EQ(mEngine->GetFirmwareFilePath(chosen), S_OK);
    EXPECT_EQ(Narrow(chosen), (mFolder / "chosen.led").string());
    EXPECT_EQ(Text(C::FileLabel), "Firmware file: chosen.led");
    EXPECT_EQ(Shown(), "111011 0 11000-");
    window->SetRootControl(nullptr);
}

// Several keyboards found before the window: none is chosen for the user; the window says
// what to do, and offers the scan for when the others are gone.
TEST_F(MainControlTests, SeveralKeyboardsAtTheStartAreNotChosen)
{
    mAtScan = {ScriptedEngine::Device{}, ScriptedEngine::Device{Presence::UpdateMode}};
    Start();
    EXPECT_EQ(mEngine->GetSelectedDeviceIndex(), -1);
    EXPECT_EQ(mEngine->GetDeviceState(), LUpdateEngineInterface::DeviceStateNoneSelected);
    EXPECT_EQ(Text(C::DeviceLabel),
              "Several Norvik devices are connected; only one can be updated.\nDisconnect all but one and "
              "click the \"SCAN FOR DEVICE\" button.");
    EXPECT_EQ(Shown(), "110010 0 01010-");
    Click(C::UpdateButton);
    EXPECT_EQ(mEngine->mEnterCalls, 0);
    EXPECT_EQ(mEngine->mStartCalls, 0);

    // One left: the scan finds it.
    mEngine->mAtScan = {ScriptedEngine::Device{}};
    Click(C::ScanButton);
    Drain();
    EXPECT_EQ(mEngine->GetDeviceState(), LUpdateEngineInterface::DeviceStateNormalFirmware);
    EXPECT_EQ(Shown(), "111011 0 11000-");
}

// NEXT before the keyboard is there again says what the window waits for; a keyboard that
// came back in its normal mode (it did not take the switch) is said to be so, and UPDATE
// FIRMWARE switches it again.
TEST_F(MainControlTests, NextTellsWhatItFoundAfterThePowerCycle)
{
    Start();
    Click(C::UpdateButton);
    Drain();
    struct Row
    {
        const char* what;
        ScriptedEngine::Device found;
        int32_t state;
        const char* processText;
        const char* shown;
    };
    const Row rows[] = {
        {"off", ScriptedEngine::Device{Presence::Absent},
         LUpdateEngineInterface::DeviceStateEnteringUpdateMode,
         "Norvik is not there yet. Turn the device on and press the NEXT button when it has started.",
         "111010 0 01001-"},
        {"back in normal mode", ScriptedEngine::Device{}, LUpdateEngineInterface::DeviceStateNormalFirmware,
         "Norvik came back in its normal mode: it did not switch to its update mode. Click the \"UPDATE "
         "FIRMWARE\" button to switch it again.",
         "111011 0 11000-"},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.what);
        mEngine->mRescans = {row.found};
        Click(C::NextButton);
        Drain();
        EXPECT_EQ(mEngine->GetDeviceState(), row.state);
        EXPECT_EQ(Text(C::ProcessLabel), row.processText);
        EXPECT_EQ(Shown(), row.shown);
        EXPECT_EQ(mEngine->mStartCalls, 0);
    }
    // The way back: the switch again, and this time the keyboard takes it.
    Click(C::UpdateButton);
    Drain();
    EXPECT_EQ(mEngine->mEnterCalls, 2);
    mEngine->mRescans = {ScriptedEngine::Device{Presence::UpdateMode}};
    Click(C::NextButton);
    Drain();
    EXPECT_EQ(mEngine->mStartCalls, 1);
}

TEST_F(MainControlTests, NoKeyboardOffersTheScanAndExitAsksTheApplication)
{
    mAtScan = {ScriptedEngine::Device{Presence::Absent}};
    Start();
    EXPECT_EQ(Shown(), "110010 0 01010-");
    EXPECT_EQ(Text(C::DeviceLabel),
              "Norvik device not found.\nPlug in Norvik and click the \"SCAN FOR DEVICE\" button.");
    mEngine->mAtScan = {ScriptedEngine::Device{}};
    Click(C::ScanButton);
    Drain();
    EXPECT_EQ(Shown(), "111011 0 11000-");

    RCPtr<ExitListener> listener(new ExitListener());
    listener->RegisterNotification(LNotificationCenterManager::GetDefaultCenter(), u"NID_APP_EXIT_REQ");
    Click(C::ExitButton);
    Drain();
    EXPECT_EQ(listener->mRequests, 1);
    listener->UnregisterAllNotifications();
}

} // namespace

// Ending the application would cut a transfer off: every road to the exit is refused while
// one runs, and the window says why; once it has ended, the same road ends the application.
TEST_F(MainControlTests, ExitIsRefusedWhileATransferRunsAndTheWindowSaysWhy)
{
    const RCPtr<LApplication> app =
        LApplication::Create(mFactory, mFactory->GetFrameworkStringTable(), String());
    app->RegisterNotification(LNotificationCenterManager::GetDefaultCenter(), u"NID_APP_EXIT_REQ");
    mAtScan = {ScriptedEngine::Device{Presence::UpdateMode}};
    Start();
    const RCPtr<LRootWindow> window = AttachWindow();
    app->AddRootWindow(window);
    Click(C::UpdateButton);
    Drain();
    ASSERT_EQ(mEngine->GetDeviceState(), LUpdateEngineInterface::DeviceStateUpdating);
    EXPECT_EQ(Text(C::ProcessLabel), "Firmware update in progress. Do not disconnect Norvik.");

    const std::pair<const char*, std::function<void()>> roads[] = {
        {"Ctrl+Q", [&] { Press(window, u'\x11', kModifierCtrl); }},
        {"File > Exit",
         [&] {
             window->PostNotification(LNotification::Create(u"NID_MENU_FILE_EXIT_REQ"));
             window->ProcessNotifications(false);
             Drain();
         }},
        {"the close box",
         [] {
             LMainControl::PostExitRequest();
             Drain();
         }},
    };
    for (const auto& [road, take] : roads)
    {
        SCOPED_TRACE(road);
        take();
        EXPECT_FALSE(app->IsExitRequested());
        EXPECT_EQ(Text(C::ProcessLabel),
                  "Firmware update in progress. Do not disconnect Norvik.\nThe firmware "
                  "update is still running. Wait for it to finish before you close this "
                  "application.");
    }

    // The transfer ends: the explanation goes, and the application may end.
    ScriptedEngine::Device updated;
    updated.version = {1, 0, 0, 6};
    mEngine->mRescans = {updated};
    mEngine->Finish(true);
    Drain();
    EXPECT_EQ(Text(C::ProcessLabel),
              "Your Norvik has been successfully updated. You may now close this application.");
    Press(window, u'\x11', kModifierCtrl);
    EXPECT_TRUE(app->IsExitRequested());
    app->UnregisterAllNotifications();
    window->SetRootControl(nullptr);
}

// A keyboard with newer firmware than the image is told so, with the option that installs
// the older image; then the update is offered.
TEST_F(MainControlTests, AKeyboardWithNewerFirmwareIsToldHowToInstallTheOlderImage)
{
    mAtScan[0].version = {1, 0, 1, 0};
    Start();
    EXPECT_EQ(Shown(), "111011 0 01000-");
    EXPECT_EQ(Text(C::ProcessLabel),
              "Your Norvik has newer firmware than this update file. To install the older "
              "firmware, choose Options > Allow Older Firmware.");
    mProcessor->SetAllowDowngrade(true);
    mMain->Refresh();
    EXPECT_EQ(Shown(), "111011 0 11000-");
    EXPECT_EQ(Text(C::ProcessLabel), "Click the \"UPDATE FIRMWARE\" button to start the update process.");
}

// What stopped a transfer is said in the window when the engine knows it; a keyboard that
// asked to stop is not called unreachable.
TEST_F(MainControlTests, AFailedTransferSaysWhatStoppedIt)
{
    using Failure = LUpdateEngineInterface::TransferFailure;
    const char* unreachable = "The update has failed because the device can not be accessed. Unplug and "
                              "replug the device and press \"RESTART\"";
    struct Row
    {
        Failure failure;
        const char* text;
    };
    const Row rows[] = {
        {Failure::None, unreachable},
        {Failure::CancelledByKeyboard, "The update was stopped by the device. Press the \"RESTART\" button "
                                       "to try again.\nWhat happened: the "
                                       "keyboard asked to stop the update."},
        {Failure::RecordNotAcknowledged,
         "The update has failed because the device can not be accessed. Unplug and replug the device and "
         "press "
         "\"RESTART\"\nWhat happened: the keyboard did not answer: a record was not acknowledged in time."},
        {Failure::PortsUnavailable,
         "The update has failed because the device can not be accessed. Unplug and replug the device and "
         "press "
         "\"RESTART\"\nWhat happened: the keyboard's update-mode ports could not be opened."},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(static_cast<int>(row.failure));
        mAtScan = {ScriptedEngine::Device{Presence::UpdateMode}};
        Start();
        Click(C::UpdateButton);
        Drain();
        mEngine->FailWith(row.failure);
        mEngine->Finish(false);
        Drain();
        EXPECT_EQ(Shown(), "010110 0 01100-");
        EXPECT_EQ(Text(C::CannotUpdateLabel), row.text);
        TearDown();
        SetUp();
    }
}

// The engine posts nothing until the window shows its state: what the processor's start
// changed is read by the window, not queued for it. RESTART's new engine tells again.
TEST_F(MainControlTests, TheEngineTellsOnlyOnceTheWindowIsReady)
{
    ASSERT_EQ(mProcessor->Initialize(String()), S_OK);
    EXPECT_FALSE(mEngine->AreNotificationsEnabled());
    EXPECT_EQ(LNotificationCenterManager::GetDefaultCenter()->GetQueuedCount(), 0u);
    mMain = MakeTree({});
    mMain->SetUpdateProcessor(mProcessor);
    mMain->Initialize();
    mMain->MarkCreatedForTest();
    EXPECT_TRUE(mEngine->AreNotificationsEnabled());
    EXPECT_EQ(Shown(), "111011 0 110000");

    const RCPtr<ScriptedEngine> first = mEngine;
    mEngine->mAnswersSwitch = false;
    Click(C::UpdateButton);
    Drain();
    Click(C::RestartButton);
    ASSERT_NE(mEngine.Get(), first.Get());
    EXPECT_TRUE(mEngine->AreNotificationsEnabled());
}

// A skin with the rescan button lets the user say when the keyboard is back after its
// transfer: the window waits until then, and the button reads the keyboard again.
TEST_F(MainControlTests, TheRescanButtonReadsTheKeyboardBackAfterItsTransfer)
{
    mAtScan = {ScriptedEngine::Device{Presence::UpdateMode}};
    Start({});
    Click(C::UpdateButton);
    Drain();
    // Restarting: not there yet at the window's own rescan.
    mEngine->mRescans = {ScriptedEngine::Device{Presence::Absent}};
    mEngine->Finish(true);
    Drain();
    EXPECT_EQ(mEngine->mRescanCalls, 1);
    EXPECT_TRUE(Child(C::RescanButton)->GetLayout()->mIsVisible);

    ScriptedEngine::Device updated;
    updated.version = {1, 0, 0, 6};
    mEngine->mRescans = {updated};
    Click(C::RescanButton);
    Drain();
    EXPECT_EQ(mEngine->mRescanCalls, 2);
    EXPECT_FALSE(mMain->IsWaitingForReset());
    EXPECT_EQ(Text(C::ProcessLabel),
              "Your Norvik has been successfully updated. You may now close this application.");
    EXPECT_FALSE(Child(C::RescanButton)->GetLayout()->mIsVisible);
}
