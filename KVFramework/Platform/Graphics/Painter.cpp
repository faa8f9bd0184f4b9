// The painter on Cairo image surfaces.
//  [x] rectangles filled (blended or replacing) and outlined   [x] lines, prepared paths
//  [x] even-odd polygon fills    [x] images stretched (nearest), tiled, placed; surfaces placed
//  [x] clip cut to the surface   [x] origin    [x] alpha on colours and images
//  [x] text with underline and strike-out (grey anti-aliased)
//  [x] linear gradients
//  [ ] anti-aliased shapes, dashes, radial gradients (nothing asks for them)

#include "Platform/Graphics/Painter.h"

#include "Platform/Graphics/CairoImageSurface.h"

#include <algorithm>
#include <cairo.h>
#include <cmath>
#include <memory>

namespace KV::Platform {

namespace {

// Far beyond any surface yet well inside what the drawing library's fixed-point numbers
// hold.
constexpr double kCoordinateLimit = 1 << 22;

double Bounded(double value)
{
    return std::isnan(value) ? 0.0 : std::clamp(value, -kCoordinateLimit, kCoordinateLimit);
}

// Lines of an odd width are centred on pixel centres so that they cover whole pixels;
// even widths lie on pixel edges for the same reason.
double StrokeShift(double lineWidth)
{
    return static_cast<int64_t>(std::lround(lineWidth)) % 2 != 0 ? 0.5 : 0.0;
}

// A pen of width 0 (or less, or not a number) draws the thinnest line, one pixel wide.
double UsableWidth(double lineWidth)
{
    return lineWidth > 0.0 ? std::min(lineWidth, kCoordinateLimit) : 1.0;
}

struct PatternDeleter
{
    void operator()(cairo_pattern_t* pattern) const { cairo_pattern_destroy(pattern); }
};
using PatternPtr = std::unique_ptr<cairo_pattern_t, PatternDeleter>;

struct SurfaceDeleter
{
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;

bool IsEmptyArea(const RectT<int32_t>& area)
{
    return area.width <= 0 || area.height <= 0;
}

} // namespace

Painter::Painter(PainterSurface& surface)
    : mSurface(surface), mContext(cairo_create(surface.GetCairoSurface()))
{
    cairo_set_antialias(mContext, CAIRO_ANTIALIAS_NONE);
}

Painter::~Painter()
{
    cairo_destroy(mContext);
}

bool Painter::IsValid() const noexcept
{
    return cairo_status(mContext) == CAIRO_STATUS_SUCCESS;
}

void Painter::SetOrigin(const PointT<double>& origin)
{
    mOrigin = {Bounded(origin.x), Bounded(origin.y)};
    cairo_identity_matrix(mContext);
    cairo_translate(mContext, mOrigin.x, mOrigin.y);
}

void Painter::SetClip(const RectT<double>& clip)
{
    const SizeT<int32_t> size = mSurface.GetSize();
    // Computed on the surface, where the bounds are known; a NaN edge fails every test
    // below and leaves an empty clip.
    double left = clip.x + mOrigin.x;
    double top = clip.y + mOrigin.y;
    double right = left + clip.width;
    double bottom = top + clip.height;
    left = left > 0.0 ? left : 0.0;
    top = top > 0.0 ? top : 0.0;
    right = right < size.width ? right : static_cast<double>(size.width);
    bottom = bottom < size.height ? bottom : static_cast<double>(size.height);
    if (!(left < right && top < bottom))
        left = right = top = bottom = 0.0;

    cairo_reset_clip(mContext);
    cairo_identity_matrix(mContext);
    cairo_rectangle(mContext, left, top, right - left, bottom - top);
    cairo_clip(mContext);
    cairo_translate(mContext, mOrigin.x, mOrigin.y);
}

void Painter::SetColor(uint32_t argb)
{
    constexpr double kByte = 1.0 / 255.0;
    cairo_set_source_rgba(mContext, ((argb >> 16) & 0xFF) * kByte, ((argb >> 8) & 0xFF) * kByte,
                          (argb & 0xFF) * kByte, (argb >> 24) * kByte * std::clamp(mAlpha, 0.0f, 1.0f));
}

void Painter::FillRect(const RectT<double>& rect, uint32_t argb, FillMode mode)
{
    SetColor(argb);
    cairo_rectangle(mContext, Bounded(rect.x), Bounded(rect.y), Bounded(rect.width), Bounded(rect.height));
    if (mode == FillMode::Replace)
    {
        cairo_set_operator(mContext, CAIRO_OPERATOR_SOURCE);
        cairo_fill(mContext);
        cairo_set_operator(mContext, CAIRO_OPERATOR_OVER);
        return;
    }
    cairo_fill(mContext);
}

void Painter::StrokeRect(const RectT<double>& rect, uint32_t argb, double lineWidth)
{
    const double width = UsableWidth(lineWidth);
    const double shift = StrokeShift(width);
    SetColor(argb);
    cairo_rectangle(mContext, Bounded(rect.x) + shift, Bounded(rect.y) + shift, Bounded(rect.width),
                    Bounded(rect.height));
    cairo_set_line_width(mContext, width);
    cairo_stroke(mContext);
}

void Painter::StrokeLine(const PointT<double>& from, const PointT<double>& to, uint32_t argb,
                         double lineWidth)
{
    const double width = UsableWidth(lineWidth);
    const double shift = StrokeShift(width);
    SetColor(argb);
    cairo_move_to(mContext, Bounded(from.x) + shift, Bounded(from.y) + shift);
    cairo_line_to(mContext, Bounded(to.x) + shift, Bounded(to.y) + shift);
    cairo_set_line_width(mContext, width);
    cairo_stroke(mContext);
}

void Painter::AppendPath(const PainterPath& path, const PointT<double>& offset, const PointT<double>& scale)
{
    // The points are moved and scaled here rather than through the context's matrix: a
    // scale of 0 would make that matrix singular, which the drawing library treats as a
    // lasting error of the whole context.
    const cairo_path_t* cairoPath = path.GetCairoPath();
    for (int i = 0; i < cairoPath->num_data; i += cairoPath->data[i].header.length)
    {
        const cairo_path_data_t* data = &cairoPath->data[i];
        const auto x = [&] { return Bounded(data[1].point.x * scale.x + offset.x); };
        const auto y = [&] { return Bounded(data[1].point.y * scale.y + offset.y); };
        switch (data->header.type)
        {
        case CAIRO_PATH_MOVE_TO:
            cairo_move_to(mContext, x(), y());
            break;
        case CAIRO_PATH_LINE_TO:
            cairo_line_to(mContext, x(), y());
            break;
        case CAIRO_PATH_CLOSE_PATH:
            cairo_close_path(mContext);
            break;
        case CAIRO_PATH_CURVE_TO:
            break; // paths are made of lines only
        }
    }
}

void Painter::StrokePath(const PainterPath& path, const PointT<double>& offset, const PointT<double>& scale,
                         uint32_t argb, double lineWidth)
{
    const double width = UsableWidth(lineWidth);
    const double shift = StrokeShift(width);
    SetColor(argb);
    AppendPath(path, {offset.x + shift, offset.y + shift}, scale);
    cairo_set_line_width(mContext, width);
    cairo_stroke(mContext);
}

void Painter::FillPath(const PainterPath& path, const PointT<double>& offset, const PointT<double>& scale,
                       uint32_t argb)
{
    SetColor(argb);
    AppendPath(path, offset, scale);
    cairo_set_fill_rule(mContext, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_fill(mContext);
    cairo_set_fill_rule(mContext, CAIRO_FILL_RULE_WINDING);
}

void Painter::FillLinearGradient(const RectT<double>& rect, const PointT<double>& from,
                                 const PointT<double>& to, uint32_t startArgb, uint32_t endArgb,
                                 FillMode mode)
{
    const double fromX = Bounded(from.x);
    const double fromY = Bounded(from.y);
    const double toX = Bounded(to.x);
    const double toY = Bounded(to.y);
    // A gradient without length has no direction to run along.
    if (fromX == toX && fromY == toY)
    {
        FillRect(rect, endArgb, mode);
        return;
    }
    constexpr double kByte = 1.0 / 255.0;
    PatternPtr pattern(cairo_pattern_create_linear(fromX, fromY, toX, toY));
    const auto addStop = [&](double offset, uint32_t argb) {
        cairo_pattern_add_color_stop_rgba(pattern.get(), offset, ((argb >> 16) & 0xFF) * kByte,
                                          ((argb >> 8) & 0xFF) * kByte, (argb & 0xFF) * kByte,
                                          (argb >> 24) * kByte);
    };
    addStop(0.0, startArgb);
    addStop(1.0, endArgb);
    cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_PAD);
    cairo_set_source(mContext, pattern.get());
    cairo_rectangle(mContext, Bounded(rect.x), Bounded(rect.y), Bounded(rect.width), Bounded(rect.height));
    if (mode == FillMode::Replace)
    {
        cairo_set_operator(mContext, CAIRO_OPERATOR_SOURCE);
        FillWithSource();
        cairo_set_operator(mContext, CAIRO_OPERATOR_OVER);
        return;
    }
    FillWithSource();
}

void Painter::PaintImageArea(const BitmapImage& image, const RectT<int32_t>& area,
                             const RectT<double>& target, int extend, bool stretch)
{
    if (IsEmptyArea(area) || !(target.width > 0.0) || !(target.height > 0.0))
        return;
    cairo_surface_t* pixels = GetCairoSurface(image);
    if (!pixels)
        return;
    // A repeated area must be a surface of its own: a repeat pattern repeats whole surfaces.
    SurfacePtr areaSurface(
        cairo_surface_create_for_rectangle(pixels, area.x, area.y, area.width, area.height));
    PatternPtr pattern(cairo_pattern_create_for_surface(areaSurface.get()));
    cairo_matrix_t matrix;
    cairo_matrix_init_identity(&matrix);
    if (stretch)
        cairo_matrix_scale(&matrix, area.width / target.width, area.height / target.height);
    cairo_matrix_translate(&matrix, -Bounded(target.x), -Bounded(target.y));
    cairo_pattern_set_matrix(pattern.get(), &matrix);
    cairo_pattern_set_filter(pattern.get(), CAIRO_FILTER_NEAREST);
    cairo_pattern_set_extend(pattern.get(), static_cast<cairo_extend_t>(extend));
    cairo_set_source(mContext, pattern.get());
    cairo_rectangle(mContext, Bounded(target.x), Bounded(target.y), Bounded(target.width),
                    Bounded(target.height));
    FillWithSource();
}

void Painter::StretchImage(const BitmapImage& image, const RectT<int32_t>& area, const RectT<double>& target)
{
    PaintImageArea(image, area, target, CAIRO_EXTEND_PAD, true);
}

void Painter::TileImage(const BitmapImage& image, const RectT<int32_t>& area, const RectT<double>& target)
{
    PaintImageArea(image, area, target, CAIRO_EXTEND_REPEAT, false);
}

void Painter::DrawImage(const BitmapImage& image, const RectT<int32_t>& area, const PointT<double>& position)
{
    PaintImageArea(
        image, area,
        {position.x, position.y, static_cast<double>(area.width), static_cast<double>(area.height)},
        CAIRO_EXTEND_NONE, false);
}

void Painter::DrawSurface(const PainterSurface& source, const RectT<int32_t>& area,
                          const PointT<double>& position)
{
    if (IsEmptyArea(area))
        return;
    const double x = Bounded(position.x);
    const double y = Bounded(position.y);
    cairo_set_source_surface(mContext, source.GetCairoSurface(), x - area.x, y - area.y);
    cairo_pattern_set_filter(cairo_get_source(mContext), CAIRO_FILTER_NEAREST);
    cairo_rectangle(mContext, x, y, area.width, area.height);
    FillWithSource();
}

void Painter::FillWithSource()
{
    if (mAlpha >= 1.0f)
    {
        cairo_fill(mContext);
        return;
    }
    cairo_save(mContext);
    cairo_clip(mContext);
    cairo_paint_with_alpha(mContext, std::max(mAlpha, 0.0f));
    cairo_restore(mContext);
}

void Painter::DrawText(const PainterFont& font, std::u16string_view text, const PointT<double>& baseline,
                       uint32_t argb, bool underline, bool strikeout)
{
    const std::string utf8 = PainterFont::ToDrawableUtf8(text);
    if (utf8.empty())
        return;
    const double x = Bounded(baseline.x);
    const double y = Bounded(baseline.y);
    cairo_scaled_font_t* scaledFont = font.GetCairoFont();
    cairo_glyph_t* glyphs = nullptr;
    int glyphCount = 0;
    if (cairo_scaled_font_text_to_glyphs(scaledFont, x, y, utf8.data(), static_cast<int>(utf8.size()),
                                         &glyphs, &glyphCount, nullptr, nullptr,
                                         nullptr) != CAIRO_STATUS_SUCCESS)
        return;
    SetColor(argb);
    cairo_set_scaled_font(mContext, scaledFont);
    cairo_show_glyphs(mContext, glyphs, glyphCount);
    cairo_text_extents_t extents;
    cairo_scaled_font_glyph_extents(scaledFont, glyphs, glyphCount, &extents);
    cairo_glyph_free(glyphs);

    // The lines lie on whole pixels, as the glyphs do.
    const auto drawLine = [&](const FontDecoration& line) {
        const double thickness = std::max(1.0, std::round(line.thickness));
        const double top = std::round(y + line.offset - thickness / 2.0);
        cairo_rectangle(mContext, std::round(x), top, std::round(extents.x_advance), thickness);
        cairo_fill(mContext);
    };
    if (underline)
        drawLine(font.GetUnderline());
    if (strikeout)
        drawLine(font.GetStrikeout());
}

void Painter::Clear(uint32_t argb)
{
    cairo_save(mContext);
    cairo_reset_clip(mContext);
    cairo_set_operator(mContext, CAIRO_OPERATOR_SOURCE);
    const float alpha = mAlpha;
    mAlpha = 1.0f;
    SetColor(argb);
    mAlpha = alpha;
    cairo_paint(mContext);
    cairo_restore(mContext);
}

} // namespace KV::Platform
