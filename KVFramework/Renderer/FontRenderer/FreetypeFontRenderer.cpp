#include "Renderer/FontRenderer/FreetypeFontRenderer.h"

#include "Renderer/FontRenderer/FontFileInfo.h"
#include "Renderer/FontRenderer/FreetypeLibrary.h"

#include FT_GLYPH_H

#include <algorithm>
#include <cmath>

namespace KV {

namespace {

FT_Size LookupSize(const ConstRCPtr<LFont>& font)
{
    FTC_Manager manager = FreetypeLibrary::GetCacheManager();
    if (!manager || !font || !(font->GetSize() > 0.0f) || font->GetSize() > 4096.0f)
        return nullptr;
    int32_t faceId = 0;
    try
    {
        faceId = LFontFileInfo::GetFileID(font);
    }
    catch (const std::runtime_error&)
    {
        return nullptr; // no font installed at all
    }
    FTC_ScalerRec scaler{};
    scaler.face_id = reinterpret_cast<FTC_FaceID>(static_cast<intptr_t>(faceId) + 1);
    scaler.width = 0;
    scaler.height = static_cast<FT_UInt>(std::lround(font->GetSize() * 64.0f));
    scaler.pixel = 0;
    scaler.x_res = LFreetypeFontRenderer::kDotsPerInch;
    scaler.y_res = LFreetypeFontRenderer::kDotsPerInch;
    FT_Size size = nullptr;
    if (FTC_Manager_LookupSize(manager, &scaler, &size) != 0)
        return nullptr;
    return size;
}

int16_t ToBoxValue(FT_Pos value)
{
    return static_cast<int16_t>(std::clamp<FT_Pos>(value, INT16_MIN, INT16_MAX));
}

// The glyph's coverage as one byte a pixel, rows width bytes apart.
RCPtr<LPixelBuffer<uint8_t>> CopyCoverage(const FT_Bitmap& bitmap)
{
    const int32_t width = static_cast<int32_t>(bitmap.width);
    const int32_t rows = static_cast<int32_t>(bitmap.rows);
    RCPtr<LPixelBuffer<uint8_t>> pixels =
        LPixelBuffer<uint8_t>::Create(width, rows, std::max(width, 1), nullptr);
    for (int32_t y = 0; y < rows; ++y)
    {
        const unsigned char* source = bitmap.buffer + static_cast<ptrdiff_t>(y) * bitmap.pitch;
        uint8_t* target = pixels->GetPixelAddress(0, y);
        for (int32_t x = 0; x < width; ++x)
        {
            if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO)
                target[x] = (source[x >> 3] & (0x80 >> (x & 7))) ? 0xFF : 0x00;
            else
                target[x] = source[x];
        }
    }
    return pixels;
}

// The next character of UTF-16 text: a surrogate pair is one, a lone half the replacement.
char32_t NextCharacter(std::u16string_view text, size_t& index)
{
    const char16_t unit = text[index++];
    if (unit >= 0xD800 && unit < 0xDC00 && index < text.size() && text[index] >= 0xDC00 &&
        text[index] < 0xE000)
        return 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (text[index++] - 0xDC00);
    if (unit >= 0xD800 && unit < 0xE000)
        return 0xFFFD;
    return unit;
}

} // namespace

RCPtr<LFreetypeFontRenderer> LFreetypeFontRenderer::Create(const RCPtr<LGlyphProcessor>& heldProcessor,
                                                           const RCPtr<LGlyphProcessor>& glyphProcessor)
{
    return RCPtr<LFreetypeFontRenderer>(new LFreetypeFontRenderer(heldProcessor, glyphProcessor));
}

LFreetypeFontRenderer::LFreetypeFontRenderer(const RCPtr<LGlyphProcessor>& heldProcessor,
                                             const RCPtr<LGlyphProcessor>& glyphProcessor)
    : LFontRenderer(heldProcessor, glyphProcessor)
{
    mLibraryHeld = FreetypeLibrary::Acquire();
}

void LFreetypeFontRenderer::EnsureFontTable()
{
    // Read when text is first measured or drawn: a window that shows no text does not
    // scan the machine's fonts.
    if (mTableChecked)
        return;
    mTableChecked = true;
    if (LFontFileInfo::GetFontTable().empty())
        LFontFileInfo::BuildFontTable();
}

LFreetypeFontRenderer::~LFreetypeFontRenderer()
{
    if (mLibraryHeld)
        FreetypeLibrary::Release();
}

KVRESULT LFreetypeFontRenderer::GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height,
                                               int32_t& cellTop, int32_t& cellBottom)
{
    height = cellTop = cellBottom = 0;
    EnsureFontTable();
    FT_Size size = LookupSize(font);
    if (!size)
        return E_FAIL;
    const FT_Size_Metrics& metrics = size->metrics;
    cellTop = static_cast<int32_t>(-(metrics.ascender >> 6));
    cellBottom = static_cast<int32_t>(-(metrics.descender >> 6));
    height = std::max(static_cast<int32_t>(metrics.height >> 6),
                      static_cast<int32_t>(kDotsPerInch * font->GetSize() / 72.0f));
    height = std::max(height, cellBottom - cellTop);
    return S_OK;
}

