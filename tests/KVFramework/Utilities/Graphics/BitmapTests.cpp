#include "Graphics/Bitmap.h"
#include "Graphics/BitmapData.h"

#include "PngTestFile.h"
#include "TemporaryFolder.h"

#include "ThrownText.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace KV;

namespace {

struct Rgba
{
    uint8_t r, g, b, a;
};

// A width x height RGBA file whose pixel (x, y) is pixelAt(x, y).
template <class PixelAt>
std::string WritePng(const std::string& path, uint32_t width, uint32_t height, PixelAt pixelAt)
{
    PngTestImage png{width, height, PNG_COLOR_TYPE_RGB_ALPHA, 8,
                     PngTestImage::Rows(height, std::vector<uint8_t>(4 * width))};
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
        {
            const Rgba p = pixelAt(x, y);
            uint8_t* rgba = &png.rows[y][4 * x];
            rgba[0] = p.r;
            rgba[1] = p.g;
            rgba[2] = p.b;
            rgba[3] = p.a;
        }
    WriteBytesToFile(path, EncodePng(png));
    return path;
}

// Each pixel tells where it lies: red = x, green = y.
Rgba Coordinates(uint32_t x, uint32_t y)
{
    return {uint8_t(x), uint8_t(y), 7, 255};
}

String Wide(const std::string& text)
{
    return String(text.c_str());
}

class BitmapFiles : public ::testing::Test
{
protected:
    TemporaryFolder mFolder;
};

} // namespace

TEST_F(BitmapFiles, AHalfTransparentPixelReadsBackExactly)
{
    const std::string path = WritePng(mFolder / "half.png", 2, 1, [](uint32_t x, uint32_t) {
        return x ? Rgba{10, 20, 30, 0} : Rgba{200, 100, 50, 128};
    });
    const RCPtr<LBitmap> bitmap = LBitmap::GetCachedBitmap(Wide(path));
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->GetArea(), (RectT<int32_t>{0, 0, 2, 1}));
    EXPECT_EQ(bitmap->GetName(), Wide(path));

    const RCPtr<LBitmapData> data = bitmap->LockBits();
    ASSERT_EQ(data->GetWidth(), 2);
    ASSERT_EQ(data->GetHeight(), 1);
    EXPECT_EQ(data->GetStride(), 8);
    const uint8_t expected[] = {50, 100, 200, 128, 30, 20, 10, 0}; // blue, green, red, alpha
    EXPECT_EQ(std::memcmp(data->GetPixelAddress(0, 0), expected, sizeof expected), 0);

    const ColorT half = bitmap->GetPixelColor(0, 0);
    EXPECT_EQ(half.r, 200 / 255.0f);
    EXPECT_EQ(half.g, 100 / 255.0f);
    EXPECT_EQ(half.b, 50 / 255.0f);
    EXPECT_EQ(half.a, 128 / 255.0f);
    EXPECT_EQ(bitmap->GetPixelColor(1, 0).r, 10 / 255.0f); // a colour under zero alpha is kept
}

TEST_F(BitmapFiles, TheCacheGivesOneObjectPerNameWhileItIsHeld)
{
    const String path = Wide(WritePng(mFolder / "one.png", 4, 4, Coordinates));
    RCPtr<LBitmap> first = LBitmap::GetCachedBitmap(path);
    ASSERT_TRUE(first);
    EXPECT_EQ(LBitmap::GetCachedBitmap(path), first);
    EXPECT_EQ(first->GetCacheKey(), path);
    EXPECT_EQ(first->GetInternalRefCount(), 1);

    // Once nobody else holds it, the cache lets it go too: the next request loads anew.
    const GraphicsHandle firstHandle = first->GetHandle();
    first = nullptr;
    const RCPtr<LBitmap> second = LBitmap::GetCachedBitmap(path);
    ASSERT_TRUE(second);
    EXPECT_NE(second->GetHandle(), firstHandle);
}

TEST_F(BitmapFiles, AMissingFileGivesNullAndIsTriedAgain)
{
    const std::string path = mFolder / "later.png";
    EXPECT_FALSE(LBitmap::GetCachedBitmap(Wide(path)));
    WritePng(path, 3, 2, Coordinates);
    const RCPtr<LBitmap> bitmap = LBitmap::GetCachedBitmap(Wide(path));
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->GetArea(), (RectT<int32_t>{0, 0, 3, 2}));

    // File names tell case apart, so another spelling is another (missing) file.
    EXPECT_FALSE(LBitmap::GetCachedBitmap(Wide(mFolder / "LATER.png")));
    // Bytes that are no image give no bitmap either.
    TemporaryFolder::WriteFile(mFolder / "text.png", "not an image");
    EXPECT_FALSE(LBitmap::GetCachedBitmap(Wide(mFolder / "text.png")));
}

