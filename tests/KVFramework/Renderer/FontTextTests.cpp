#include "Renderer/FontText.h"

#include "MeasuringApp.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace KV;
using KV::Testing::FixedAdvanceMeasurer;
using KV::Testing::MeasuringApp;

namespace {

// Every character 6 pixels wide, lines 12 high.
class FontTextLayout : public ::testing::Test
{
protected:
    FontTextLayout()
    {
        mApp->mMeasurer = mMeasurer;
        mMeasurer->GetFontMetrics(nullptr, mHeight, mTop, mBottom);
    }

    RCPtr<LFontText> Make(const std::u16string& text, bool wrap = false, int32_t boxWidth = 0,
                          int32_t boxHeight = 0)
    {
        RCPtr<LFontText> layout = LFontText::Create(String(text.c_str()), mFont);
        layout->SetWordWrap(wrap);
        layout->SetBoxSize(boxWidth, boxHeight);
        return layout;
    }

    static std::vector<std::u16string> Lines(LFontText& layout)
    {
        std::vector<std::u16string> lines;
        for (int32_t i = 0; i < layout.GetLineCount(); ++i)
            lines.emplace_back(layout.GetLineText(i).View());
        return lines;
    }

    RCPtr<FixedAdvanceMeasurer> mMeasurer = FixedAdvanceMeasurer::Create();
    RCPtr<MeasuringApp> mApp{new MeasuringApp()};
    RCPtr<LFont> mFont = LFont::GetFont(u"Layout Face", 10.0f, 0);
    int32_t mHeight = 0, mTop = 0, mBottom = 0;
};

std::string Narrow(const std::u16string& text)
{
    return std::string(String(text.c_str()).ToNarrow().View());
}

} // namespace

TEST_F(FontTextLayout, TextIsSplitAtLineFeedsAndWrappedAtBlanksAndAfterHyphens)
{
    using LineList = std::vector<std::u16string>;
    const struct
    {
        std::u16string text;
        bool wrap;
        int32_t width; // 6 pixels a character
        LineList lines;
    } cases[] = {
        {u"a\nb\n", false, 0, {u"a", u"b"}},
        {u"a\n\nb", false, 0, {u"a", u"", u"b"}},
        {u"", false, 0, {u""}},
        {u"", true, 30, {u""}},
        {u"a\r\nb", false, 0, {u"a\r", u"b"}},
        {u"ab\r\ncd", true, 100, {u"ab\r", u"cd"}},
        {u"hello world", true, 40, {u"hello", u"world"}},
        // A break keeps the last blank before which the line fits, drops the others.
        {u"hello    world", true, 40, {u"hello ", u"world"}},
        {u"one two three", true, 50, {u"one two", u"three"}},
        {u"well-known", true, 35, {u"well-", u"known"}},
        {u"x well-known", true, 55, {u"x well-", u"known"}},
        {u"x well-known", true, 30, {u"x", u"well-", u"known"}},
        {u"a-b-c", true, 20, {u"a-", u"b-c"}},
        {u"abc-", true, 10, {u"abc-"}},
        {u"unbreakable", true, 20, {u"unbreakable"}},
        {u" abc def", true, 30, {u" abc", u"def"}},
        {u"a b", true, 1000, {u"a b"}},
        {u"a b\nc d", true, 10, {u"a", u"b", u"c", u"d"}},
        // Blanks after the last word give no line of their own.
        {u"hello   ", true, 40, {u"hello "}},
        {u"hello \t  \nnext", true, 40, {u"hello", u"next"}},
        {u"hello world", false, 40, {u"hello world"}},
    };
    for (const auto& c : cases)
    {
        const RCPtr<LFontText> layout = Make(c.text, c.wrap, c.width);
        EXPECT_EQ(Lines(*layout), c.lines) << Narrow(c.text) << " at " << c.width;
        EXPECT_EQ(layout->GetHeightForWidth(c.width), static_cast<int32_t>(c.lines.size()) * mHeight)
            << Narrow(c.text);
    }
}

TEST_F(FontTextLayout, FitCharactersTakesAtLeastOneCharacter)
{
    const RCPtr<LFontText> layout = Make(u"");
    EXPECT_EQ(layout->FitCharacters(*mMeasurer, 0, u"word"), 4);
    EXPECT_EQ(layout->FitCharacters(*mMeasurer, 0, u"a b"), 1);
    EXPECT_EQ(layout->FitCharacters(*mMeasurer, 0, u" ab"), 3);
    EXPECT_EQ(layout->FitCharacters(*mMeasurer, 0, u""), 0);
    EXPECT_EQ(layout->FitCharacters(*mMeasurer, 19, u"abc"), 3); // 18 is below 19
}

TEST_F(FontTextLayout, LinesArePlacedInTheBoxByTheAlignmentFactors)
{
    const RCPtr<LFontText> layout = Make(u"ab\ncdef", false, 100, 60);
    layout->SetAlignment(0.5f, 0.5f);
    ASSERT_EQ(layout->GetLineCount(), 2);
    // The two lines take 24 of 60 pixels: they start 18 down.
    EXPECT_EQ(layout->GetLine(0), (RectT<float>{44, 18, 12, 12}));
    EXPECT_EQ(layout->GetLine(1), (RectT<float>{38, 30, 24, 12}));
    EXPECT_EQ(layout->GetBounds(), (SizeT<int32_t>{62, 42}));

    EXPECT_TRUE(layout->SetAlignment(1.0f, 0.0f));
    EXPECT_EQ(layout->GetLine(1), (RectT<float>{76, 12, 24, 12}));
    EXPECT_FALSE(layout->SetAlignment(1.0f, 0.0f));

    EXPECT_EQ(layout->GetLine(2), (RectT<float>{}));
    EXPECT_EQ(layout->GetLine(-1), (RectT<float>{}));
    EXPECT_EQ(layout->GetLineText(2), u"");
}

