// GDI+ renderer: drawing through the painter into the render context's offscreen surface.
//  [x] rectangles filled (blending, or replacing inside origin and clip) and outlined
//  [x] lines, line segments, polylines, polygons (even-odd fill) with cached paths
//  [x] coloured rectangle lists      [x] bitmaps stretched, tiled, centred via the bitmap cache
//  [x] text measured and drawn       [x] clip, origin and alpha of the state stack
//  [x] offscreen contexts drawn at a position and moved by an offset
//  [ ] stencils (kept in the state; no drawing reads them)

#include "Renderer/Gdi/GDIRenderer.h"

#include "Application/FrameworkApp.h"
#include "Graphics/Bitmap.h"
#include "ObjectBase/Exception.h"
#include "System/Sleep.h"

#include <algorithm>
#include <cmath>

namespace KV {

namespace {

Milliseconds ApplicationTimeMs()
{
    LFrameworkApp* app = LFrameworkApp::GetInstance();
    return app ? app->GetTimeMs() : GetTickCount();
}

RectT<double> ToDouble(const RectT<int32_t>& rect)
{
    return {static_cast<double>(rect.x), static_cast<double>(rect.y), static_cast<double>(rect.width),
            static_cast<double>(rect.height)};
}

// A scale this close to 1 draws the path as it was built.
PointT<double> EffectiveScale(const PointT<float>& scale)
{
    constexpr float kTolerance = 1.1920929e-6f;
    if (std::fabs(scale.x - 1.0f) > kTolerance || std::fabs(scale.y - 1.0f) > kTolerance)
        return {scale.x, scale.y};
    return {1.0, 1.0};
}

} // namespace

RCPtr<LGDIRenderer> LGDIRenderer::Create(int32_t screenDpi)
{
    return RCPtr<LGDIRenderer>(new LGDIRenderer(screenDpi));
}

LGDIRenderer::LGDIRenderer(int32_t screenDpi) : mFonts(screenDpi), mLastPurge(ApplicationTimeMs()) {}

uint32_t LGDIRenderer::HashBitmapKey(const CachedBitmapKey& key)
{
    return static_cast<uint32_t>((key.bitmap >> 4) & 0xFF);
}

int LGDIRenderer::GetType() const
{
    return kRendererTypeGDI;
}

KVRESULT LGDIRenderer::InitRenderContextInfo(const RectT<int32_t>& viewport, NativeWindowHandle window,
                                             bool offscreen, RCPtr<LRenderContextInfo>& out)
{
    out = LGDIRenderContextInfo::Create(viewport, window, offscreen);
    return out ? S_OK : E_FAIL;
}

KVRESULT LGDIRenderer::GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height, int32_t& cellTop,
                                      int32_t& cellBottom)
{
    return mFonts.GetMetrics(font.Get(), height, cellTop, cellBottom);
}

RectT<float> LGDIRenderer::MeasureText(const String& text, const ConstRCPtr<LFont>& font)
{
    return mFonts.Measure(text, font.Get());
}

KVRESULT LGDIRenderer::RenderStart(const RCPtr<LRenderContextInfo>& context)
{
    LRenderer::RenderStart(context);
    mCurrentContext.AssignDynamicCast(context);
    if (mCurrentContext)
    {
        mCurrentContext->BeginFrame();
        SyncGraphics(*mCurrentContext);
    }
    return S_OK;
}

KVRESULT LGDIRenderer::RenderFinish(const RCPtr<LRenderContextInfo>& context)
{
    // A mismatched context is refused by the base before anything ends.
    if (GetCurrentContext() != context.Get())
        return LRenderer::RenderFinish(context);
    if (mCurrentContext)
        mCurrentContext->EndFrame();
    mCurrentContext = nullptr;
    LRenderer::RenderFinish(context);
    mCurrentContext.AssignDynamicCast(RCPtr<LRenderContextInfo>(GetCurrentContext()));
    PurgeBitmapCacheWhenDue();
    return S_OK;
}

