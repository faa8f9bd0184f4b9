#include "Renderer/Gdi/GDIFonts.h"

#include <cmath>

namespace KV {

namespace {

// Fonts are few; a table that somehow grows past this is simply started again.
constexpr size_t kMaxKeptFonts = 64;
constexpr double kPointsPerInch = 72.0;
constexpr double kSurfaceDpi = 96.0;

float RoundedFloat(float value)
{
    return static_cast<float>(RoundHalfAwayFromZero(value));
}

} // namespace

double GDIFonts::PixelSize(const LFont& font)
{
    return font.GetSize() * kSurfaceDpi / kPointsPerInch;
}

const Platform::PainterFont* GDIFonts::Find(const LFont* font)
{
    if (!font)
        return nullptr;
    const int32_t serial = LFont::GetUniqueID(font);
    if (auto found = mFonts.find(serial); found != mFonts.end())
        return found->second.get();
    if (mFonts.size() >= kMaxKeptFonts)
        mFonts.clear();
    Platform::FontDescription description;
    description.family = font->GetFaceName().ToNarrow().GetText();
    description.pixelSize = PixelSize(*font);
    description.bold = (font->GetStyle() & kFontStyleBold) != 0;
    description.italic = (font->GetStyle() & kFontStyleItalic) != 0;
    // A font that cannot be had is remembered as such, so that it is not looked for again
    // at every call.
    return mFonts.emplace(serial, Platform::PainterFont::Create(description)).first->second.get();
}

KVRESULT GDIFonts::GetMetrics(const LFont* font, int32_t& height, int32_t& cellTop, int32_t& cellBottom)
{
    height = cellTop = cellBottom = 0;
    if (!font)
        return E_INVALIDARG;
    const Platform::PainterFont* found = Find(font);
    if (!found)
        return E_FAIL;
    // Single precision and rounding away from the baseline, as the measured boxes have
    // always been.
    const Platform::FontExtents& extents = found->GetExtents();
    height = static_cast<int32_t>(RoundedFloat(static_cast<float>(extents.height) + 0.499f));
    cellTop = static_cast<int32_t>(RoundedFloat(-static_cast<float>(extents.ascent) - 0.499f));
    cellBottom = static_cast<int32_t>(RoundedFloat(static_cast<float>(extents.descent) + 0.499f));
    return S_OK;
}

RectT<float> GDIFonts::Measure(const String& text, const LFont* font)
{
    if (text.IsEmpty())
        return {0, 0, 0, 0};
    int32_t height = 0;
    int32_t cellTop = 0;
    int32_t cellBottom = 0;
    GetMetrics(font, height, cellTop, cellBottom);
    const Platform::PainterFont* found = Find(font);
    if (!found)
        return {0, static_cast<float>(cellTop), 0, static_cast<float>(height)};
    const double padding = PixelSize(*font) / 6.0;
    float width = static_cast<float>(padding + found->MeasureAdvance(text.View()));
    if (mScreenDpi != kDefaultDpi)
        width = RoundedFloat(9600.0f / static_cast<float>(mScreenDpi) * width / 100.0f + 3.0f);
    return {0, static_cast<float>(cellTop), width, static_cast<float>(height)};
}

void GDIFonts::Draw(Platform::Painter& painter, const String& text, const LFont* font,
                    const PointT<int32_t>& position, uint32_t argb)
{
    const Platform::PainterFont* found = Find(font);
    if (!found || text.IsEmpty())
        return;
    const PointT<double> baseline{position.x + PixelSize(*font) / 6.0,
                                  position.y - 1.0 + found->GetExtents().ascent};
    painter.DrawText(*found, text.View(), baseline, argb, (font->GetStyle() & kFontStyleUnderline) != 0,
                     (font->GetStyle() & kFontStyleStrikeout) != 0);
}

} // namespace KV
