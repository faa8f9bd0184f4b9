#include "ControlBase/Control.h"
#include "Notification/NotificationParams.h"
#include "NotificationTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace notiftest;

TEST(ControlValue, ClampsStoresAndNotifiesOncePerChange)
{
    RCPtr<LControl> control(new LControl(nullptr, String(u"knob")));
    control->SetValueRange(0, 200, 0);
    RCPtr<Recorder> listener(new Recorder(nullptr, "value"));
    listener->RegisterNotification(control, u"NID_VALUE_CHANGE");

    EXPECT_EQ(control->SetNormalizedValue(1.7), 1.0);
    EXPECT_EQ(listener->mReceived, 1);
    RCPtr<LValueParam> param = RCPtr<LValueParam>::DynamicCastFrom(listener->mLast->GetData());
    ASSERT_TRUE(param);
    EXPECT_EQ(param->mNormalizedValue, 1.0);
    EXPECT_EQ(param->mValue, 200.0);

    EXPECT_EQ(control->SetNormalizedValue(3), 1.0);
    EXPECT_EQ(control->SetNormalizedValue(std::nan("")), 1.0);
    EXPECT_EQ(listener->mReceived, 1);
    EXPECT_EQ(control->SetNormalizedValue(-0.5), 0.0);
    EXPECT_EQ(listener->mReceived, 2);
    listener->UnregisterAllNotifications();
}

TEST(ControlValue, RangesMapBothWays)
{
    struct Case
    {
        double min, max;
        int32_t taper;
        double normalized, value;    // NormalizedToValue(normalized) == value
        double back, backNormalized; // ValueToNormalized(back) == backNormalized
    };
    const Case cases[] = {
        {0, 0, 0, 0.7, 0, 5, 0},           // a new control's range
        {10, 1000, 1, 0.5, 100, 100, 0.5}, // logarithmic
        {10, 1000, 1, 0, 10, 5, 0},        // clamped into the range
        {100, 0, 0, 0.25, 75, 25, 0.75},   // reversed linear
        {-1, 1, 0, 0.5, 0, 3, 1},
    };
    for (const Case& c : cases)
    {
        RCPtr<LControl> control(new LControl(nullptr, String(u"slider")));
        ASSERT_EQ(control->SetValueRange(c.min, c.max, c.taper), S_OK);
        EXPECT_NEAR(control->NormalizedToValue(c.normalized), c.value, 1e-9) << c.min << ".." << c.max;
        EXPECT_NEAR(control->ValueToNormalized(c.back), c.backNormalized, 1e-9) << c.min << ".." << c.max;
    }

    RCPtr<LControl> control(new LControl(nullptr, String(u"slider")));
    control->SetValueRange(1, 10, 0);
    EXPECT_EQ(control->SetValueRange(0, 10, 1), E_INVALIDARG);
    EXPECT_EQ(control->SetValueRange(1, 10, 2), E_INVALIDARG);
    EXPECT_NEAR(control->NormalizedToValue(1), 10, 1e-9); // the old range stays
}
