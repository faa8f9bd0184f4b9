#include "ControlBase/SkinValueSyntax.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace KV;
using namespace KV::SkinValueSyntax;

TEST(SkinValueSyntax, BooleansAreTrueOnlyWhenWrittenTrue)
{
    EXPECT_TRUE(ToBool(String(u"True")));
    for (const char16_t* text : {u"true", u"TRUE", u"1", u"", u" True"})
        EXPECT_FALSE(ToBool(String(text)));
}

TEST(SkinValueSyntax, IntegersFloatsAndPixels)
{
    const struct
    {
        const char16_t* text;
        int32_t decimal;
        int32_t hexOrDecimal;
        float floating;
        double pixels;
    } cases[] = {
        {u"0x10", 0, 16, 16.0f, 0},           // hexadecimal only with its prefix (floats read C hex)
        {u"0x12345", 0, 0x1234, 74565.0f, 0}, // at most four digits
        {u"0xfF", 0, 255, 255.0f, 0},         // digits of either case
        {u"0xg1", 0, 0, 0.0f, 0},             // no digit
        {u"0x", 0, 0, 0.0f, 0},               //
        {u"0X10", 0, 0, 16.0f, 0},            // an upper-case X is no prefix
        {u"12ab", 12, 12, 12.0f, 12},         // digits up to the first other character
        {u"  -7", -7, -7, -7.0f, -7},         // blanks and sign
        {u"2.9", 2, 2, 2.9f, 2},              // whole pixels drop the fraction
        {u"-2.9", -2, -2, -2.9f, -2},         //
        {u"1,5", 1, 1, 1.0f, 1},              // the point is the only decimal mark
        {u"8.25", 8, 8, 8.25f, 8},            //
        {u"abc", 0, 0, 0.0f, 0},              //
        {u"99999999999", INT32_MAX, INT32_MAX, 1e11f, INT32_MAX}, // clamped to 32 bits
        {u"1e39", 1, 1, 0.0f, 1},                                 // beyond the float range: not finite, 0
        {u"inf", 0, 0, 0.0f, 0},                                  //
        {u"-nan", 0, 0, 0.0f, 0},                                 //
    };
    for (const auto& c : cases)
    {
        const String text(c.text);
        SCOPED_TRACE(text.ToNarrow().GetText());
        EXPECT_EQ(ToDecimalInt(text), c.decimal);
        EXPECT_EQ(ToHexOrDecimalInt(text), c.hexOrDecimal);
        EXPECT_FLOAT_EQ(ToFloat(text), c.floating);
        EXPECT_EQ(ToWholePixels(text), c.pixels);
    }
}

TEST(SkinValueSyntax, MissingAttributesAreToldApartFromZero)
{
    const Attributes attributes{{String(u"Width"), String(u"0")}};
    EXPECT_EQ(FindHexOrDecimalInt(attributes, u"Width"), 0);
    EXPECT_FALSE(FindHexOrDecimalInt(attributes, u"width")); // names match exactly
    EXPECT_FALSE(FindFloat(attributes, u"Height"));
    EXPECT_EQ(Find(attributes, u"Height"), nullptr);
}
