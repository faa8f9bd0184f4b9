// What the application object answers about the pointer, the keyboard and the screen, and
// the windows it opens besides the main window.

#include "Application/FrameworkApp.h"
#include "ControlBase/ControlFactory.h"
#include "Controls/FrameworkControls.h"
#include "FakeWindowOSServices.h"
#include "TemporaryFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using namespace KV;

namespace {

class FakeDesktop : public IDesktopServices
{
public:
    RectT<int32_t> GetWorkArea() override { return mWorkArea; }
    PointT<int32_t> GetPointerPosition() override { return mPointer; }
    void GetKeyState(uint32_t virtualKey, bool& down, bool& toggled) override
    {
        down = mDown.count(virtualKey) > 0;
        toggled = false;
    }
    bool MovePointerTo(int32_t x, int32_t y) override
    {
        mPointer = {x, y};
        return mMoves;
    }
    void SetPointerVisible(bool visible) override { mVisibility.push_back(visible); }

    RectT<int32_t> mWorkArea{0, 0, 0, 0};
    PointT<int32_t> mPointer{0, 0};
    std::map<uint32_t, bool> mDown;
    bool mMoves = true;
    std::vector<bool> mVisibility;
};

class Desktop : public ::testing::Test
{
public:
    Desktop()
    {
        mApp->SetDesktopServices(&mDesktop);
        mOS.mScreenOrigin = {100, 50};
        mWindow = LRootWindow::CreateInstance(&mOS);
        mApp->AddRootWindow(mWindow);
    }
    ~Desktop() override { mApp->RemoveRootWindow(mWindow); }

    FakeDesktop mDesktop;
    FakeWindowOSServices mOS;
    std::unique_ptr<LFrameworkApp> mApp = std::make_unique<LFrameworkApp>();
    RCPtr<LRootWindow> mWindow;
};

} // namespace

TEST_F(Desktop, ButtonsAndPointerComeFromTheActiveWindowElseFromTheSystem)
{
    mOS.mButtons = kMouseButtonRight;
    mOS.mCursorPos = {5, 6};
    mDesktop.mDown = {{0x01, true}, {0x04, true}}; // the left and the middle button's keys
    mDesktop.mPointer = {130, 70};

    EXPECT_EQ(mApp->GetMouseButtons(), kMouseButtonRight);
    EXPECT_EQ(mWindow->GetMouseButtons(), kMouseButtonRight);
    EXPECT_EQ(mApp->GetMousePosition(), (PointT<int32_t>{105, 56}));

    mOS.mActive = false;
    EXPECT_EQ(mApp->GetMouseButtons(), kMouseButtonLeft | kMouseButtonMiddle);
    EXPECT_EQ(mWindow->GetMouseButtons(), kMouseButtonLeft | kMouseButtonMiddle);
    EXPECT_EQ(mApp->GetMousePosition(), (PointT<int32_t>{130, 70}));
    EXPECT_EQ(mWindow->GetCursorPosition(), (PointT<int32_t>{30, 20}));

    mDesktop.mDown = {{0x02, true}};
    EXPECT_EQ(mWindow->GetMouseButtons(), kMouseButtonRight);
}

TEST_F(Desktop, ModifierStateFromTheKeysOfCtrlShiftAndAlt)
{
    struct Row
    {
        std::vector<uint32_t> down;
        uint32_t modifiers;
    };
    const Row rows[] = {
        {{}, 0},
        {{0x11}, kModifierCtrl},
        {{0x10, 0x12}, kModifierShift | kModifierAlt},
        {{0x11, 0x10, 0x12, 0x5B, 0x41}, kModifierCtrl | kModifierShift | kModifierAlt},
    };
    for (const Row& row : rows)
    {
        mDesktop.mDown.clear();
        for (uint32_t key : row.down)
            mDesktop.mDown[key] = true;
        EXPECT_EQ(GetModifierState(), row.modifiers) << row.down.size();
    }
}

TEST_F(Desktop, WorkAreaFromTheSystemElseTheMainWindowsClientArea)
{
    mOS.mClientSize = {320, 200};
    EXPECT_EQ(mApp->GetWorkArea(), (RectT<int32_t>{100, 50, 320, 200}));
    mDesktop.mWorkArea = {0, 24, 1920, 1056};
    EXPECT_EQ(mApp->GetWorkArea(), (RectT<int32_t>{0, 24, 1920, 1056}));
}

