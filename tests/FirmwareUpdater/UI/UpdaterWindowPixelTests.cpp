// The updater's window built from the shipped skin by the control factory and drawn through
// the GDI+ renderer, with the main control showing what a scripted engine reports, compared
// with reference pictures.

#include "Application.h"
#include "MainControl.h"
#include "UiTestSupport.h"
#include "UpdaterControlClasses.h"

#include "ControlBase/ControlFactory.h"
#include "ControlBase/RootWindow.h"
#include "Controls/ControlClass.h"
#include "Controls/FrameworkControls.h"
#include "Controls/MainMenu.h"
#include "ControlTestSupport.h"
#include "FakeWindowOSServices.h"
#include "GdiFrame.h"
#include "Notification/NotificationCenter.h"
#include "ReferenceImage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>

using namespace KV;
using namespace KV::Testing;
using namespace uitest;

namespace {

// Classes of the skin that no control is built for yet stand in as plain controls; a class
// registered already keeps its own create function.
void RegisterClasses(LControlFactory& factory)
{
    RegisterFrameworkControlClasses(factory);
    RegisterUpdaterControlClasses(factory);
    for (const char16_t* coming : kClassesNotBuiltYet)
        factory.RegisterControlClass(String(coming), &CreateControlOfClass<PlainControl>);
}

// The queues until they stay empty: the engine's steps for the window end with
// notifications of their own.
void DrainQueues()
{
    for (int pass = 0; pass < 10 && LNotificationCenterManager::GetInstance()->ProcessAllQueues(false);
         ++pass)
    {
    }
}

void LayOut(LControl& control)
{
    control.RecalcLayout();
    for (uint32_t i = 0; i < control.GetChildren().GetCount(); ++i)
        LayOut(*control.GetChildren().GetAt(i, LControl::kInsertionOrder));
}

class UpdaterWindowPixels : public GdiFrame
{
protected:
    using Steps = std::function<void(LMainControl&, ScriptedEngine&)>;

    // Draws the window with the keyboard the scan finds, after the steps, and compares it
    // with the reference of that name.
    void ExpectWindow(const std::vector<ScriptedEngine::Device>& found, const char* reference,
                      const Steps& steps = nullptr)
    {
        SCOPED_TRACE(reference);
        char pattern[] = "/tmp/kv-window-pixels-XXXXXX";
        const std::filesystem::path folder = mkdtemp(pattern);
        std::ofstream(folder / "VORazuro61.led") << "0003AABBCC";

        RCPtr<LControlFactory> factory = LControlFactory::Create(String(u"Norvik ZR Firmware Updater"));
        ASSERT_EQ(factory->LoadResources(String(LControlFactory::kResourceFolder), 0x0409), S_OK);
        RCPtr<LApplication> app = LApplication::Create(factory, factory->GetFrameworkStringTable(), String());
        RCPtr<LUpdateProcessor> processor = LUpdateProcessor::Create();
        processor->SetExecutableFolder(String(folder.c_str()));
        processor->SetReturnRescans(0, 20);
        RCPtr<ScriptedEngine> engine;
        processor->SetEngineFactory([&found, &engine] {
            engine = RCPtr<ScriptedEngine>(new ScriptedEngine());
            engine->mAtScan = found;
            return RCPtr<LUpdateEngineInterface>(engine);
        });
        ASSERT_EQ(processor->Initialize(String()), S_OK);

        Start(520, 360);
        FakeWindowOSServices os;
        os.mClientSize = {520, 360};
        RCPtr<LRootWindow> window = LRootWindow::CreateInstance(&os, RCPtr<LRenderer>(mRenderer));
        mOS = &os;
        mWindow = window;
        // Texts are measured by the renderer of the application's first window.
        app->AddRootWindow(window);
        // The skin's default font.
        ASSERT_EQ(app->SetSkin(0), S_OK);
        // The window as the application builds it: the main control and its children from
        // the skin, through the control factory.
        RegisterClasses(*factory);
        const RCPtr<LMainControl> main = RCPtr<LMainControl>::DynamicCastFrom(
            factory->CreateControlByName(String(u"mainControl"), nullptr));
        ASSERT_TRUE(main);
        window->SetRootControl(RCPtr<LControl>(main));
        main->SetLayout(Axis(PositionReference::Client, 0, 0, SizeReference::Client, 1, 0),
                        Axis(PositionReference::Client, 0, 0, SizeReference::Client, 1, 0));
        main->SetUpdateProcessor(processor);
        LNotificationCenterManager::GetInstance()->ProcessAllQueues(false);
        // Laid out as the shown window is, before anything happens in it.
        LayOut(*main);
        if (steps)
        {
            steps(*main, *engine);
            DrainQueues();
        }
        LayOut(*main);

        RectRegion region;
        window->CollectInvalidRegion(region);
        window->OnPaint(*mRenderer, region);
        ExpectMatchesReference([&](int32_t x, int32_t y) { return Pixel(x, y); }, 520, 360,
                               KV_REFERENCE_IMAGE_FOLDER, KV_TEST_OUTPUT_FOLDER, reference);
        window->SetRootControl(nullptr);
        mWindow = nullptr;
        mOS = nullptr;
        main->ReleaseInternalReferences();
        mRenderer->RenderFinish(mContext);
        std::filesystem::remove_all(folder);
    }

