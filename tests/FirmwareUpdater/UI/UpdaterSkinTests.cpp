// The updater's own skin, string tables and pictures, as the executable carries them: every
// control class, look, picture and text that the window asks for is there.

#include "UpdateDisplay.h"
#include "UiTestSupport.h"
#include "UpdaterControlClasses.h"

#include "ControlBase/ControlFactory.h"
#include "ControlBase/FrameworkControlClasses.h"
#include "Controls/FrameworkControls.h"
#include "Graphics/Bitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

using namespace KV;

namespace {

std::string Narrow(const String& text)
{
    return std::string(text.ToNarrow().View());
}

class UpdaterSkinTests : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mFactory = LControlFactory::Create(String(u"Norvik ZR Firmware Updater"));
        ASSERT_EQ(mFactory->LoadResources(String(LControlFactory::kResourceFolder), 0x0409), S_OK)
            << Narrow(mFactory->GetLastParseError().mText) << " line " << mFactory->GetLastParseError().mLine;
        mMain = mFactory->FindControlDescriptor(String(u"mainControl"));
        ASSERT_TRUE(mMain);
    }

    // Every descriptor of the tree below (and with) the descriptor.
    static void Collect(const RCPtr<LControlDescriptor>& descriptor,
                        std::vector<RCPtr<LControlDescriptor>>& all)
    {
        all.push_back(descriptor);
        for (uint32_t i = 0; i < descriptor->mChildren.GetCount(); ++i)
            Collect(*descriptor->mChildren.GetAtConst(i), all);
    }

    static RCPtr<LControlDescriptor> Child(const RCPtr<LControlDescriptor>& parent, const char16_t* name)
    {
        for (uint32_t i = 0; parent && i < parent->mChildren.GetCount(); ++i)
            if ((*parent->mChildren.GetAtConst(i))->mName.EqualsText(name))
                return *parent->mChildren.GetAtConst(i);
        return nullptr;
    }

    // The text of the key in the table of the main control's child.
    bool ChildText(const char16_t* child, const char16_t* key, String& text) const
    {
        const RCPtr<LStringTable> table = mFactory->GetStringTable(mMain.Get(), String(child));
        return table && table->GetString(key, text);
    }

    RCPtr<LControlFactory> mFactory;
    RCPtr<LControlDescriptor> mMain;
};

TEST_F(UpdaterSkinTests, EveryClassOfTheSkinIsKnownAndRegisteredOrListedAsComing)
{
    RegisterFrameworkControlClasses(*mFactory);
    RegisterUpdaterControlClasses(*mFactory);
    std::set<std::string> known = {"FirmwareUpdater.MainControl"};
    for (const FrameworkControlClass& entry : kFrameworkControlClasses)
        known.insert(Narrow(String(entry.skinClassName)));

    std::vector<RCPtr<LControlDescriptor>> all;
    Collect(mMain, all);
    for (const RCPtr<LControlDescriptor>& descriptor : all)
    {
        const std::string className = Narrow(descriptor->mClassName);
        SCOPED_TRACE(Narrow(descriptor->mName) + " of " + className);
        EXPECT_TRUE(known.count(className)) << "no such control class";
        bool resolves = true;
        try
        {
            mFactory->GetControlCreateFunction(descriptor->mClassName);
        }
        catch (const std::exception&)
        {
            resolves = false;
        }
        const bool coming =
            std::any_of(std::begin(uitest::kClassesNotBuiltYet), std::end(uitest::kClassesNotBuiltYet),
                        [&](const char16_t* name) { return descriptor->mClassName.EqualsText(name); });
        EXPECT_EQ(resolves, !coming);
    }
}