TEST_F(FontTextLayout, ALeftBearingCountsIntoTheWidth)
{
    mMeasurer->mLeftBearing = 2.0f;
    const RCPtr<LFontText> layout = Make(u"abc", false, 100, 12);
    layout->SetAlignment(1.0f, 0.0f);
    EXPECT_EQ(layout->GetLine(0), (RectT<float>{80, 0, 20, 12}));
    EXPECT_EQ(layout->GetMaxLineWidth(), 20);
}

TEST_F(FontTextLayout, AnEmptyTextIsOneLineOfTheEmptyStringsHeight)
{
    const RCPtr<LFontText> layout = Make(u"", false, 50, 50);
    ASSERT_EQ(layout->GetLineCount(), 1);
    EXPECT_EQ(layout->GetLine(0), (RectT<float>{0, 0, 0, 12}));
    EXPECT_EQ(layout->GetBounds(), (SizeT<int32_t>{0, 12}));
    EXPECT_EQ(layout->GetMaxLineWidth(), 0);
}

TEST_F(FontTextLayout, TheMaxLineWidthIsTheWidestUnwrappedLineRoundedUp)
{
    const struct
    {
        float advance;
        std::u16string text;
        int32_t width;
    } cases[] = {
        {6.0f, u"ab\ncdef\nx", 24},
        {6.5f, u"abc", 20},   // 19.5
        {6.25f, u"abcd", 25}, // exactly 25
        {5.0025f, u"ab", 10}, // 10.005: within a hundredth above 10
    };
    for (const auto& c : cases)
    {
        mMeasurer->mAdvance = c.advance;
        EXPECT_EQ(Make(c.text, true, 1)->GetMaxLineWidth(), c.width) << Narrow(c.text);
    }
}

TEST_F(FontTextLayout, SettersThatChangeNothingKeepTheLayout)
{
    const RCPtr<LFontText> layout = Make(u"hello world", true, 40);
    ASSERT_EQ(layout->GetLineCount(), 2);
    const int measured = mMeasurer->mMeasureCalls;

    EXPECT_FALSE(layout->SetText(u"hello world"));
    EXPECT_FALSE(layout->SetText(layout->GetText()));
    EXPECT_FALSE(layout->SetWordWrap(true));
    EXPECT_FALSE(layout->SetBoxSize(40, 0));
    EXPECT_FALSE(layout->SetFont(mFont));
    EXPECT_FALSE(layout->SetFont(LFont::GetFont(u"LAYOUT FACE", 10.0f, 0))); // the same font
    EXPECT_EQ(layout->GetLineCount(), 2);
    EXPECT_EQ(mMeasurer->mMeasureCalls, measured);

    // The height for another width leaves the layout alone too.
    EXPECT_EQ(layout->GetHeightForWidth(1000), mHeight);
    EXPECT_EQ(layout->GetLineCount(), 2);
}

TEST_F(FontTextLayout, SettersThatChangeTheResultLayOutAgain)
{
    const RCPtr<LFontText> layout = Make(u"hello world", true, 40);
    ASSERT_EQ(layout->GetLineCount(), 2);
    EXPECT_TRUE(layout->SetBoxSize(100, 0));
    EXPECT_EQ(layout->GetLineCount(), 1);
    EXPECT_TRUE(layout->SetText(u"a\nb\nc"));
    EXPECT_EQ(layout->GetLineCount(), 3);
    EXPECT_TRUE(layout->SetWordWrap(false));
    EXPECT_TRUE(layout->SetText(u"hello world"));
    EXPECT_EQ(layout->GetLineCount(), 1);

    EXPECT_TRUE(layout->SetFont(LFont::GetFont(u"Layout Face", 10.0f, kFontStyleBold)));
    EXPECT_TRUE(layout->SetFont(nullptr));
    EXPECT_EQ(layout->GetLineCount(), 0); // nothing to measure in
    EXPECT_FALSE(layout->SetFont(nullptr));
    EXPECT_TRUE(layout->SetFont(mFont));
    EXPECT_EQ(layout->GetLineCount(), 1);
}

TEST(FontText, WithoutAMeasurementRendererNothingIsLaidOutOrKept)
{
    RCPtr<MeasuringApp> app(new MeasuringApp());
    const RCPtr<LFontText> layout =
        LFontText::Create(u"hello world", LFont::GetFont(u"Unmeasured Face", 10.0f, 0));
    layout->SetBoxSize(100, 20);
    EXPECT_EQ(layout->GetLineCount(), 0);
    EXPECT_EQ(layout->GetLine(0), (RectT<float>{}));
    EXPECT_EQ(layout->GetBounds(), (SizeT<int32_t>{0, 0}));
    EXPECT_EQ(layout->GetMaxLineWidth(), 0);
    EXPECT_EQ(layout->GetHeightForWidth(100), 0);

    app->mMeasurer = FixedAdvanceMeasurer::Create();
    EXPECT_EQ(layout->GetLineCount(), 1);
    EXPECT_EQ(layout->GetBounds(), (SizeT<int32_t>{66, 12}));
}
