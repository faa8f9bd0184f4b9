#include "Graphics/Color.h"

#include <gtest/gtest.h>

#include <limits>

using namespace KV;

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

ColorT Make(float r, float g, float b, float a)
{
    ColorT c;
    c.r = r;
    c.g = g;
    c.b = b;
    c.a = a;
    return c;
}

} // namespace

TEST(Color, FromARGBThenToARGBGivesBackEveryByteInEveryChannel)
{
    for (uint32_t v = 0; v < 256; ++v)
    {
        // Each channel sees every byte value, each time beside different neighbours.
        const uint32_t argb =
            (v << 24) | (((v * 7 + 3) & 0xFF) << 16) | (((255 - v) & 0xFF) << 8) | ((v * 13 + 1) & 0xFF);
        ColorT c;
        c.FromARGB(argb);
        EXPECT_EQ(argb, c.ToARGB()) << std::hex << argb;
    }
    ColorT c;
    c.FromARGB(0x80FF0001);
    EXPECT_EQ(128 * ColorT::kByteToChannel, c.a);
    EXPECT_EQ(255 * ColorT::kByteToChannel, c.r);
    EXPECT_EQ(0.0f, c.g);
    EXPECT_EQ(ColorT::kByteToChannel, c.b);
}

TEST(Color, ToARGBRoundsHalfAwayAndClamps)
{
    const struct
    {
        ColorT in;
        uint32_t out;
    } cases[] = {
        {Make(1.0f, 0.5f, 0.0f, 1.0f), 0xFFFF8000u}, // 127.5 rounds up to 128
        {Make(1.5f, -0.2f, 0.0f, 1.0f), 0xFFFF0000u},
        {Make(kNaN, 0.0f, kNaN, 0.0f), 0x00000000u},
        {Make(0.0019f, 0.0021f, 1e30f, -1e30f), 0x000001FFu}, // red 0.48 -> 0, green 0.54 -> 1
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.out, c.in.ToARGB()) << std::hex << c.out;
}

TEST(Color, FromHexText)
{
    const ColorT start = Make(0.25f, 0.5f, 0.75f, 0.125f);
    const uint32_t startARGB = start.ToARGB(); // 0x204080BF
    const struct
    {
        const char* text;
        uint32_t out;
    } cases[] = {
        {"0x80", (startARGB & 0x00FFFFFFu) | 0x80000000u}, // alpha only
        {"80", (startARGB & 0x00FFFFFFu) | 0x80000000u},
        {"FF0000", (startARGB & 0xFF000000u) | 0x00FF0000u}, // colour, alpha kept
        {"0Xa0b0c0", (startARGB & 0xFF000000u) | 0x00A0B0C0u},
        {"12345678", 0x12345678u},
        {"0xFFFFFFFF", 0xFFFFFFFFu},
        {"12345", startARGB}, // other lengths change nothing
        {"", startARGB},
        {"0x", startARGB},
        {"123456789", startARGB},
        {"zz", startARGB & 0x00FFFFFFu}, // no leading digit reads as 0
        {"12zz5678", 0x00000012u},       // digits end at the first other character
        {"x0FF0000", 0x00000000u},       // only "0x" is a prefix
        {" 0FF0000", 0x00000000u},
    };
    for (const auto& c : cases)
    {
        ColorT color = start;
        color.FromHexText(c.text);
        EXPECT_EQ(c.out, color.ToARGB()) << '"' << c.text << '"';
    }
    ColorT color = start;
    color.FromHexText(nullptr);
    EXPECT_TRUE(color.Equals(start));
    EXPECT_TRUE(color.FromHexText("0x80").Equals(Make(0.25f, 0.5f, 0.75f, 128 * ColorT::kByteToChannel)));
}

TEST(Color, EqualsIsFloatEquality)
{
    EXPECT_TRUE(Make(0.0f, 1, 1, 1).Equals(Make(-0.0f, 1, 1, 1)));
    EXPECT_FALSE(Make(kNaN, 1, 1, 1).Equals(Make(kNaN, 1, 1, 1)));
    EXPECT_FALSE(Make(1, 1, 1, 1).Equals(Make(1, 1, 1, 0.99999994f)));
}
