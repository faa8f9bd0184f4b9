#pragma once
// LFontRenderer: measures and draws text without the window system's text functions:
// each glyph of a text goes through a glyph processor (LGlyphProcessor), which draws it,
// caches it or accumulates the text's bounds.

#include "Graphics/Geometry.h"
#include "KVResult.h"
#include "Renderer/FontRenderer/GlyphProcessor.h"
#include "Storage/StringT.h"

namespace KV {

class LFontRenderer : public virtual LRefCountedObject
{
public:
    using GlyphRecord = KV::GlyphRecord;

    // The box of the text: x and width from its glyphs (the pen origin included), y from
    // the higher of the ink top and the font's cell top, height to the lower of the ink
    // bottom and the cell bottom.
    virtual RectT<float> GetTextExtent(const String& text, const ConstRCPtr<LFont>& font) = 0;
    virtual KVRESULT GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height, int32_t& cellTop,
                                    int32_t& cellBottom) = 0;
    // Hands the glyphs of the text to the processor with the flags; answers how many
    // characters were processed.
    virtual int32_t RenderText(const String& text, const ConstRCPtr<LFont>& font,
                               const RCPtr<LGlyphProcessor>& processor, int32_t userValue, int32_t limit,
                               int32_t flags) = 0;
    // The bounds the glyph processor accumulated; all 0 without one.
    virtual TextBounds GetTextBounds() const
    {
        return mGlyphProcessor ? mGlyphProcessor->GetTextBounds() : TextBounds{};
    }

    const RCPtr<LGlyphProcessor>& GetGlyphProcessor() const noexcept { return mGlyphProcessor; }

protected:
    LFontRenderer(const RCPtr<LGlyphProcessor>& heldProcessor, const RCPtr<LGlyphProcessor>& glyphProcessor)
        : mHeldProcessor(heldProcessor), mGlyphProcessor(glyphProcessor)
    {
    }
    ~LFontRenderer() override = default;

private:
    RCPtr<LGlyphProcessor> mHeldProcessor;
    RCPtr<LGlyphProcessor> mGlyphProcessor;
};

} // namespace KV