TEST(Bitmap, AResourceNameIsUpperCasedWithDotsAndBlanksAsUnderscores)
{
    const RCPtr<LBitmap> bitmap = LBitmap::GetCachedBitmap(u"::a.b c");
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(LBitmap::GetCachedBitmap(u"::A.B C"), bitmap);
    EXPECT_EQ(bitmap->GetCacheKey(), u"::A.B C");
    EXPECT_EQ(bitmap->GetArea(), (RectT<int32_t>{0, 0, 2, 2}));
    EXPECT_EQ(bitmap->GetPixelColor(1, 0).ToARGB(), 0x8000FF00u);
    EXPECT_FALSE(LBitmap::GetCachedBitmap(u"::checker.png")); // carried under its given name only
    EXPECT_FALSE(LBitmap::GetCachedBitmap(u"::"));
}

TEST_F(BitmapFiles, SubBitmapsViewAreasOfTheImageThatOwnsThePixels)
{
    const RCPtr<LBitmap> root =
        LBitmap::GetCachedBitmap(Wide(WritePng(mFolder / "sheet.png", 100, 80, Coordinates)));
    ASSERT_TRUE(root);
    const RCPtr<LBitmap> outer = root->CreateSubBitmap(10, 10, 50, 40);
    const RCPtr<LBitmap> inner = outer->CreateSubBitmap(5, 5, 20, 10);
    EXPECT_EQ(inner->GetArea(), (RectT<int32_t>{15, 15, 20, 10}));
    EXPECT_EQ(inner->GetParent(), root);
    EXPECT_EQ(inner->GetGdiplusBitmap(), root->GetGdiplusBitmap());
    EXPECT_EQ(inner->GetPixelColor(2, 3).ToARGB(), 0xFF111207u); // image pixel (17, 18)

    const struct
    {
        const char* what;
        RectT<int32_t> request; // relative to outer, at (10, 10)
        RectT<int32_t> area;    // in the root's coordinates
    } cases[] = {
        {"a width of 0 views the whole area", {3, 4, 0, 9}, {10, 10, 50, 40}},
        {"a negative height too", {3, 4, 9, -1}, {10, 10, 50, 40}},
        {"cut at the image's right and bottom", {80, 60, 20, 20}, {90, 70, 10, 10}},
        {"cut at its left and top", {-15, -12, 10, 10}, {0, 0, 5, 8}},
        {"wholly outside: empty", {200, 5, 10, 10}, {100, 15, 0, 0}},
        {"no overflow far outside", {2147483647, -2147483647 - 1, 10, 10}, {100, 0, 0, 0}},
    };
    for (const auto& c : cases)
    {
        const RCPtr<LBitmap> sub =
            outer->CreateSubBitmap(c.request.x, c.request.y, c.request.width, c.request.height);
        EXPECT_EQ(sub->GetArea(), c.area) << c.what;
        EXPECT_EQ(sub->GetParent(), root) << c.what;
    }
}

TEST_F(BitmapFiles, PixelReadsOutsideTheImageAreTransparentBlack)
{
    const RCPtr<LBitmap> root =
        LBitmap::GetCachedBitmap(Wide(WritePng(mFolder / "small.png", 4, 4, Coordinates)));
    ASSERT_TRUE(root);
    const RCPtr<LBitmap> corner = root->CreateSubBitmap(2, 2, 2, 2);
    EXPECT_EQ(corner->GetPixelColor(1, 1).ToARGB(), 0xFF030307u);
    for (const auto& [x, y] : {std::pair{2, 0}, {0, 2}, {-3, 0}, {0, -3}, {2147483647, 2147483647}})
    {
        const ColorT outside = corner->GetPixelColor(x, y);
        EXPECT_EQ(outside.ToARGB(), 0u) << x << "," << y;
        EXPECT_EQ(root->GetGdiplusBitmap()->GetLastStatus(), ImageStatus::InvalidParameter);
    }
    EXPECT_EQ(MakeRCPtr<LBitmap>()->GetPixelColor(0, 0).ToARGB(), 0u);
}

TEST_F(BitmapFiles, CloneAreaCopiesThePixelsOfTheArea)
{
    const RCPtr<LBitmap> root =
        LBitmap::GetCachedBitmap(Wide(WritePng(mFolder / "clone.png", 8, 8, Coordinates)));
    ASSERT_TRUE(root);
    const RCPtr<LBitmap> clone = root->CreateSubBitmap(3, 2, 4, 5)->CloneArea();
    EXPECT_EQ(clone->GetArea(), (RectT<int32_t>{0, 0, 4, 5}));
    EXPECT_FALSE(clone->GetParent());
    ASSERT_TRUE(clone->GetGdiplusBitmap());
    EXPECT_NE(clone->GetGdiplusBitmap(), root->GetGdiplusBitmap());
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 4; ++x)
            EXPECT_EQ(clone->GetPixelColor(x, y).ToARGB(), root->GetPixelColor(x + 3, y + 2).ToARGB());

    // The copy is its own: writing it leaves the original alone.
    clone->GetGdiplusBitmap()->Fill(0);
    EXPECT_EQ(root->GetPixelColor(3, 2).ToARGB(), 0xFF030207u);

    // An empty area has nothing to copy.
    const RCPtr<LBitmap> none = root->CreateSubBitmap(50, 50, 5, 5)->CloneArea();
    EXPECT_FALSE(none->GetGdiplusBitmap());
    EXPECT_EQ(root->GetGdiplusBitmap()->GetLastStatus(), ImageStatus::InvalidParameter);
}

