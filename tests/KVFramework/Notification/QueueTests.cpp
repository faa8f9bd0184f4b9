#include "Notification/NotificationQueue.h"
#include "NotificationTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace notiftest;

namespace {

// A queue dispatched by a distributor of its own, as a root window is.
struct QueueScene
{
    std::vector<std::string> log;
    RCPtr<Distributor> dispatcher{new Distributor()};
    RCPtr<LNotificationQueue> queue{new LNotificationQueue()};
    RCPtr<Recorder> client{new Recorder(&log, "client")};

    QueueScene()
    {
        queue->SetDispatcher(dispatcher);
        for (auto id : {u"NID_X", u"NID_Y", u"NID_Z", u"NID_IDLE"})
            client->RegisterNotification(dispatcher, id);
    }
    ~QueueScene() { client->UnregisterAllNotifications(); }

    std::string Name(NotificationId id) const
    {
        const std::u16string text(id);
        return std::string(text.begin(), text.end());
    }
};

} // namespace

TEST(NotificationQueue, PostsAreDispatchedInOrderWithThePostedFlagSetMeanwhile)
{
    QueueScene s;
    std::vector<bool> postedWhileServed;
    s.client->mAction = [&] { postedWhileServed.push_back(true); };
    std::vector<RCPtr<LNotification>> posted;
    for (int i = 0; i < 300; ++i)
    {
        posted.push_back(LNotification::Create(i % 3 == 0 ? u"NID_X" : i % 3 == 1 ? u"NID_Y" : u"NID_Z"));
        ASSERT_EQ(s.queue->PostNotification(posted.back()), S_OK);
    }
    EXPECT_EQ(s.queue->PostNotification(posted[0]), E_INVALIDARG); // already queued
    EXPECT_EQ(s.queue->PostNotification(nullptr), E_INVALIDARG);

    std::vector<std::string> order;
    s.client->mAction = [&] {
        order.push_back(s.Name(s.client->mLastId));
        EXPECT_TRUE(posted[order.size() - 1]->IsPosted());
    };
    EXPECT_FALSE(s.queue->ProcessNotifications(false));
    ASSERT_EQ(order.size(), 300u);
    for (size_t i = 0; i < 300; ++i)
        EXPECT_EQ(order[i], i % 3 == 0 ? "NID_X" : i % 3 == 1 ? "NID_Y" : "NID_Z") << i;
    for (auto& n : posted)
        EXPECT_FALSE(n->IsPosted());
}

TEST(NotificationQueue, PostDuringDrainWaitsForTheNextDrain)
{
    QueueScene s;
    s.client->mAction = [&] {
        if (s.client->mLastId == InternNotificationId(u"NID_X"))
            s.queue->PostNotification(LNotification::Create(u"NID_Y"));
    };
    s.queue->PostNotification(LNotification::Create(u"NID_X"));
    EXPECT_TRUE(s.queue->ProcessNotifications(false));
    EXPECT_EQ(s.client->mReceived, 1);
    EXPECT_FALSE(s.queue->ProcessNotifications(false));
    EXPECT_EQ(s.client->mReceived, 2);
}

TEST(NotificationQueue, IdleTickAndNestedDrain)
{
    QueueScene s;
    // An empty queue still sends the tick.
    EXPECT_FALSE(s.queue->ProcessNotifications(true));
    EXPECT_EQ(s.client->mLastId, InternNotificationId(u"NID_IDLE"));

    // A drain from inside a dispatch dispatches nothing but still ticks when asked.
    std::vector<std::string> seen;
    bool nestedResult = false;
    s.client->mAction = [&] {
        seen.push_back(s.Name(s.client->mLastId));
        if (seen.size() == 1)
            nestedResult = s.queue->ProcessNotifications(true);
    };
    s.queue->PostNotification(LNotification::Create(u"NID_X"));
    s.queue->PostNotification(LNotification::Create(u"NID_Y"));
    EXPECT_FALSE(s.queue->ProcessNotifications(false));
    EXPECT_EQ(seen, (std::vector<std::string>{"NID_X", "NID_IDLE", "NID_Y"}));
    EXPECT_TRUE(nestedResult); // NID_Y was still queued
}

