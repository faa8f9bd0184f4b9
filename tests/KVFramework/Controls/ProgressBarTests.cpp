#include "Controls/ProgressBar.h"

#include "ControlsTestSupport.h"

using namespace controltest;

namespace {

class ProgressBar : public ControlHarness
{
public:
    // A bar 100 x 20 with its overlay and its two labels, as a skin gives them.
    RCPtr<LProgressBar> NewBar(bool withParts = true)
    {
        RCPtr<LControlDescriptor> bar = Describe(u"Framework.ProgressBar", u"bar", 0, 0, 100, 20);
        if (withParts)
        {
            bar->AddChild(Describe(u"Framework.Panel", u"activeOverlay", 0, 0, 0, 20));
            bar->AddChild(Describe(u"Framework.Label", u"timeRemainingLabel", 0, 0, 100, 10));
            bar->AddChild(Describe(u"Framework.Label", u"percentCompleteLabel", 0, 10, 100, 10));
        }
        return Create<LProgressBar>(bar, RCPtr<LControl>(mRoot));
    }
    static std::string Text(const RCPtr<LControl>& label) { return Narrow(label->GetText().GetText()); }
};

TEST_F(ProgressBar, TheRemainingTimeInWords)
{
    RCPtr<LProgressBar> bar = NewBar();
    const RCPtr<LControl> label = bar->FindChild(String(u"timeRemainingLabel"));
    EXPECT_FALSE(label->IsShown(false));
    const std::pair<int32_t, const char*> cases[] = {
        {0, "0 Seconds Remaining"},
        {1, "1 Second Remaining"},
        {61, "1 Minute 1 Second Remaining"},
        {3600, "1 Hour 0 Minutes 0 Seconds Remaining"},
        {7322, "2 Hours 2 Minutes 2 Seconds Remaining"},
    };
    for (const auto& [seconds, text] : cases)
    {
        bar->SetTimeRemaining(seconds);
        EXPECT_EQ(Text(label), text) << seconds;
    }
    EXPECT_TRUE(label->IsShown(false));
}

TEST_F(ProgressBar, TheOverlayCoversTheShareOfTheWidthInWholePixels)
{
    RCPtr<LProgressBar> bar = NewBar();
    const RCPtr<LControl> overlay = bar->FindChild(String(u"activeOverlay"));
    const RCPtr<LControl> percent = bar->FindChild(String(u"percentCompleteLabel"));
    struct Case
    {
        double value;
        bool shown;
        double width;
        const char* text;
    };
    const Case cases[] = {
        {0.5, true, 50, "50"},   {0.004, false, 50, "0"}, // 0.4 pixel: hidden, the width kept
        {0.005, true, 1, "0"},                            // 0.5 pixel rounds up
        {1.0, true, 100, "100"}, {0.0, false, 100, "0"},
    };
    for (const Case& c : cases)
    {
        bar->SetNormalizedValue(c.value);
        EXPECT_EQ(overlay->GetLayout()->mIsVisible, c.shown) << c.value;
        EXPECT_EQ(overlay->GetRect().width, c.width) << c.value;
        EXPECT_EQ(Text(percent), c.text) << c.value;
    }
}

TEST_F(ProgressBar, TheEstimateFollowsTheMeanRateSinceItBegan)
{
    RCPtr<LProgressBar> bar = NewBar();
    const RCPtr<LControl> label = bar->FindChild(String(u"timeRemainingLabel"));
    bar->SetNormalizedValue(0.1);
    bar->EnableTimeEstimate(true);
    gNow += 2000;
    bar->SetNormalizedValue(0.2); // 0.05 a second: 16 s for the remaining 0.8
    EXPECT_EQ(Text(label), "16 Seconds Remaining");

    gNow += 2000;
    bar->EnableTimeEstimate(true); // again: the start stays
    bar->SetNormalizedValue(0.15); // falling: the text stays
    EXPECT_EQ(Text(label), "16 Seconds Remaining");

    gNow += 4000;
    bar->SetNormalizedValue(0.5); // 0.4 in 8 s: 10 s for the remaining 0.5
    EXPECT_EQ(Text(label), "10 Seconds Remaining");

    gNow += 2000;
    bar->SetNormalizedValue(1.0);
    EXPECT_EQ(Text(label), "0 Seconds Remaining");
    EXPECT_FALSE(bar->IsTimeEstimateOn());
}

TEST_F(ProgressBar, ARateNearNothingGivesTheLongestTimeInsteadOfAnOverflow)
{
    RCPtr<LProgressBar> bar = NewBar();
    bar->EnableTimeEstimate(true);
    gNow += 1000000000;
    bar->SetNormalizedValue(1e-12);
    EXPECT_EQ(Text(bar->FindChild(String(u"timeRemainingLabel"))),
              "596523 Hours 14 Minutes 7 Seconds Remaining");
}

TEST_F(ProgressBar, ABarWhoseSkinLacksItsPartsStillTakesValues)
{
    RCPtr<LProgressBar> bar = NewBar(false);
    bar->EnableTimeEstimate(true);
    gNow += 1000;
    bar->SetNormalizedValue(0.5);
    bar->SetTimeRemaining(61);
    EXPECT_EQ(bar->GetNormalizedValue(), 0.5);
    EXPECT_TRUE(bar->IsNotFocusable());
}

} // namespace
