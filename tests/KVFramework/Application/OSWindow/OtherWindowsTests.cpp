// Windows besides the main window, made by the real window layer on a private X server:
// a control of the skin in a window of its own, and a window for a control's descriptor
// that draws through the main window's renderer.
#include "Application/FrameworkApp.h"
#include "Application/MainWindowFactory.h"
#include "Application/OSWindow.h"
#include "Controls/FrameworkControls.h"
#include "Platform/Window/PlatformWindow.h"
#include "Platform/Window/SystemWindows.h"
#include "Platform/Window/WindowEventSource.h"
#include "ScopedVariable.h"
#include "TemporaryFolder.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace KV;

namespace {

constexpr uint32_t kIconColor = 0xFF2080C0u;

// An application whose skin has the main control "main" (at 100, 80) and the fixed-size
// control "dialog" (at 30, 40, 200 x 100); its windows carry a one-colour icon.
class SkinnedApp : public LFrameworkApp
{
public:
    using LFrameworkApp::LFrameworkApp;
    RCPtr<LBitmap> GetAppIcon() override
    {
        ColorT color;
        return LBitmap::CreateFilledBitmap({16, 16}, color.FromARGB(kIconColor));
    }
};

RCPtr<LControlFactory> SkinnedFactory(const TemporaryFolder& folder)
{
    RCPtr<LControlFactory> factory = LControlFactory::Create(String(u"App"));
    RegisterFrameworkControlClasses(*factory);
    const std::string strings = folder / "strings.xml";
    std::ofstream(strings)
        << "<T><Application Name=\"App\"><StringTable ID=\"App|dialog\"><String ID=\"LABEL\">"
           "<Locale LCID=\"9\">Settings</Locale></String></StringTable></Application></T>";
    const std::string framework = folder / "framework.xml";
    std::ofstream(framework) << "<T/>";
    EXPECT_EQ(factory->LoadStringTables(String(strings.c_str()), String(framework.c_str()), 0x0409), S_OK);
    const std::string skin =
        "<r><Application Name=\"App\"><Skins><Skin Name=\"s\">"
        "<SubControl Class=\"Framework.Panel\" Name=\"main\" XPositionAbs=\"100\" YPositionAbs=\"80\" "
        "XSizeAbs=\"300\" YSizeAbs=\"200\"/>"
        "<SubControl Class=\"Framework.Panel\" Name=\"dialog\" XPositionAbs=\"30\" YPositionAbs=\"40\" "
        "XSizeAbs=\"200\" YSizeAbs=\"100\" XMinSizeAbs=\"200\" YMinSizeAbs=\"100\" XMaxSizeAbs=\"200\" "
        "YMaxSizeAbs=\"100\"/></Skin></Skins></Application></r>";
    EXPECT_EQ(factory->ParseXML({reinterpret_cast<const unsigned char*>(skin.data()), skin.size()}), S_OK);
    return factory;
}

OSWindow* OSWindowOf(LFrameworkApp& app, uint32_t index)
{
    return static_cast<OSWindow*>((*app.GetRootWindows().GetAtConst(index))->GetOSServices());
}

} // namespace

TEST(OtherWindows, TheWindowLayerOpensThemAtTheirPlacesWithTheApplicationsIcon)
{
    Platform::ResetWindowEventSource();
    TemporaryFolder folder;
    ScopedVariable config("XDG_CONFIG_HOME", folder / "config");
    OSWindowFactory windows(String(u"Test Company"), String(u"Test Product"), String(u"TestOtherWindows"));
    ASSERT_TRUE(windows.IsAvailable()) << "no X server to make windows on";
    const RCPtr<LControlFactory> factory = SkinnedFactory(folder);
    RCPtr<SkinnedApp> app(new SkinnedApp(factory, nullptr, String()));
    ASSERT_EQ(app->SetSkin(0), S_OK);
    app->SetWindowFactory(&windows);
    std::unique_ptr<IApplicationWindow> main = windows.CreateMainWindow(
        *app, factory->FindControlDescriptor(String(u"main")), String(u"Main"), kRendererTypeGDI);
    ASSERT_NE(nullptr, main);
    main->Show();
    const RectT<int32_t> mainRect = OSWindowOf(*app, 0)->GetPlatformWindow()->GetClientRect();

    // A window for the descriptor: placed from the origin of the window it is opened from
    // (the only one, the main window), drawing through its renderer.
    ASSERT_EQ(app->OpenRootWindow(factory->FindControlDescriptor(String(u"dialog")), {}), 1);
    OSWindow* described = OSWindowOf(*app, 1);
    EXPECT_EQ(described->GetPlatformWindow()->GetClientRect(),
              (RectT<int32_t>{mainRect.x + 30, mainRect.y + 40, 200, 100}));
    EXPECT_TRUE(described->GetPlatformWindow()->IsVisible());
    EXPECT_EQ(described->GetRenderer(), OSWindowOf(*app, 0)->GetRenderer());

    // A control of the skin: a window of its own, shown at once, fixed in size, with a
    // renderer of its own.
    ASSERT_EQ(app->CreateRootWindow(nullptr, true, {}, nullptr, String(u"dialog")), 2);
    OSWindow* dialog = OSWindowOf(*app, 2);
    EXPECT_EQ(dialog->GetPlatformWindow()->GetClientRect(), (RectT<int32_t>{30, 40, 200, 100}));
    EXPECT_TRUE(dialog->GetPlatformWindow()->IsVisible());
    EXPECT_FALSE(dialog->GetPlatformWindow()->IsResizable());
    EXPECT_NE(dialog->GetRenderer(), OSWindowOf(*app, 0)->GetRenderer());
    EXPECT_EQ(dialog->GetRootWindow()->GetRootControl()->GetName(), u"dialog");
    Platform::WindowIcon icon;
    ASSERT_TRUE(Platform::GetSystemWindowIcon(dialog->GetWindowHandle(), icon));
    EXPECT_EQ(std::vector<uint32_t>(16 * 16, kIconColor), icon.pixels);

    // Ended, the windows leave the application's list; the main window stays.
    described->EndModal(0);
    dialog->EndModal(0);
    EXPECT_EQ(app->GetRootWindows().GetCount(), 1u);
    OSWindow::DeleteClosedWindows();
    main.reset();
    OSWindow::DeleteClosedWindows();
    EXPECT_EQ(app->GetRootWindows().GetCount(), 0u);
    app->SetWindowFactory(nullptr);
    app.Reset();
    Platform::ResetWindowEventSource();
}
