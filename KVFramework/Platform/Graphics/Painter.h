#pragma once
// Painter: draws on one PainterSurface. The only drawing code that knows the drawing
// library; the renderers above it keep their own rules (state stack, caches) and hand
// the painter finished coordinates and packed colours.
//
// Coordinates are the surface's pixels moved by the origin. Lines and outlines are
// centred on pixel centres, so that an outline of width 1 around {x, y, w, h} covers
// the w + 1 columns x .. x + w; fills cover exactly the pixels whose area they cover.
// Shapes are not anti-aliased; text is (in grey). Colours are straight 0xAARRGGBB; the
// painter's alpha multiplies every colour and image.

#include "Graphics/BitmapImage.h"
#include "Graphics/Geometry.h"
#include "Platform/Graphics/PainterFont.h"
#include "Platform/Graphics/PainterPath.h"
#include "Platform/Graphics/PainterSurface.h"

#include <cstdint>
#include <string_view>

typedef struct _cairo cairo_t;

namespace KV::Platform {

enum class FillMode
{
    Blend,   // over what is there
    Replace, // the pixels become the colour, alpha and all
};

class Painter
{
public:
    explicit Painter(PainterSurface& surface);
    Painter(const Painter&) = delete;
    Painter& operator=(const Painter&) = delete;
    ~Painter();

    // False when the drawing library could not make its context: every call then draws
    // nothing.
    bool IsValid() const noexcept;
    PainterSurface& GetSurface() const noexcept { return mSurface; }

    // Moves everything drawn afterwards; the clip stays where it is on the surface.
    void SetOrigin(const PointT<double>& origin);
    // Drawing is kept inside the rectangle, given relative to the origin and cut to the
    // surface: a rectangle far outside it, or not a number, clips everything away.
    void SetClip(const RectT<double>& clip);
    void SetAlpha(float alpha) noexcept { mAlpha = alpha; }

    void FillRect(const RectT<double>& rect, uint32_t argb, FillMode mode);
    void StrokeRect(const RectT<double>& rect, uint32_t argb, double lineWidth);
    void StrokeLine(const PointT<double>& from, const PointT<double>& to, uint32_t argb, double lineWidth);
    // The path moved by offset and its points scaled by scale; the line width is not scaled.
    void StrokePath(const PainterPath& path, const PointT<double>& offset, const PointT<double>& scale,
                    uint32_t argb, double lineWidth);
    // The inside by the even-odd rule: a self-intersecting star keeps its centre empty.
    void FillPath(const PainterPath& path, const PointT<double>& offset, const PointT<double>& scale,
                  uint32_t argb);
    // The rectangle filled with a linear gradient: startArgb at `from`, endArgb at `to`,
    // evenly between them along the line through both, and each end's colour beyond it.
    // With from and to at one point the whole rectangle takes the end colour.
    void FillLinearGradient(const RectT<double>& rect, const PointT<double>& from, const PointT<double>& to,
                            uint32_t startArgb, uint32_t endArgb, FillMode mode);

    // An area of the image stretched onto the target, each pixel taken from the nearest
    // source pixel.
    void StretchImage(const BitmapImage& image, const RectT<int32_t>& area, const RectT<double>& target);
    // The target filled with copies of the area side by side, the first at its top left.
    void TileImage(const BitmapImage& image, const RectT<int32_t>& area, const RectT<double>& target);
    // An area of the image at its own size with its top left at the position.
    void DrawImage(const BitmapImage& image, const RectT<int32_t>& area, const PointT<double>& position);
    // An area of another surface at its own size with its top left at the position.
    void DrawSurface(const PainterSurface& source, const RectT<int32_t>& area,
                     const PointT<double>& position);

    // The text with the start of its baseline at the position; underline and strike-out
    // lines run along the text's advance.
    void DrawText(const PainterFont& font, std::u16string_view text, const PointT<double>& baseline,
                  uint32_t argb, bool underline, bool strikeout);

    // Every pixel of the surface becomes the colour, whatever the origin and clip.
    void Clear(uint32_t argb);

private:
    void SetColor(uint32_t argb);
    // Fills the current path with the current source, through the painter's alpha.
    void FillWithSource();
    void PaintImageArea(const BitmapImage& image, const RectT<int32_t>& area, const RectT<double>& target,
                        int extend, bool stretch);
    void AppendPath(const PainterPath& path, const PointT<double>& offset, const PointT<double>& scale);

    PainterSurface& mSurface;
    cairo_t* mContext;
    PointT<double> mOrigin;
    float mAlpha = 1.0f;
};

} // namespace KV::Platform