void LGDIRenderer::PurgeBitmapCacheWhenDue()
{
    const Milliseconds now = ApplicationTimeMs();
    if (static_cast<int32_t>(now - mLastPurge) <= static_cast<int32_t>(kBitmapCachePurgeInterval))
        return;
    // Entries stamped at or before the mark were last used before the previous purge.
    mBitmapCache.Purge(mBitmapCache.GetPurgeMark() + 1);
    mBitmapCache.SetPurgeMark(mBitmapCache.GetClock());
    mLastPurge = now;
}

int32_t LGDIRenderer::GetCachedBitmapCount() const
{
    int32_t count = 0;
    for (int32_t i = 0; i < mBitmapCache.GetCapacity(); ++i)
        count += mBitmapCache.GetEntryAt(i).IsEmpty() ? 0 : 1;
    return count;
}

void LGDIRenderer::SyncGraphics(const LGDIRenderContextInfo& context)
{
    if (Platform::Painter* painter = context.GetGraphics())
    {
        const RenderState& state = context.GetCurrentState();
        painter->SetOrigin(state.mOrigin);
        painter->SetClip(state.mClip);
    }
}

Platform::Painter* LGDIRenderer::PrepareDraw()
{
    if (!mCurrentContext)
        return nullptr;
    Platform::Painter* painter = mCurrentContext->GetGraphics();
    if (painter)
        painter->SetAlpha(mCurrentContext->GetCurrentState().mAlpha);
    return painter;
}

KVRESULT LGDIRenderer::PopState()
{
    LRenderer::PopState();
    if (mCurrentContext)
        SyncGraphics(*mCurrentContext);
    return S_OK;
}

KVRESULT LGDIRenderer::SetClipRect(const RectT<double>& clip)
{
    LRenderer::SetClipRect(clip);
    if (Platform::Painter* painter = mCurrentContext ? mCurrentContext->GetGraphics() : nullptr)
        painter->SetClip(mCurrentContext->GetCurrentState().mClip);
    return S_OK;
}

KVRESULT LGDIRenderer::Translate(const PointT<double>& offset)
{
    LRenderer::Translate(offset);
    if (Platform::Painter* painter = mCurrentContext ? mCurrentContext->GetGraphics() : nullptr)
        painter->SetOrigin(mCurrentContext->GetCurrentState().mOrigin);
    return S_OK;
}

KVRESULT LGDIRenderer::DrawText(const String& text, const ConstRCPtr<LFont>& font,
                                const PointT<int32_t>& position, const ColorT& color)
{
    if (Platform::Painter* painter = PrepareDraw())
        mFonts.Draw(*painter, text, font.Get(), position, color.ToARGB());
    return S_OK;
}

KVRESULT LGDIRenderer::DrawRect(const RectT<int32_t>& rect, const ColorT& color, float lineWidth)
{
    if (Platform::Painter* painter = PrepareDraw())
        painter->StrokeRect(ToDouble(rect), color.ToARGB(), lineWidth);
    return S_OK;
}

KVRESULT LGDIRenderer::FillRect(const RectT<int32_t>& rect, const ColorT& color, bool blend)
{
    if (Platform::Painter* painter = PrepareDraw())
        painter->FillRect(ToDouble(rect), color.ToARGB(),
                          blend ? Platform::FillMode::Blend : Platform::FillMode::Replace);
    return S_OK;
}

KVRESULT LGDIRenderer::DrawColorRectList(ColorRectListT<float>& list, const PointT<double>& offset, bool)
{
    Platform::Painter* painter = PrepareDraw();
    if (!painter)
        return S_OK;
    const float scaleX = list.GetScaleX();
    const float scaleY = list.GetScaleY();
    const uint32_t colorCount = list.GetColors().GetCount();
    for (uint32_t i = list.GetCount(); i-- > 0;)
    {
        const RectT<float>& source = list.GetData()[i];
        const RectT<int32_t> rect =
            RectT<float>{source.x * scaleX, source.y * scaleY, source.width * scaleX, source.height * scaleY}
                .ToLong();
        // A list with fewer colours than rectangles draws the rest transparent.
        const uint32_t argb = i < colorCount ? list.GetColors().GetData()[i] : 0;
        painter->FillRect({rect.x + offset.x, rect.y + offset.y, static_cast<double>(rect.width),
                           static_cast<double>(rect.height)},
                          argb, Platform::FillMode::Blend);
    }
    return S_OK;
}

