#pragma once
// LGDIRenderer: the renderer of type 1, the one the updater draws with. Every frame is
// drawn into the offscreen surface of the window's render context (LGDIRenderContextInfo)
// through the painter, and the dirty rectangles are presented when the frame ends.
//
// It keeps two caches that make repeated frames cheap: bitmaps rendered at a target size
// (by bitmap and size), purged of what was not drawn for 300000 ms of the application
// clock at the end of a frame; and prepared paths of polylines (by polyline), rebuilt
// when a polyline says it changed or the caller does not keep them.

#include "Graphics/GraphicsHandle.h"
#include "Renderer/Gdi/GDIFonts.h"
#include "Renderer/Gdi/GDIRenderContextInfo.h"
#include "Renderer/Renderer.h"
#include "Storage/PurgableObjectCache.h"

#include <cstdint>
#include <memory>

namespace KV {

class LGDIRenderer : public LRenderer
{
public:
    static constexpr Milliseconds kBitmapCachePurgeInterval = 300000;

    // screenDpi: the resolution measured text widths are given for (96 leaves them as they
    // are measured on the 96-dpi surfaces).
    static RCPtr<LGDIRenderer> Create(int32_t screenDpi = GDIFonts::kDefaultDpi);

    KVRESULT GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height, int32_t& cellTop,
                            int32_t& cellBottom) override;
    RectT<float> MeasureText(const String& text, const ConstRCPtr<LFont>& font) override;
    int GetType() const override;
    KVRESULT InitRenderContextInfo(const RectT<int32_t>& viewport, NativeWindowHandle window, bool offscreen,
                                   RCPtr<LRenderContextInfo>& out) override;

    KVRESULT RenderStart(const RCPtr<LRenderContextInfo>& context) override;
    KVRESULT RenderFinish(const RCPtr<LRenderContextInfo>& context) override;

    KVRESULT DrawText(const String& text, const ConstRCPtr<LFont>& font, const PointT<int32_t>& position,
                      const ColorT& color) override;
    // The outline covers width + 1 pixels across (and height + 1 down) for a line width of 1.
    KVRESULT DrawRect(const RectT<int32_t>& rect, const ColorT& color, float lineWidth) override;
    // Both ways through the origin and clip; without blending the pixels become the colour.
    KVRESULT FillRect(const RectT<int32_t>& rect, const ColorT& color, bool blend) override;
    // Filled from the last rectangle to the first, each scaled by the list's factors.
    KVRESULT DrawColorRectList(ColorRectListT<float>& list, const PointT<double>& offset,
                               bool useCache) override;
    KVRESULT DrawLine(const PointT<float>& from, const PointT<float>& to, const ColorT& color,
                      float lineWidth) override;
    KVRESULT DrawLineSegments(PolylineT<float>& polyline, const ColorT& color, const PointT<float>& offset,
                              const PointT<float>& scale, bool keepCached) override;
    KVRESULT DrawPolyline(PolylineT<float>& polyline, const ColorT& color, const PointT<float>& offset,
                          const PointT<float>& scale, bool keepCached) override;
    // Closed.
    KVRESULT DrawPolygon(PolylineT<float>& polyline, const ColorT& color, const PointT<float>& offset,
                         const PointT<float>& scale, bool keepCached) override;
    // By the even-odd rule.
    KVRESULT FillPolygon(PolylineT<float>& polyline, const ColorT& color, const PointT<float>& offset,
                         const PointT<float>& scale, bool keepCached) override;
    // Renders the bitmap at the target's size once (stretched, tiled from the top left and
    // cut at the target, or centred) and draws that at the target. A bitmap already of the
    // target's size is copied, whatever the resize type. Throws runtime_error outside a
    // frame, and invalid_argument for an unknown resize type when the bitmap must be
    // rendered at a new size.
    KVRESULT DrawBitmap(const ConstRCPtr<LBitmap>& bitmap, const RectT<int32_t>& target,
                        ResizeType resizeType) override;
    // E_INVALIDARG unless drawing and the source is an offscreen context of this renderer.
    KVRESULT DrawImageAt(const RCPtr<LRenderContextInfo>& source, const PointT<int32_t>& position,
                         const RectT<int32_t>& sourceArea) override;
    // Swaps the context's surfaces, clears the new current one and draws the previous
    // picture onto it at the offset. E_INVALIDARG unless the context is an offscreen one.
    KVRESULT PresentOffscreen(const RCPtr<LRenderContextInfo>& context,
                              const PointT<int32_t>& offset) override;

