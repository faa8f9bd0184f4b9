#include "Notification/NotificationHandler.h"
#include "NotificationTestSupport.h"

#include <gtest/gtest.h>

using namespace notiftest;

namespace {

// A listener that keeps a handler table, the way controls and the engine do.
class Listener : public LNotificationClient
{
public:
    Listener() : mTable(LNotificationHandler<Listener>::Create(this)) {}

    KVRESULT Receive(const RCPtr<LNotificationDistributor>& sender, const RCPtr<LNotification>& n) override
    {
        return mTable->Dispatch(sender, n);
    }
    KVRESULT Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id) override
    {
        mTable->RemoveHandler(distributor.Get(), id);
        return UnregisterNotification(distributor, id);
    }

    KVRESULT OnFirst(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
    {
        mCalls.push_back("first");
        return 11;
    }
    KVRESULT OnSecond(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
    {
        mCalls.push_back("second");
        return 22;
    }

    RCPtr<LNotificationHandler<Listener>> mTable;
    std::vector<std::string> mCalls;
};

} // namespace

TEST(HandlerTable, DispatchBySenderAndIdentifier)
{
    RCPtr<Listener> listener(new Listener());
    RCPtr<Distributor> left(new Distributor()), right(new Distributor());
    auto& table = listener->mTable;
    ASSERT_EQ(table->AddHandlerFor(&Listener::OnFirst, left, u"NID_LEFT_CLICK"), S_OK);
    ASSERT_EQ(table->AddHandlerFor(&Listener::OnSecond, right, u"NID_LEFT_CLICK"), S_OK);
    ASSERT_EQ(table->AddHandler(&Listener::OnSecond, u"NID_SIMULATE_CLICK"), S_OK);

    left->SendNotification(LNotification::Create(u"NID_LEFT_CLICK"));
    right->SendNotification(LNotification::Create(u"NID_LEFT_CLICK"));
    EXPECT_EQ(listener->mCalls, (std::vector<std::string>{"first", "second"}));

    // Sender-less entries serve only notifications handed straight to the owner.
    EXPECT_EQ(listener->Receive(nullptr, LNotification::Create(u"NID_SIMULATE_CLICK")), 22);
    EXPECT_EQ(listener->Receive(nullptr, LNotification::Create(u"NID_LEFT_CLICK")), S_OK);
    EXPECT_EQ(table->Dispatch(left, LNotification::Create(u"NID_NOBODY")), S_OK);
    EXPECT_EQ(listener->mCalls.size(), 3u);

    listener->UnregisterAllNotifications();
}

TEST(HandlerTable, DuplicateKeepsFirstHandlerAndFailuresRegisterNothing)
{
    RCPtr<Listener> listener(new Listener());
    RCPtr<Distributor> sender(new Distributor());
    auto& table = listener->mTable;
    EXPECT_EQ(table->AddHandlerFor(&Listener::OnFirst, sender, u"NID_X"), S_OK);
    EXPECT_EQ(table->AddHandlerFor(&Listener::OnSecond, sender, u"NID_X", 4), S_OK);
    EXPECT_EQ(table->Dispatch(sender, LNotification::Create(u"NID_X")), 11);
    uint32_t flags = 0;
    EXPECT_EQ(sender->GetClientFlags(listener.Get(), u"NID_X", flags), S_OK);
    EXPECT_EQ(flags, 4u); // the registration's flags were replaced nevertheless

    EXPECT_EQ(table->AddHandlerFor(&Listener::OnFirst, sender, u""), E_FAIL);
    EXPECT_EQ(table->AddHandlerFor(&Listener::OnFirst, nullptr, u"NID_Y"), E_INVALIDARG);
    EXPECT_EQ(table->AddHandler(&Listener::OnFirst, nullptr), E_FAIL);
    EXPECT_EQ(listener->GetRegistrationCount(), 1);

    // A sender going away detaches the listener, which drops its entry.
    sender->DetachAllClients();
    EXPECT_FALSE(table->HasHandler(sender.Get(), u"NID_X"));
    EXPECT_EQ(listener->GetRegistrationCount(), 0);
}

TEST(HandlerTable, DisablerSuppressesAndRestores)
{
    RCPtr<Listener> listener(new Listener());
    RCPtr<Distributor> sender(new Distributor());
    RCPtr<Recorder> other(new Recorder(nullptr, "other"));
    listener->mTable->AddHandlerFor(&Listener::OnFirst, sender, u"NID_VALUE_CHANGE", 2);
    other->RegisterNotification(sender, u"NID_VALUE_CHANGE");
    {
        CAutoNotificationDisabler<Listener> quiet(listener->mTable, sender, u"NID_VALUE_CHANGE");
        sender->SendNotification(LNotification::Create(u"NID_VALUE_CHANGE"));
        EXPECT_TRUE(listener->mCalls.empty());
        EXPECT_EQ(other->mReceived, 1);
    }
    sender->SendNotification(LNotification::Create(u"NID_VALUE_CHANGE"));
    EXPECT_EQ(listener->mCalls, std::vector<std::string>{"first"});
    uint32_t flags = 0;
    EXPECT_EQ(sender->GetClientFlags(listener.Get(), u"NID_VALUE_CHANGE", flags), S_OK);
    EXPECT_EQ(flags, 2u);

    // No entry to take out: the guard throws at construction, naming its class.
    try
    {
        CAutoNotificationDisabler<Listener> none(listener->mTable, sender, u"NID_NOT_THERE");
        FAIL();
    }
    catch (const FailedResultException& e)
    {
        const std::string text = e.what();
        EXPECT_TRUE(text.starts_with("Failed Result : KVRESULT = 80004005 : KV::CAutoNotificationDisabler<"))
            << text;
        EXPECT_NE(text.find("Listener>::CAutoNotificationDisabler : "), std::string::npos) << text;
    }
    listener->UnregisterAllNotifications();
    other->UnregisterAllNotifications();
}
