#include "GdiFrame.h"

#include "MeasuringApp.h"

#include <algorithm>
#include <cmath>

using namespace KV;
using namespace KV::Testing;

class GDIText : public GdiFrame
{
protected:
    RCPtr<LFont> mFont = LFont::GetFont(u"Tahoma", 10.0f, 0);

    float Width(const String& text) { return mRenderer->MeasureText(text, mFont).width; }
};

TEST_F(GDIText, MetricsAreWholePixelsAroundTheBaseline)
{
    Start(4, 4);
    int32_t height = 0;
    int32_t cellTop = 0;
    int32_t cellBottom = 0;
    ASSERT_EQ(S_OK, mRenderer->GetFontMetrics(mFont, height, cellTop, cellBottom));
    EXPECT_LT(cellTop, 0);
    EXPECT_GT(cellBottom, 0);
    EXPECT_GE(height, cellBottom - cellTop - 1);
    EXPECT_LT(height, 30); // 10 points at 96 dpi are 13.3 pixels to the em
    EXPECT_EQ(E_INVALIDARG, mRenderer->GetFontMetrics(nullptr, height, cellTop, cellBottom));

    // Fonts get their metrics from the application's measurement renderer.
    MeasuringApp app;
    app.mMeasurer = mRenderer;
    const RCPtr<LFont> bold = LFont::GetFont(u"Tahoma", 10.0f, kFontStyleBold);
    EXPECT_GT(bold->GetHeight(), 0);
    EXPECT_LT(bold->GetCellTop(), 0);
}

TEST_F(GDIText, WidthsCountBlanksAndSurrogatePairsButNotControlCharacters)
{
    Start(4, 4);
    EXPECT_EQ((RectT<float>{0, 0, 0, 0}), mRenderer->MeasureText(u"", mFont));
    const RectT<float> blank = mRenderer->MeasureText(u" ", mFont);
    EXPECT_GT(blank.width, 0.0f);
    EXPECT_LT(blank.y, 0.0f);
    EXPECT_GT(blank.height, 0.0f);
    EXPECT_GT(Width(u"ab "), Width(u"ab"));
    EXPECT_EQ(Width(u"ab"), Width(u"a\u0001b\u0007"));
    EXPECT_EQ(Width(u"a\r\nb"), Width(u"ab"));
    // The two halves of one character are one glyph, each half alone a replacement mark.
    EXPECT_EQ(Width(u"a\U0001F600") - Width(u"a"), Width(u"b\U0001F600") - Width(u"b"));
    EXPECT_EQ(Width(u"\xFFFD\xFFFD"), Width(u"\xDE00\xD83D")); // halves in the wrong order
    // One leading padding of a sixth of the em (13.3 pixels for 10 points) per text.
    const float padding = 10.0f * 96 / 72 / 6;
    EXPECT_NEAR(Width(u"abab"), 2 * Width(u"ab") - padding, 0.01);
}

TEST_F(GDIText, AnotherScreenResolutionScalesWidthsAndAddsThreePixels)
{
    Start(4, 4);
    const float at96 = Width(u"Norvik ZR");
    Start(4, 4, 120);
    EXPECT_EQ(static_cast<float>(RoundHalfAwayFromZero(96.0 / 120.0 * at96 + 3.0)), Width(u"Norvik ZR"));
}

TEST_F(GDIText, InkStaysInsideTheMeasuredBox)
{
    Start(120, 40);
    const String text = u"Hello, World";
    const PointT<int32_t> position{10, 12};
    mRenderer->DrawText(text, mFont, position, Color(kWhite));
    const RectT<float> box = mRenderer->MeasureText(text, mFont);
    // The box's top is the cell's top, one pixel above the position.
    const int32_t left = position.x;
    const int32_t right = position.x + static_cast<int32_t>(std::ceil(box.width));
    const int32_t top = position.y - 1;
    const int32_t bottom = top + static_cast<int32_t>(box.height);
    int32_t inked = 0;
    int32_t inkRight = 0;
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 120; ++x)
        {
            if (Pixel(x, y) == 0)
                continue;
            ++inked;
            inkRight = std::max(inkRight, x);
            EXPECT_TRUE(x >= left && x < right && y >= top && y < bottom) << x << "," << y;
        }
    EXPECT_GT(inked, 50);
    EXPECT_GT(inkRight, right - 4); // the box is not much wider than the ink either
}

TEST_F(GDIText, UnderlineAndStrikeOutAreDrawnAlongTheText)
{
    Start(80, 30);
    const RCPtr<LFont> plain = LFont::GetFont(u"Tahoma", 10.0f, 0);
    const RCPtr<LFont> lined = LFont::GetFont(u"Tahoma", 10.0f, kFontStyleUnderline | kFontStyleStrikeout);
    const auto inkedRows = [&](const RCPtr<LFont>& font) {
        mRenderer->FillRect({0, 0, 80, 30}, Color(0), false);
        mRenderer->DrawText(u"a        b", font, {2, 6}, Color(kWhite));
        int32_t rows = 0;
        for (int32_t y = 0; y < 30; ++y)
            rows += Pixel(24, y) != 0 ? 1 : 0; // under the blanks in the middle
        return rows;
    };
    EXPECT_EQ(0, inkedRows(plain));
    EXPECT_GE(inkedRows(lined), 2);
}