KVRESULT LGDIRenderer::DrawLine(const PointT<float>& from, const PointT<float>& to, const ColorT& color,
                                float lineWidth)
{
    if (Platform::Painter* painter = PrepareDraw())
        painter->StrokeLine({from.x, from.y}, {to.x, to.y}, color.ToARGB(), lineWidth);
    return S_OK;
}

KVRESULT LGDIRenderer::DrawPath(Platform::PathShape shape, bool fill, PolylineT<float>& polyline,
                                const ColorT& color, const PointT<float>& offset, const PointT<float>& scale,
                                bool keepCached)
{
    Platform::Painter* painter = PrepareDraw();
    if (!painter)
        return S_OK;
    RCPtr<LGraphicsPath>* entry = mPathCache.GetEntry(polyline.GetHandle(), false);
    if (polyline.IsChanged())
    {
        polyline.SetChanged(false);
        *entry = nullptr;
    }
    // One polyline may be drawn as segments, an open line and a polygon in turn: a path
    // built for another shape would draw the wrong figure.
    if (*entry && (*entry)->GetShape() != shape)
        *entry = nullptr;
    if (!*entry)
    {
        auto path = Platform::PainterPath::Create(
            shape, {polyline.GetData(), static_cast<size_t>(polyline.GetCount())});
        if (!path)
            return S_OK;
        *entry = RCPtr<LGraphicsPath>(new LGraphicsPath(shape, std::move(path)));
        ++mCacheCounts.pathBuilds;
    }
    const PointT<double> scaling = EffectiveScale(scale);
    if (fill)
        painter->FillPath((*entry)->GetPath(), {offset.x, offset.y}, scaling, color.ToARGB());
    else
        painter->StrokePath((*entry)->GetPath(), {offset.x, offset.y}, scaling, color.ToARGB(),
                            polyline.GetLineWidth());
    if (!keepCached)
        *entry = nullptr; // the entry stays with the polyline and is filled again next time
    return S_OK;
}

KVRESULT LGDIRenderer::DrawLineSegments(PolylineT<float>& polyline, const ColorT& color,
                                        const PointT<float>& offset, const PointT<float>& scale,
                                        bool keepCached)
{
    return DrawPath(Platform::PathShape::Segments, false, polyline, color, offset, scale, keepCached);
}

KVRESULT LGDIRenderer::DrawPolyline(PolylineT<float>& polyline, const ColorT& color,
                                    const PointT<float>& offset, const PointT<float>& scale, bool keepCached)
{
    return DrawPath(Platform::PathShape::Polyline, false, polyline, color, offset, scale, keepCached);
}

KVRESULT LGDIRenderer::DrawPolygon(PolylineT<float>& polyline, const ColorT& color,
                                   const PointT<float>& offset, const PointT<float>& scale, bool keepCached)
{
    return DrawPath(Platform::PathShape::Polygon, false, polyline, color, offset, scale, keepCached);
}

KVRESULT LGDIRenderer::FillPolygon(PolylineT<float>& polyline, const ColorT& color,
                                   const PointT<float>& offset, const PointT<float>& scale, bool keepCached)
{
    return DrawPath(Platform::PathShape::Polygon, true, polyline, color, offset, scale, keepCached);
}