TEST_F(UpdaterSkinTests, TheMainControlFindsWhatItNeeds)
{
    EXPECT_EQ(Narrow(mFactory->GetApplicationName()), "FirmwareUpdater");
    EXPECT_EQ(Narrow(mMain->mClassName), "FirmwareUpdater.MainControl");
    struct Expected
    {
        const char16_t* name;
        const char* className;
    };
    const Expected children[] = {
        {u"labelDeviceInformation", "Framework.Label"},
        {u"labelFirmwareFileInformation", "Framework.Label"},
        {u"labelUpdateProcessInformation", "Framework.Label"},
        {u"labelDeviceCannotUpdateError", "Framework.Label"},
        {u"labelFileFirmwareVersion", "Framework.Label"},
        {u"labelDeviceFirmwareVersion", "Framework.Label"},
        {u"progressBar", "Framework.ProgressBar"},
        {u"buttonUpdateFirmware", "Framework.Button"},
        {u"buttonExit", "Framework.Button"},
        {u"buttonReinitialize", "Framework.Button"},
        {u"buttonScanForDevice", "Framework.Button"},
        {u"buttonManualDeviceReadyForUpdateButton", "Framework.Button"},
        {u"mainMenu", "Framework.MainMenu"},
    };
    for (const Expected& expected : children)
    {
        const RCPtr<LControlDescriptor> child = Child(mMain, expected.name);
        ASSERT_TRUE(child) << Narrow(String(expected.name));
        EXPECT_EQ(Narrow(child->mClassName), expected.className);
        EXPECT_TRUE(child->mLayout->mIsVisible) << Narrow(String(expected.name));
    }
    // The window asks the keyboard's return after a transfer by itself, so there is no
    // button that asks the user to.
    EXPECT_FALSE(Child(mMain, u"buttonManualDeviceHasUpdatedRescanButton"));

    const RCPtr<LControlDescriptor> bar = Child(mMain, u"progressBar");
    EXPECT_EQ(Narrow(Child(bar, u"activeOverlay")->mClassName), "Framework.Panel");
    EXPECT_EQ(Narrow(Child(bar, u"percentCompleteLabel")->mClassName), "Framework.Label");
    EXPECT_EQ(Narrow(Child(bar, u"timeRemainingLabel")->mClassName), "Framework.Label");
    const RCPtr<LControlDescriptor> popup =
        Child(Child(Child(mMain, u"mainMenu"), u"templateMenu"), u"popupMenu");
    ASSERT_TRUE(popup);
    EXPECT_EQ(Narrow(Child(popup, u"templateItem")->mClassName), "Framework.MenuItem");
}

// The menu controls choose among their looks by index, so each list holds every look its
// control can ask for, and the looks a user tells apart differ: a bar entry normal, hovered,
// open and disabled; a row plain, hovered, pressed, disabled and a separator; its check mark
// absent, checked and checked on the highlighted row. Each row carries its check mark and its
// key's label.
TEST_F(UpdaterSkinTests, TheMenusHaveEveryLookTheirControlsChoose)
{
    const RCPtr<LControlDescriptor> entry = Child(Child(mMain, u"mainMenu"), u"templateMenu");
    const RCPtr<LControlDescriptor> row = Child(Child(entry, u"popupMenu"), u"templateItem");
    ASSERT_TRUE(row);
    const RCPtr<LControlDescriptor> check = Child(row, u"checkBox");
    const RCPtr<LControlDescriptor> hotKey = Child(row, u"hotKeyLabel");
    ASSERT_TRUE(check && hotKey);
    EXPECT_EQ(Narrow(check->mClassName), "Framework.Button");
    EXPECT_EQ(Narrow(hotKey->mClassName), "Framework.Label");

    struct Expected
    {
        RCPtr<LControlDescriptor> control;
        uint32_t count;
        std::vector<uint32_t> distinct;
    };
    for (const Expected& expected : {Expected{entry, 4, {0, 1, 2, 3}}, Expected{row, 14, {0, 1, 2, 6, 13}},
                                     Expected{check, 9, {0, 7, 8}}})
    {
        SCOPED_TRACE(Narrow(expected.control->mName));
        const LLookList& looks = *expected.control->mSkin->mLookList;
        ASSERT_EQ(looks.GetCount(), expected.count);
        std::set<std::string> names;
        for (const uint32_t index : expected.distinct)
            names.insert(Narrow((*looks.GetAtConst(index))->mName));
        EXPECT_EQ(names.size(), expected.distinct.size());
    }
}