TEST(NotificationQueue, KeepLatestClientGetsOnlyTheLastOfSeveralPosts)
{
    QueueScene s;
    std::vector<std::string> latestLog;
    RCPtr<Recorder> latest(new Recorder(&latestLog, "latest"));
    latest->RegisterNotification(s.dispatcher, u"NID_X", kNotificationFlagKeepLatest);
    std::vector<RCPtr<LNotification>> posts;
    for (int i = 0; i < 3; ++i)
    {
        posts.push_back(LNotification::Create(u"NID_X"));
        s.queue->PostNotification(posts.back());
    }
    s.queue->ProcessNotifications(false);
    EXPECT_EQ(s.client->mReceived, 3);
    EXPECT_EQ(latest->mReceived, 1);
    EXPECT_EQ(latest->mLast, posts[2]);
    latest->UnregisterAllNotifications();
}

TEST(NotificationQueue, ShutdownDuringDrainAndAfterwards)
{
    QueueScene s;
    s.client->mAction = [&] { s.queue->Shutdown(); };
    for (int i = 0; i < 5; ++i)
        s.queue->PostNotification(LNotification::Create(u"NID_X"));
    EXPECT_FALSE(s.queue->ProcessNotifications(true)); // ends cleanly
    EXPECT_EQ(s.client->mReceived, 1);

    auto late = LNotification::Create(u"NID_X");
    EXPECT_EQ(s.queue->PostNotification(late), E_FAIL);
    EXPECT_FALSE(late->IsPosted());
    EXPECT_FALSE(s.queue->GetPostingReceiver());
    EXPECT_EQ(s.queue->SetDispatcher(s.dispatcher), E_FAIL);
    EXPECT_EQ(s.queue->GetInternalRefCount(), 0);
}

TEST(NotificationQueue, PostingReceiverCopiesIntoItsQueue)
{
    QueueScene s;
    auto receiver = s.queue->GetPostingReceiver();
    auto original = LNotification::Create(u"NID_Y", RCPtr<LRefCountedObject>(new Distributor()));
    receiver->Receive(nullptr, original);
    EXPECT_FALSE(original->IsPosted()); // a copy was posted
    RCPtr<LRefCountedObject> data;
    s.client->mAction = [&] { data = original->GetData(); };
    s.queue->ProcessNotifications(false);
    EXPECT_EQ(s.client->mReceived, 1);
    EXPECT_EQ(data, original->GetData());

    s.queue->Shutdown();
    receiver->Receive(nullptr, original); // unbound: ignored
    EXPECT_EQ(s.queue->GetQueuedCount(), 0u);
}

TEST(NotificationQueue, AQueueNobodyHoldsShutsItselfDown)
{
    RCPtr<Distributor> dispatcher(new Distributor());
    RCPtr<LNotificationQueue> queue(new LNotificationQueue());
    queue->SetDispatcher(dispatcher);
    auto receiver = queue->GetPostingReceiver();
    queue.Reset(); // the receiver's reference does not keep it alive
    receiver->Receive(nullptr, LNotification::Create(u"NID_X")); // and then posts nowhere
    EXPECT_EQ(dispatcher->GetRefCount(), 1);
}

TEST(NotificationQueue, PostsFromManyThreadsAreAllDispatchedOnce)
{
    QueueScene s;
    constexpr int kThreads = 4, kPerThread = 2000;
    std::atomic<bool> go{false};
    std::vector<std::thread> posters;
    for (int t = 0; t < kThreads; ++t)
        posters.emplace_back([&] {
            while (!go.load())
                std::this_thread::yield();
            for (int i = 0; i < kPerThread; ++i)
                ASSERT_EQ(s.queue->PostNotification(LNotification::Create(u"NID_X")), S_OK);
        });
    go = true;
    int drained = 0;
    while (drained < kThreads * kPerThread)
    {
        s.queue->ProcessNotifications(false);
        drained = s.client->mReceived;
        std::this_thread::yield();
    }
    for (auto& t : posters)
        t.join();
    s.queue->ProcessNotifications(false);
    EXPECT_EQ(s.client->mReceived, kThreads * kPerThread);
}
