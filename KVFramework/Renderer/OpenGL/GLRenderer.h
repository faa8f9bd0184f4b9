#pragma once
// LGLRenderer: the renderer of type 0. It draws with OpenGL 1.x into the window's OpenGL
// drawable (or an offscreen context's hidden one), text through a font renderer and its
// glyph atlases, and keeps what is expensive to build: display lists of polylines,
// polygons and coloured rectangle lists, and textures of bitmaps. The caches drop what
// was not drawn for 300000 ms of the application clock.
//
// The renderer owns one OpenGL context; it is current only between RenderStart and
// RenderFinish, and OpenGL objects are made and deleted only while it is.

#include "Graphics/GraphicsHandle.h"
#include "Platform/Window/GLContext.h"
#include "Renderer/FontRenderer/FontRenderer.h"
#include "Renderer/OpenGL/GLDisplayList.h"
#include "Renderer/OpenGL/GLPolygon.h"
#include "Renderer/OpenGL/GLRenderContextInfo.h"
#include "Renderer/OpenGL/GLTexture.h"
#include "Renderer/Renderer.h"
#include "Storage/PurgableObjectCache.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace KV {

class LGLRenderer : public LRenderer
{
public:
    static constexpr Milliseconds kCachePurgeInterval = 300000;

    // Throws runtime_error when no OpenGL context can be made (no display, no driver).
    static RCPtr<LGLRenderer> Create(const RCPtr<LFontRenderer>& fontRenderer, NativeWindowHandle window);

    KVRESULT GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height, int32_t& cellTop,
                            int32_t& cellBottom) override;
    RectT<float> MeasureText(const String& text, const ConstRCPtr<LFont>& font) override;
    int GetType() const override;
    // A context on the window's OpenGL drawable, or on a hidden one of the viewport's size
    // when offscreen or without a window. E_FAIL for a window without an OpenGL drawable.
    KVRESULT InitRenderContextInfo(const RectT<int32_t>& viewport, NativeWindowHandle window, bool offscreen,
                                   RCPtr<LRenderContextInfo>& out) override;
    // Also sets the OpenGL viewport and a projection with the origin at the top left.
    KVRESULT SetViewport(const RectT<int32_t>& viewport) override;

    // Makes the OpenGL context current on the context's drawable, drawing into the
    // context's own picture.
    KVRESULT RenderStart(const RCPtr<LRenderContextInfo>& context) override;
    // Copies a window's picture onto the window and shows it (or flushes an offscreen
    // one); no context is current afterwards unless an outer frame goes on. The picture
    // stays for the next frame, which may repaint only a part of it.
    KVRESULT RenderFinish(const RCPtr<LRenderContextInfo>& context) override;

    KVRESULT DrawText(const String& text, const ConstRCPtr<LFont>& font, const PointT<int32_t>& position,
                      const ColorT& color) override;
    // On the pixels the GDI+ renderer outlines: width + 1 across for a line width of 1.
    KVRESULT DrawRect(const RectT<int32_t>& rect, const ColorT& color, float lineWidth) override;
    // Without blending the pixels inside the origin and clip become the colour.
    KVRESULT FillRect(const RectT<int32_t>& rect, const ColorT& color, bool blend) override;
    KVRESULT DrawColorRectList(ColorRectListT<float>& list, const PointT<double>& offset,
                               bool useCache) override;
    // Lines of all kinds lie on the pixels the GDI+ renderer draws them on: through the
    // centres of the pixels their points name.
    KVRESULT DrawLine(const PointT<float>& from, const PointT<float>& to, const ColorT& color,
                      float lineWidth) override;
    KVRESULT DrawLineSegments(PolylineT<float>& polyline, const ColorT& color, const PointT<float>& offset,
                              const PointT<float>& scale, bool keepCached) override;
    KVRESULT DrawPolyline(PolylineT<float>& polyline, const ColorT& color, const PointT<float>& offset,
                          const PointT<float>& scale, bool keepCached) override;
    // An open line strip through the points.
    KVRESULT DrawPolygon(PolylineT<float>& polyline, const ColorT& color, const PointT<float>& offset,
                         const PointT<float>& scale, bool keepCached) override;
    // By the even-odd rule.
    KVRESULT FillPolygon(PolylineT<float>& polyline, const ColorT& color, const PointT<float>& offset,
                         const PointT<float>& scale, bool keepCached) override;
    // E_INVALIDARG for a null bitmap; throws logic_error for an unknown resize type.
    KVRESULT DrawBitmap(const ConstRCPtr<LBitmap>& bitmap, const RectT<int32_t>& target,
                        ResizeType resizeType) override;
    // Draws the area of an offscreen context's picture at the position (through the
    // origin). E_INVALIDARG outside a frame, for a context that is not an offscreen one of
    // this renderer, and for the context being drawn.
    KVRESULT DrawImageAt(const RCPtr<LRenderContextInfo>& source, const PointT<int32_t>& position,
                         const RectT<int32_t>& sourceArea) override;
    // Moves an offscreen context's picture by the offset, in a frame of its own; what is
    // uncovered becomes transparent. E_INVALIDARG unless the context is an offscreen one.
    KVRESULT PresentOffscreen(const RCPtr<LRenderContextInfo>& context,
                              const PointT<int32_t>& offset) override;

    KVRESULT PopState() override;
    KVRESULT SetClipRect(const RectT<double>& clip) override;
    KVRESULT Translate(const PointT<double>& offset) override;

    // The pixels of an area of the context's picture as 0xAARRGGBB, rows from the top:
    // inside its frame what is drawn so far, afterwards what the context kept.
    std::vector<uint32_t> ReadPixels(const RCPtr<LRenderContextInfo>& context, const RectT<int32_t>& area);

    // What the caches did, for tests and measurements.
    struct CacheCounts
    {
        uint32_t listsCompiled = 0;
        uint32_t texturesMade = 0;
    };
    const CacheCounts& GetCacheCounts() const noexcept { return mCacheCounts; }
    const RCPtr<LFontRenderer>& GetFontRenderer() const noexcept { return mFontRenderer; }

