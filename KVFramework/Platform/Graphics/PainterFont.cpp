// Fonts on fontconfig and cairo-ft.
//  [x] family, pixel size, weight and slant matched by fontconfig   [x] fixed rendering options
//  [x] extents, advances, underline and strike-out lines from the font's own tables
//  [x] surrogate pairs, control characters of zero width
//  [ ] shaping (ligatures, right-to-left text): text is drawn character by character

#include "Platform/Graphics/PainterFont.h"

#include <cairo-ft.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>

namespace KV::Platform {

namespace {

// The same on every machine, whatever the desktop's settings: grey anti-aliasing, slight
// hinting, and advances on whole pixels so that measured widths add up exactly.
const cairo_font_options_t* FixedFontOptions()
{
    static cairo_font_options_t* const options = [] {
        cairo_font_options_t* made = cairo_font_options_create();
        cairo_font_options_set_antialias(made, CAIRO_ANTIALIAS_GRAY);
        cairo_font_options_set_subpixel_order(made, CAIRO_SUBPIXEL_ORDER_DEFAULT);
        cairo_font_options_set_hint_style(made, CAIRO_HINT_STYLE_SLIGHT);
        cairo_font_options_set_hint_metrics(made, CAIRO_HINT_METRICS_ON);
        return made;
    }();
    return options;
}

// The installed font nearest to the description, with the rendering settings of the
// machine's font configuration replaced by the fixed ones.
FcPattern* MatchPattern(const FontDescription& description)
{
    FcPattern* wanted = FcPatternCreate();
    if (!wanted)
        return nullptr;
    FcPatternAddString(wanted, FC_FAMILY, reinterpret_cast<const FcChar8*>(description.family.c_str()));
    FcPatternAddDouble(wanted, FC_PIXEL_SIZE, description.pixelSize);
    FcPatternAddInteger(wanted, FC_WEIGHT, description.bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(wanted, FC_SLANT, description.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, wanted, FcMatchPattern);
    FcDefaultSubstitute(wanted);
    FcResult result = FcResultNoMatch;
    FcPattern* found = FcFontMatch(nullptr, wanted, &result);
    FcPatternDestroy(wanted);
    if (!found)
        return nullptr;
    for (const char* setting : {FC_ANTIALIAS, FC_HINTING, FC_HINT_STYLE, FC_AUTOHINT, FC_RGBA, FC_LCD_FILTER})
        FcPatternDel(found, setting);
    cairo_ft_font_options_substitute(FixedFontOptions(), found);
    return found;
}

cairo_scaled_font_t* CreateScaledFont(const FontDescription& description)
{
    FcPattern* pattern = MatchPattern(description);
    if (!pattern)
        return nullptr;
    cairo_font_face_t* face = cairo_ft_font_face_create_for_pattern(pattern);
    FcPatternDestroy(pattern); // the face keeps its own reference
    cairo_matrix_t size;
    cairo_matrix_init_scale(&size, description.pixelSize, description.pixelSize);
    cairo_matrix_t deviceMatrix;
    cairo_matrix_init_identity(&deviceMatrix);
    cairo_scaled_font_t* font = cairo_scaled_font_create(face, &size, &deviceMatrix, FixedFontOptions());
    cairo_font_face_destroy(face);
    if (cairo_scaled_font_status(font) != CAIRO_STATUS_SUCCESS)
    {
        cairo_scaled_font_destroy(font);
        return nullptr;
    }
    return font;
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80)
    {
        out += static_cast<char>(c);
    }
    else if (c < 0x800)
    {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    else if (c < 0x10000)
    {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    else
    {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool IsControlCharacter(char16_t c)
{
    return c < 0x20 || (c >= 0x7F && c < 0xA0);
}

} // namespace

std::unique_ptr<PainterFont> PainterFont::Create(const FontDescription& description)
{
    if (!(description.pixelSize > 0.0) || !std::isfinite(description.pixelSize))
        return nullptr;
    cairo_scaled_font_t* font = CreateScaledFont(description);
    if (!font)
        return nullptr;
    return std::unique_ptr<PainterFont>(new PainterFont(font));
}

PainterFont::PainterFont(cairo_scaled_font_t* font) : mFont(font)
{
    cairo_font_extents_t extents;
    cairo_scaled_font_extents(mFont, &extents);
    mExtents = {extents.ascent, extents.descent, extents.height};

    cairo_matrix_t size;
    cairo_scaled_font_get_font_matrix(mFont, &size);
    const double pixelSize = size.yy;
    // Fallbacks for fonts without the tables: a thin line a little below the baseline, and
    // one through the middle of the lower-case letters.
    mUnderline = {std::max(1.0, pixelSize / 10.0), std::max(1.0, pixelSize / 14.0)};
    mStrikeout = {-extents.ascent * 0.3, mUnderline.thickness};
    if (FT_Face face = cairo_ft_scaled_font_lock_face(mFont))
    {
        if (face->units_per_EM > 0)
        {
            const double scale = pixelSize / face->units_per_EM;
            if (face->underline_thickness > 0)
                mUnderline = {-face->underline_position * scale,
                              std::max(1.0, face->underline_thickness * scale)};
            const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
            if (os2 && os2->version != 0xFFFF && os2->yStrikeoutSize > 0)
                mStrikeout = {-os2->yStrikeoutPosition * scale, std::max(1.0, os2->yStrikeoutSize * scale)};
        }
        cairo_ft_scaled_font_unlock_face(mFont);
    }
}

PainterFont::~PainterFont()
{
    cairo_scaled_font_destroy(mFont);
}

std::string PainterFont::ToDrawableUtf8(std::u16string_view text)
{
    std::string utf8;
    utf8.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
    {
        const char16_t unit = text[i];
        if (IsControlCharacter(unit))
            continue;
        char32_t c = unit;
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000)
        {
            c = 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        else if (unit >= 0xD800 && unit < 0xE000)
        {
            c = 0xFFFD;
        }
        AppendUtf8(utf8, c);
    }
    return utf8;
}

double PainterFont::MeasureAdvance(std::u16string_view text) const
{
    const std::string utf8 = ToDrawableUtf8(text);
    if (utf8.empty())
        return 0.0;
    cairo_text_extents_t extents;
    cairo_scaled_font_text_extents(mFont, utf8.c_str(), &extents);
    return extents.x_advance;
}

} // namespace KV::Platform
