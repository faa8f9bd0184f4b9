#include "Notification/NotificationCenter.h"
#include "NotificationTestSupport.h"

#include <gtest/gtest.h>

using namespace notiftest;

TEST(NotificationCenter, CentersByExactName)
{
    auto manager = LNotificationCenterManager::GetInstance();
    auto application = manager->GetCenter(String(u"application"));
    ASSERT_TRUE(application);
    EXPECT_EQ(manager->GetCenter(String(u"application")), application);
    EXPECT_EQ(LNotificationCenterManager::GetDefaultCenter(), application);
    EXPECT_FALSE(manager->GetCenter(String()));
    EXPECT_FALSE(manager->FindCenter(String(u"Application")));
    EXPECT_EQ(manager->FindCenter(String(u"application")), application);
    EXPECT_EQ(GetNotificationIdText(InternNotificationId(u"NID_APP_EXIT_REQ")), String(u"NID_APP_EXIT_REQ"));
    std::u16string notInterned = u"NID_APP_EXIT_REQ";
    EXPECT_TRUE(GetNotificationIdText(notInterned.c_str()).IsEmpty());
}

TEST(NotificationCenter, DrainsVisitTheCenterMadeLastFirst)
{
    auto manager = LNotificationCenterManager::GetInstance();
    std::vector<std::string> log;
    RCPtr<Recorder> early(new Recorder(&log, "early")), late(new Recorder(&log, "late"));
    auto first = manager->GetCenter(String(u"test.first"));
    auto second = manager->GetCenter(String(u"test.second"));
    early->RegisterNotification(first, u"NID_X");
    late->RegisterNotification(second, u"NID_X");
    first->PostNotification(LNotification::Create(u"NID_X"));
    second->PostNotification(LNotification::Create(u"NID_X"));
    EXPECT_FALSE(manager->ProcessAllQueues(false));
    EXPECT_EQ(log, (std::vector<std::string>{"late", "early"}));
    early->UnregisterAllNotifications();
    late->UnregisterAllNotifications();
}

TEST(NotificationCenter, ACenterNobodyHoldsDetachesItsClientsAndEnds)
{
    bool clientDestroyed = false;
    RCPtr<Recorder> client(new Recorder(nullptr, "c", &clientDestroyed));
    RCPtr<LNotificationCenter> center = LNotificationCenter::Create(String(u"private"));
    client->RegisterNotification(center, u"NID_X");
    center->PostNotification(LNotification::Create(u"NID_X"));
    EXPECT_EQ(client->GetRegistrationCount(), 1);

    center.Reset();
    EXPECT_EQ(client->GetRegistrationCount(), 0);
    EXPECT_EQ(client->GetInternalRefCount(), 0);
    EXPECT_EQ(client->GetRefCount(), 1);
    client.Reset();
    EXPECT_TRUE(clientDestroyed);
}

namespace {

// A queue that is its own dispatcher, as root windows are.
class SelfDispatchingQueue : public LNotificationDistributor, public LNotificationQueue
{
public:
    static RCPtr<SelfDispatchingQueue> Create()
    {
        RCPtr<SelfDispatchingQueue> queue(new SelfDispatchingQueue());
        queue->SetDispatcher(queue);
        queue->AdjustInternalRefCount(1);
        return queue;
    }
    KVRESULT ReleaseInternalReferences() override
    {
        DetachAllClients();
        Shutdown();
        AdjustInternalRefCount(-1);
        return LRefCountedObject::ReleaseInternalReferences();
    }
    ~SelfDispatchingQueue() override { *mDestroyed = true; }
    bool* mDestroyed = nullptr;
};

} // namespace

TEST(NotificationQueue, SelfDispatchingQueueLivesUntilItsLastOutsideReference)
{
    bool destroyed = false;
    std::vector<std::string> log;
    RCPtr<Recorder> client(new Recorder(&log, "c"));
    auto queue = SelfDispatchingQueue::Create();
    queue->mDestroyed = &destroyed;
    client->RegisterNotification(queue, u"NID_X");
    queue->PostNotification(LNotification::Create(u"NID_X"));
    queue->ProcessNotifications(false);
    EXPECT_EQ(log, std::vector<std::string>{"c"});
    queue.Reset();
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(client->GetRegistrationCount(), 0);
}