TEST_F(Desktop, TheCursorShowsWhileItsCountIsNotNegative)
{
    std::vector<int32_t> counts;
    for (bool show : {false, false, true, true, true, false})
        counts.push_back(mApp->ShowCursor(show));
    EXPECT_EQ(counts, (std::vector<int32_t>{-1, -2, -1, 0, 1, 0}));
    EXPECT_EQ(mDesktop.mVisibility, (std::vector<bool>{false, true}));

    EXPECT_EQ(mApp->SetCursorPos(40, 30), S_OK);
    EXPECT_EQ(mDesktop.mPointer, (PointT<int32_t>{40, 30}));
    mDesktop.mMoves = false;
    EXPECT_EQ(mApp->SetCursorPos(1, 1), E_FAIL);
}

TEST(SystemTime, FieldsOfAMomentInUniversalTime)
{
    using namespace std::chrono;
    struct Row
    {
        sys_time<milliseconds> moment;
        SystemTime fields; // year, month, day of week, day, hour, minute, second, ms
    };
    const Row rows[] = {
        {sys_days{1970y / 1 / 1}, {1970, 1, 4, 1, 0, 0, 0, 0}},
        {sys_days{2000y / 2 / 29} + 23h + 59min + 59s + 999ms, {2000, 2, 2, 29, 23, 59, 59, 999}},
        {sys_days{1970y / 1 / 1} - 500ms, {1969, 12, 3, 31, 23, 59, 59, 500}},
        {sys_days{2026y / 12 / 11} + 1h + 2min + 3s + 4ms, {2026, 12, 5, 11, 1, 2, 3, 4}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ToSystemTime(row.moment), row.fields) << row.fields.year;

    LFrameworkApp app;
    SystemTime now;
    EXPECT_EQ(app.GetSystemTime(now), S_OK);
    EXPECT_GE(now.year, 2024);
}

namespace {

// Makes each window on a fake window of its own, with a settable modal result.
class ModalFakeWindow : public FakeWindowOSServices
{
public:
    ModalFakeWindow() { mActive = false; }
    int32_t RunModalLoop() override
    {
        mShown = true; // the loop shows the window
        return mModalResult;
    }
    int32_t mModalResult = 7;
};

class RecordingWindowFactory : public IWindowFactory
{
public:
    std::unique_ptr<IApplicationWindow> CreateMainWindow(LFrameworkApp&, const RCPtr<LControlDescriptor>&,
                                                         const String&, int32_t) override
    {
        return nullptr;
    }
    RCPtr<LRootWindow> CreateRootWindow(LFrameworkApp& app, const RootWindowSpec& spec) override
    {
        mSpecs.push_back(spec);
        if (mRefuse)
            return nullptr;
        mWindows.push_back(std::make_unique<ModalFakeWindow>());
        RCPtr<LRootWindow> window = LRootWindow::CreateInstance(mWindows.back().get(), spec.sharedRenderer);
        app.AddRootWindow(window);
        return window;
    }
    std::vector<RootWindowSpec> mSpecs;
    std::vector<std::unique_ptr<ModalFakeWindow>> mWindows;
    bool mRefuse = false;
};

// An application whose skin has the control "dialog" (labelled "Settings", at 30, 40,
// 200 x 100), beside its main window at (100, 50) on a work area of 400 x 300.
class OtherWindows : public ::testing::Test
{
public:
    OtherWindows()
    {
        RegisterFrameworkControlClasses(*mFactory);
        const std::string strings = mFolder / "strings.xml";
        std::ofstream(strings) << "<Korvan_StringTable_Definitions><Application Name=\"App\">"
                                  "<StringTable ID=\"App|dialog\"><String ID=\"LABEL\"><Locale LCID=\"9\">"
                                  "Settings</Locale></String></StringTable>"
                                  "</Application></Korvan_StringTable_Definitions>";
        const std::string framework = mFolder / "framework.xml";
        std::ofstream(framework) << "<Korvan_StringTable_Definitions/>";
        EXPECT_EQ(mFactory->LoadStringTables(String(strings.c_str()), String(framework.c_str()), 0x0409),
                  S_OK);
        const std::string skin =
            "<r><Application Name=\"App\"><Skins><Skin Name=\"s\">"
            "<SubControl Class=\"Framework.Panel\" Name=\"dialog\" XPositionAbs=\"30\" YPositionAbs=\"40\" "
            "XSizeAbs=\"200\" YSizeAbs=\"100\"/></Skin></Skins></Application></r>";
        EXPECT_EQ(mFactory->ParseXML({reinterpret_cast<const unsigned char*>(skin.data()), skin.size()}),
                  S_OK);
        mApp = std::make_unique<LFrameworkApp>(mFactory, nullptr, String());
        EXPECT_EQ(mApp->SetSkin(0), S_OK);
        mApp->SetDesktopServices(&mDesktop);
        mApp->SetWindowFactory(&mWindows);
        mDesktop.mWorkArea = {0, 0, 400, 300};
        mMainOS.mScreenOrigin = {100, 50};
        mMain = LRootWindow::CreateInstance(&mMainOS);
        mApp->AddRootWindow(mMain);
    }
    ~OtherWindows() override
    {
        for (uint32_t i = mApp->GetRootWindows().GetCount(); i-- > 0;)
        {
            const RCPtr<LRootWindow> window = *mApp->GetRootWindows().GetAtConst(i);
            window->SetRootControl(nullptr);
            mApp->RemoveRootWindow(window);
        }
    }
    RCPtr<LRootWindow> WindowAt(int32_t index)
    {
        return *mApp->GetRootWindows().GetAtConst(static_cast<uint32_t>(index));
    }

    TemporaryFolder mFolder;
    RCPtr<LControlFactory> mFactory = LControlFactory::Create(String(u"App"));
    std::unique_ptr<LFrameworkApp> mApp;
    FakeDesktop mDesktop;
    RecordingWindowFactory mWindows;
    FakeWindowOSServices mMainOS;
    RCPtr<LRootWindow> mMain;
};

} // namespace

TEST_F(OtherWindows, AControlOfTheSkinGetsAWindowOfItsOwnShownAtOnce)
{
    EXPECT_EQ(mApp->CreateRootWindow(nullptr, true, {}, nullptr, String(u"dialog")), 1);
    ASSERT_EQ(mWindows.mSpecs.size(), 1u);
    const RootWindowSpec& spec = mWindows.mSpecs[0];
    EXPECT_EQ(spec.title, String(u"Settings"));
    EXPECT_EQ(spec.clientRect, (RectT<int32_t>{30, 40, 200, 100}));
    EXPECT_FALSE(spec.sharedRenderer);
    EXPECT_FALSE(spec.owner);
    const RCPtr<LRootWindow> window = WindowAt(1);
    ASSERT_TRUE(window->GetRootControl());
    EXPECT_EQ(window->GetRootControl()->GetName(), String(u"dialog"));
    EXPECT_EQ(window->GetRootControl()->GetRootWindow(), window);
    EXPECT_TRUE(mWindows.mWindows[0]->mShown);
}

TEST_F(OtherWindows, ADescribedWindowOpensBesideItsOwnerInsideTheWorkArea)
{
    const RCPtr<LControlDescriptor> descriptor = mFactory->FindControlDescriptor(String(u"dialog"));
    // At (30, 40) from the main window's (250, 50), 200 wide: moved left to end at 400.
    mMainOS.mScreenOrigin = {250, 50};
    EXPECT_EQ(mApp->OpenRootWindow(descriptor, {}), 1);
    EXPECT_EQ(mWindows.mSpecs[0].clientRect, (RectT<int32_t>{200, 90, 200, 100}));
    EXPECT_FALSE(mWindows.mSpecs[0].owner);
    EXPECT_TRUE(mWindows.mWindows[0]->mShown);

    mMainOS.mScreenOrigin = {-100, -100};
    EXPECT_EQ(mApp->RunModalRootWindow(descriptor, true), 7);
    EXPECT_EQ(mWindows.mSpecs[1].clientRect, (RectT<int32_t>{0, 0, 200, 100}));
    EXPECT_EQ(mWindows.mSpecs[1].owner, mMain);
    EXPECT_TRUE(mWindows.mSpecs[1].closeBox);
    EXPECT_EQ(WindowAt(2)->GetRootControl()->GetName(), String(u"dialog"));
}

TEST_F(OtherWindows, WithoutAWindowOrAControlNothingOpens)
{
    const RCPtr<LControlDescriptor> descriptor = mFactory->FindControlDescriptor(String(u"dialog"));
    mWindows.mRefuse = true;
    EXPECT_EQ(mApp->OpenRootWindow(descriptor, {}), E_FAIL);
    EXPECT_EQ(mApp->RunModalRootWindow(descriptor, false), E_FAIL);
    mApp->SetWindowFactory(nullptr);
    EXPECT_EQ(mApp->CreateRootWindow(nullptr, true, {}, nullptr, String(u"dialog")), E_FAIL);
    EXPECT_THROW(mApp->CreateRootWindow(nullptr, true, {}, nullptr, String(u"missing")), std::runtime_error);
    EXPECT_THROW(mApp->RunModalRootWindow(nullptr, false), std::runtime_error);
    EXPECT_EQ(mApp->GetRootWindows().GetCount(), 1u);
}
