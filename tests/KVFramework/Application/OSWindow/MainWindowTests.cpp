// The application's entry with the real window layer on a private X server: the main
// window made from the root control's layout, shown with its root control, and ended by
// the exit request.
#include "Application/ApplicationBase.h"
#include "Application/FrameworkMain.h"
#include "Application/MainWindowFactory.h"
#include "Application/OSWindow.h"
#include "Platform/Window/PlatformWindow.h"
#include "SdlVideoEnvironment.h"
#include "ScopedVariable.h"
#include "TemporaryFolder.h"

#include <gtest/gtest.h>

using namespace KV;

namespace {

const auto* const gVideo = ::testing::AddGlobalTestEnvironment(new SdlVideoEnvironment());

RCPtr<LControl> MakeMainControl(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor)
{
    return RCPtr<LControl>(new LControl(parent, descriptor->mName));
}

struct Shown
{
    bool resizable = true;
    RectT<int32_t> client;
    RectT<int32_t> workArea;
    RectT<double> rootRect;
    String rootControl;
    bool measures = false;
};

// Looks at its main window once the loop is about to run, then asks to end.
class WindowApp : public LApplicationBase<WindowApp>
{
public:
    WindowApp(const RCPtr<LControlFactory>& factory, const RCPtr<LStringTable>& strings,
              const String& commandLine, Shown& shown)
        : LApplicationBase(factory, strings, commandLine), mShown(shown)
    {
    }
    String GetRootControlName() override { return String(u"mainControl"); }
    bool CanExit() override { return true; }
    void BeforeMessageLoop() override
    {
        const RCPtr<LRootWindow> main = GetFirstRootWindow();
        if (auto* window = dynamic_cast<OSWindow*>(main->GetOSServices()))
        {
            mShown.resizable = window->GetPlatformWindow()->IsResizable();
            mShown.client = window->GetPlatformWindow()->GetClientRect();
        }
        mShown.workArea = GetWorkArea();
        mShown.rootRect = main->GetRootControl()->GetRect();
        mShown.rootControl = main->GetRootControl()->GetName();
        mShown.measures = GetMeasurementRenderer() != nullptr;
        GetDefaultCenter()->PostNotification(LNotification::Create(u"NID_APP_EXIT_REQ"));
    }

private:
    Shown& mShown;
};

TEST(MainWindow, FollowsTheRootControlsLayoutAndEndsThroughTheExitRequest)
{
    struct Row
    {
        const char* name;
        const char* place;
        const char* limits;
        bool resizable;
        bool centred; // else at 10, 10
    };
    const char* const fixed =
        "XMinSizeAbs=\"320\" YMinSizeAbs=\"200\" XMaxSizeAbs=\"320\" YMaxSizeAbs=\"200\"";
    const char* const atTen = "XPositionAbs=\"10\" YPositionAbs=\"10\"";
    const Row rows[] = {
        {"minimum equals maximum", atTen, fixed, false, false},
        {"no limits", atTen, "", true, false},
        // The window goes where the layout puts the control on the screen; the control
        // itself fills the window from its client origin.
        {"centred on the screen",
         "XPlacementAnchor=\"0.5\" XPositionToControl=\"Screen\" XPositionRel=\"0.5\" "
         "YPlacementAnchor=\"0.5\" YPositionToControl=\"Screen\" YPositionRel=\"0.5\"",
         fixed, false, true},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        TemporaryFolder folder;
        ScopedVariable config("XDG_CONFIG_HOME", folder / "config");
        TemporaryFolder::WriteFile(folder / "StringTables.xml", "<T/>");
        TemporaryFolder::WriteFile(folder / "FrameworkStrings.xml", "<T/>");
        TemporaryFolder::WriteFile(
            folder / "Skins.xml",
            std::string("<K><Application Name=\"App\"><Skins><Skin Name=\"s\">"
                        "<SubControl Class=\"Test.Main\" Name=\"mainControl\" XSizeAbs=\"320\" "
                        "YSizeAbs=\"200\" ") +
                row.place + " " + row.limits + "/></Skin></Skins></Application></K>");

        Shown shown;
        OSWindowFactory windows(String(u"KV Test"), String(u"Main Window Test"),
                                String(u"KVTest_MainWindow"));
        FrameworkEntry entry;
        entry.createApplication = [&](const RCPtr<LControlFactory>& factory,
                                      const RCPtr<LStringTable>& strings,
                                      const String& commandLine) -> RCPtr<LFrameworkApp> {
            factory->RegisterControlClass(String(u"Test.Main"), &MakeMainControl);
            return RCPtr<LFrameworkApp>(new WindowApp(factory, strings, commandLine, shown));
        };
        entry.resourceFolder = String((folder / "").c_str());
        entry.windowFactory = &windows;
        EXPECT_EQ(FrameworkMain(String(), 9, entry), kExitNormal);
        EXPECT_EQ(shown.resizable, row.resizable);
        EXPECT_EQ(shown.client.width, 320);
        EXPECT_EQ(shown.client.height, 200);
        if (row.centred)
        {
            EXPECT_EQ(shown.client.x, shown.workArea.x + (shown.workArea.width - 320) / 2);
            EXPECT_EQ(shown.client.y, shown.workArea.y + (shown.workArea.height - 200) / 2);
        }
        else
        {
            EXPECT_EQ(shown.client.x, shown.workArea.x + 10);
            EXPECT_EQ(shown.client.y, shown.workArea.y + 10);
        }
        EXPECT_EQ(shown.rootRect, (RectT<double>{0, 0, 320, 200}));
        EXPECT_EQ(shown.rootControl, u"mainControl");
        EXPECT_TRUE(shown.measures);
    }
}

} // namespace
