#include "ControlBase/Colorizer.h"
#include "Graphics/Bitmap.h"

#include "ThrownText.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace KV;

namespace {

ColorT FromARGB(uint32_t argb)
{
    ColorT color;
    return color.FromARGB(argb);
}

RCPtr<LColorizer> Solid(const ColorT& color)
{
    return LColorizer::Create(u"solid", ColorType::SolidFill, color);
}

RCPtr<LColorizer> Gradient(ColorType type, const ColorT& from, const ColorT& to)
{
    LColorizer::Gradient gradient;
    gradient.mEndColor = to;
    return LColorizer::Create(u"gradient", type, from, gradient);
}

bool Begins(const std::string& text, const std::string& head)
{
    return text.rfind(head, 0) == 0;
}

} // namespace

TEST(BitmapColorizing, ApplyColorizerLaysTheColourOverEachPixelAndKeepsAlpha)
{
    const struct
    {
        const char* what;
        ColorT color;
        float modifier;
        uint32_t pixel;    // 0xAARRGGBB before
        uint32_t expected; // and after
    } cases[] = {
        {"opaque red covers", {1, 0, 0, 1}, 1.0f, 0x4D1E140A, 0x4DFF0000},
        {"a modifier of 0 changes nothing", {1, 0, 0, 1}, 0.0f, 0x4D1E140A, 0x4D1E140A},
        {"half white over black", {1, 1, 1, 1}, 0.5f, 0xC8000000, 0xC8808080},
        {"half-transparent blue over white", {0, 0, 1, 0.5f}, 1.0f, 0xFFFFFFFF, 0xFF8080FF},
        // A modifier above 1 overshoots: the channels are held to 0..255, not wrapped.
        {"overshoot below 0", {1, 0, 0, 1}, 2.0f, 0x09FFFFFF, 0x09FF0000},
        {"overshoot above 255", {1, 1, 1, 1}, 2.0f, 0x01000000, 0x01FFFFFF},
    };
    for (const auto& c : cases)
    {
        const RCPtr<LBitmap> bitmap = LBitmap::CreateFilledBitmap({2, 1}, FromARGB(c.pixel));
        LBitmap::ApplyColorizer(bitmap, Solid(c.color), c.modifier);
        EXPECT_EQ(bitmap->GetGdiplusBitmap()->GetARGB(0, 0), c.expected) << c.what;
        EXPECT_EQ(bitmap->GetGdiplusBitmap()->GetARGB(1, 0), c.expected) << c.what;
    }
}

TEST(BitmapColorizing, ApplyColorizerRecoloursOnlyTheBitmapsArea)
{
    const RCPtr<LBitmap> bitmap = LBitmap::CreateFilledBitmap({3, 1}, FromARGB(0xFF000000));
    LBitmap::ApplyColorizer(bitmap->CreateSubBitmap(1, 0, 1, 1), Solid({0, 1, 0, 1}), 1.0f);
    EXPECT_EQ(bitmap->GetGdiplusBitmap()->GetARGB(0, 0), 0xFF000000u);
    EXPECT_EQ(bitmap->GetGdiplusBitmap()->GetARGB(1, 0), 0xFF00FF00u);
    EXPECT_EQ(bitmap->GetGdiplusBitmap()->GetARGB(2, 0), 0xFF000000u);
}

RCPtr<LColorizer> Linear(uint32_t from, uint32_t to, float startX, float startY, float endX, float endY)
{
    LColorizer::Gradient gradient;
    gradient.mEndColor = FromARGB(to);
    gradient.mStartX = startX;
    gradient.mStartY = startY;
    gradient.mEndX = endX;
    gradient.mEndY = endY;
    return LColorizer::Create(u"gradient", ColorType::LinearGradient, FromARGB(from), gradient);
}

