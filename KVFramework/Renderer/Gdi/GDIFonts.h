#pragma once
// The GDI+ renderer's text rules over the painter's fonts: an LFont's size is in points
// on a 96-dpi surface; metrics are rounded outwards to whole pixels; a text starts after
// a leading padding of a sixth of the em, which its measured width includes; on a screen
// of another resolution measured widths are scaled to it and widened by 3 pixels.

#include "Graphics/Geometry.h"
#include "Platform/Graphics/Painter.h"
#include "Platform/Graphics/PainterFont.h"
#include "Renderer/Font.h"

#include <cstdint>
#include <memory>
#include <unordered_map>

namespace KV {

class GDIFonts
{
public:
    static constexpr int32_t kDefaultDpi = 96;

    explicit GDIFonts(int32_t screenDpi) noexcept : mScreenDpi(screenDpi > 0 ? screenDpi : kDefaultDpi) {}

    // The painter's font for the LFont; null for no font or none installed.
    const Platform::PainterFont* Find(const LFont* font);

    // Height, cell top (negative, above the baseline) and cell bottom in whole pixels.
    // E_INVALIDARG for no font, E_FAIL when no font is installed; all 0 then.
    KVRESULT GetMetrics(const LFont* font, int32_t& height, int32_t& cellTop, int32_t& cellBottom);
    // {0, cell top, width, height}; all 0 for an empty text (or one starting with NUL).
    RectT<float> Measure(const String& text, const LFont* font);
    // The text with its cell's top one pixel above the position.
    void Draw(Platform::Painter& painter, const String& text, const LFont* font,
              const PointT<int32_t>& position, uint32_t argb);

private:
    static double PixelSize(const LFont& font);

    int32_t mScreenDpi;
    std::unordered_map<int32_t, std::unique_ptr<Platform::PainterFont>> mFonts; // by font serial
};

} // namespace KV
