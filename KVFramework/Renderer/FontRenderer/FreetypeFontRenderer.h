#pragma once
// LFreetypeFontRenderer: text measured and drawn from font files with FreeType. A font's
// file comes from the font-file table (LFontFileInfo), which the renderer builds when it
// first handles text, unless one exists; faces and sizes come through FreeType's cache. Glyphs are rasterised
// once (anti- aliased from 8 points, monochrome below) and handed to the glyph processor one by one, with the
// pair kerning of faces that have it.

#include "Renderer/FontRenderer/FontRenderer.h"

namespace KV {

class LFreetypeFontRenderer : public LFontRenderer
{
public:
    // Sizes are points at 96 dots per inch.
    static constexpr int32_t kDotsPerInch = 96;

    // heldProcessor is only kept; glyphProcessor gets the glyphs of every text.
    static RCPtr<LFreetypeFontRenderer> Create(const RCPtr<LGlyphProcessor>& heldProcessor,
                                               const RCPtr<LGlyphProcessor>& glyphProcessor);

    RectT<float> GetTextExtent(const String& text, const ConstRCPtr<LFont>& font) override;
    // E_FAIL when the font's face cannot be loaded.
    KVRESULT GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height, int32_t& cellTop,
                            int32_t& cellBottom) override;
    int32_t RenderText(const String& text, const ConstRCPtr<LFont>& font,
                       const RCPtr<LGlyphProcessor>& processor, int32_t userValue, int32_t limit,
                       int32_t flags) override;

protected:
    LFreetypeFontRenderer(const RCPtr<LGlyphProcessor>& heldProcessor,
                          const RCPtr<LGlyphProcessor>& glyphProcessor);
    ~LFreetypeFontRenderer() override;

private:
    // Builds the font-file table unless one exists, once per renderer.
    void EnsureFontTable();

    bool mLibraryHeld = false;
    bool mTableChecked = false;
};

} // namespace KV