RCPtr<LGDIRenderer::LCachedBitmap>
LGDIRenderer::RenderBitmap(const LBitmap& bitmap, const SizeT<int32_t>& size, ResizeType resizeType)
{
    const RectT<int32_t>& area = bitmap.GetArea();
    const BitmapImage* image = bitmap.GetGdiplusBitmap();
    auto surface = Platform::PainterSurface::Create(size.width, size.height);
    if (!image || !surface)
        return nullptr;
    {
        Platform::Painter painter(*surface);
        const RectT<double> target{0, 0, static_cast<double>(size.width), static_cast<double>(size.height)};
        switch (resizeType)
        {
        case ResizeType::Stretch:
            painter.StretchImage(*image, area, target);
            break;
        case ResizeType::Tile:
            painter.TileImage(*image, area, target);
            break;
        case ResizeType::Center:
            // On whole pixels, so that every pixel is taken whole from its source pixel.
            painter.DrawImage(*image, area,
                              {RoundHalfAwayFromZero((size.width - area.width) * 0.5),
                               RoundHalfAwayFromZero((size.height - area.height) * 0.5)});
            break;
        }
    }
    ++mCacheCounts.bitmapRenders;
    return RCPtr<LCachedBitmap>(new LCachedBitmap(std::move(surface)));
}

KVRESULT LGDIRenderer::DrawBitmap(const ConstRCPtr<LBitmap>& bitmap, const RectT<int32_t>& target,
                                  ResizeType resizeType)
{
    if (!mCurrentContext)
        KV_THROW(std::runtime_error, "");
    if (!bitmap)
        return E_INVALIDARG;
    if (target.width <= 0 || target.height <= 0)
        return S_OK;
    RCPtr<LCachedBitmap>* entry =
        mBitmapCache.GetEntry({bitmap->GetHandle(), target.width, target.height}, false);
    if (*entry)
    {
        ++mCacheCounts.bitmapHits;
    }
    else
    {
        const RectT<int32_t>& area = bitmap->GetArea();
        if (area.width == target.width && area.height == target.height)
            resizeType = ResizeType::Stretch; // a copy, whatever was asked
        if (resizeType != ResizeType::Stretch && resizeType != ResizeType::Tile &&
            resizeType != ResizeType::Center)
            KV_THROW(std::invalid_argument, "Invalid ResizeType passed to DrawBitmap.");
        *entry = RenderBitmap(*bitmap, {target.width, target.height}, resizeType);
    }
    Platform::Painter* painter = PrepareDraw();
    if (*entry && painter)
        painter->DrawSurface((*entry)->GetSurface(), {0, 0, target.width, target.height},
                             {static_cast<double>(target.x), static_cast<double>(target.y)});
    return S_OK;
}

KVRESULT LGDIRenderer::DrawImageAt(const RCPtr<LRenderContextInfo>& source, const PointT<int32_t>& position,
                                   const RectT<int32_t>& sourceArea)
{
    auto* offscreen = dynamic_cast<LGDIRenderContextInfo*>(source.Get());
    Platform::Painter* painter = PrepareDraw();
    if (!offscreen || !offscreen->IsOffscreen() || !painter)
        return E_INVALIDARG;
    return offscreen->GetCurrentSurface()->DrawTo(painter, position, sourceArea);
}

KVRESULT LGDIRenderer::PresentOffscreen(const RCPtr<LRenderContextInfo>& context,
                                        const PointT<int32_t>& offset)
{
    auto* offscreen = dynamic_cast<LGDIRenderContextInfo*>(context.Get());
    if (!offscreen || !offscreen->IsOffscreen())
        return E_INVALIDARG;
    offscreen->SwapSurfaces();
    const RCPtr<LGDIRendererOffscreenSurface>& previous = offscreen->GetOtherSurface();
    Platform::Painter* painter = offscreen->GetGraphics();
    const Platform::PainterSurface* image = previous->GetImage();
    if (!painter || !image)
        return E_FAIL;
    // The picture moves on the surface itself, not through the state being drawn.
    painter->SetOrigin({0, 0});
    painter->SetClip({RenderState::kUnclippedOrigin, RenderState::kUnclippedOrigin,
                      RenderState::kUnclippedExtent, RenderState::kUnclippedExtent});
    painter->SetAlpha(1.0f);
    painter->Clear(0);
    const SizeT<int32_t> size = image->GetSize();
    const KVRESULT result = previous->DrawTo(painter, offset, {0, 0, size.width, size.height});
    SyncGraphics(*offscreen);
    return result;
}

} // namespace KV