    // The pointer, in the window's client coordinates, while a window is drawn.
    void Move(int32_t x, int32_t y)
    {
        mOS->mCursorPos = {x, y};
        mWindow->OnMouseMove({x, y}, 0);
    }
    void Click(int32_t x, int32_t y)
    {
        Move(x, y);
        mOS->mButtons |= kMouseButtonLeft;
        mWindow->OnMouseButton(LRootWindow::kPress, kMouseButtonLeft, 0, {x, y});
        mOS->mButtons &= ~kMouseButtonLeft;
        mWindow->OnMouseButton(LRootWindow::kRelease, kMouseButtonLeft, 0, {x, y});
    }
    // The middle of the menu-bar entry, in the window.
    static PointT<int32_t> MiddleOf(LControl& entry)
    {
        const PointT<double> at = entry.GetRootPosition();
        return {static_cast<int32_t>(at.x + entry.GetRect().width / 2),
                static_cast<int32_t>(at.y + entry.GetRect().height / 2)};
    }
    static RCPtr<LMainMenu> Bar(LMainControl& main)
    {
        return RCPtr<LMainMenu>::DynamicCastFrom(main.FindChild(String(u"mainMenu")));
    }

    FakeWindowOSServices* mOS = nullptr;
    RCPtr<LRootWindow> mWindow;
};

} // namespace

TEST_F(UpdaterWindowPixels, WhatTheWindowShowsAtItsStart)
{
    ScriptedEngine::Device upToDate;
    upToDate.version = {1, 0, 0, 6};
    ExpectWindow({ScriptedEngine::Device{}}, "UpdaterWindowReady");
    ExpectWindow({upToDate}, "UpdaterWindowUpToDate");
    ScriptedEngine::Device newer;
    newer.version = {1, 0, 1, 0};
    ExpectWindow({newer}, "UpdaterWindowNewerFirmware");
    ExpectWindow({ScriptedEngine::Device{ScriptedEngine::Presence::Absent}}, "UpdaterWindowNoKeyboard");
    ExpectWindow({ScriptedEngine::Device{}, ScriptedEngine::Device{}}, "UpdaterWindowSeveralKeyboards");
    ExpectWindow({ScriptedEngine::Device{ScriptedEngine::Presence::Absent}}, "UpdaterWindowScanning",
                 [](LMainControl&, ScriptedEngine& engine) {
                     engine.SetDeviceState(LUpdateEngineInterface::DeviceStateScanning);
                 });
}

// A file that is there but is no image: the window says so and offers no update.
TEST_F(UpdaterWindowPixels, AFileThatIsNoImageIsShownAsInvalid)
{
    ExpectWindow({ScriptedEngine::Device{}}, "UpdaterWindowInvalidImage",
                 [](LMainControl&, ScriptedEngine& engine) {
                     char pattern[] = "/tmp/kv-window-image-XXXXXX";
                     const std::filesystem::path folder = mkdtemp(pattern);
                     std::ofstream(folder / "VORazuro61.led") << "Release notes\n";
                     EXPECT_EQ(engine.SetFirmwareFile(String((folder / "VORazuro61.led").c_str())), E_FAIL);
                     std::filesystem::remove_all(folder);
                 });
}