// A stacked group lies exactly on one rectangle, so that showing one of them hides the others.
TEST_F(UpdaterSkinTests, StackedControlsShareTheirRectangle)
{
    auto same = [this](const char16_t* a, const char16_t* b) {
        const LLayoutDescriptor& la = *Child(mMain, a)->mLayout;
        const LLayoutDescriptor& lb = *Child(mMain, b)->mLayout;
        EXPECT_EQ(la.mXPosition, lb.mXPosition) << Narrow(String(b));
        EXPECT_EQ(la.mYPosition, lb.mYPosition) << Narrow(String(b));
        EXPECT_EQ(la.mXSize, lb.mXSize) << Narrow(String(b));
        EXPECT_EQ(la.mYSize, lb.mYSize) << Narrow(String(b));
        EXPECT_GT(lb.mZOrder, la.mZOrder) << Narrow(String(b)) << " lies over " << Narrow(String(a));
    };
    for (const char16_t* over :
         {u"buttonScanForDevice", u"buttonReinitialize", u"buttonManualDeviceReadyForUpdateButton"})
        same(u"buttonUpdateFirmware", over);
    same(u"labelUpdateProcessInformation", u"labelDeviceCannotUpdateError");
}

// Looks and look lists name their parts and looks; a name that does not resolve is dropped
// without a word when the skin is read, so it is checked here.
TEST_F(UpdaterSkinTests, EveryLookListSlotLookAndPartResolves)
{
    std::vector<RCPtr<LControlDescriptor>> all;
    Collect(mMain, all);
    for (const RCPtr<LControlDescriptor>& descriptor : all)
    {
        SCOPED_TRACE(Narrow(descriptor->mName));
        ASSERT_TRUE(descriptor->mSkin);
        ASSERT_TRUE(descriptor->mSkin->mLookList) << "look list";
        const LLookList& list = *descriptor->mSkin->mLookList;
        for (uint32_t i = 0; i < list.GetCount(); ++i)
            EXPECT_TRUE(*list.GetAtConst(i)) << "look " << i;
    }
    for (const auto& [name, look] : mFactory->GetLooks())
    {
        SCOPED_TRACE(Narrow(name));
        // Every look draws a picture or a text, and a text in a colour.
        EXPECT_TRUE(look->mClientPart || look->mHasTextProperties);
        if (look->mHasTextProperties)
        {
            EXPECT_TRUE(look->mText.mForegroundPart);
        }
        if (look->mClientPart)
        {
            EXPECT_TRUE(look->mClientPart->mPart);
        }
    }
    EXPECT_EQ(mFactory->GetParts().size(), 24u) << "a part missing a required attribute is dropped";
}

TEST_F(UpdaterSkinTests, EveryPictureLoadsAndHoldsItsParts)
{
    int pictured = 0;
    for (const auto& [name, part] : mFactory->GetParts())
    {
        if (part->mImage.mFile.IsEmpty())
            continue;
        ++pictured;
        SCOPED_TRACE(Narrow(name) + " in " + Narrow(part->mImage.mFile));
        const RCPtr<LBitmap> bitmap = LBitmap::GetCachedBitmap(part->mImage.mFile);
        ASSERT_TRUE(bitmap && bitmap->GetGdiplusBitmap());
        const RectT<int32_t>& area = bitmap->GetArea();
        EXPECT_LE(part->mImage.mX + part->mImage.mWidth, area.width);
        EXPECT_LE(part->mImage.mY + part->mImage.mHeight, area.height);
        EXPECT_TRUE(part->GetVisualPart());
    }
    EXPECT_EQ(pictured, 11);
}

