#pragma once
// PainterFont: a font found by description among the fonts the machine offers, and the
// measuring of text in it. Measuring and drawing use one and the same scaled font, with
// fixed rendering options (grey anti-aliasing, slight hinting, whole-pixel advances), so
// a measured width is what is drawn on every machine with the same font files.
//
// Text is UTF-16: surrogate pairs are one character, an unpaired surrogate shows as the
// replacement character, and control characters take no room and draw nothing.

#include "Graphics/Geometry.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

typedef struct _cairo_scaled_font cairo_scaled_font_t;

namespace KV::Platform {

struct FontDescription
{
    std::string family;     // UTF-8; the nearest installed family stands in for a missing one
    double pixelSize = 0.0; // the em size in pixels
    bool bold = false;
    bool italic = false;
};

// In pixels, from the baseline: ascent up, descent down, height from line to line.
struct FontExtents
{
    double ascent = 0.0;
    double descent = 0.0;
    double height = 0.0;
};

// Where the lines that decorate a text run lie: offset below the baseline (negative is
// above) and thickness, in pixels.
struct FontDecoration
{
    double offset = 0.0;
    double thickness = 1.0;
};

class PainterFont
{
public:
    // The font nearest to the description; null when the machine offers none at all or the
    // size is not a positive number.
    static std::unique_ptr<PainterFont> Create(const FontDescription& description);

    PainterFont(const PainterFont&) = delete;
    PainterFont& operator=(const PainterFont&) = delete;
    ~PainterFont();

    const FontExtents& GetExtents() const noexcept { return mExtents; }
    const FontDecoration& GetUnderline() const noexcept { return mUnderline; }
    const FontDecoration& GetStrikeout() const noexcept { return mStrikeout; }
    // The sum of the characters' advances: blanks count, also at the end.
    double MeasureAdvance(std::u16string_view text) const;

    cairo_scaled_font_t* GetCairoFont() const noexcept { return mFont; }
    // The text as the UTF-8 that the font's glyph lookup takes, with control characters
    // left out.
    static std::string ToDrawableUtf8(std::u16string_view text);

private:
    explicit PainterFont(cairo_scaled_font_t* font);

    cairo_scaled_font_t* mFont;
    FontExtents mExtents;
    FontDecoration mUnderline;
    FontDecoration mStrikeout;
};

} // namespace KV::Platform
