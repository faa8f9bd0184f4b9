#pragma once
// A renderer for tests that draws nothing and logs every call it receives, one line each
// ("FillRect 0,0,40,12 #FF303030", "Translate 10,10"), keeping the base class's state
// stack. Its contexts report a 4096 x 4096 surface.

#include "Graphics/Bitmap.h"
#include "Renderer/Renderer.h"

#include <cstdio>
#include <string>
#include <vector>

namespace KV::Testing {

class RecordingContext : public LRenderContextInfo
{
public:
    static RCPtr<RecordingContext> Create(const RectT<int32_t>& viewport = {0, 0, 640, 480},
                                          bool offscreen = false)
    {
        return RCPtr<RecordingContext>(new RecordingContext(viewport, offscreen));
    }
    SizeT<int32_t> GetMaxSurfaceSize() const override { return {4096, 4096}; }

private:
    RecordingContext(const RectT<int32_t>& viewport, bool offscreen)
        : LRenderContextInfo(viewport, nullptr, offscreen)
    {
    }
};

class RecordingRenderer : public LRenderer
{
public:
    static RCPtr<RecordingRenderer> Create() { return RCPtr<RecordingRenderer>(new RecordingRenderer()); }

    std::vector<std::string> mCalls;
    // Also log PushClip and PopState, for tests of what is clipped where.
    bool mLogStack = false;
    // Also give the state's alpha with every call made under an alpha below 1.
    bool mLogAlpha = false;

    // The calls logged since the last Take.
    std::vector<std::string> Take() { return std::exchange(mCalls, {}); }

    static std::string Number(double value)
    {
        char text[32];
        std::snprintf(text, sizeof text, "%g", value);
        return text;
    }
    template <class T> static std::string Text(const RectT<T>& r)
    {
        return Number(r.x) + "," + Number(r.y) + "," + Number(r.width) + "," + Number(r.height);
    }
    template <class T> static std::string Text(const PointT<T>& p) { return Number(p.x) + "," + Number(p.y); }
    static std::string Text(const ColorT& color)
    {
        char text[16];
        std::snprintf(text, sizeof text, "#%08X", color.ToARGB());
        return text;
    }

