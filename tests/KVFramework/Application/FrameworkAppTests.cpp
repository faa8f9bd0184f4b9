#include "Application/FrameworkApp.h"
#include "NotificationTestSupport.h"

#include <gtest/gtest.h>

using namespace notiftest;

namespace {

// An application-object subclass, the way the updater's application derives from it.
class TestApp : public LFrameworkApp
{
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
