#include "ControlBase/LabelMinimum.h"

#include "LookTestSupport.h"
#include "MeasuringApp.h"

#include <gtest/gtest.h>

using namespace KV;
using namespace KV::Testing;

namespace {

class LabelMinimum : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mApp->mMeasurer = mMeasurer;
        mMeasurer->mAdvance = 37.0f / 3.0f; // "abc" is 37 pixels wide
    }

    // A look whose text area is the whole control scaled by the given shares.
    RCPtr<LLook> LabelLook(float rightRel, float bottomRel, const char16_t* text)
    {
        RCPtr<LLookDescriptor> descriptor = LLookDescriptor::Create(u"label");
        LLookDescriptor::TextProperties properties;
        properties.mRightRel = rightRel;
        properties.mBottomRel = bottomRel;
        descriptor->SetTextProperties(properties);
        const RCPtr<LLook> look = LLook::Create(descriptor, true);
        look->SetFont(LFont::GetFont(u"Layout Face", 10.0f, 0));
        look->SetText(text);
        return look;
    }

    RCPtr<FixedAdvanceMeasurer> mMeasurer = FixedAdvanceMeasurer::Create();
    RCPtr<MeasuringApp> mApp{new MeasuringApp()};
    RCPtr<LLayoutDescriptor> mLayout = LLayoutDescriptor::Create();
};

TEST_F(LabelMinimum, ExpandingLabelSetsTheWidthAndStopsWrapping)
{
    const RCPtr<LLook> look = LabelLook(1, 1, u"abc");
    mLayout->mTextOverflowX = TextOverflowX::Expand;
    EXPECT_DOUBLE_EQ(OwnMinimumWithLabel(0, *mLayout, look.Get(), {30, 12}), 37);
    EXPECT_FALSE(look->GetLabel()->GetWordWrap());

    // The control's own maximum wins, and the label wraps instead.
    mLayout->mXMaxSize.mAbs = 35;
    EXPECT_DOUBLE_EQ(OwnMinimumWithLabel(0, *mLayout, look.Get(), {30, 12}), 35);
    EXPECT_TRUE(look->GetLabel()->GetWordWrap());
}

TEST_F(LabelMinimum, OwnMinimumAloneWhenTheLabelMayBeCutOrCannotGrow)
{
    mLayout->mXMinSize.mAbs = 12;
    const RCPtr<LLook> look = LabelLook(1, 1, u"abc");
    EXPECT_DOUBLE_EQ(OwnMinimumWithLabel(0, *mLayout, look.Get(), {30, 12}), 12); // Clip
    mLayout->mTextOverflowX = TextOverflowX::Wrap;                                // only Expand widens
    EXPECT_DOUBLE_EQ(OwnMinimumWithLabel(0, *mLayout, look.Get(), {30, 12}), 12);
    mLayout->mTextOverflowX = TextOverflowX::Expand;
    EXPECT_DOUBLE_EQ(OwnMinimumWithLabel(0, *mLayout, nullptr, {30, 12}), 12);
    // Equal left and right shares: the area does not grow with the control.
    const RCPtr<LLook> fixedArea = LabelLook(0, 0, u"abc");
    EXPECT_DOUBLE_EQ(OwnMinimumWithLabel(0, *mLayout, fixedArea.Get(), {30, 12}), 12);
    EXPECT_DOUBLE_EQ(OwnMinimumWithLabel(1, *mLayout, fixedArea.Get(), {30, 12}), 0);
}

TEST_F(LabelMinimum, ExpandingHeightFitsTheWrappedLines)
{
    mMeasurer->mAdvance = 10.0f;
    mMeasurer->mHeight = 12;
    const RCPtr<LLook> look = LabelLook(1, 1, u"aa bb cc");
    mLayout->mTextOverflowY = TextOverflowY::Expand;
    // Three lines of 12 at width 25; the control is 20 high.
    EXPECT_DOUBLE_EQ(OwnMinimumWithLabel(1, *mLayout, look.Get(), {25, 20}), 36);
}

} // namespace