TEST_F(UpdaterWindowPixels, WhatTheWindowShowsOnTheWayOfAnUpdate)
{
    const RCPtr<LNotificationDistributor> nobody;
    ExpectWindow({ScriptedEngine::Device{}}, "UpdaterWindowPowerCycle",
                 [&](LMainControl& main, ScriptedEngine&) { main.OnUpdateFirmwareClicked(nobody, nullptr); });
    ExpectWindow({ScriptedEngine::Device{ScriptedEngine::Presence::UpdateMode}}, "UpdaterWindowSucceeded",
                 [&](LMainControl& main, ScriptedEngine& engine) {
                     main.OnUpdateFirmwareClicked(nobody, nullptr);
                     ScriptedEngine::Device updated;
                     updated.version = {1, 0, 0, 6};
                     engine.mRescans = {updated};
                     engine.Finish(true);
                 });
    // A third of the image sent; the engine counts no remaining time.
    ExpectWindow({ScriptedEngine::Device{ScriptedEngine::Presence::UpdateMode}}, "UpdaterWindowTransfer",
                 [&](LMainControl& main, ScriptedEngine& engine) {
                     main.OnUpdateFirmwareClicked(nobody, nullptr);
                     engine.PostUpdateProgress(0, 1.0 / 3, 1, -1, 0);
                 });
    // Closing was refused while the transfer runs: the window says why.
    ExpectWindow({ScriptedEngine::Device{ScriptedEngine::Presence::UpdateMode}}, "UpdaterWindowExitRefused",
                 [&](LMainControl& main, ScriptedEngine& engine) {
                     main.OnUpdateFirmwareClicked(nobody, nullptr);
                     engine.PostUpdateProgress(0, 1.0 / 3, 1, -1, 0);
                     main.ExplainExitRefused();
                 });
    // The keyboard asked to stop in the middle of the transfer.
    ExpectWindow({ScriptedEngine::Device{ScriptedEngine::Presence::UpdateMode}},
                 "UpdaterWindowKeyboardStopped", [&](LMainControl& main, ScriptedEngine& engine) {
                     main.OnUpdateFirmwareClicked(nobody, nullptr);
                     engine.FailWith(LUpdateEngineInterface::TransferFailure::CancelledByKeyboard);
                     engine.Finish(false);
                 });
    // NEXT too early, and NEXT for a keyboard that did not take the switch.
    ExpectWindow({ScriptedEngine::Device{}}, "UpdaterWindowWaitingForKeyboard",
                 [&](LMainControl& main, ScriptedEngine& engine) {
                     main.OnUpdateFirmwareClicked(nobody, nullptr);
                     DrainQueues();
                     engine.mRescans = {ScriptedEngine::Device{ScriptedEngine::Presence::Absent}};
                     main.OnNextClicked(nobody, nullptr);
                 });
    ExpectWindow({ScriptedEngine::Device{}}, "UpdaterWindowStillInNormalMode",
                 [&](LMainControl& main, ScriptedEngine& engine) {
                     main.OnUpdateFirmwareClicked(nobody, nullptr);
                     DrainQueues();
                     engine.mRescans = {ScriptedEngine::Device{}};
                     main.OnNextClicked(nobody, nullptr);
                 });
    ExpectWindow({ScriptedEngine::Device{}}, "UpdaterWindowKeyboardSilent",
                 [&](LMainControl& main, ScriptedEngine& engine) {
                     engine.mAnswersSwitch = false;
                     main.OnUpdateFirmwareClicked(nobody, nullptr);
                 });
}

TEST_F(UpdaterWindowPixels, TheMenuBarShowsTheMenusOfTheStringTable)
{
    ExpectWindow({ScriptedEngine::Device{}}, "UpdaterWindowFileMenu",
                 [this](LMainControl& main, ScriptedEngine&) {
                     const RCPtr<LMainMenu> bar = Bar(main);
                     ASSERT_TRUE(bar);
                     ASSERT_EQ(bar->GetMenuCount(), 2);
                     EXPECT_FALSE(bar->FindChild(String(u"templateMenu")));
                     const RCPtr<LComboMenu> file = bar->GetMenuControl(0);
                     EXPECT_EQ(file->GetName(), String(u"File"));
                     EXPECT_EQ(file->GetText(), String(u"File"));
                     EXPECT_EQ(bar->GetMenuText(1), String(u"Options"));
                     const RCPtr<LMenuDescriptor> menu = bar->GetEntryMenu(0);
                     ASSERT_EQ(menu->GetItemCount(), 3u);
                     EXPECT_EQ(menu->GetItem(0)->GetName(), String(u"NID_MENU_FILE_SELECT"));
                     EXPECT_EQ(menu->GetItem(0)->GetText(), String(u"Open Firmware File..."));
                     EXPECT_TRUE(menu->GetItem(1)->IsSeparator());
                     EXPECT_EQ(menu->GetItem(2)->GetName(), String(u"NID_MENU_FILE_EXIT_REQ"));

                     // Its commands show the window's keys for them.
                     const RCPtr<LMenuDescriptor> shown = file->GetPopupMenu()->GetMenuDescriptor();
                     EXPECT_EQ(shown->GetItem(0)->GetHotKeyLabel(), String(u"Ctrl+O"));
                     EXPECT_EQ(shown->GetItem(2)->GetHotKeyLabel(), String(u"Ctrl+Q"));
                     const KeyCodeTable& keys = mWindow->GetHotKeyManager()->GetKeyCodeTable();
                     EXPECT_EQ(keys.FindNameByKeyCode(KeyCode::FromCharacter(u'\x0F', kModifierCtrl)),
                               String(u"NID_MENU_FILE_SELECT"));
                     EXPECT_EQ(keys.FindNameByKeyCode(KeyCode::FromCharacter(u'\x11', kModifierCtrl)),
                               String(u"NID_MENU_FILE_EXIT_REQ"));

                     // Opened by a click, the pointer then resting on its first row.
                     const PointT<int32_t> entry = MiddleOf(*file);
                     Click(entry.x, entry.y);
                     EXPECT_TRUE(file->IsDropDownOpen());
                     Move(entry.x + 20, entry.y + 24);
                 });
}