TEST_F(BitmapFiles, LockingASubBitmapLocksTheWholeImage)
{
    const RCPtr<LBitmap> root =
        LBitmap::GetCachedBitmap(Wide(WritePng(mFolder / "lock.png", 6, 5, Coordinates)));
    ASSERT_TRUE(root);
    const RCPtr<LBitmapData> data = root->CreateSubBitmap(1, 1, 2, 2)->LockBits();
    EXPECT_EQ(data->GetBitmap(), root);
    EXPECT_EQ(data->GetWidth(), 6);
    EXPECT_EQ(data->GetHeight(), 5);
    EXPECT_EQ(data->GetStride(), 24);
    EXPECT_EQ(data->GetPixelAddress(4, 3)[2], 4); // red = x
    EXPECT_EQ(data->GetPixelAddress(4, 3)[1], 3); // green = y
    EXPECT_EQ(data->GetPixelAddress(4, 3), root->GetGdiplusBitmap()->PixelAt(4, 3));
}

TEST(Bitmap, ABitmapWithoutImageLocksAsNothing)
{
    const RCPtr<LBitmapData> data = MakeRCPtr<LBitmap>()->LockBits();
    EXPECT_EQ(data->GetWidth(), 0);
    EXPECT_EQ(data->GetHeight(), 0);
    EXPECT_EQ(data->GetStride(), 0);
    EXPECT_EQ(data->GetPixelAddress(0, 0), nullptr);
    EXPECT_EQ(data->GetPixelAddress(3, 4), nullptr);
}

TEST(Bitmap, ADelegateBufferIsRefused)
{
    const RCPtr<LBitmap> bitmap = LBitmap::CreateFilledBitmap({2, 2}, ColorT{1, 1, 1, 1});
    const RCPtr<LBitmapData> other(new LBitmapData(bitmap, BitmapLockMode::Read));
    const std::string text =
        ThrownText([&] { RCPtr<LBitmapData>(new LBitmapData(bitmap, BitmapLockMode::Read, other)); });
    EXPECT_EQ(
        text.rfind("Domain Error : KV::LBitmapData::LBitmapData : Utilities/Graphics/BitmapData : Line ", 0),
        0u)
        << text;
}

TEST(Bitmap, AFilledBitmapHoldsTheColourInEveryPixel)
{
    const RCPtr<LBitmap> bitmap = LBitmap::CreateFilledBitmap({3, 2}, ColorT{1.0f, 0.5f, 0.0f, 0.25f});
    ASSERT_TRUE(bitmap->GetGdiplusBitmap());
    EXPECT_EQ(bitmap->GetArea(), (RectT<int32_t>{0, 0, 3, 2}));
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 3; ++x)
            EXPECT_EQ(bitmap->GetGdiplusBitmap()->GetARGB(x, y), 0x40FF8000u);

    for (const SizeT<int32_t> size : {SizeT<int32_t>{0, 10}, SizeT<int32_t>{10, -1}})
    {
        const std::string text = ThrownText([&] { LBitmap::CreateFilledBitmap(size, ColorT{0, 0, 0, 1}); });
        EXPECT_EQ(
            text.rfind("Runtime Error : KV::LBitmap::CreateFilledBitmap : Utilities/Graphics/Bitmap : Line ",
                       0),
            0u)
            << text;
    }
    EXPECT_FALSE(
        LBitmap::CreateFilledBitmap({BitmapImage::kMaxSide + 1, 1}, ColorT{0, 0, 0, 1})->GetGdiplusBitmap());
}

TEST(Bitmap, AWriteLockDropsTheDrawingSurfaceAReadLockKeepsIt)
{
    struct Marker : BitmapImage::DerivedSurface
    {
    };
    const RCPtr<LBitmap> bitmap = LBitmap::CreateFilledBitmap({2, 2}, ColorT{0, 0, 0, 1});
    BitmapImage* image = bitmap->GetGdiplusBitmap();
    image->SetDerivedSurface(std::make_unique<Marker>());
    {
        const RCPtr<LBitmapData> reading(new LBitmapData(bitmap, BitmapLockMode::Read));
    }
    EXPECT_TRUE(image->GetDerivedSurface());
    {
        const RCPtr<LBitmapData> writing(new LBitmapData(bitmap, BitmapLockMode::ReadWrite));
        writing->GetPixelAddress(1, 1)[2] = 0xFF;
    }
    EXPECT_FALSE(image->GetDerivedSurface());
    EXPECT_EQ(bitmap->GetPixelColor(1, 1).ToARGB(), 0xFFFF0000u);
}
