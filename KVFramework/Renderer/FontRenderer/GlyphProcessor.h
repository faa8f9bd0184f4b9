#pragma once
// LGlyphProcessor: what a font renderer hands each glyph of a text to. The font renderer
// asks first whether the processor knows the glyph (LookupGlyph); for a glyph it does not
// know, the font renderer rasterises it, then passes it on (ProcessGlyph), where the
// processor draws it, caches it, or adds it to the bounds of the text.

#include "Graphics/Geometry.h"
#include "ObjectBase/RCPtr.h"
#include "Renderer/Font.h"
#include "Renderer/FontRenderer/PixelBuffer.h"

#include <cstdint>

namespace KV {

// What a glyph is, apart from its pixels.
struct GlyphMetrics
{
    int32_t glyphIndex = 0;
    // The ink box relative to the pen, y down: x minimum, minus y maximum, x maximum,
    // minus y minimum. 16 bits, so large glyphs keep their extent.
    int16_t left = 0;
    int16_t top = 0;
    int16_t right = 0;
    int16_t bottom = 0;
    // 26.6 fixed point.
    int32_t advanceX = 0;
    int32_t advanceY = 0;
};

// One glyph on its way from the font renderer to a processor.
struct GlyphRecord
{
    // The user value at first, then the index + 1 of the character that reached the
    // processor or failed to load last.
    int32_t position = 0;
    int32_t characterCode = 0;
    // The pen, in pixels from the text's origin on the baseline.
    float penX = 0.0f;
    float penY = 0.0f;
    GlyphMetrics metrics;
    // The top of the font's character cell relative to the baseline (negative), as the
    // font renderer measures it: drawn glyphs are placed below the text's position by it.
    int32_t cellTop = 0;
    // The glyph's coverage, one byte a pixel; null while not rasterised.
    RCPtr<LPixelBuffer<uint8_t>> pixels;
};

// Flags of a text run.
inline constexpr int32_t kGlyphAccumulateBounds = 2;
inline constexpr int32_t kGlyphUploadAtOnce = 4;
inline constexpr int32_t kGlyphDraw = 8;
// What LookupGlyph asks the font renderer to make for a glyph.
inline constexpr int32_t kGlyphNeedsGlyph = 1;
inline constexpr int32_t kGlyphNeedsBox = 2;
inline constexpr int32_t kGlyphNeedsBitmap = 4;

// The edges of the bounds of a text.
struct TextBounds
{
    float left = 0.0f;
    float top = 0.0f;
    float right = 0.0f;
    float bottom = 0.0f;
};

class LGlyphProcessor : public virtual LRefCountedObject
{
public:
    // A glyph as a processor keeps it. Id 0 is no glyph.
    struct SCachedGlyph
    {
        int32_t id = 0; // the character code
        GlyphMetrics metrics;
        // Where its pixels lie in the atlas.
        uint16_t atlasX = 0;
        uint16_t atlasY = 0;

        static int32_t GetUniqueID(const SCachedGlyph& glyph) { return glyph.id; }
    };

    virtual void BeginText(const ConstRCPtr<LFont>& font, int32_t flags) = 0;
    virtual void EndText() = 0;
    // Fills the record of a known glyph and answers 0, or answers what must be made of it
    // (kGlyphNeeds... bits).
    virtual int32_t LookupGlyph(GlyphRecord& record) = 0;
    virtual void ProcessGlyph(GlyphRecord& record) = 0;
    virtual TextBounds GetTextBounds() const = 0;

protected:
    ~LGlyphProcessor() override = default;
};

} // namespace KV
