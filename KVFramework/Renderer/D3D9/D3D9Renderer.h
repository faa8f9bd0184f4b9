#pragma once
// LD3D9Renderer: the renderer of type 2. It is a whole LRenderer with contexts of its own
// and the shared state stack, but it draws and measures nothing and holds no device.

#include "Renderer/Renderer.h"

namespace KV {

class LD3D9RenderContextInfo : public LRenderContextInfo
{
public:
    static RCPtr<LD3D9RenderContextInfo> Create(const RectT<int32_t>& viewport, NativeWindowHandle window,
                                                bool offscreen);

    // 0 x 0: there is no device to draw on.
    SizeT<int32_t> GetMaxSurfaceSize() const override;

protected:
    using LRenderContextInfo::LRenderContextInfo;
    ~LD3D9RenderContextInfo() override = default;
};

class LD3D9Renderer : public LRenderer
{
public:
    static RCPtr<LRenderer> Create();

    KVRESULT GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height, int32_t& cellTop,
                            int32_t& cellBottom) override;
    RectT<float> MeasureText(const String& text, const ConstRCPtr<LFont>& font) override;
    int GetType() const override;
    KVRESULT InitRenderContextInfo(const RectT<int32_t>& viewport, NativeWindowHandle window, bool offscreen,
                                   RCPtr<LRenderContextInfo>& out) override;

    KVRESULT DrawText(const String& text, const ConstRCPtr<LFont>& font, const PointT<int32_t>& position,
                      const ColorT& color) override;
    KVRESULT DrawRect(const RectT<int32_t>& rect, const ColorT& color, float lineWidth) override;
    KVRESULT FillRect(const RectT<int32_t>& rect, const ColorT& color, bool blend) override;
    KVRESULT FillAndFrameRect(const RectT<int32_t>& rect, const ColorT& fill, const ColorT& frame,
                              float lineWidth) override;
    KVRESULT DrawColorRectList(ColorRectListT<float>& list, const PointT<double>& offset,
                               bool useCache) override;
    KVRESULT DrawLine(const PointT<float>& from, const PointT<float>& to, const ColorT& color,
                      float lineWidth) override;
    KVRESULT DrawLineSegments(PolylineT<float>& polyline, const ColorT& color, const PointT<float>& offset,
                              const PointT<float>& scale, bool keepCached) override;
    KVRESULT DrawPolyline(PolylineT<float>& polyline, const ColorT& color, const PointT<float>& offset,
                          const PointT<float>& scale, bool keepCached) override;
    KVRESULT DrawPolygon(PolylineT<float>& polyline, const ColorT& color, const PointT<float>& offset,
                         const PointT<float>& scale, bool keepCached) override;
    KVRESULT FillPolygon(PolylineT<float>& polyline, const ColorT& color, const PointT<float>& offset,
                         const PointT<float>& scale, bool keepCached) override;
    KVRESULT DrawBitmap(const ConstRCPtr<LBitmap>& bitmap, const RectT<int32_t>& target,
                        ResizeType resizeType) override;
    KVRESULT DrawImageAt(const RCPtr<LRenderContextInfo>& source, const PointT<int32_t>& position,
                         const RectT<int32_t>& sourceArea) override;
    KVRESULT PresentOffscreen(const RCPtr<LRenderContextInfo>& context,
                              const PointT<int32_t>& offset) override;

protected:
    LD3D9Renderer() = default;
    ~LD3D9Renderer() override = default;
};

} // namespace KV
