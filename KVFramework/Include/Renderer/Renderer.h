#pragma once
// LRenderer: the one drawing interface of every visible part. The operating-system window
// makes one renderer by type (Create) and one render context for itself; each frame is
// drawn between RenderStart and RenderFinish on that context, and inside a frame the
// controls nest their drawing with a stack of render states: each level may move the
// origin, narrow the clip rectangle, change the alpha and set a stencil, and PopState
// restores all of it. CAutoClip (Renderer/AutoClip.h) pairs every push with its pop.
//
// The base class keeps the stack of contexts being drawn and implements the state
// operations for every renderer; a renderer overrides the drawing operations, and
// SetClipRect and Translate when its graphics state must follow (calling the base first).
// Contexts may nest (a control drawing into an offscreen context inside a window frame);
// the state operations act on the innermost one and do nothing outside a frame.
//
// Window thread only.

#include "Graphics/ColorRectList.h"
#include "Graphics/Color.h"
#include "Graphics/Geometry.h"
#include "Graphics/Polyline.h"
#include "Graphics/ResizeType.h"
#include "KVTypes.h"
#include "ObjectBase/RCPtr.h"
#include "Renderer/MeasurementRenderer.h"
#include "Renderer/RenderContextInfo.h"
#include "Renderer/Stencil.h"

#include <vector>

namespace KV {

class LBitmap;

// The renderer types that Create knows, as GetType reports them.
inline constexpr int kRendererTypeOpenGL = 0;
inline constexpr int kRendererTypeGDI = 1;
inline constexpr int kRendererTypeD3D9 = 2;

class LRenderer : public LMeasurementRenderer
{
public:
    // A new renderer of the type for the window with that client rectangle. Throws
    // domain_error for a type that has no renderer.
    static RCPtr<LRenderer> Create(int type, const RectT<int32_t>& clientRect, NativeWindowHandle window);

    virtual int GetType() const = 0;
    // A new context of this renderer's kind into out: S_OK, or E_FAIL when none was made.
    virtual KVRESULT InitRenderContextInfo(const RectT<int32_t>& viewport, NativeWindowHandle window,
                                           bool offscreen, RCPtr<LRenderContextInfo>& out) = 0;
    // Stores the viewport in the current context.
    virtual KVRESULT SetViewport(const RectT<int32_t>& viewport);
    // Replaces the current state's stencil when it is another object.
    virtual KVRESULT SetStencil(const ConstRCPtr<LStencil>& stencil);

    // Puts the context on the stack of contexts being drawn. Throws runtime_error for a null
    // context and for one already on the stack; the stack is then unchanged.
    virtual KVRESULT RenderStart(const RCPtr<LRenderContextInfo>& context);
    // Takes the context off the stack. Throws runtime_error, changing nothing, unless it is
    // the innermost one.
    virtual KVRESULT RenderFinish(const RCPtr<LRenderContextInfo>& context);

    virtual KVRESULT DrawText(const String& text, const ConstRCPtr<LFont>& font,
                              const PointT<int32_t>& position, const ColorT& color) = 0;
    // The outline of the rectangle.
    virtual KVRESULT DrawRect(const RectT<int32_t>& rect, const ColorT& color, float lineWidth) = 0;
    // blend: true draws over what is there, false replaces the pixels.
    virtual KVRESULT FillRect(const RectT<int32_t>& rect, const ColorT& color, bool blend) = 0;
    // FillRect (blending) when the fill colour is not transparent, then DrawRect when the
    // frame colour is not.
    virtual KVRESULT FillAndFrameRect(const RectT<int32_t>& rect, const ColorT& fill, const ColorT& frame,
                                      float lineWidth);
    // useCache: a renderer that can keep what it built for the list (by its handle) does so.
    virtual KVRESULT DrawColorRectList(ColorRectListT<float>& list, const PointT<double>& offset,
                                       bool useCache = true) = 0;
    virtual KVRESULT DrawLine(const PointT<float>& from, const PointT<float>& to, const ColorT& color,
                              float lineWidth) = 0;
    // The polyline family: the points, moved by offset and scaled by scale. keepCached: what
    // was built for the polyline (by its handle) is kept for the next call.
    // The points in pairs, each pair a separate segment.
    virtual KVRESULT DrawLineSegments(PolylineT<float>& polyline, const ColorT& color,
                                      const PointT<float>& offset, const PointT<float>& scale,
                                      bool keepCached) = 0;
    // One open line through all points.
    virtual KVRESULT DrawPolyline(PolylineT<float>& polyline, const ColorT& color,
                                  const PointT<float>& offset, const PointT<float>& scale,
                                  bool keepCached) = 0;
    // The outline of the polygon.
    virtual KVRESULT DrawPolygon(PolylineT<float>& polyline, const ColorT& color, const PointT<float>& offset,
                                 const PointT<float>& scale, bool keepCached) = 0;
    virtual KVRESULT FillPolygon(PolylineT<float>& polyline, const ColorT& color, const PointT<float>& offset,
                                 const PointT<float>& scale, bool keepCached) = 0;
    virtual KVRESULT DrawBitmap(const ConstRCPtr<LBitmap>& bitmap, const RectT<int32_t>& target,
                                ResizeType resizeType) = 0;
    // Draws an area of an offscreen context's picture at a position of the current one.
    virtual KVRESULT DrawImageAt(const RCPtr<LRenderContextInfo>& source, const PointT<int32_t>& position,
                                 const RectT<int32_t>& sourceArea) = 0;
    // Moves an offscreen context's picture by an offset without redrawing it.
    virtual KVRESULT PresentOffscreen(const RCPtr<LRenderContextInfo>& context,
                                      const PointT<int32_t>& offset) = 0;

    // Pushes a state and moves the origin by the offset rounded to whole pixels, keeping the
    // clip where it was on the surface. Does nothing (and the matching PopState nothing
    // either) while no state has been pushed in the context.
    virtual KVRESULT PushTranslation(const PointT<double>& offset);
    // Pushes a state whose origin is the area's origin and whose clip is clip, snapped to
    // whole pixels, with the stencil when one is given. relative: area and clip are given
    // in the current coordinates and the clip is narrowed to the area and to the current
    // clip; otherwise the area is given in surface coordinates and the clip taken as it is.
    virtual KVRESULT PushClip(const RectT<double>& area, const RectT<double>& clip,
                              const ConstRCPtr<LStencil>& stencil, bool relative);
    virtual KVRESULT PushState();
    // Restores the state pushed last; nothing when none is left.
    virtual KVRESULT PopState();
    // Stores the clip rectangle, relative to the current origin.
    virtual KVRESULT SetClipRect(const RectT<double>& clip);
    // Moves the current origin by the offset.
    virtual KVRESULT Translate(const PointT<double>& offset);

    // The innermost context being drawn, null outside a frame.
    LRenderContextInfo* GetCurrentContext() const
    {
        return mContexts.empty() ? nullptr : mContexts.back().Get();
    }
    size_t GetContextDepth() const { return mContexts.size(); }

protected:
    LRenderer() = default;
    ~LRenderer() override = default;

private:
    std::vector<RCPtr<LRenderContextInfo>> mContexts;
};

} // namespace KV
