#include "ControlBase/Colorizer.h"
#include "Graphics/Bitmap.h"

#include "ThrownText.h"

#include <gtest/gtest.h>

#include <string>

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

TEST(BitmapColorizing, GradientsAreNotDrawnAndLeaveThePixelsAlone)
{
    const RCPtr<LBitmap> bitmap = LBitmap::CreateFilledBitmap({2, 2}, FromARGB(0xFF102030));
    const std::string text = ThrownText([&] {
        LBitmap::ApplyColorizer(bitmap, Gradient(ColorType::LinearGradient, {1, 0, 0, 1}, {0, 0, 1, 1}),
                                1.0f);
    });
    EXPECT_TRUE(Begins(text, "Domain Error : KV::LBitmap::CreateGradientFilledBitmap : ")) << text;
    EXPECT_EQ(bitmap->GetGdiplusBitmap()->GetARGB(1, 1), 0xFF102030u);
    EXPECT_TRUE(Begins(ThrownText([] {
                           LBitmap::CreateColorizedBitmap(
                               Gradient(ColorType::RadialGradient, {1, 0, 0, 1}, {1, 0, 0, 0.5f}), 1.0f,
                               {4, 4});
                       }),
                       "Domain Error : KV::LBitmap::CreateGradientFilledBitmap : "));

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
