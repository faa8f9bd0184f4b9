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