protected:
    LGLRenderer(const RCPtr<LFontRenderer>& fontRenderer, NativeWindowHandle window);
    ~LGLRenderer() override;

private:
    using ListCache = PurgableObjectCache<LGLDisplayList, GraphicsHandle, GraphicsHandle,
                                          &GetSelf<GraphicsHandle>, 8, &GetBits<8, 0, GraphicsHandle>>;
    using TextureCache = PurgableObjectCache<LGLTexture, GraphicsHandle, GraphicsHandle,
                                             &GetSelf<GraphicsHandle>, 8, &GetBits<8, 0, GraphicsHandle>>;
    // Lines are drawn through the centres of the pixels their points name, so that a
    // one-pixel line covers one row or column of pixels, as the GDI+ renderer draws it.
    static constexpr float kPixelCentre = 0.5f;

    enum class Shape
    {
        Segments,
        Polyline,
        Outline,
        Fill,
    };

    // True while the context is current and drawing may go to OpenGL.
    bool CanDraw() const;
    bool MakeCurrent(const LGLRenderContextInfo& context);
    // Copies a window context's picture onto its window and shows it.
    void ShowFrame(const LGLRenderContextInfo& context);
    void SetInitialState();
    void SetColor(const ColorT& color) const;
    // The model-view matrix becomes the current origin's translation.
    void SyncModelView();
    // The scissor becomes the current clip, placed by the current origin.
    void ApplyClip();
    void SetScissor(const RectT<double>& surfaceRect);
    KVRESULT DrawShape(Shape shape, ListCache& cache, PolylineT<float>& polyline, const ColorT& color,
                       const PointT<float>& offset, const PointT<float>& scale, bool keepCached);
    void DrawGeometry(Shape shape, const PolylineT<float>& polyline);
    void DrawRectList(const ColorRectListT<float>& list);
    // One quad of an area of a context's picture texture at the position.
    static void DrawPicture(uint32_t texture, const SizeT<int32_t>& pictureSize, const RectT<int32_t>& area,
                            const PointT<int32_t>& position);
    // Replays the cached list of the key, or compiles one while draw runs.
    template <class Draw> void DrawCached(ListCache& cache, GraphicsHandle key, bool refresh, Draw&& draw);
    void PurgeCachesWhenDue();

    std::unique_ptr<Platform::GLContext> mGLContext;
    RCPtr<LFontRenderer> mFontRenderer;
    NativeWindowHandle mWindow;
    RCPtr<LGLRenderContextInfo> mCurrentContext;
    SizeT<int32_t> mMaxViewport;
    Milliseconds mLastPurge;
    ListCache mFillCache{256};
    ListCache mOutlineCache{256};
    ListCache mSegmentCache{256};
    ListCache mPolylineCache{256};
    ListCache mRectListCache{256};
    TextureCache mTextureCache{64};
    CGLPolygon mPolygon;
    CacheCounts mCacheCounts;
};

} // namespace KV
