#include "Application/BusyCursorScope.h"
#include "Application/CursorNames.h"
#include "Application/FrameworkApp.h"
#include "FakeWindowOSServices.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace KV;

namespace {

constexpr CursorHandle kArrow = 11;
constexpr CursorHandle kWait = 12;

class CursorApp : public LFrameworkApp
{
public:
    CursorHandle LoadCursorByName(const String& name) override
    {
        return name.Equals(CursorNames().wait) ? kWait : kArrow;
    }
};

class RecordingStatusBar : public IStatusTextTarget
{
public:
    KVRESULT SetStatusText(const String& text, bool atOnce) override
    {
        log.push_back(std::string("show ") + text.ToNarrow().GetText() + (atOnce ? " at once" : ""));
        return S_OK;
    }
    KVRESULT RestoreStatusText(bool atOnce) override
    {
        log.push_back(std::string("rest") + (atOnce ? " at once" : ""));
        return S_OK;
    }
    std::vector<std::string> log;
};

class BusyCursorScopeTest : public ::testing::Test
{
protected:
    void SetUp() override { LFrameworkApp::SetCurrentStatusBar(&mStatusBar); }
    void TearDown() override { LFrameworkApp::ClearCurrentStatusBar(&mStatusBar); }

    RCPtr<CursorApp> mApp{new CursorApp()};
    RecordingStatusBar mStatusBar;
};

} // namespace

TEST_F(BusyCursorScopeTest, WaitCursorAndStatusTextOnTheActiveWindowForTheScopesLife)
{
    FakeWindowOSServices mainWindow, dialogWindow;
    mainWindow.mCursor = kArrow;
    dialogWindow.mCursor = 99;
    mainWindow.mActive = false;
    const RCPtr<LRootWindow> main = LRootWindow::CreateInstance(&mainWindow);
    const RCPtr<LRootWindow> dialog = LRootWindow::CreateInstance(&dialogWindow);
    mApp->AddRootWindow(main);
    mApp->AddRootWindow(dialog);
    // What is pending is dispatched before the long step.
    std::vector<std::string> dispatched;
    struct Listener : LNotificationClient
    {
        explicit Listener(std::vector<std::string>* log) : log(log) {}
        KVRESULT Receive(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&) override
        {
            log->push_back("pending work");
            return S_OK;
        }
        std::vector<std::string>* log;
    };
    RCPtr<Listener> listener(new Listener(&dispatched));
    listener->RegisterNotification(mApp->GetDefaultCenter(), u"NID_PENDING_WORK");
    mApp->GetDefaultCenter()->PostNotification(LNotification::Create(u"NID_PENDING_WORK"));
    {
        LBusyCursorScope busy(String(u"Switching..."));
        EXPECT_EQ(kWait, dialogWindow.mCursor);
        EXPECT_EQ(kArrow, mainWindow.mCursor);
        EXPECT_EQ(std::vector<std::string>{"show Switching... at once"}, mStatusBar.log);
        EXPECT_EQ(std::vector<std::string>{"pending work"}, dispatched);
    }
    EXPECT_EQ(99u, dialogWindow.mCursor);
    EXPECT_EQ((std::vector<std::string>{"show Switching... at once", "rest at once"}), mStatusBar.log);

    // No window active: the first one shows it.
    dialogWindow.mActive = false;
    {
        LBusyCursorScope busy(String(u"Waiting"));
        EXPECT_EQ(kWait, mainWindow.mCursor);
    }
    EXPECT_EQ(kArrow, mainWindow.mCursor);
    listener->UnregisterAllNotifications();
    mApp->RemoveRootWindow(dialog);
    mApp->RemoveRootWindow(main);
}

TEST_F(BusyCursorScopeTest, WithoutARootWindowNothingChanges)
{
    {
        LBusyCursorScope busy(String(u"Nobody sees this"));
    }
    EXPECT_TRUE(mStatusBar.log.empty());
}
