#include "Application/FrameworkApp.h"
#include "NotificationTestSupport.h"

#include <gtest/gtest.h>

using namespace notiftest;

namespace {

// An application-object subclass, the way the updater's application derives from it.
class TestApp : public LFrameworkApp
{
public:
    explicit TestApp(const RCPtr<LStringTable>& strings = nullptr) : LFrameworkApp(strings) {}
};

} // namespace

TEST(FrameworkApp, OwnsRecyclingAndDrainsTheDefaultCenter)
{
    std::vector<std::string> log;
    RCPtr<Recorder> client(new Recorder(&log, "exit"));
    {
        RCPtr<TestApp> app(new TestApp());
        EXPECT_EQ(LFrameworkApp::GetInstance(), app.Get());
        EXPECT_FALSE(LNotification::IsRecyclingEnabled());
        EXPECT_EQ(app->RunApplicationStartup(), S_OK);
        EXPECT_TRUE(LNotification::IsRecyclingEnabled());

        client->RegisterNotification(app->GetDefaultCenter(), u"NID_APP_EXIT_REQ");
        app->GetDefaultCenter()->PostNotification(LNotification::Create(u"NID_APP_EXIT_REQ"));
        EXPECT_FALSE(app->ProcessNotificationQueues(true));
        EXPECT_EQ(log, std::vector<std::string>{"exit"});
    }
    // The application's end released the centers, which detached their clients.
    EXPECT_EQ(LFrameworkApp::GetInstance(), nullptr);
    EXPECT_FALSE(LNotification::IsRecyclingEnabled());
    EXPECT_EQ(LNotification::GetSpareCount(), 0u);
    EXPECT_EQ(client->GetRegistrationCount(), 0);
}

TEST(FrameworkApp, GlobalHotKeysArePostedIntoTheDefaultCenter)
{
    std::vector<std::string> log;
    RCPtr<Recorder> client(new Recorder(&log, "command"));
    RCPtr<LStringTable> strings = LStringTable::Create();
    strings->SetString(String(u"GHK.NID_MY_COMMAND"), String(u"CTRL+VKEY_F5"));

    RCPtr<TestApp> app(new TestApp(strings));
    const KeyCode ctrlF5 = KeyCode::FromVirtualKey(0x74, true, 0, kModifierCtrl);
    EXPECT_EQ(app->GetHotKeyManager()->HandleKey(ctrlF5), S_FALSE); // not loaded before start-up
    EXPECT_EQ(app->RunApplicationStartup(), S_OK);

    client->RegisterNotification(app->GetDefaultCenter(), u"NID_MY_COMMAND");
    EXPECT_EQ(app->GetHotKeyManager()->HandleKey(ctrlF5), S_OK);
    EXPECT_TRUE(log.empty()); // queued, not delivered inside the key handling
    app->ProcessNotificationQueues(false);
    EXPECT_EQ(log, std::vector<std::string>{"command"});
}

TEST(FrameworkApp, RootWindowsAreDrainedLastToFirst)
{
    std::vector<std::string> log;
    RCPtr<TestApp> app(new TestApp());
    RCPtr<LRootWindow> first = LRootWindow::CreateInstance(nullptr);
    RCPtr<LRootWindow> second = LRootWindow::CreateInstance(nullptr);
    EXPECT_EQ(app->AddRootWindow(first), 0);
    EXPECT_EQ(app->AddRootWindow(second), 1);
    EXPECT_EQ(app->AddRootWindow(first), 0); // already listed
    EXPECT_EQ(app->GetRootWindows().GetCount(), 2u);
    EXPECT_FALSE(app->GetActiveRootWindow()); // neither lives in an active window

    RCPtr<Recorder> inFirst(new Recorder(&log, "first"));
    RCPtr<Recorder> inSecond(new Recorder(&log, "second"));
    inFirst->RegisterNotification(first, u"NID_IDLE");
    inSecond->RegisterNotification(second, u"NID_IDLE");
    EXPECT_FALSE(app->ProcessNotificationQueues(true));
    EXPECT_EQ(log, (std::vector<std::string>{"second", "first"}));

    EXPECT_LT(app->RemoveRootWindow(LRootWindow::CreateInstance(nullptr)), 0);
    EXPECT_GE(app->RemoveRootWindow(second), 0);
    EXPECT_EQ(app->GetRootWindowIndex(second.Get()), -1);
    log.clear();
    app->ProcessNotificationQueues(true);
    EXPECT_EQ(log, std::vector<std::string>{"first"});
}
