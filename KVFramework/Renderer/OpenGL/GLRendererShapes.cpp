// OpenGL renderer: polylines, polygons and coloured rectangle lists, kept as display
// lists while their owners keep them.

#include "Renderer/OpenGL/GLRenderer.h"

#include "Renderer/OpenGL/GLCalls.h"

namespace KV {

template <class Draw>
void LGLRenderer::DrawCached(ListCache& cache, GraphicsHandle key, bool refresh, Draw&& draw)
{
    RCPtr<LGLDisplayList>* entry = cache.GetEntry(key, refresh);
    if (*entry && (*entry)->CallLists(0, 1) == S_OK)
        return;
    RCPtr<LGLDisplayList> list = LGLDisplayList::Create(1);
    if (list->BeginList(0) != S_OK)
    {
        *entry = nullptr;
        draw();
        return;
    }
    draw();
    glEndList();
    ++mCacheCounts.listsCompiled;
    *entry = list;
    list->CallLists(0, 1);
}

void LGLRenderer::DrawGeometry(Shape shape, const PolylineT<float>& polyline)
{
    const uint32_t count = polyline.GetCount();
    if (count == 0)
        return;
    switch (shape)
    {
    case Shape::Segments:
    case Shape::Polyline:
        glLineWidth(polyline.GetLineWidth() > 0.0f ? polyline.GetLineWidth() : 1.0f);
        glEnableClientState(GL_VERTEX_ARRAY);
        glVertexPointer(2, GL_FLOAT, sizeof(PointT<float>), polyline.GetAtConst(0));
        glDrawArrays(shape == Shape::Segments ? GL_LINES : GL_LINE_STRIP, 0, static_cast<GLsizei>(count));
        glDisableClientState(GL_VERTEX_ARRAY);
        break;
    case Shape::Outline:
        glBegin(GL_LINE_STRIP);
        for (uint32_t i = 0; i < count; ++i)
            glVertex2f(polyline.GetAtConst(i)->x, polyline.GetAtConst(i)->y);
        glEnd();
        break;
    case Shape::Fill:
        mPolygon.Tessellate(polyline);
        break;
    }
}

KVRESULT LGLRenderer::DrawShape(Shape shape, ListCache& cache, PolylineT<float>& polyline,
                                const ColorT& color, const PointT<float>& offset, const PointT<float>& scale,
                                bool keepCached)
{
    if (!CanDraw())
        return S_OK;
    glPushMatrix();
    // Lines go through the pixel centres of their points; fills cover the pixels whose
    // centres they hold.
    const float centre = shape == Shape::Fill ? 0.0f : kPixelCentre;
    glTranslatef(offset.x + centre, offset.y + centre, 0.0f);
    glScalef(scale.x, scale.y, 1.0f);
    SetColor(color);
    glDisable(GL_TEXTURE_2D);
    // The outline and the fill of a polygon share its changed flag, so each drops the
    // other's list when it sees the flag.
    ListCache* sibling =
        shape == Shape::Outline ? &mFillCache : (shape == Shape::Fill ? &mOutlineCache : nullptr);
    const GraphicsHandle key = polyline.GetHandle();
    if (keepCached)
    {
        const bool changed = polyline.IsChanged();
        polyline.SetChanged(false);
        if (changed && sibling)
            sibling->RemoveEntry(key);
        DrawCached(cache, key, changed, [&] { DrawGeometry(shape, polyline); });
    }
    else
    {
        cache.RemoveEntry(key);
        if (sibling)
            sibling->RemoveEntry(key);
        DrawGeometry(shape, polyline);
    }
    glPopMatrix();
    return S_OK;
}

KVRESULT LGLRenderer::DrawLineSegments(PolylineT<float>& polyline, const ColorT& color,
                                       const PointT<float>& offset, const PointT<float>& scale,
                                       bool keepCached)
{
    return DrawShape(Shape::Segments, mSegmentCache, polyline, color, offset, scale, keepCached);
}

KVRESULT LGLRenderer::DrawPolyline(PolylineT<float>& polyline, const ColorT& color,
                                   const PointT<float>& offset, const PointT<float>& scale, bool keepCached)
{
    return DrawShape(Shape::Polyline, mPolylineCache, polyline, color, offset, scale, keepCached);
}

KVRESULT LGLRenderer::DrawPolygon(PolylineT<float>& polyline, const ColorT& color,
                                  const PointT<float>& offset, const PointT<float>& scale, bool keepCached)
{
    return DrawShape(Shape::Outline, mOutlineCache, polyline, color, offset, scale, keepCached);
}

KVRESULT LGLRenderer::FillPolygon(PolylineT<float>& polyline, const ColorT& color,
                                  const PointT<float>& offset, const PointT<float>& scale, bool keepCached)
{
    return DrawShape(Shape::Fill, mFillCache, polyline, color, offset, scale, keepCached);
}

void LGLRenderer::DrawRectList(const ColorRectListT<float>& list)
{
    const Array<uint32_t>& colors = list.GetColors();
    for (uint32_t i = list.GetCount(); i-- > 0;)
    {
        RectT<float> rect = *list.GetAtConst(i);
        rect.x *= list.GetScaleX();
        rect.width *= list.GetScaleX();
        rect.y *= list.GetScaleY();
        rect.height *= list.GetScaleY();
        // A list with fewer colours than rectangles draws the rest transparent.
        ColorT color;
        if (i < colors.GetCount())
            color.FromARGB(*colors.GetAtConst(i));
        FillRect(rect.ToLong(), color, true);
    }
}

KVRESULT LGLRenderer::DrawColorRectList(ColorRectListT<float>& list, const PointT<double>& offset,
                                        bool useCache)
{
    if (!CanDraw())
        return S_OK;
    glPushMatrix();
    glTranslated(offset.x, offset.y, 0.0);
    // The colours are recorded in the list with the state's alpha: a translucent state
    // draws directly.
    const bool cacheable = useCache && mCurrentContext->GetCurrentState().mAlpha == 1.0f;
    const GraphicsHandle key = list.GetHandle();
    if (cacheable)
    {
        const bool changed = list.IsChanged();
        list.SetChanged(false);
        DrawCached(mRectListCache, key, changed, [&] { DrawRectList(list); });
    }
    else
    {
        mRectListCache.RemoveEntry(key);
        DrawRectList(list);
    }
    glPopMatrix();
    return S_OK;
}

} // namespace KV
