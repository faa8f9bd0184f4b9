#include "NotificationTestSupport.h"

#include <gtest/gtest.h>

using namespace notiftest;

namespace {

struct Scene
{
    std::vector<std::string> log;
    RCPtr<Distributor> sender{new Distributor()};
    RCPtr<Recorder> a{new Recorder(&log, "A")}, b{new Recorder(&log, "B")}, c{new Recorder(&log, "C")};

    void RegisterABC()
    {
        for (auto* client : {&a, &b, &c})
            ASSERT_NE((*client)->RegisterNotification(sender, u"NID_TEST"), nullptr);
    }
    KVRESULT Send(const char16_t* id = u"NID_TEST")
    {
        return sender->SendNotification(LNotification::Create(id));
    }
};

struct Fixture : testing::Test, Scene
{
};

} // namespace

TEST_F(Fixture, LastRegisteredIsServedFirst)
{
    RegisterABC();
    EXPECT_EQ(Send(), S_OK);
    EXPECT_EQ(log, (std::vector<std::string>{"C", "B", "A"}));
    EXPECT_EQ(Send(u"NID_OTHER"), S_FALSE);
    EXPECT_EQ(sender->SendNotification(nullptr), E_INVALIDARG);
}

// What a client does to the registrations while it is being served, and who is served.
TEST_F(Fixture, ReentrancyDuringDelivery)
{
    struct Row
    {
        const char* what;
        std::function<void(Scene&)> arrange;
        std::vector<std::string> expected;
    };
    RCPtr<Recorder> d(new Recorder(&log, "D"));
    const Row rows[] = {
        {"B unregisters itself",
         [](Scene& f) { f.b->mAction = [&f] { f.b->UnregisterNotification(f.sender, u"NID_TEST"); }; },
         {"C", "B", "A"}},
        {"C unregisters A",
         [](Scene& f) { f.c->mAction = [&f] { f.a->UnregisterNotification(f.sender, u"NID_TEST"); }; },
         {"C", "B"}},
        {"C unregisters B and A",
         [](Scene& f) {
             f.c->mAction = [&f] {
                 f.b->UnregisterNotification(f.sender, u"NID_TEST");
                 f.a->UnregisterNotification(f.sender, u"NID_TEST");
             };
         },
         {"C"}},
        {"B registers D",
         [&d](Scene& f) { f.b->mAction = [&f, &d] { d->RegisterNotification(f.sender, u"NID_TEST"); }; },
         {"C", "B", "A"}},
        {"C sends the same identifier once more",
         [](Scene& f) {
             f.c->mAction = [&f] {
                 f.c->mAction = nullptr;
                 f.Send();
             };
         },
         {"C", "C", "B", "A", "B", "A"}},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.what);
        Scene f;
        f.RegisterABC();
        row.arrange(f);
        f.Send();
        EXPECT_EQ(f.log, row.expected);
        d->UnregisterAllNotifications();
    }
}

TEST_F(Fixture, ReRegistrationReplacesFlags)
{
    EXPECT_EQ(sender->RegisterClient(a, u"NID_TEST", 0), S_OK);
    EXPECT_EQ(sender->RegisterClient(a, u"NID_TEST", 6), S_FALSE);
    uint32_t flags = 0;
    EXPECT_EQ(sender->GetClientFlags(a.Get(), u"NID_TEST", flags), S_OK);
    EXPECT_EQ(flags, 6u);
    EXPECT_EQ(sender->FindClientPool(InternNotificationId(u"NID_TEST"))->GetCount(), 1);
    EXPECT_EQ(sender->RegisterClient(nullptr, u"NID_TEST", 0), E_INVALIDARG);
    EXPECT_EQ(sender->RegisterClient(a, u"", 0), S_FALSE);
    EXPECT_EQ(sender->UnregisterClient(a, u"NID_TEST"), S_OK);
    EXPECT_EQ(sender->GetInternalRefCount(), 0);
}

TEST_F(Fixture, KeepLatestRegistrationIsServedOnlyItsLatest)
{
    ASSERT_NE(a->RegisterNotification(sender, u"NID_TEST", kNotificationFlagKeepLatest), nullptr);
    b->RegisterNotification(sender, u"NID_TEST");
    auto pool = sender->FindClientPool(InternNotificationId(u"NID_TEST"));
    auto first = LNotification::Create(u"NID_TEST");
    auto second = LNotification::Create(u"NID_TEST");
    pool->RecordLatest(first);
    pool->RecordLatest(second);
    sender->SendNotification(first);
    sender->SendNotification(second);
    sender->SendNotification(second); // served once: the latest is emptied by its delivery
    EXPECT_EQ(log, (std::vector<std::string>{"B", "B", "A", "B"}));
}

