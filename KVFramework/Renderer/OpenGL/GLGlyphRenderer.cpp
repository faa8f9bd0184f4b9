#include "Renderer/OpenGL/GLGlyphRenderer.h"

#include "Renderer/OpenGL/GLCalls.h"

#include <algorithm>
#include <cstring>

namespace KV {

RCPtr<LGLGlyphRenderer::LCachedFont> LGLGlyphRenderer::LCachedFont::Create(const ConstRCPtr<LFont>& font)
{
    return RCPtr<LCachedFont>(new LCachedFont(font));
}

LGLGlyphRenderer::LCachedFont::LCachedFont(const ConstRCPtr<LFont>& font)
    : mFont(const_cast<LFont*>(font.Get()))
{
    // The atlas exists from the start, about one row of the font high.
    Reserve(0, font ? std::clamp(static_cast<int32_t>(font->GetSize()), 0, kMaxAtlasHeight) : 0);
}

bool LGLGlyphRenderer::LCachedFont::IsDirty() const noexcept
{
    return mDirty.width > kExtentEpsilon<float> && mDirty.height > kExtentEpsilon<float>;
}

bool LGLGlyphRenderer::LCachedFont::Reserve(int32_t width, int32_t height)
{
    if (width > kAtlasWidth)
        return false;
    int32_t rowTop = mRowTop;
    int32_t tallest = std::max(mTallest, height);
    int32_t penX = mPenX;
    if (penX + width > kAtlasWidth)
    {
        // The new row starts below the tallest cell of the row it leaves, and the cell
        // that starts it is the tallest of the new row so far.
        rowTop += mTallest;
        tallest = height;
        penX = 0;
    }
    const int32_t needed = rowTop + height;
    if (needed > kMaxAtlasHeight)
        return false;
    if (!mAtlas)
        mAtlas = LPixelBuffer<uint8_t>::Create(kAtlasWidth, 0, kAtlasWidth, nullptr);
    if (needed > mAtlas->GetHeight() || mAtlas->GetHeight() == 0)
    {
        const int32_t newHeight = NextPowerOfTwo(std::max(needed, 1));
        if (mAtlas->SetHeight(newHeight) != S_OK)
            return false;
        mDirty = {0.0f, 0.0f, static_cast<float>(kAtlasWidth), static_cast<float>(newHeight)};
    }
    mRowTop = rowTop;
    mTallest = tallest;
    mPenX = penX;
    return true;
}

bool LGLGlyphRenderer::LCachedFont::CacheGlyph(SCachedGlyph& glyph, const LPixelBuffer<uint8_t>* pixels,
                                               int32_t width, int32_t height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (!Reserve(width + 2, height + 2))
        return false;
    glyph.atlasX = static_cast<uint16_t>(mPenX + 1);
    glyph.atlasY = static_cast<uint16_t>(mRowTop + 1);
    if (pixels)
    {
        const int32_t rows = std::min(height, pixels->GetHeight());
        const int32_t columns = std::min(width, pixels->GetStride());
        for (int32_t y = 0; y < rows; ++y)
            std::memcpy(mAtlas->GetPixelAddress(glyph.atlasX, glyph.atlasY + y),
                        pixels->GetPixelAddress(0, y), static_cast<size_t>(columns));
    }
    const RectT<float> cell{static_cast<float>(mPenX), static_cast<float>(mRowTop),
                            static_cast<float>(width + 2), static_cast<float>(height + 2)};
    if (IsDirty())
        RectT<float>::Union(mDirty, mDirty, cell);
    else
        mDirty = cell;
    mPenX += width + 2;
    mGlyphs.Add(glyph);
    return true;
}

const LGlyphProcessor::SCachedGlyph* LGLGlyphRenderer::LCachedFont::FindGlyph(int32_t id)
{
    return mGlyphs.Find(id, nullptr);
}

void LGLGlyphRenderer::LCachedFont::UploadDirty()
{
    if (!IsDirty() || !mAtlas || !GL::HasCurrentContext())
        return;
    Image image;
    image.Set(mAtlas->GetBytes(), mAtlas->GetStride(), 1, mAtlas->GetWidth(), mAtlas->GetHeight(), GL_ALPHA,
              GL_UNSIGNED_BYTE);
    if (Upload(image, GL_ALPHA, kNearest, 1.0f) == S_OK)
        mDirty = {};
}

RCPtr<LGlyphProcessor> LGLGlyphRenderer::Create()
{
    return RCPtr<LGlyphProcessor>(new LGLGlyphRenderer());
}

void LGLGlyphRenderer::BeginText(const ConstRCPtr<LFont>& font, int32_t flags)
{
    mFlags = flags;
    mBounds = {};
    mCurrentGlyph = {};
    RCPtr<LCachedFont>* entry = mFontCache.GetEntry(LFont::GetUniqueID(font.Get()), false);
    if (!*entry || (*entry)->GetFont().Get() != font.Get())
        *entry = LCachedFont::Create(font);
    mCurrentFont = *entry;
    if (mFlags & kGlyphUploadAtOnce)
        mCurrentFont->UploadDirty();
}

void LGLGlyphRenderer::EndText()
{
    mCurrentFont = nullptr;
}

int32_t LGLGlyphRenderer::LookupGlyph(GlyphRecord& record)
{
    if (!mCurrentFont)
        return 0;
    const SCachedGlyph* found = mCurrentFont->FindGlyph(record.characterCode);
    mCurrentGlyph = found ? *found : SCachedGlyph{};
    if (!found)
        return kGlyphNeedsGlyph | kGlyphNeedsBox | kGlyphNeedsBitmap;
    record.metrics = found->metrics;
    return 0;
}

void LGLGlyphRenderer::ProcessGlyph(GlyphRecord& record)
{
    if (!mCurrentFont)
        return;
    if (mCurrentGlyph.id == 0)
    {
        SCachedGlyph glyph;
        glyph.id = record.characterCode;
        glyph.metrics = record.metrics;
        if (!mCurrentFont->CacheGlyph(glyph, record.pixels.Get(), record.metrics.right - record.metrics.left,
                                      record.metrics.bottom - record.metrics.top))
            return; // a glyph the atlas cannot hold is not drawn
        mCurrentGlyph = glyph;
        if (mFlags & kGlyphUploadAtOnce)
            mCurrentFont->UploadDirty();
    }
    if (!(mFlags & (kGlyphDraw | kGlyphAccumulateBounds)))
        return;
    const SCachedGlyph& cached = mCurrentGlyph;
    const GlyphMetrics& glyph = cached.metrics;
    if ((mFlags & kGlyphDraw) && GL::HasCurrentContext())
    {
        const float cellTop = static_cast<float>(record.cellTop);
        const float ax = cached.atlasX;
        const float ay = cached.atlasY;
        mCurrentFont->DrawQuad({ax, ay, ax + static_cast<float>(glyph.right - glyph.left),
                                ay + static_cast<float>(glyph.bottom - glyph.top)},
                               {record.penX + glyph.left, glyph.top - cellTop - record.penY,
                                record.penX + glyph.right, glyph.bottom - cellTop - record.penY});
    }
    if (mFlags & kGlyphAccumulateBounds)
    {
        const RectT<float> box{record.penX, glyph.top + record.penY, static_cast<float>(glyph.advanceX >> 6),
                               static_cast<float>(glyph.bottom - glyph.top)};
        RectT<float> bounds{mBounds.left, mBounds.top, mBounds.right - mBounds.left,
                            mBounds.bottom - mBounds.top};
        RectT<float>::Union(bounds, bounds, box);
        mBounds = {bounds.x, bounds.y, bounds.x + bounds.width, bounds.y + bounds.height};
    }
}

} // namespace KV