// Each channel within one step of the expected value: the drawing library rounds the
// colours between the ends its own way.
::testing::AssertionResult Near(uint32_t actual, uint32_t expected)
{
    for (int shift = 0; shift < 32; shift += 8)
    {
        const int a = static_cast<int>((actual >> shift) & 0xFF);
        const int e = static_cast<int>((expected >> shift) & 0xFF);
        if (a - e > 1 || e - a > 1)
            return ::testing::AssertionFailure() << std::hex << actual << " is not " << expected;
    }
    return ::testing::AssertionSuccess();
}

TEST(BitmapColorizing, LinearGradientsRunBetweenTheirEndPoints)
{
    const struct
    {
        const char* what;
        RCPtr<LColorizer> colorizer;
        float modifier;
        SizeT<int32_t> size;
        std::vector<std::pair<PointT<int32_t>, uint32_t>> pixels; // pixel centres at x + 0.5
    } cases[] = {
        {"top to bottom over 4 rows",
         Linear(0xFFFF0000, 0xFF0000FF, 0, 0, 0, 1),
         1.0f,
         {2, 4},
         {{{0, 0}, 0xFFDF0020}, {{1, 0}, 0xFFDF0020}, {{0, 1}, 0xFF9F0060}, {{1, 3}, 0xFF2000DF}}},
        {"left to right, from the middle",
         Linear(0xFF000000, 0xFFFFFFFF, 0.5f, 0, 1, 0),
         1.0f,
         {8, 1},
         {{{0, 0}, 0xFF000000}, {{3, 0}, 0xFF000000}, {{5, 0}, 0xFF5F5F5F}, {{7, 0}, 0xFFDFDFDF}}},
        {"alpha scaled by the modifier",
         Linear(0xFFFF0000, 0x80FF0000, 0, 0, 1, 0),
         0.5f,
         {2, 1},
         {{{0, 0}, 0x70FF0000}, {{1, 0}, 0x50FF0000}}},
        {"ends at one point: the end colour",
         Linear(0xFFFF0000, 0xFF00FF00, 0.5f, 0.5f, 0.5f, 0.5f),
         1.0f,
         {3, 3},
         {{{0, 0}, 0xFF00FF00}, {{2, 2}, 0xFF00FF00}}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        const RCPtr<LBitmap> bitmap = LBitmap::CreateColorizedBitmap(c.colorizer, c.modifier, c.size);
        ASSERT_TRUE(bitmap->GetGdiplusBitmap());
        EXPECT_EQ(bitmap->GetArea(), (RectT<int32_t>{0, 0, c.size.width, c.size.height}));
        for (const auto& [at, expected] : c.pixels)
            EXPECT_TRUE(Near(bitmap->GetGdiplusBitmap()->GetARGB(at.x, at.y), expected))
                << at.x << "," << at.y;
    }
}

TEST(BitmapColorizing, GradientsAreLaidOverPixelsAndRadialOnesAreRefused)
{
    // Opaque ends cover the picture; alpha stays the picture's.
    const RCPtr<LBitmap> bitmap = LBitmap::CreateFilledBitmap({1, 2}, FromARGB(0x80102030));
    LBitmap::ApplyColorizer(bitmap, Linear(0xFFFF0000, 0xFF0000FF, 0, 0, 0, 1), 1.0f);
    EXPECT_TRUE(Near(bitmap->GetGdiplusBitmap()->GetARGB(0, 0), 0x80BF0040));
    EXPECT_TRUE(Near(bitmap->GetGdiplusBitmap()->GetARGB(0, 1), 0x804000BF));

    const RCPtr<LBitmap> untouched = LBitmap::CreateFilledBitmap({2, 2}, FromARGB(0xFF102030));
    const std::string text = ThrownText([&] {
        LBitmap::ApplyColorizer(untouched, Gradient(ColorType::RadialGradient, {1, 0, 0, 1}, {0, 0, 1, 1}),
                                1.0f);
    });
    EXPECT_TRUE(Begins(text, "Domain Error : KV::LBitmap::CreateGradientFilledBitmap : ")) << text;
    EXPECT_EQ(untouched->GetGdiplusBitmap()->GetARGB(1, 1), 0xFF102030u);

    // A gradient whose ends are equal is a solid fill.
    const RCPtr<LBitmap> even = LBitmap::CreateColorizedBitmap(
        Gradient(ColorType::LinearGradient, {0, 0, 1, 1}, {0, 0, 1, 1}), 1.0f, {1, 1});
    EXPECT_EQ(even->GetGdiplusBitmap()->GetARGB(0, 0), 0xFF0000FFu);
}

TEST(BitmapColorizing, MissingInputsAndEmptySizesAreRefused)
{
    const RCPtr<LBitmap> bitmap = LBitmap::CreateFilledBitmap({1, 1}, {});
    const RCPtr<LColorizer> red = Solid({1, 0, 0, 1});
    const struct
    {
        const char* what;
        std::string text;
        const char* head;
    } cases[] = {
        {"no bitmap", ThrownText([&] { LBitmap::ApplyColorizer(nullptr, red, 1.0f); }),
         "Runtime Error : KV::LBitmap::ApplyColorizer : "},
        {"no colorizer", ThrownText([&] { LBitmap::ApplyColorizer(bitmap, nullptr, 1.0f); }),
         "Runtime Error : KV::LBitmap::ApplyColorizer : "},
        {"no width", ThrownText([&] {
             LBitmap::CreateColorizedBitmap(red, 1.0f, {0, 5});
         }),
         "Runtime Error : KV::LBitmap::CreateColorizedBitmap : "},
        {"no colorizer to fill with", ThrownText([&] {
             LBitmap::CreateColorizedBitmap(nullptr, 1.0f, {5, 5});
         }),
         "Runtime Error : KV::LBitmap::CreateColorizedBitmap : "},
        {"part and mask", ThrownText([&] {
             LBitmap::CreateColorizedPartBitmap(red, 1.0f, {1, 1}, bitmap, bitmap);
         }),
         "Domain Error : KV::LBitmap::CreateColorizedPartBitmap : "},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(Begins(c.text, c.head)) << c.what << ": " << c.text;
}

TEST(BitmapColorizing, APartBitmapIsARecolouredCopyOfThePartOrOfTheMaskOrAFill)
{
    const RCPtr<LBitmap> sheet = LBitmap::CreateFilledBitmap({4, 4}, FromARGB(0x80FFFFFF));
    const RCPtr<LBitmap> piece = sheet->CreateSubBitmap(1, 1, 2, 3);
    const RCPtr<LColorizer> blue = Solid({0, 0, 1, 1});
    for (const bool asMask : {false, true})
    {
        const RCPtr<LBitmap> part = LBitmap::CreateColorizedPartBitmap(
            blue, 1.0f, {9, 9}, asMask ? nullptr : piece, asMask ? piece : nullptr);
        EXPECT_EQ(part->GetArea(), (RectT<int32_t>{0, 0, 2, 3}));
        EXPECT_EQ(part->GetGdiplusBitmap()->GetARGB(1, 2), 0x800000FFu);
        EXPECT_EQ(sheet->GetGdiplusBitmap()->GetARGB(1, 1), 0x80FFFFFFu); // the sheet keeps its pixels
    }

    const RCPtr<LBitmap> fill =
        LBitmap::CreateColorizedPartBitmap(Solid({0.2f, 0.4f, 0.6f, 0.8f}), 0.5f, {3, 2}, nullptr, nullptr);
    EXPECT_EQ(fill->GetArea(), (RectT<int32_t>{0, 0, 3, 2}));
    EXPECT_EQ(fill->GetGdiplusBitmap()->GetARGB(2, 1), (ColorT{0.2f, 0.4f, 0.6f, 0.4f}.ToARGB()));
}
