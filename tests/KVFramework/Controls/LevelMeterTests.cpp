#include "Controls/LevelMeter.h"

#include "ControlsTestSupport.h"

using namespace controltest;

namespace {

class LevelMeter : public ControlHarness
{
public:
    // A meter w x h at (0, 0) with its overlay, its clip light and, as asked, its peak markers;
    // the markers lie at the two ends of the meter's long axis, the low one at the left or
    // the bottom.
    RCPtr<LLevelMeter> NewMeter(double w, double h, bool overlayAndLight = true, bool peakLo = true,
                                bool peakHi = true)
    {
        RCPtr<LControlDescriptor> meter = Describe(u"Framework.LevelMeter", u"meter", 0, 0, w, h);
        const bool vertical = w < h;
        if (overlayAndLight)
        {
            meter->AddChild(Describe(u"Framework.Panel", u"activeOverlay", 0, 0, w, h));
            meter->AddChild(
                Describe(u"Framework.Button", u"clipButton", w - 10, 0, 10, 10, {ColourLook(0xFFFF0000)}));
        }
        if (peakLo)
            meter->AddChild(Describe(u"Framework.Panel", u"peakLo", 0, vertical ? h - 10 : 0,
                                     vertical ? w : 10, vertical ? 10 : h));
        if (peakHi)
            meter->AddChild(Describe(u"Framework.Panel", u"peakHi", vertical ? 0 : w - 10, 0,
                                     vertical ? w : 10, vertical ? 10 : h));
        return Create<LLevelMeter>(meter, RCPtr<LControl>(mRoot));
    }
    static RCPtr<LControl> Part(const RCPtr<LLevelMeter>& meter, const char16_t* name)
    {
        return meter->FindChild(String(name));
    }
};

TEST_F(LevelMeter, TheOverlayAndThePeakMarkerFollowTheLevelInWholePixels)
{
    struct Case
    {
        double w, h, level, peak;
        bool overlayShown;
        double overlayLength; // on the meter's axis; kept from before while hidden
        bool peakShown;
        double peakPosition; // on the meter's axis
    };
    const Case cases[] = {
        // Horizontal, 200 wide: the overlay covers the level from the left.
        {200, 20, 0.5, 0.5, true, 100, true, 95},
        {200, 20, 0.002, 0.0, false, 200, false, 0}, // 0.4 pixel: hidden; no peak
        {200, 20, 0.0625, 1.0, true, 13, true, 190}, // 12.5 pixels round up
        {200, 20, 1.0, 0.002, true, 200, false, 0},  // the peak moves less than half a pixel
        // Vertical, 100 high: the overlay covers the part above the level, the peak climbs
        // from the bottom marker.
        {20, 100, 0.75, 0.5, true, 25, true, 45},
        {20, 100, 1.0, 1.0, false, 100, true, 0},
        {20, 100, 0.0, 0.25, true, 100, true, 67}, // -22.5 rounds away from zero
    };
    for (const Case& c : cases)
    {
        RCPtr<LLevelMeter> meter = NewMeter(c.w, c.h);
        const int axis = c.w < c.h ? 1 : 0;
        const RCPtr<LControl> overlay = Part(meter, u"activeOverlay");
        const RCPtr<LControl> peak = Part(meter, u"peakLo");
        EXPECT_EQ(overlay->GetLayout()->mIsVisible, axis == 1); // level 0: a vertical one covers it all
        EXPECT_FALSE(peak->GetLayout()->mIsVisible);
        EXPECT_FALSE(Part(meter, u"peakHi")->GetLayout()->mIsVisible);
        meter->SetLevelAndPeak(c.level, c.peak);
        const std::string row = std::to_string(c.w) + "x" + std::to_string(c.h) + " level " +
                                std::to_string(c.level) + " peak " + std::to_string(c.peak);
        EXPECT_EQ(meter->GetNormalizedValue(), c.level) << row;
        EXPECT_EQ(overlay->GetLayout()->mIsVisible, c.overlayShown) << row;
        const RectT<double> o = overlay->GetRect();
        EXPECT_EQ(axis ? o.height : o.width, c.overlayLength) << row;
        EXPECT_EQ(peak->GetLayout()->mIsVisible, c.peakShown) << row;
        if (c.peakShown)
        {
            EXPECT_EQ(axis ? peak->GetRect().y : peak->GetRect().x, c.peakPosition) << row;
        }
    }
}

TEST_F(LevelMeter, AValueSetFromOutsideIsALevelWithoutPeak)
{
    RCPtr<LLevelMeter> meter = NewMeter(200, 20);
    meter->SetLevelAndPeak(0.2, 0.5);
    meter->SetNormalizedValue(0.75);
    EXPECT_EQ(Part(meter, u"activeOverlay")->GetRect().width, 150);
    EXPECT_FALSE(Part(meter, u"peakLo")->GetLayout()->mIsVisible);
}

TEST_F(LevelMeter, TheClipLightFollowsTheCounterAndALatchedOneWaitsForItsClick)
{
    RCPtr<LLevelMeter> meter = NewMeter(200, 20);
    mRecorder->Listen(RCPtr<LNotificationDistributor>(meter), u"NID_CLIPLIGHT_UNLATCHED");
    const auto clickLight = [this] {
        Press(195, 5);
        Release(195, 5);
    };
    // Step: latch (-1 leaves it), the clip counter given, a click on the light before
    // looking; then whether the light is lit and what the meter sent.
    struct Step
    {
        int latch;
        int32_t clip;
        bool click;
        bool lit;
        std::vector<std::string> sent;
    };
    const Step steps[] = {
        {-1, 3, false, true, {}},  // a new count lights it
        {-1, 3, false, false, {}}, // the same count, unlatched: dark again
        {1, 3, false, false, {}},  // latching turns it off
        {-1, 4, false, true, {}},
        {-1, 4, false, true, {}}, // latched: stays lit
        {-1, 4, true, false, {"meter NID_CLIPLIGHT_UNLATCHED"}},
        {-1, 4, true, false, {}}, // a click on a dark light sends nothing
        {-1, 5, false, true, {}},
        {0, 5, false, false, {}}, // unlatching turns it off too
        {-1, 6, true, true, {}},  // unlatched, a click is no unlatching
        {-1, 6, false, false, {}},
    };
    int index = 0;
    for (const Step& step : steps)
    {
        if (step.latch >= 0)
        {
            EXPECT_EQ(meter->SetClipLatch(step.latch == 1), S_OK);
        }
        meter->SetLevel(0.5, 0, step.clip);
        if (step.click)
            clickLight();
        EXPECT_EQ(meter->IsClipLit(), step.lit) << "step " << index;
        EXPECT_EQ(meter->GetClipValue(), step.clip);
        EXPECT_EQ(TakeLog(), step.sent) << "step " << index;
        ++index;
    }
    meter->SetClipValue(7); // only stored
    EXPECT_FALSE(meter->IsClipLit());
    EXPECT_EQ(meter->GetClipValue(), 7);
}

TEST_F(LevelMeter, AMeterWithoutSomeOfItsPartsShowsWhatItHas)
{
    // Without the overlay and the light.
    RCPtr<LLevelMeter> bare = NewMeter(200, 20, false);
    EXPECT_EQ(bare->SetLevel(0.5, 0.5, 1), S_OK);
    EXPECT_EQ(bare->GetNormalizedValue(), 0.5);
    EXPECT_TRUE(Part(bare, u"peakLo")->GetLayout()->mIsVisible);
    EXPECT_FALSE(bare->IsClipLit());
    EXPECT_EQ(bare->SetClipLatch(true), E_FAIL);
    EXPECT_TRUE(bare->IsNotFocusable());

    // Without "peakHi" the low marker never shows.
    RCPtr<LLevelMeter> noPeak = NewMeter(200, 20, true, true, false);
    noPeak->SetLevelAndPeak(0.5, 0.75);
    EXPECT_FALSE(Part(noPeak, u"peakLo")->GetLayout()->mIsVisible);
    EXPECT_EQ(Part(noPeak, u"activeOverlay")->GetRect().width, 100);
}

} // namespace