    KVRESULT PopState() override;
    KVRESULT SetClipRect(const RectT<double>& clip) override;
    KVRESULT Translate(const PointT<double>& offset) override;

    // What the caches did, for tests and measurements.
    struct CacheCounts
    {
        uint32_t bitmapHits = 0;
        uint32_t bitmapRenders = 0;
        uint32_t pathBuilds = 0;
    };
    const CacheCounts& GetCacheCounts() const noexcept { return mCacheCounts; }
    // Entries of the bitmap cache that hold a rendered bitmap.
    int32_t GetCachedBitmapCount() const;

    // A bitmap rendered at a target size, as the bitmap cache keeps it.
    class LCachedBitmap : public virtual LRefCountedObject
    {
    public:
        explicit LCachedBitmap(std::unique_ptr<Platform::PainterSurface> surface) noexcept
            : mSurface(std::move(surface))
        {
        }
        const Platform::PainterSurface& GetSurface() const noexcept { return *mSurface; }

    protected:
        ~LCachedBitmap() override = default;

    private:
        std::unique_ptr<Platform::PainterSurface> mSurface;
    };

    // A polyline's prepared path in one shape, as the path cache keeps it.
    class LGraphicsPath : public virtual LRefCountedObject
    {
    public:
        LGraphicsPath(Platform::PathShape shape, std::unique_ptr<Platform::PainterPath> path) noexcept
            : mShape(shape), mPath(std::move(path))
        {
        }
        Platform::PathShape GetShape() const noexcept { return mShape; }
        const Platform::PainterPath& GetPath() const noexcept { return *mPath; }

    protected:
        ~LGraphicsPath() override = default;

    private:
        Platform::PathShape mShape;
        std::unique_ptr<Platform::PainterPath> mPath;
    };

    // The bitmap cache's key: the bitmap by its never-reused handle, so that the cache
    // does not keep bitmaps alive, and the target size.
    struct CachedBitmapKey
    {
        GraphicsHandle bitmap = 0;
        int32_t width = 0;
        int32_t height = 0;
        bool operator==(const CachedBitmapKey&) const = default;
    };

protected:
    explicit LGDIRenderer(int32_t screenDpi);
    ~LGDIRenderer() override = default;

private:
    static uint32_t HashBitmapKey(const CachedBitmapKey& key);
    using BitmapCache = PurgableObjectCache<LCachedBitmap, CachedBitmapKey, CachedBitmapKey,
                                            &GetSelf<CachedBitmapKey>, 8, &LGDIRenderer::HashBitmapKey>;
    using PathCache = PurgableObjectCache<LGraphicsPath, GraphicsHandle, GraphicsHandle,
                                          &GetSelf<GraphicsHandle>, 8, &GetBits<8, 4, GraphicsHandle>>;

    // The current painter with the current state's alpha; null outside a frame or on a
    // surface that could not be made.
    Platform::Painter* PrepareDraw();
    // Makes the context's painter follow its current state's origin and clip.
    static void SyncGraphics(const LGDIRenderContextInfo& context);
    KVRESULT DrawPath(Platform::PathShape shape, bool fill, PolylineT<float>& polyline, const ColorT& color,
                      const PointT<float>& offset, const PointT<float>& scale, bool keepCached);
    RCPtr<LCachedBitmap> RenderBitmap(const LBitmap& bitmap, const SizeT<int32_t>& size,
                                      ResizeType resizeType);
    void PurgeBitmapCacheWhenDue();

    GDIFonts mFonts;
    RCPtr<LGDIRenderContextInfo> mCurrentContext;
    BitmapCache mBitmapCache{256};
    PathCache mPathCache{256};
    Milliseconds mLastPurge;
    CacheCounts mCacheCounts;
};

} // namespace KV