TEST_F(Fixture, InternalCountsAreRestoredAfterUnregistering)
{
    const int32_t senderInternal = sender->GetInternalRefCount();
    const int32_t senderCount = sender->GetRefCount();
    a->RegisterNotification(sender, u"NID_X");
    a->RegisterNotification(sender, u"NID_Y");
    EXPECT_TRUE(IsRegisteredDistributor(sender.Get()));
    EXPECT_EQ(a->GetInternalRefCount(), 2);
    EXPECT_EQ(a->UnregisterNotification(sender, u"NID_X"), S_OK);
    EXPECT_EQ(a->UnregisterNotification(sender, u"NID_X"), S_FALSE);
    EXPECT_EQ(a->UnregisterNotification(sender, u"NID_Y"), S_OK);
    EXPECT_FALSE(IsRegisteredDistributor(sender.Get()));
    EXPECT_EQ(sender->GetInternalRefCount(), senderInternal);
    EXPECT_EQ(sender->GetRefCount(), senderCount);
    EXPECT_EQ(a->GetInternalRefCount(), 0);
    EXPECT_EQ(a->GetRefCount(), 1);
    EXPECT_EQ(a->UnregisterNotification(sender, u"NID_Y"), S_FALSE);
}

TEST_F(Fixture, UnregisterAllAcrossDistributors)
{
    RCPtr<Distributor> other(new Distributor());
    a->RegisterNotification(sender, u"NID_X");
    a->RegisterNotification(sender, u"NID_Y");
    a->RegisterNotification(other, u"NID_X");
    EXPECT_EQ(a->UnregisterAllNotifications(), 3);
    EXPECT_EQ(a->GetRegistrationCount(), 0);
    EXPECT_FALSE(sender->IsClientRegistered(a.Get()));
    EXPECT_FALSE(other->IsClientRegistered(a.Get()));
    EXPECT_EQ(a->GetInternalRefCount(), 0);
    EXPECT_EQ(Send(u"NID_X"), S_FALSE); // the pool stays, empty
}

TEST_F(Fixture, ClientHeldOnlyByRegistrationsDiesWithItsLastOutsideReference)
{
    bool destroyed = false;
    RCPtr<Recorder> lonely(new Recorder(&log, "L", &destroyed));
    lonely->RegisterNotification(sender, u"NID_X");
    lonely->RegisterNotification(sender, u"NID_Y");
    lonely.Reset();
    EXPECT_TRUE(destroyed);
    EXPECT_FALSE(IsRegisteredDistributor(sender.Get()));
    EXPECT_EQ(sender->GetInternalRefCount(), 0);
    EXPECT_EQ(sender->GetRefCount(), 1);
}

TEST_F(Fixture, DetachAllClientsUnregistersEveryone)
{
    RegisterABC();
    a->RegisterNotification(sender, u"NID_OTHER");
    EXPECT_EQ(sender->DetachAllClients(), S_OK);
    EXPECT_EQ(sender->GetRegistrationCount(), 0);
    EXPECT_EQ(a->GetInternalRefCount(), 0);
    EXPECT_EQ(sender->GetInternalRefCount(), 0);
}

TEST_F(Fixture, DeliverToClientAtChecksItsIndex)
{
    RegisterABC();
    auto pool = sender->FindClientPool(InternNotificationId(u"NID_TEST"));
    auto n = LNotification::Create(u"NID_TEST");
    EXPECT_EQ(pool->DeliverToClientAt(sender, 1, n), 1);
    EXPECT_EQ(log, std::vector<std::string>{"B"});
    // A client that removes one below it moves the index to continue from.
    b->mAction = [this] { a->UnregisterNotification(sender, u"NID_TEST"); };
    EXPECT_EQ(pool->DeliverToClientAt(sender, 1, n), 0);
    EXPECT_EQ(pool->DeliverToClientAt(sender, 5, n), -1);
    EXPECT_EQ(pool->DeliverToClientAt(sender, -1, n), -1);
}