// Each entry is as wide as its label, so that none is cut, and the next one starts where it
// ends; the pointer over an entry lights it up.
TEST_F(UpdaterWindowPixels, MenuBarEntriesFitTheirLabelsAndLightUpUnderThePointer)
{
    ExpectWindow({ScriptedEngine::Device{}}, "UpdaterWindowMenuHover",
                 [this](LMainControl& main, ScriptedEngine&) {
                     const RCPtr<LMainMenu> bar = Bar(main);
                     ASSERT_TRUE(bar);
                     const RCPtr<LComboMenu> file = bar->GetMenuControl(0);
                     const RCPtr<LComboMenu> options = bar->GetMenuControl(1);
                     for (const RCPtr<LComboMenu>& entry : {file, options})
                     {
                         SCOPED_TRACE(std::string(entry->GetText().ToNarrow().View()));
                         EXPECT_FALSE(entry->IsLabelTextClipped());
                         EXPECT_GE(entry->GetRect().width, 30);
                     }
                     EXPECT_EQ(options->GetRect().x, file->GetRect().x + file->GetRect().width);
                     EXPECT_GT(options->GetRect().width, file->GetRect().width);

                     const PointT<int32_t> over = MiddleOf(*options);
                     Move(over.x, over.y);
                     EXPECT_EQ(options->GetShownLookIndex(), LComboMenu::kLookHover);
                     EXPECT_EQ(file->GetShownLookIndex(), LComboMenu::kLookNormal);
                     EXPECT_FALSE(options->IsDropDownOpen());
                 });
}

// The window never disables a menu command itself; the File menu with Exit disabled shows the
// skin's disabled row, which the pointer does not light up.
TEST_F(UpdaterWindowPixels, ADisabledMenuRowIsDimmedAndStaysDark)
{
    ExpectWindow({ScriptedEngine::Device{}}, "UpdaterMenuDisabledRow",
                 [this](LMainControl& main, ScriptedEngine&) {
                     const RCPtr<LComboMenu> file = Bar(main)->GetMenuControl(0);
                     const PointT<int32_t> entry = MiddleOf(*file);
                     Click(entry.x, entry.y);
                     const RCPtr<LPopupMenu> popup = file->GetPopupMenu();
                     EXPECT_EQ(popup->ApplyItemInfo(2, LMenuItemInfo{false, false, String(u"Exit")}), S_OK);
                     const RCPtr<LListBoxItem> exitRow = popup->GetItemControl(2);
                     const PointT<double> row = exitRow->GetRootPosition();
                     Move(static_cast<int32_t>(row.x) + 40, static_cast<int32_t>(row.y) + 10);
                     EXPECT_EQ(exitRow->GetShownLookIndex(), 6);
                 });
}