TEST_F(UpdaterSkinTests, EveryTextTheWindowShowsIsInItsTable)
{
    // Each key the display can choose for a label, over every engine code and answer.
    std::map<std::u16string, std::set<std::u16string>> keys;
    for (int32_t result = 0; result <= 4; ++result)
        for (int32_t device = 0; device <= 8; ++device)
            for (int32_t file = 0; file <= 3; ++file)
                for (int32_t reason = 0; reason <= 4; ++reason)
                    for (int flags = 0; flags < 8; ++flags)
                    {
                        EngineSituation s;
                        s.updateResult = result;
                        s.deviceState = device;
                        s.fileState = file;
                        s.cannotUpdateReason = reason;
                        s.updateNeeded = flags & 1;
                        s.allowDowngrade = flags & 2;
                        s.waitingForReset = flags & 4;
                        const DisplayPlan plan = PlanDisplay(s);
                        for (size_t i = 0; i < kDisplayControlCount; ++i)
                            if (plan.textKey[i])
                                keys[kDisplayControlNames[i]].insert(plan.textKey[i]);
                    }
    for (const auto& [label, labelKeys] : keys)
        for (const std::u16string& key : labelKeys)
        {
            // No device definitions never happens in the updater: that label stays empty.
            if (key == u"LABEL_NO_DEVICE_DEFINED")
                continue;
            String text;
            EXPECT_TRUE(ChildText(label.c_str(), key.c_str(), text))
                << Narrow(String(label.c_str())) << " " << Narrow(String(key.c_str()));
        }

    struct Caption
    {
        const char16_t* button;
        const char* text;
    };
    for (const Caption& caption :
         {Caption{u"buttonUpdateFirmware", "UPDATE FIRMWARE"},
          Caption{u"buttonScanForDevice", "SCAN FOR DEVICE"}, Caption{u"buttonReinitialize", "RESTART"},
          Caption{u"buttonManualDeviceReadyForUpdateButton", "NEXT"}, Caption{u"buttonExit", "EXIT"}})
    {
        String text;
        EXPECT_TRUE(ChildText(caption.button, u"LABEL", text));
        EXPECT_EQ(Narrow(text), caption.text);
    }
    for (const char16_t* versionLabel : {u"labelFileFirmwareVersion", u"labelDeviceFirmwareVersion"})
    {
        String format;
        EXPECT_TRUE(ChildText(versionLabel, u"LABEL", format));
        EXPECT_NE(Narrow(format).find("%s"), std::string::npos);
    }

    const RCPtr<LStringTable> app = mFactory->GetAppStringTable();
    ASSERT_TRUE(app);
    for (const char16_t* key :
         {u"WAITING_FOR_DEVICE_TO_ENTER_UPDATE_MODE_CURSOR_TITLE", u"SELECT_FIRMWARE_FILE_DIALOG_TITLE",
          u"SELECT_FIRMWARE_FILE_DIALOG_FILE_FILTER", u"SELECT_FIRMWARE_FILE_DEFAULT_FILE_EXTENSION"})
        EXPECT_TRUE(app->HasKey(key)) << Narrow(String(key));
    const RCPtr<LStringTable> framework = mFactory->GetFrameworkStringTable();
    ASSERT_TRUE(framework);
    for (const char16_t* key :
         {u"STARTUP_ERROR", u"STARTUP_ERROR_CAPTION", u"HOURS_SINGULAR", u"HOURS_PLURAL", u"MINUTES_SINGULAR",
          u"MINUTES_PLURAL", u"SECONDS_SINGULAR", u"SECONDS_PLURAL", u"REMAINING"})
        EXPECT_TRUE(framework->HasKey(key)) << Narrow(String(key));

    // The menu bar offers what the main control listens for.
    const RCPtr<LStringTable> menu = mFactory->GetStringTable(mMain.Get(), String(u"mainMenu"));
    ASSERT_TRUE(menu);
    std::string menuKeys;
    for (const auto& [key, text] : menu->GetTexts())
        menuKeys += Narrow(key) + " ";
    for (const char* command :
         {".NID_MENU_FILE_SELECT ", ".NID_MENU_FILE_EXIT_REQ ", ".NID_MENU_OPTIONS_ALLOW_DOWNGRADE "})
        EXPECT_NE(menuKeys.find(command), std::string::npos) << command;
}

} // namespace
