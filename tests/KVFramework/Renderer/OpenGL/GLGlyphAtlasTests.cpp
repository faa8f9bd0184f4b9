// The glyph atlas and pixel buffers of the OpenGL text path, without a display.

#include "Renderer/OpenGL/GLGlyphRenderer.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace KV;

namespace {

using Glyph = LGlyphProcessor::SCachedGlyph;

Glyph GlyphOf(int32_t id)
{
    Glyph glyph;
    glyph.id = id;
    return glyph;
}

RCPtr<LGLGlyphRenderer::LCachedFont> MakeAtlas(float size)
{
    return LGLGlyphRenderer::LCachedFont::Create(LFont::GetFont(u"DejaVu Sans", size, 0));
}

// Glyph pixels all of one value.
RCPtr<LPixelBuffer<uint8_t>> Solid(int32_t width, int32_t height, uint8_t value)
{
    std::vector<uint8_t> bytes(static_cast<size_t>(std::max(width, 1) * height), value);
    return LPixelBuffer<uint8_t>::Create(width, height, std::max(width, 1), bytes.data());
}

} // namespace

TEST(GLTexture, NextPowerOfTwo)
{
    const std::pair<int32_t, int32_t> cases[] = {{0, 0}, {-5, 0},    {1, 1},         {3, 4},        {4, 4},
                                                 {5, 8}, {100, 128}, {16384, 16384}, {20000, 16384}};
    for (const auto& [n, expected] : cases)
        EXPECT_EQ(expected, LGLTexture::NextPowerOfTwo(n)) << n;
}

TEST(PixelBuffer, PaddedRowsZeroFilledAndAddressesInsideOnly)
{
    RCPtr<LPixelBuffer<uint8_t>> buffer = LPixelBuffer<uint8_t>::Create(10, 4, 0, nullptr);
    EXPECT_EQ(16, buffer->GetStride());
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 16; ++x)
            ASSERT_EQ(0, *buffer->GetPixelAddress(x, y));
    EXPECT_EQ(nullptr, buffer->GetPixelAddress(0, 4));
    EXPECT_EQ(nullptr, buffer->GetPixelAddress(-1, 0));
    *buffer->GetPixelAddress(3, 3) = 7;
    EXPECT_EQ(S_OK, buffer->SetHeight(6));
    EXPECT_EQ(7, *buffer->GetPixelAddress(3, 3));
    EXPECT_EQ(0, *buffer->GetPixelAddress(15, 5));
    EXPECT_EQ(E_FAIL, buffer->SetHeight(-1));
}

TEST(GlyphAtlas, ANewRowStartsBelowTheTallestGlyphOfTheRowBefore)
{
    RCPtr<LGLGlyphRenderer::LCachedFont> atlas = MakeAtlas(4.0f);
    Glyph tall = GlyphOf('a');
    ASSERT_TRUE(atlas->CacheGlyph(tall, Solid(100, 30, 1).Get(), 100, 30));
    Glyph wide = GlyphOf('b');
    ASSERT_TRUE(atlas->CacheGlyph(wide, Solid(300, 10, 2).Get(), 300, 10));
    Glyph next = GlyphOf('c'); // does not fit the rest of the first row
    ASSERT_TRUE(atlas->CacheGlyph(next, Solid(200, 5, 3).Get(), 200, 5));
    EXPECT_EQ(1, next.atlasX);
    EXPECT_EQ(32 + 1, next.atlasY); // the first row is 30 + 2 high
    Glyph after = GlyphOf('d');     // the row started by "c" is as tall as "c", whatever came before
    ASSERT_TRUE(atlas->CacheGlyph(after, Solid(400, 40, 4).Get(), 400, 40));
    EXPECT_EQ(32 + 7 + 1, after.atlasY);
}

TEST(GlyphAtlas, RandomGlyphsNeverOverlapAndKeepTheirPixels)
{
    std::mt19937 random(34);
    std::uniform_int_distribution<int32_t> side(0, 60);
    RCPtr<LGLGlyphRenderer::LCachedFont> atlas = MakeAtlas(12.0f);
    struct Placed
    {
        Glyph glyph;
        int32_t width;
        int32_t height;
    };
    std::vector<Placed> placed;
    for (int32_t id = 1; id <= 600; ++id)
    {
        const int32_t width = side(random);
        const int32_t height = side(random);
        Glyph glyph = GlyphOf(id);
        ASSERT_TRUE(
            atlas->CacheGlyph(glyph, Solid(width, height, static_cast<uint8_t>(id)).Get(), width, height));
        placed.push_back({glyph, width, height});
    }
    const RCPtr<LPixelBuffer<uint8_t>>& pixels = atlas->GetAtlas();
    for (size_t i = 0; i < placed.size(); ++i)
    {
        const Placed& a = placed[i];
        // The cell with its one-pixel margin lies inside the atlas.
        ASSERT_GE(a.glyph.atlasX, 1);
        ASSERT_LE(a.glyph.atlasX + a.width + 1, LGLGlyphRenderer::LCachedFont::kAtlasWidth);
        ASSERT_LE(a.glyph.atlasY + a.height + 1, pixels->GetHeight());
        for (size_t j = i + 1; j < placed.size(); ++j)
        {
            const Placed& b = placed[j];
            const bool apart = a.glyph.atlasX + a.width + 1 <= b.glyph.atlasX - 1 ||
                               b.glyph.atlasX + b.width + 1 <= a.glyph.atlasX - 1 ||
                               a.glyph.atlasY + a.height + 1 <= b.glyph.atlasY - 1 ||
                               b.glyph.atlasY + b.height + 1 <= a.glyph.atlasY - 1;
            ASSERT_TRUE(apart) << "glyphs " << a.glyph.id << " and " << b.glyph.id;
        }
        for (int32_t y = 0; y < a.height; ++y)
            for (int32_t x = 0; x < a.width; ++x)
                ASSERT_EQ(static_cast<uint8_t>(a.glyph.id),
                          *pixels->GetPixelAddress(a.glyph.atlasX + x, a.glyph.atlasY + y));
        ASSERT_NE(nullptr, atlas->FindGlyph(a.glyph.id));
    }
    // Atlases grow in powers of two.
    EXPECT_EQ(0, pixels->GetHeight() & (pixels->GetHeight() - 1));
}

TEST(GlyphAtlas, AGlyphWiderThanTheAtlasIsRefused)
{
    RCPtr<LGLGlyphRenderer::LCachedFont> atlas = MakeAtlas(12.0f);
    Glyph huge = GlyphOf('W');
    EXPECT_FALSE(atlas->CacheGlyph(huge, Solid(600, 10, 1).Get(), 600, 10));
    EXPECT_EQ(nullptr, atlas->FindGlyph('W'));
    Glyph fits = GlyphOf('w'); // exactly the width with its margins
    EXPECT_TRUE(atlas->CacheGlyph(fits, Solid(510, 10, 1).Get(), 510, 10));
}