// While older firmware is allowed (chosen from the Options menu) its item is checked; the
// check mark turns light on the row under the pointer.
TEST_F(UpdaterWindowPixels, TheOptionsMenuChecksAllowingOlderFirmware)
{
    const auto openOptions = [this](LMainControl& main, bool pointerOnRow) {
        mWindow->PostNotification(LNotification::Create(u"NID_MENU_OPTIONS_ALLOW_DOWNGRADE"));
        mWindow->ProcessNotifications(false);
        const RCPtr<LComboMenu> options = Bar(main)->GetMenuControl(1);
        const PointT<int32_t> entry = MiddleOf(*options);
        Click(entry.x, entry.y);
        ASSERT_TRUE(options->IsDropDownOpen());
        const RCPtr<LPopupMenu> popup = options->GetPopupMenu();
        ASSERT_EQ(popup->GetItemCount(), 1);
        EXPECT_TRUE(popup->IsItemChecked(0));
        EXPECT_TRUE(popup->GetMenuDescriptor()->GetItem(0)->IsChecked());
        if (pointerOnRow)
            Move(entry.x + 20, entry.y + 24);
    };
    ExpectWindow({ScriptedEngine::Device{}}, "UpdaterWindowOptionsMenu",
                 [&](LMainControl& main, ScriptedEngine&) { openOptions(main, false); });
    ExpectWindow({ScriptedEngine::Device{}}, "UpdaterWindowOptionsMenuHover",
                 [&](LMainControl& main, ScriptedEngine&) { openOptions(main, true); });
}

// The window at the keyboard: the focused button shows a ring; F10, Alt alone and Alt with
// a letter open the menu bar, Escape closes it and gives the focus back, and the row chosen
// with the arrow keys is lit. The picture: the File menu opened by F10,
// Exit chosen with Down, over the focused UPDATE FIRMWARE.
TEST_F(UpdaterWindowPixels, TheWindowWorksFromTheKeyboard)
{
    ExpectWindow(
        {ScriptedEngine::Device{}}, "UpdaterWindowKeyboard", [this](LMainControl& main, ScriptedEngine&) {
            const auto press = [this](uint8_t virtualKey, uint32_t modifiers) {
                mWindow->OnKey(LKeyParam::Create(KeyCode::FromVirtualKey(virtualKey, true, 0, modifiers), 1));
            };
            const auto release = [this](uint8_t virtualKey, uint32_t modifiers) {
                mWindow->OnKey(
                    LKeyParam::Create(KeyCode::FromVirtualKey(virtualKey, false, 1, modifiers), 1));
            };
            mWindow->OnActivate();
            const RCPtr<LControl> update = main.FindChild(String(u"buttonUpdateFirmware"));
            ASSERT_EQ(mWindow->GetFocusControl(), update);
            EXPECT_EQ(update->GetShownLookIndex(), 3); // the focused look

            const RCPtr<LComboMenu> file = Bar(main)->GetMenuControl(0);
            const RCPtr<LComboMenu> options = Bar(main)->GetMenuControl(1);
            struct Opening
            {
                const char* what;
                std::function<void()> keys;
                RCPtr<LComboMenu> opens;
            };
            const Opening openings[] = {
                {"F10", [&] { press(0x79, 0); }, file},
                {"Alt alone",
                 [&] {
                     press(0x12, kModifierAlt | kModifierLeftAlt);
                     release(0x12, 0);
                 },
                 file},
                {"Alt+O",
                 [&] {
                     press(0x12, kModifierAlt | kModifierLeftAlt);
                     press('O', kModifierAlt | kModifierLeftAlt);
                     release('O', kModifierAlt | kModifierLeftAlt);
                     release(0x12, 0);
                 },
                 options},
            };
            for (const Opening& opening : openings)
            {
                SCOPED_TRACE(opening.what);
                opening.keys();
                EXPECT_TRUE(opening.opens->IsDropDownOpen());
                EXPECT_EQ(opening.opens->GetPopupMenu()->GetCaret(), 0);
                press(0x1B, 0); // Escape
                EXPECT_FALSE(opening.opens->IsDropDownOpen());
                EXPECT_EQ(mWindow->GetFocusControl(), update);
            }
            // Alt with another key between its press and release opens nothing.
            press(0x12, kModifierAlt | kModifierLeftAlt);
            press('X', kModifierAlt | kModifierLeftAlt);
            release(0x12, 0);
            EXPECT_FALSE(file->IsDropDownOpen());
            mWindow->OnActivate();

            press(0x79, 0);
            press(0x28, 0); // Down: the separator is skipped
            const RCPtr<LPopupMenu> popup = file->GetPopupMenu();
            EXPECT_EQ(popup->GetCaret(), 2);
            EXPECT_EQ(popup->GetItemControl(2)->GetShownLookIndex(), 7);
            EXPECT_EQ(popup->GetItemControl(0)->GetShownLookIndex(), 0);
        });
}
