// Direct3D 9 renderer: the renderer type exists, without a device and without drawing.
//  [x] contexts and the shared state stack   [x] measuring (all zero)
//  [ ] drawing                               [ ] offscreen contexts (E_NOTIMPL)
//
// RenderStart and RenderFinish keep the base's context stack, so that a whole control
// tree can draw through this renderer: its pushes and pops then act on the frame's
// context instead of on none.

#include "Renderer/D3D9/D3D9Renderer.h"

namespace KV {

RCPtr<LD3D9RenderContextInfo> LD3D9RenderContextInfo::Create(const RectT<int32_t>& viewport,
                                                             NativeWindowHandle window, bool offscreen)
{
    return RCPtr<LD3D9RenderContextInfo>(new LD3D9RenderContextInfo(viewport, window, offscreen));
}

SizeT<int32_t> LD3D9RenderContextInfo::GetMaxSurfaceSize() const
{
    return {0, 0};
}

RCPtr<LRenderer> LD3D9Renderer::Create()
{
    return RCPtr<LRenderer>(new LD3D9Renderer());
}

KVRESULT LD3D9Renderer::GetFontMetrics(const ConstRCPtr<LFont>&, int32_t& height, int32_t& cellTop,
                                       int32_t& cellBottom)
{
    height = 0;
    cellTop = 0;
    cellBottom = 0;
    return S_OK;
}

RectT<float> LD3D9Renderer::MeasureText(const String&, const ConstRCPtr<LFont>&)
{
    return {};
}

int LD3D9Renderer::GetType() const
{
    return kRendererTypeD3D9;
}

KVRESULT LD3D9Renderer::InitRenderContextInfo(const RectT<int32_t>& viewport, NativeWindowHandle window,
                                              bool offscreen, RCPtr<LRenderContextInfo>& out)
{
    out = LD3D9RenderContextInfo::Create(viewport, window, offscreen);
    return S_OK;
}

KVRESULT LD3D9Renderer::DrawText(const String&, const ConstRCPtr<LFont>&, const PointT<int32_t>&,
                                 const ColorT&)
{
    return S_OK;
}

KVRESULT LD3D9Renderer::DrawRect(const RectT<int32_t>&, const ColorT&, float)
{
    return S_OK;
}

KVRESULT LD3D9Renderer::FillRect(const RectT<int32_t>&, const ColorT&, bool)
{
    return S_OK;
}

KVRESULT LD3D9Renderer::FillAndFrameRect(const RectT<int32_t>&, const ColorT&, const ColorT&, float)
{
    return S_OK;
}

KVRESULT LD3D9Renderer::DrawColorRectList(ColorRectListT<float>&, const PointT<double>&, bool)
{
    return S_OK;
}

KVRESULT LD3D9Renderer::DrawLine(const PointT<float>&, const PointT<float>&, const ColorT&, float)
{
    return S_OK;
}

KVRESULT LD3D9Renderer::DrawLineSegments(PolylineT<float>&, const ColorT&, const PointT<float>&,
                                         const PointT<float>&, bool)
{
    return S_OK;
}

KVRESULT LD3D9Renderer::DrawPolyline(PolylineT<float>&, const ColorT&, const PointT<float>&,
                                     const PointT<float>&, bool)
{
    return S_OK;
}

KVRESULT LD3D9Renderer::DrawPolygon(PolylineT<float>&, const ColorT&, const PointT<float>&,
                                    const PointT<float>&, bool)
{
    return S_OK;
}

KVRESULT LD3D9Renderer::FillPolygon(PolylineT<float>&, const ColorT&, const PointT<float>&,
                                    const PointT<float>&, bool)
{
    return S_OK;
}

KVRESULT LD3D9Renderer::DrawBitmap(const ConstRCPtr<LBitmap>&, const RectT<int32_t>&, ResizeType)
{
    return S_OK;
}

KVRESULT LD3D9Renderer::DrawImageAt(const RCPtr<LRenderContextInfo>&, const PointT<int32_t>&,
                                    const RectT<int32_t>&)
{
    return E_NOTIMPL;
}

KVRESULT LD3D9Renderer::PresentOffscreen(const RCPtr<LRenderContextInfo>&, const PointT<int32_t>&)
{
    return E_NOTIMPL;
}

} // namespace KV
