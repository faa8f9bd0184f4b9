#pragma once
// LGLGlyphRenderer: the glyph processor of the OpenGL renderer. Each font gets an atlas
// (LCachedFont): a 512-pixel wide alpha texture into which new glyphs are copied row by
// row, one pixel apart; a table remembers where each glyph lies. Glyphs are drawn as
// textured quads from the atlas, and the bounds of a text can be accumulated instead of,
// or as well as, drawing it. At most 16 fonts keep atlases; the least recently used one
// is dropped for a 17th.

#include "Renderer/FontRenderer/GlyphProcessor.h"
#include "Renderer/OpenGL/GLTexture.h"
#include "Storage/HashedList.h"
#include "Storage/PurgableObjectCache.h"

#include <cstdint>

namespace KV {

class LGLGlyphRenderer : public LGlyphProcessor
{
public:
    class LCachedFont : public LGLTexture
    {
    public:
        static constexpr int32_t kAtlasWidth = 512;
        // Atlas positions are 16 bits, and textures no taller than this.
        static constexpr int32_t kMaxAtlasHeight = LGLTexture::kMaxSide;

        static RCPtr<LCachedFont> Create(const ConstRCPtr<LFont>& font);

        // Copies the glyph's pixels (width x height, may be null for an empty glyph) into
        // the atlas and stores the glyph with its place; false when the glyph cannot be
        // placed (wider than the atlas, or the atlas is full).
        bool CacheGlyph(SCachedGlyph& glyph, const LPixelBuffer<uint8_t>* pixels, int32_t width,
                        int32_t height);
        // The stored glyph of a character, or null.
        const SCachedGlyph* FindGlyph(int32_t id);
        // Uploads the atlas when anything changed since the last upload (needs a current
        // context; otherwise it stays to be uploaded).
        void UploadDirty();

        const RCPtr<LPixelBuffer<uint8_t>>& GetAtlas() const noexcept { return mAtlas; }
        const RCPtr<LFont>& GetFont() const noexcept { return mFont; }
        bool IsDirty() const noexcept;

    protected:
        explicit LCachedFont(const ConstRCPtr<LFont>& font);
        ~LCachedFont() override = default;

    private:
        // Room for a width x height cell at the pen, starting a new row when it does not
        // fit the rest of this one and growing the atlas as needed.
        bool Reserve(int32_t width, int32_t height);

        RCPtr<LFont> mFont;
        int32_t mPenX = 0;
        int32_t mRowTop = 0;
        int32_t mTallest = 0;
        RCPtr<LPixelBuffer<uint8_t>> mAtlas;
        RectT<float> mDirty{};
        HashedList<SCachedGlyph, int32_t, &SCachedGlyph::GetUniqueID, 8, &GetBits<8, 0, int32_t>> mGlyphs;
    };

    static RCPtr<LGlyphProcessor> Create();

    void BeginText(const ConstRCPtr<LFont>& font, int32_t flags) override;
    void EndText() override;
    int32_t LookupGlyph(GlyphRecord& record) override;
    void ProcessGlyph(GlyphRecord& record) override;
    TextBounds GetTextBounds() const override { return mBounds; }

    // The atlas of the text being processed; null outside a text.
    const RCPtr<LCachedFont>& GetCurrentFont() const noexcept { return mCurrentFont; }

protected:
    LGLGlyphRenderer() = default;
    ~LGLGlyphRenderer() override = default;

private:
    using FontCache =
        PurgableObjectCache<LCachedFont, int32_t, int32_t, &GetSelf<int32_t>, 4, &GetBits<4, 0, int32_t>>;

    FontCache mFontCache{16};
    RCPtr<LCachedFont> mCurrentFont;
    SCachedGlyph mCurrentGlyph;
    TextBounds mBounds;
    int32_t mFlags = 0;
};

} // namespace KV