    KVRESULT GetFontMetrics(const ConstRCPtr<LFont>&, int32_t& height, int32_t& cellTop,
                            int32_t& cellBottom) override
    {
        height = 12;
        cellTop = -10;
        cellBottom = 2;
        return S_OK;
    }
    RectT<float> MeasureText(const String& text, const ConstRCPtr<LFont>&) override
    {
        return {0, -10, 6.0f * static_cast<float>(text.GetLength()), 12};
    }
    int GetType() const override { return 99; }
    KVRESULT InitRenderContextInfo(const RectT<int32_t>& viewport, NativeWindowHandle, bool offscreen,
                                   RCPtr<LRenderContextInfo>& out) override
    {
        out = RecordingContext::Create(viewport, offscreen);
        return S_OK;
    }
    KVRESULT SetViewport(const RectT<int32_t>& viewport) override
    {
        Log("SetViewport " + Text(viewport));
        return LRenderer::SetViewport(viewport);
    }
    KVRESULT SetStencil(const ConstRCPtr<LStencil>& stencil) override
    {
        Log(stencil ? "SetStencil " + std::to_string(stencil->GetWidth()) + "x" +
                          std::to_string(stencil->GetHeight())
                    : std::string("SetStencil none"));
        return LRenderer::SetStencil(stencil);
    }
    KVRESULT DrawText(const String& text, const ConstRCPtr<LFont>&, const PointT<int32_t>& position,
                      const ColorT& color) override
    {
        return Log("DrawText \"" + std::string(text.ToNarrow().View()) + "\" " + Text(position) + " " +
                   Text(color));
    }
    KVRESULT DrawRect(const RectT<int32_t>& rect, const ColorT& color, float lineWidth) override
    {
        return Log("DrawRect " + Text(rect) + " " + Text(color) + " " + Number(lineWidth));
    }
    KVRESULT FillRect(const RectT<int32_t>& rect, const ColorT& color, bool blend) override
    {
        return Log("FillRect " + Text(rect) + " " + Text(color) + (blend ? " blend" : " copy"));
    }
    KVRESULT DrawColorRectList(ColorRectListT<float>& list, const PointT<double>& offset,
                               bool useCache) override
    {
        return Log("DrawColorRectList " + std::to_string(list.GetCount()) + " " + Text(offset) +
                   (useCache ? " cached" : ""));
    }
    KVRESULT DrawLine(const PointT<float>& from, const PointT<float>& to, const ColorT& color, float) override
    {
        return Log("DrawLine " + Text(from) + " " + Text(to) + " " + Text(color));
    }
    KVRESULT DrawLineSegments(PolylineT<float>& polyline, const ColorT& color, const PointT<float>&,
                              const PointT<float>&, bool) override
    {
        return Log("DrawLineSegments " + std::to_string(polyline.GetCount()) + " " + Text(color));
    }
    KVRESULT DrawPolyline(PolylineT<float>& polyline, const ColorT& color, const PointT<float>&,
                          const PointT<float>&, bool) override
    {
        return Log("DrawPolyline " + std::to_string(polyline.GetCount()) + " " + Text(color));
    }
    KVRESULT DrawPolygon(PolylineT<float>& polyline, const ColorT& color, const PointT<float>&,
                         const PointT<float>&, bool) override
    {
        return Log("DrawPolygon " + std::to_string(polyline.GetCount()) + " " + Text(color));
    }
    KVRESULT FillPolygon(PolylineT<float>& polyline, const ColorT& color, const PointT<float>&,
                         const PointT<float>&, bool) override
    {
        return Log("FillPolygon " + std::to_string(polyline.GetCount()) + " " + Text(color));
    }
    KVRESULT DrawBitmap(const ConstRCPtr<LBitmap>&, const RectT<int32_t>& target, ResizeType type) override
    {
        return Log("DrawBitmap " + Text(target) + " " + std::to_string(static_cast<int>(type)));
    }
    KVRESULT DrawImageAt(const RCPtr<LRenderContextInfo>&, const PointT<int32_t>& position,
                         const RectT<int32_t>& area) override
    {
        return Log("DrawImageAt " + Text(position) + " " + Text(area));
    }
    KVRESULT PresentOffscreen(const RCPtr<LRenderContextInfo>&, const PointT<int32_t>& offset) override
    {
        return Log("PresentOffscreen " + Text(offset));
    }
    KVRESULT SetClipRect(const RectT<double>& clip) override
    {
        Log("SetClipRect " + Text(clip));
        return LRenderer::SetClipRect(clip);
    }
    KVRESULT PushClip(const RectT<double>& area, const RectT<double>& clip,
                      const ConstRCPtr<LStencil>& stencil, bool relative) override
    {
        if (mLogStack)
            Log("PushClip " + Text(area) + " " + Text(clip));
        return LRenderer::PushClip(area, clip, stencil, relative);
    }
    KVRESULT PopState() override
    {
        if (mLogStack)
            Log("PopState");
        return LRenderer::PopState();
    }
    KVRESULT Translate(const PointT<double>& offset) override
    {
        Log("Translate " + Text(offset));
        return LRenderer::Translate(offset);
    }

private:
    RecordingRenderer() = default;

    KVRESULT Log(std::string call)
    {
        if (const LRenderContextInfo* context = GetCurrentContext();
            mLogAlpha && context && context->GetCurrentState().mAlpha < 1.0f)
            call += " alpha " + Number(context->GetCurrentState().mAlpha);
        mCalls.push_back(std::move(call));
        return S_OK;
    }
};

} // namespace KV::Testing
