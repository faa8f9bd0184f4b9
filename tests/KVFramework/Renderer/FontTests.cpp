#include "Renderer/Font.h"

#include "MeasuringApp.h"

#include <gtest/gtest.h>

using namespace KV;
using KV::Testing::FixedAdvanceMeasurer;
using KV::Testing::MeasuringApp;

// The font table is one for the process: each test uses face names of its own.

TEST(Font, ADescriptionIsInternedWithoutRegardToTheCaseOfItsName)
{
    const RCPtr<LFont> font = LFont::GetFont(u"Interned Face", 10.0f, 0);
    ASSERT_TRUE(font);
    EXPECT_EQ(LFont::GetFont(u"INTERNED FACE", 10.0f, 0), font);
    EXPECT_EQ(font->GetFaceName(), u"Interned Face");
    EXPECT_EQ(font->GetInternalRefCount(), 1);

    const RCPtr<LFont> larger = LFont::GetFont(u"interned face", 10.5f, 0);
    const RCPtr<LFont> bold = LFont::GetFont(u"Interned Face", 10.0f, kFontStyleBold);
    EXPECT_NE(larger, font);
    EXPECT_NE(bold, font);
    EXPECT_EQ(LFont::GetUniqueID(larger.Get()), LFont::GetUniqueID(font.Get()) + 1);
    EXPECT_EQ(LFont::GetUniqueID(bold.Get()), LFont::GetUniqueID(font.Get()) + 2);
    EXPECT_EQ(LFont::GetUniqueID(nullptr), 0);

    const int32_t index = LFont::FindFont(u"interned FACE", 10.5f, 0);
    ASSERT_GE(index, 0);
    EXPECT_EQ(*LFont::GetFontTable().GetAtConst(static_cast<uint32_t>(index)), larger);
    EXPECT_EQ(LFont::FindFont(u"Interned Face", 11.0f, 0), -1);
    EXPECT_EQ(LFont::FindFont(u"Interned Face ", 10.0f, 0), -1);
}

TEST(Font, AFontLeavesTheTableWithItsLastHolder)
{
    const uint32_t before = LFont::GetFontTable().GetCount();
    RCPtr<LFont> font = LFont::GetFont(u"Passing Face", 9.0f, 0);
    RCPtr<LFont> again = LFont::GetFont(u"Passing Face", 9.0f, 0);
    EXPECT_EQ(LFont::GetFontTable().GetCount(), before + 1);
    const int32_t serial = LFont::GetUniqueID(font.Get());
    font = nullptr;
    EXPECT_GE(LFont::FindFont(u"Passing Face", 9.0f, 0), 0); // still held
    again = nullptr;
    EXPECT_EQ(LFont::GetFontTable().GetCount(), before);
    EXPECT_EQ(LFont::FindFont(u"Passing Face", 9.0f, 0), -1);
    // Asked for again, it is made anew.
    EXPECT_GT(LFont::GetUniqueID(LFont::GetFont(u"Passing Face", 9.0f, 0).Get()), serial);
}

TEST(Font, MetricsAreFetchedOnceWhicheverIsAskedFirst)
{
    const RCPtr<FixedAdvanceMeasurer> measurer = FixedAdvanceMeasurer::Create();
    measurer->mHeight = 15;
    RCPtr<MeasuringApp> app(new MeasuringApp());
    app->mMeasurer = measurer;

    const struct
    {
        const char* face;
        int32_t (LFont::*first)() const;
    } cases[] = {
        {"Metrics By Height", &LFont::GetHeight},
        {"Metrics By Top", &LFont::GetCellTop},
        {"Metrics By Bottom", &LFont::GetCellBottom},
    };
    for (const auto& c : cases)
    {
        measurer->mMetricsCalls = 0;
        const RCPtr<LFont> font = LFont::GetFont(String(c.face), 12.0f, 0);
        EXPECT_EQ(measurer->mMetricsCalls, 0) << c.face;
        ((*font).*c.first)();
        EXPECT_EQ(font->GetHeight(), 15) << c.face;
        EXPECT_EQ(font->GetCellTop(), -10) << c.face;
        EXPECT_EQ(font->GetCellBottom(), 5) << c.face;
        EXPECT_EQ(measurer->mMetricsCalls, 1) << c.face;
    }
}

TEST(Font, UnknownMetricsAreAskedForAgainOnceTheyCanBeHad)
{
    const RCPtr<LFont> font = LFont::GetFont(u"Early Face", 8.0f, 0);
    EXPECT_EQ(font->GetHeight(), -1); // no application at all

    RCPtr<MeasuringApp> app(new MeasuringApp());
    EXPECT_EQ(font->GetHeight(), -1); // no measurement renderer yet

    const RCPtr<FixedAdvanceMeasurer> measurer = FixedAdvanceMeasurer::Create();
    measurer->mMetricsResult = E_FAIL;
    app->mMeasurer = measurer;
    EXPECT_EQ(font->GetHeight(), -1); // a failed request leaves them unknown
    EXPECT_EQ(font->GetCellTop(), 0);

    measurer->mMetricsResult = S_OK;
    EXPECT_EQ(font->GetHeight(), 12);
    EXPECT_EQ(font->GetHeight(), 12);
    EXPECT_EQ(measurer->mMetricsCalls, 3);
}

TEST(Font, IsDifferentComparesNamesWithCaseSizeAndStyle)
{
    const RCPtr<LFont> font = LFont::GetFont(u"Compared Face", 10.0f, 0);
    EXPECT_FALSE(font->IsDifferent(*font));
    EXPECT_TRUE(font->IsDifferent(*LFont::GetFont(u"Compared Face", 10.5f, 0)));
    EXPECT_TRUE(font->IsDifferent(*LFont::GetFont(u"Compared Face", 10.0f, kFontStyleItalic)));
    EXPECT_TRUE(font->IsDifferent(*LFont::GetFont(u"Other Face", 10.0f, 0)));

    // Two fonts whose names differ in case alone exist only when the first has left the
    // table while still held; take it out the way the table's own release would.
    RCPtrArray<LFont>& table = LFont::GetFontTable();
    table.RemoveItems(static_cast<uint32_t>(LFont::FindFont(u"Compared Face", 10.0f, 0)), 1);
    font->AdjustInternalRefCount(-1);
    const RCPtr<LFont> upper = LFont::GetFont(u"COMPARED FACE", 10.0f, 0);
    ASSERT_NE(upper, font);
    EXPECT_TRUE(font->IsDifferent(*upper));
    EXPECT_TRUE(upper->IsDifferent(*font));
}