int32_t LFreetypeFontRenderer::RenderText(const String& text, const ConstRCPtr<LFont>& font,
                                          const RCPtr<LGlyphProcessor>& processor, int32_t userValue,
                                          int32_t limit, int32_t flags)
{
    EnsureFontTable();
    FT_Size size = LookupSize(font);
    if (!size || !processor)
        return 0;
    FT_Face face = size->face;
    const bool kerning = FT_HAS_KERNING(face);
    const int32_t cellTop = static_cast<int32_t>(-(size->metrics.ascender >> 6));
    const FT_Render_Mode preferred = font->GetSize() >= 8.0f ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO;
    const FT_Render_Mode other =
        preferred == FT_RENDER_MODE_NORMAL ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL;

    processor->BeginText(font, flags);
    GlyphRecord record;
    record.position = userValue;
    float penX = 0.0f;
    float penY = 0.0f;
    FT_UInt previous = 0;
    int32_t processed = 0;
    const std::u16string_view units = text.View();
    size_t index = 0;
    while (index < units.size() && (limit <= 0 || processed < limit))
    {
        const size_t start = index;
        const char32_t character = NextCharacter(units, index);
        record.characterCode = static_cast<int32_t>(character);
        record.penX = penX;
        record.penY = penY;
        record.metrics = {};
        record.cellTop = cellTop;
        record.pixels = nullptr;
        const int32_t needs = processor->LookupGlyph(record);
        const FT_UInt glyphIndex =
            needs != 0 ? FT_Get_Char_Index(face, character) : static_cast<FT_UInt>(record.metrics.glyphIndex);
        if (glyphIndex == 0)
            continue;
        FT_Glyph glyph = nullptr;
        if (needs != 0)
        {
            if (FT_Load_Glyph(face, glyphIndex, FT_LOAD_DEFAULT) != 0 ||
                FT_Get_Glyph(face->glyph, &glyph) != 0)
            {
                record.position = static_cast<int32_t>(start) + 1;
                continue;
            }
            record.metrics.glyphIndex = static_cast<int32_t>(glyphIndex);
            record.metrics.advanceX = static_cast<int32_t>(face->glyph->advance.x);
            record.metrics.advanceY = static_cast<int32_t>(face->glyph->advance.y);
        }
        if (needs & (kGlyphNeedsBox | kGlyphNeedsBitmap))
        {
            FT_BBox box;
            FT_Glyph_Get_CBox(glyph, FT_GLYPH_BBOX_PIXELS, &box);
            record.metrics.left = ToBoxValue(box.xMin);
            record.metrics.top = ToBoxValue(-box.yMax);
            record.metrics.right = ToBoxValue(box.xMax);
            record.metrics.bottom = ToBoxValue(-box.yMin);
        }
        if (needs & kGlyphNeedsBitmap)
        {
            FT_Glyph bitmapGlyph = glyph;
            if (FT_Glyph_To_Bitmap(&bitmapGlyph, preferred, nullptr, 0) != 0 &&
                FT_Glyph_To_Bitmap(&bitmapGlyph, other, nullptr, 0) != 0)
            {
                FT_Done_Glyph(glyph);
                record.position = static_cast<int32_t>(start) + 1;
                continue;
            }
            const auto* rendered = reinterpret_cast<FT_BitmapGlyph>(bitmapGlyph);
            record.pixels = CopyCoverage(rendered->bitmap);
            // The box of the pixels as they were rendered, so that the atlas cell and the
            // drawn quad match them exactly.
            record.metrics.left = ToBoxValue(rendered->left);
            record.metrics.top = ToBoxValue(-rendered->top);
            record.metrics.right = ToBoxValue(rendered->left + static_cast<FT_Pos>(rendered->bitmap.width));
            record.metrics.bottom = ToBoxValue(-rendered->top + static_cast<FT_Pos>(rendered->bitmap.rows));
            FT_Done_Glyph(bitmapGlyph);
        }
        if (kerning)
        {
            if (previous != 0)
            {
                FT_Vector delta{};
                if (FT_Get_Kerning(face, previous, glyphIndex, FT_KERNING_DEFAULT, &delta) == 0)
                    penX += static_cast<float>(delta.x >> 6);
            }
            else if (record.metrics.left < 0)
            {
                penX -= record.metrics.left;
            }
            record.penX = penX;
        }
        processor->ProcessGlyph(record);
        record.position = static_cast<int32_t>(start) + 1;
        ++processed;
        if (glyph)
            FT_Done_Glyph(glyph);
        penX += static_cast<float>(record.metrics.advanceX >> 6);
        penY += static_cast<float>(record.metrics.advanceY >> 6);
        record.pixels = nullptr;
        previous = glyphIndex;
    }
    processor->EndText();
    return processed;
}

RectT<float> LFreetypeFontRenderer::GetTextExtent(const String& text, const ConstRCPtr<LFont>& font)
{
    const RCPtr<LGlyphProcessor>& processor = GetGlyphProcessor();
    if (!processor || !font || text.IsEmpty())
        return {};
    RenderText(text, font, processor, 0, 0, 1 | kGlyphAccumulateBounds);
    const TextBounds bounds = GetTextBounds();
    int32_t height = 0;
    int32_t cellTop = 0;
    int32_t cellBottom = 0;
    GetFontMetrics(font, height, cellTop, cellBottom);
    const float top = std::min(bounds.top, static_cast<float>(cellTop));
    return {bounds.left, top, bounds.right + 1.0f - bounds.left,
            std::max(bounds.bottom, static_cast<float>(cellBottom)) - top};
}

} // namespace KV
