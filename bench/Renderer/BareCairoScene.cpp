// The repaint scene drawn with Cairo alone: the floor under the renderer's own cost.
// The same font options, the same pixel rules (outlines on pixel centres, no
// anti-aliasing for shapes), one surface kept from frame to frame.

#include "RepaintScene.h"

#include <cairo-ft.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <cstring>

namespace KV::Bench {

struct BareCairoScene::State
{
    cairo_surface_t* target = nullptr;
    cairo_t* cr = nullptr;
    cairo_surface_t* background = nullptr;
    cairo_scaled_font_t* font = nullptr;
};

namespace {

void SetColor(cairo_t* cr, uint32_t argb)
{
    cairo_set_source_rgba(cr, ((argb >> 16) & 0xFF) / 255.0, ((argb >> 8) & 0xFF) / 255.0,
                          (argb & 0xFF) / 255.0, (argb >> 24) / 255.0);
}

void Label(cairo_t* cr, cairo_scaled_font_t* font, double x, double y)
{
    cairo_glyph_t* glyphs = nullptr;
    int count = 0;
    cairo_scaled_font_text_to_glyphs(font, x, y, kLabel, static_cast<int>(std::strlen(kLabel)), &glyphs,
                                     &count, nullptr, nullptr, nullptr);
    SetColor(cr, kLabelColor);
    cairo_set_scaled_font(cr, font);
    cairo_show_glyphs(cr, glyphs, count);
    cairo_glyph_free(glyphs);
}

// Sampled as the renderer samples images: the nearest pixel.
void PaintBackground(cairo_t* cr, cairo_surface_t* background)
{
    cairo_set_source_surface(cr, background, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_rectangle(cr, 0, 0, kWidth, kHeight);
    cairo_fill(cr);
}

void Bar(cairo_t* cr, cairo_scaled_font_t* font)
{
    SetColor(cr, kBarBack);
    cairo_rectangle(cr, kStripX, kStripY, kStripWidth, kStripHeight);
    cairo_fill(cr);
    SetColor(cr, kBarFront);
    cairo_rectangle(cr, kStripX + 2, kStripY + 2, kStripWidth * 0.6, kStripHeight - 4);
    cairo_fill(cr);
    Label(cr, font, kStripX + 60, kStripY + 14);
}

} // namespace

BareCairoScene::BareCairoScene() : mState(std::make_unique<State>())
{
    State& s = *mState;
    s.target = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight);
    s.cr = cairo_create(s.target);
    cairo_set_antialias(s.cr, CAIRO_ANTIALIAS_NONE);
    s.background = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight);
    cairo_surface_flush(s.background);
    unsigned char* data = cairo_image_surface_get_data(s.background);
    const int stride = cairo_image_surface_get_stride(s.background);
    for (int32_t y = 0; y < kHeight; ++y)
        for (int32_t x = 0; x < kWidth; ++x)
            reinterpret_cast<uint32_t*>(data + y * stride)[x] = BackgroundPixel(x, y);
    cairo_surface_mark_dirty(s.background);

    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("Tahoma"));
    FcPatternAddDouble(pattern, FC_PIXEL_SIZE, kFontPixels);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    cairo_ft_font_options_substitute(options, pattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    cairo_font_face_t* face = cairo_ft_font_face_create_for_pattern(match);
    cairo_matrix_t size;
    cairo_matrix_t identity;
    cairo_matrix_init_scale(&size, kFontPixels, kFontPixels);
    cairo_matrix_init_identity(&identity);
    s.font = cairo_scaled_font_create(face, &size, &identity, options);
    cairo_font_face_destroy(face);
    cairo_font_options_destroy(options);
    FcPatternDestroy(match);
    FcPatternDestroy(pattern);
}

BareCairoScene::~BareCairoScene()
{
    cairo_scaled_font_destroy(mState->font);
    cairo_surface_destroy(mState->background);
    cairo_destroy(mState->cr);
    cairo_surface_destroy(mState->target);
}

void BareCairoScene::DrawFull()
{
    cairo_t* cr = mState->cr;
    PaintBackground(cr, mState->background);
    for (int32_t i = 0; i < kControls; ++i)
    {
        const ControlBox box = ControlAt(i);
        cairo_save(cr);
        cairo_rectangle(cr, box.x, box.y, box.width + 1, box.height + 1);
        cairo_clip(cr);
        SetColor(cr, kControlFill);
        cairo_rectangle(cr, box.x, box.y, box.width, box.height);
        cairo_fill(cr);
        SetColor(cr, kControlFrame);
        cairo_rectangle(cr, box.x + 0.5, box.y + 0.5, box.width, box.height);
        cairo_set_line_width(cr, 1.0);
        cairo_stroke(cr);
        Label(cr, mState->font, box.x + 8, box.y + 20);
        cairo_restore(cr);
    }
    Bar(cr, mState->font);
    cairo_surface_flush(mState->target);
}

void BareCairoScene::DrawStrip()
{
    cairo_t* cr = mState->cr;
    cairo_save(cr);
    cairo_rectangle(cr, kStripX, kStripY, kStripWidth, kStripHeight);
    cairo_clip(cr);
    PaintBackground(cr, mState->background);
    Bar(cr, mState->font);
    cairo_restore(cr);
    cairo_surface_flush(mState->target);
}

uint32_t BareCairoScene::PixelAt(int32_t x, int32_t y) const
{
    const unsigned char* data = cairo_image_surface_get_data(mState->target);
    return reinterpret_cast<const uint32_t*>(data + y * cairo_image_surface_get_stride(mState->target))[x];
}

} // namespace KV::Bench
