#include "Notification/Notification.h"

#include <gtest/gtest.h>

#include <string>

using namespace KV;

TEST(NotificationId, InterningByAddressAndText)
{
    const NotificationId idle = InternNotificationId(u"NID_IDLE");
    ASSERT_NE(idle, nullptr);
    EXPECT_EQ(InternNotificationId(u"NID_IDLE"), idle);
    EXPECT_EQ(InternNotificationId(idle), idle);

    std::u16string otherBuffer = u"NID_IDLE";
    EXPECT_EQ(InternNotificationId(otherBuffer.c_str()), idle);
    EXPECT_NE(InternNotificationId(u"nid_idle"), idle);

    EXPECT_EQ(InternNotificationId(u""), nullptr);
    EXPECT_EQ(InternNotificationId(nullptr), nullptr);
    EXPECT_TRUE(IsNotificationId(idle));
    EXPECT_FALSE(IsNotificationId(otherBuffer.c_str()));
}

TEST(NotificationId, ManyIdentifiersKeepTheirAddresses)
{
    std::vector<NotificationId> ids;
    for (int i = 0; i < 2000; ++i)
        ids.push_back(InternNotificationId(
            std::u16string(u"NID_TEST_" + std::u16string(1, u'A' + i % 26) + std::u16string(i / 26 + 1, u'x'))
                .c_str()));
    for (int i = 0; i < 2000; ++i)
        EXPECT_EQ(std::u16string(ids[i]), std::u16string(u"NID_TEST_" + std::u16string(1, u'A' + i % 26) +
                                                         std::u16string(i / 26 + 1, u'x')));
}

namespace {

struct Payload : public virtual LRefCountedObject
{
    explicit Payload(bool* destroyed) : mDestroyed(destroyed) {}
    ~Payload() override { *mDestroyed = true; }
    bool* mDestroyed;
};

// Recycling is process-wide: each test switches it on for its own scope only.
struct RecyclingOn
{
    RecyclingOn() { LNotification::EnableRecycling(true); }
    ~RecyclingOn() { LNotification::EnableRecycling(false); }
};

} // namespace

TEST(Notification, CreateWithEmptyTextGivesNothing)
{
    EXPECT_FALSE(LNotification::Create(u""));
    EXPECT_FALSE(LNotification::Create(nullptr));
    RecyclingOn on;
    EXPECT_FALSE(LNotification::Create(u""));
    auto made = LNotification::Create(u"NID_A");
    made.Reset(); // now a spare
    EXPECT_FALSE(LNotification::Create(u""));
}

TEST(Notification, RecycledSparesAreReusedLastFirstWithoutTheirData)
{
    RecyclingOn on;
    bool dataDestroyed = false;
    auto first = LNotification::Create(u"NID_A", RCPtr<LRefCountedObject>(new Payload(&dataDestroyed)));
    auto second = LNotification::Create(u"NID_B");
    LNotification* firstAddress = first.Get();
    LNotification* secondAddress = second.Get();

    // A reference that is not the last neither recycles nor drops the data.
    auto extra = first;
    extra.Reset();
    EXPECT_FALSE(dataDestroyed);

    first.Reset();
    EXPECT_TRUE(dataDestroyed); // kept as a spare, without its data
    second.Reset();

    auto reusedB = LNotification::Create(u"NID_C");
    auto reusedA = LNotification::Create(u"NID_D");
    EXPECT_EQ(reusedB.Get(), secondAddress);
    EXPECT_EQ(reusedA.Get(), firstAddress);
    EXPECT_EQ(std::u16string(reusedA->GetId()), u"NID_D");
    EXPECT_FALSE(reusedA->GetData());
    EXPECT_FALSE(reusedA->IsPosted());
}

TEST(Notification, SwitchingRecyclingOffDestroysSpares)
{
    {
        RecyclingOn on;
        auto a = LNotification::Create(u"NID_A");
        auto b = LNotification::Create(u"NID_B");
        a.Reset();
        b.Reset();
        EXPECT_EQ(LNotification::GetSpareCount(), 2u);
    }
    EXPECT_EQ(LNotification::GetSpareCount(), 0u);
    // Later releases destroy at once.
    LNotification::Create(u"NID_A").Reset();
    EXPECT_EQ(LNotification::GetSpareCount(), 0u);
}
