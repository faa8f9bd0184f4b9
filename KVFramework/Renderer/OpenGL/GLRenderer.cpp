// OpenGL renderer: OpenGL 1.x with GLU, in a context made through SDL2.
//  [x] rectangles filled (blending, or replacing inside origin and clip) and outlined
//  [x] lines, line segments, polylines, polygon outlines and even-odd fills in display lists
//  [x] coloured rectangle lists in display lists      [x] bitmaps stretched, tiled, centred
//  [x] text through the font renderer's glyph atlases [x] clip as scissor, origin, alpha
//  [x] offscreen pictures drawn at a position and moved by an offset
//  [ ] stencils (kept in the state; no drawing reads them)

#include "Renderer/OpenGL/GLRenderer.h"

#include "Application/FrameworkApp.h"
#include "ObjectBase/Exception.h"
#include "Renderer/OpenGL/GLCalls.h"

#include "System/Sleep.h"

#include <algorithm>
#include <cmath>

namespace KV {

namespace {

constexpr const char16_t* kUpdateDriverText =
    u"Updating your video card driver, with the latest driver from the manufacturer of your video card, may "
    u"solve this issue.";

Milliseconds ApplicationTimeMs()
{
    LFrameworkApp* app = LFrameworkApp::GetInstance();
    return app ? app->GetTimeMs() : GetTickCount();
}

String GLErrorText(const char16_t* key, const char16_t* fallback)
{
    LFrameworkApp* app = LFrameworkApp::GetInstance();
    String text;
    if (app && app->GetFrameworkStringTable() && app->GetFrameworkStringTable()->GetString(key, text))
        return text;
    return String(fallback);
}

// Tells the user why OpenGL cannot draw (with the advice that usually helps); the text
// to throw with.
std::string ShowSetupFailure(const char16_t* messageKey, const char16_t* fallback, const std::string& reason)
{
    const String message = GLErrorText(messageKey, fallback);
    if (LFrameworkApp* app = LFrameworkApp::GetInstance())
        app->MessageBox(
            message.Concat(String(u" ")).Concat(GLErrorText(u"GL_ERROR_UPDATE_DRIVER", kUpdateDriverText)),
            GLErrorText(u"GL_ERROR_CAPTION", u"OpenGL Error"), kMessageBoxIconWarning);
    return std::string(message.ToNarrow().View()) + " (" + reason + ")";
}

// Lines are drawn through the centres of the pixels their points name, so that a
// one-pixel line covers one row or column of pixels, as the GDI+ renderer draws it.
constexpr float kPixelCentre = 0.5f;

GLEdges EdgesOf(const RectT<int32_t>& rect)
{
    return {static_cast<float>(rect.x), static_cast<float>(rect.y),
            static_cast<float>(int64_t{rect.x} + rect.width),
            static_cast<float>(int64_t{rect.y} + rect.height)};
}

// Half of a positive difference, rounded half away from zero, as the GDI+ renderer
// centres bitmaps.
int32_t CentreOffset(int32_t outer, int32_t inner)
{
    return static_cast<int32_t>(std::lround((static_cast<double>(outer) - inner) / 2.0));
}

} // namespace

RCPtr<LGLRenderer> LGLRenderer::Create(const RCPtr<LFontRenderer>& fontRenderer, NativeWindowHandle window)
{
    return RCPtr<LGLRenderer>(new LGLRenderer(fontRenderer, window));
}

LGLRenderer::LGLRenderer(const RCPtr<LFontRenderer>& fontRenderer, NativeWindowHandle window)
    : mFontRenderer(fontRenderer), mWindow(window), mLastPurge(ApplicationTimeMs())
{
    std::string error;
    mGLContext = Platform::GLContext::Create(true, error);
    if (!mGLContext || !mGLContext->MakeCurrent(nullptr))
        KV_THROW(std::runtime_error, ShowSetupFailure(u"GL_ERROR_MESSAGE_CREATE_CONTEXT",
                                                      u"The OpenGL context could not be made.",
                                                      mGLContext ? "it cannot be made current" : error));
    GLint dims[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, dims);
    mMaxViewport = {dims[0], dims[1]};
    SetInitialState();
    mGLContext->ReleaseCurrent();
}

LGLRenderer::~LGLRenderer()
{
    // Lists, textures and atlases are deleted in the context they were made in.
    if (mGLContext && mGLContext->MakeCurrent(nullptr))
    {
        mFillCache.Purge(mFillCache.GetClock() + 1);
        mOutlineCache.Purge(mOutlineCache.GetClock() + 1);
        mSegmentCache.Purge(mSegmentCache.GetClock() + 1);
        mPolylineCache.Purge(mPolylineCache.GetClock() + 1);
        mRectListCache.Purge(mRectListCache.GetClock() + 1);
        mTextureCache.Purge(mTextureCache.GetClock() + 1);
        mFontRenderer = nullptr;
        mGLContext->ReleaseCurrent();
    }
}

int LGLRenderer::GetType() const
{
    return kRendererTypeOpenGL;
}

KVRESULT LGLRenderer::GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height, int32_t& cellTop,
                                     int32_t& cellBottom)
{
    height = cellTop = cellBottom = 0;
    if (!mFontRenderer)
        return E_FAIL;
    return mFontRenderer->GetFontMetrics(font, height, cellTop, cellBottom);
}

RectT<float> LGLRenderer::MeasureText(const String& text, const ConstRCPtr<LFont>& font)
{
    if (!mFontRenderer || !font)
        return {};
    return mFontRenderer->GetTextExtent(text, font);
}

KVRESULT LGLRenderer::InitRenderContextInfo(const RectT<int32_t>& viewport, NativeWindowHandle window,
                                            bool offscreen, RCPtr<LRenderContextInfo>& out)
{
    RCPtr<LGLRenderContextInfo> context =
        LGLRenderContextInfo::Create(viewport, window, offscreen, mMaxViewport);
    out = context;
    return context ? S_OK : E_FAIL;
}

bool LGLRenderer::MakeCurrent(const LGLRenderContextInfo& context)
{
    // Every context draws into a framebuffer of its own, which keeps its picture between
    // frames; a window's frame is copied onto the window when it ends. An offscreen
    // picture is drawn on whatever drawable is current, else on the hidden window.
    const Platform::GLDrawable* drawable = context.GetDrawable();
    if (drawable ? !mGLContext->MakeCurrent(drawable)
                 : (Platform::GLContext::GetCurrentSerial() != mGLContext->GetSerial() &&
                    !mGLContext->MakeCurrent(nullptr)))
        return false;
    return const_cast<LGLRenderContextInfo&>(context).BindFramebuffer();
}

void LGLRenderer::ShowFrame(const LGLRenderContextInfo& context)
{
    const Platform::GLDrawable& drawable = *context.GetDrawable();
    const SizeT<int32_t> picture = context.GetFramebufferSize();
    const SizeT<int32_t> window = drawable.GetSize();
    // Rows count from the bottom: the picture's top goes to the window's top.
    const GLint top = window.height - picture.height;
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glDrawBuffer(mGLContext->IsDoubleBuffered() ? GL_BACK : GL_FRONT);
    glDisable(GL_SCISSOR_TEST);
    glBlitFramebuffer(0, 0, picture.width, picture.height, 0, top, picture.width, top + picture.height,
                      GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glEnable(GL_SCISSOR_TEST);
    if (mGLContext->IsDoubleBuffered())
        mGLContext->SwapBuffers(drawable);
    else
        glFlush();
}

bool LGLRenderer::CanDraw() const
{
    return mCurrentContext && Platform::GLContext::GetCurrentSerial() == mGLContext->GetSerial();
}

void LGLRenderer::SetInitialState()
{
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glDisable(GL_LIGHTING);
    glDisable(GL_DITHER);
    glDisable(GL_DEPTH_TEST);
    glShadeModel(GL_SMOOTH);
    glDisable(GL_CULL_FACE);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glHint(GL_POLYGON_SMOOTH_HINT, GL_NICEST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.003921569f);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_POINT_SMOOTH);
    glEnable(GL_LINE_SMOOTH);
    glDisable(GL_POLYGON_SMOOTH);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_SCISSOR_TEST);
    GL::DrainErrors();
}

KVRESULT LGLRenderer::SetViewport(const RectT<int32_t>& viewport)
{
    LRenderer::SetViewport(viewport);
    if (!CanDraw())
        return S_OK;
    glViewport(viewport.x, viewport.y, viewport.width, viewport.height);
    GLint current[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, current);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, current[2], current[3], 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    return S_OK;
}

KVRESULT LGLRenderer::RenderStart(const RCPtr<LRenderContextInfo>& context)
{
    LRenderer::RenderStart(context);
    mCurrentContext.AssignDynamicCast(context);
    if (!mCurrentContext || !MakeCurrent(*mCurrentContext))
        return S_OK;
    SetViewport(mCurrentContext->GetViewport());
    glPushMatrix();
    SyncModelView();
    ApplyClip();
    return S_OK;
}

KVRESULT LGLRenderer::RenderFinish(const RCPtr<LRenderContextInfo>& context)
{
    // A mismatched context is refused by the base before anything ends.
    if (GetCurrentContext() != context.Get())
        return LRenderer::RenderFinish(context);
    if (CanDraw())
    {
        GL::DrainErrors();
        glPopMatrix();
        if (mCurrentContext->IsPresented())
            ShowFrame(*mCurrentContext);
        else
            glFlush();
        GL::DrainErrors();
    }
    mCurrentContext = nullptr;
    LRenderer::RenderFinish(context);
    mCurrentContext.AssignDynamicCast(RCPtr<LRenderContextInfo>(GetCurrentContext()));
    if (mCurrentContext && MakeCurrent(*mCurrentContext))
    {
        SetViewport(mCurrentContext->GetViewport());
        SetScissor(mCurrentContext->GetScissorArea());
        return S_OK;
    }
    if (GetContextDepth() == 0)
    {
        PurgeCachesWhenDue();
        mGLContext->ReleaseCurrent();
    }
    return S_OK;
}

void LGLRenderer::PurgeCachesWhenDue()
{
    const Milliseconds now = ApplicationTimeMs();
    if (static_cast<int32_t>(now - mLastPurge) <= static_cast<int32_t>(kCachePurgeInterval))
        return;
    mLastPurge = now;
    // Objects are deleted with the context current.
    if (!mGLContext->MakeCurrent(nullptr))
        return;
    // Entries stamped at or before the mark were last used before the previous purge.
    for (ListCache* cache : {&mFillCache, &mOutlineCache, &mSegmentCache, &mPolylineCache, &mRectListCache})
    {
        cache->Purge(cache->GetPurgeMark() + 1);
        cache->SetPurgeMark(cache->GetClock());
    }
    mTextureCache.Purge(mTextureCache.GetPurgeMark() + 1);
    mTextureCache.SetPurgeMark(mTextureCache.GetClock());
}

void LGLRenderer::SyncModelView()
{
    if (!CanDraw())
        return;
    const PointT<double>& origin = mCurrentContext->GetCurrentState().mOrigin;
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslated(origin.x, origin.y, 0.0);
}

void LGLRenderer::ApplyClip()
{
    if (!CanDraw())
        return;
    // The clip is placed on the surface by the origin it is set under: a later move of the
    // origin (a translation pushed inside it) leaves it where it is.
    const RenderState& state = mCurrentContext->GetCurrentState();
    mCurrentContext->SetScissorArea({state.mClip.x + state.mOrigin.x, state.mClip.y + state.mOrigin.y,
                                     state.mClip.width, state.mClip.height});
    SetScissor(mCurrentContext->GetScissorArea());
}

void LGLRenderer::SetScissor(const RectT<double>& surfaceRect)
{
    const RectT<int32_t>& viewport = mCurrentContext->GetViewport();
    const double viewportHeight = viewport.height;
    // Cut to the viewport in double precision first: clips far outside (or not numbers)
    // cannot overflow the whole-pixel values.
    double left = std::max(surfaceRect.x, 0.0);
    double top = std::max(surfaceRect.y, 0.0);
    double right = std::min(surfaceRect.x + surfaceRect.width, static_cast<double>(viewport.width));
    double bottom = std::min(surfaceRect.y + surfaceRect.height, viewportHeight);
    if (!(right - left >= 1.0) || !(bottom - top >= 1.0))
    {
        // A pixel outside the viewport: nothing is drawn.
        glScissor(viewport.width, 0, 1, 1);
        return;
    }
    const auto whole = [](double value) { return static_cast<GLint>(RoundHalfAwayFromZero(value)); };
    const GLint x = whole(left);
    const GLint y = whole(viewportHeight - bottom);
    const GLint width = whole(right) - x;
    const GLint height = whole(viewportHeight - top) - y;
    if (width < 1 || height < 1)
        glScissor(viewport.width, 0, 1, 1);
    else
        glScissor(x, y, width, height);
}

KVRESULT LGLRenderer::PopState()
{
    LRenderer::PopState();
    SyncModelView();
    return S_OK;
}

KVRESULT LGLRenderer::SetClipRect(const RectT<double>& clip)
{
    LRenderer::SetClipRect(clip);
    ApplyClip();
    return S_OK;
}

KVRESULT LGLRenderer::Translate(const PointT<double>& offset)
{
    LRenderer::Translate(offset);
    SyncModelView();
    return S_OK;
}

void LGLRenderer::SetColor(const ColorT& color) const
{
    const float alpha = mCurrentContext ? mCurrentContext->GetCurrentState().mAlpha : 1.0f;
    glColor4f(color.r, color.g, color.b, color.a * alpha);
}

KVRESULT LGLRenderer::DrawText(const String& text, const ConstRCPtr<LFont>& font,
                               const PointT<int32_t>& position, const ColorT& color)
{
    if (!CanDraw() || !mFontRenderer || !font || text.IsEmpty())
        return S_OK;
    SetColor(color);
    glPushMatrix();
    glTranslated(position.x, position.y, 0.0);
    mFontRenderer->RenderText(text, font, mFontRenderer->GetGlyphProcessor(), 0, 0,
                              1 | kGlyphAccumulateBounds | kGlyphUploadAtOnce | kGlyphDraw);
    glPopMatrix();
    return S_OK;
}

KVRESULT LGLRenderer::DrawRect(const RectT<int32_t>& rect, const ColorT& color, float lineWidth)
{
    if (!CanDraw())
        return S_OK;
    RectT<double> edges = rect.ToDouble();
    edges.SnapToGrid();
    glLineWidth(lineWidth > 0.0f ? lineWidth : 1.0f);
    SetColor(color);
    glDisable(GL_TEXTURE_2D);
    // Through the pixel centres, so that the outline lies on whole pixels.
    const double left = edges.x + kPixelCentre;
    const double top = edges.y + kPixelCentre;
    const double right = edges.x + edges.width + kPixelCentre;
    const double bottom = edges.y + edges.height + kPixelCentre;
    glBegin(GL_LINE_STRIP);
    glVertex2d(left, top);
    glVertex2d(right, top);
    glVertex2d(right, bottom);
    glVertex2d(left, bottom);
    glVertex2d(left, top);
    glEnd();
    return S_OK;
}

KVRESULT LGLRenderer::FillRect(const RectT<int32_t>& rect, const ColorT& color, bool blend)
{
    if (!CanDraw())
        return S_OK;
    RectT<double> edges = rect.ToDouble();
    edges.SnapToGrid();
    if (blend)
    {
        SetColor(color);
        glDisable(GL_TEXTURE_2D);
        glBegin(GL_QUADS);
        glVertex2d(edges.x, edges.y);
        glVertex2d(edges.x, edges.y + edges.height);
        glVertex2d(edges.x + edges.width, edges.y + edges.height);
        glVertex2d(edges.x + edges.width, edges.y);
        glEnd();
        return S_OK;
    }
    // Replacing: the pixels of the rectangle inside the current clip become the colour.
    const RenderState& state = mCurrentContext->GetCurrentState();
    RectT<double> area;
    RectT<double>::Intersect(area, edges, state.mClip);
    SetScissor({area.x + state.mOrigin.x, area.y + state.mOrigin.y, area.width, area.height});
    glClearColor(color.r, color.g, color.b, color.a * state.mAlpha);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    SetScissor(mCurrentContext->GetScissorArea());
    return S_OK;
}

KVRESULT LGLRenderer::DrawLine(const PointT<float>& from, const PointT<float>& to, const ColorT& color,
                               float lineWidth)
{
    if (!CanDraw())
        return S_OK;
    glLineWidth(lineWidth > 0.0f ? lineWidth : 1.0f);
    SetColor(color);
    glDisable(GL_TEXTURE_2D);
    glBegin(GL_LINES);
    glVertex2f(from.x + kPixelCentre, from.y + kPixelCentre);
    glVertex2f(to.x + kPixelCentre, to.y + kPixelCentre);
    glEnd();
    return S_OK;
}

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

KVRESULT LGLRenderer::DrawBitmap(const ConstRCPtr<LBitmap>& bitmap, const RectT<int32_t>& target,
                                 ResizeType resizeType)
{
    if (!bitmap)
        return E_INVALIDARG;
    const RectT<int32_t>& area = bitmap->GetArea();
    int32_t type = static_cast<int32_t>(resizeType);
    if (area.width == target.width && area.height == target.height)
        type = static_cast<int32_t>(ResizeType::Stretch);
    if (type < 0 || type > 2)
        KV_THROW(std::logic_error, "Invalid ResizeType passed to DrawBitmap!");
    if (!CanDraw() || target.width <= 0 || target.height <= 0 || area.width <= 0 || area.height <= 0)
        return S_OK;

    RCPtr<LGLTexture>* entry = mTextureCache.GetEntry(bitmap->GetHandle(), false);
    if (!*entry || !(*entry)->IsValid())
    {
        *entry = LGLTexture::CreateFromBitmap(bitmap);
        ++mCacheCounts.texturesMade;
    }
    const LGLTexture& texture = **entry;
    SetColor({1.0f, 1.0f, 1.0f, 1.0f});

    const GLEdges source = EdgesOf(area);
    switch (static_cast<ResizeType>(type))
    {
    case ResizeType::Stretch:
        texture.DrawQuad(source, EdgesOf(target));
        break;
    case ResizeType::Tile:
    {
        // Whole tiles from the top left; the last row and column are cut at the target.
        const int64_t right = int64_t{target.x} + target.width;
        const int64_t bottom = int64_t{target.y} + target.height;
        for (int64_t x = target.x; x < right; x += area.width)
        {
            const int64_t width = std::min<int64_t>(area.width, right - x);
            for (int64_t y = target.y; y < bottom; y += area.height)
            {
                const int64_t height = std::min<int64_t>(area.height, bottom - y);
                texture.DrawQuad({source.left, source.top, source.left + static_cast<float>(width),
                                  source.top + static_cast<float>(height)},
                                 {static_cast<float>(x), static_cast<float>(y), static_cast<float>(x + width),
                                  static_cast<float>(y + height)});
            }
        }
        break;
    }
    case ResizeType::Center:
    {
        const int32_t x = target.x + CentreOffset(target.width, area.width);
        const int32_t y = target.y + CentreOffset(target.height, area.height);
        texture.DrawQuad(source, EdgesOf({x, y, area.width, area.height}));
        break;
    }
    }
    return S_OK;
}

void LGLRenderer::DrawPicture(uint32_t texture, const SizeT<int32_t>& pictureSize, const RectT<int32_t>& area,
                              const PointT<int32_t>& position)
{
    // Picture rows count from the bottom.
    const float width = static_cast<float>(pictureSize.width);
    const float height = static_cast<float>(pictureSize.height);
    const float u0 = static_cast<float>(area.x) / width;
    const float u1 = static_cast<float>(int64_t{area.x} + area.width) / width;
    const float v0 = 1.0f - static_cast<float>(area.y) / height;
    const float v1 = 1.0f - static_cast<float>(int64_t{area.y} + area.height) / height;
    const float left = static_cast<float>(position.x);
    const float top = static_cast<float>(position.y);
    const float right = left + static_cast<float>(area.width);
    const float bottom = top + static_cast<float>(area.height);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glBegin(GL_QUADS);
    glTexCoord2f(u0, v0);
    glVertex2f(left, top);
    glTexCoord2f(u0, v1);
    glVertex2f(left, bottom);
    glTexCoord2f(u1, v1);
    glVertex2f(right, bottom);
    glTexCoord2f(u1, v0);
    glVertex2f(right, top);
    glEnd();
    glDisable(GL_TEXTURE_2D);
}

KVRESULT LGLRenderer::DrawImageAt(const RCPtr<LRenderContextInfo>& source, const PointT<int32_t>& position,
                                  const RectT<int32_t>& sourceArea)
{
    RCPtr<LGLRenderContextInfo> picture;
    picture.AssignDynamicCast(source);
    // A picture cannot be drawn into itself.
    if (!picture || !picture->IsOffscreen() || !CanDraw() || picture.Get() == mCurrentContext.Get())
        return E_INVALIDARG;
    const uint32_t texture = picture->GetPicture();
    if (texture == 0 || sourceArea.width <= 0 || sourceArea.height <= 0)
        return S_OK;
    SetColor({1.0f, 1.0f, 1.0f, 1.0f});
    DrawPicture(texture, picture->GetFramebufferSize(), sourceArea, position);
    return S_OK;
}

KVRESULT LGLRenderer::PresentOffscreen(const RCPtr<LRenderContextInfo>& context,
                                       const PointT<int32_t>& offset)
{
    RCPtr<LGLRenderContextInfo> picture;
    picture.AssignDynamicCast(context);
    if (!picture || !picture->IsOffscreen())
        return E_INVALIDARG;
    RenderStart(context);
    // The picture moves onto a fresh one; what it leaves uncovered is transparent.
    const SizeT<int32_t> size = picture->GetFramebufferSize();
    const uint32_t previous = CanDraw() ? picture->SwapPictures() : 0;
    if (previous != 0)
    {
        glPushMatrix();
        glLoadIdentity();
        glDisable(GL_SCISSOR_TEST);
        glBlendFunc(GL_ONE, GL_ZERO);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        DrawPicture(previous, size, {0, 0, size.width, size.height}, offset);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_SCISSOR_TEST);
        glPopMatrix();
    }
    RenderFinish(context);
    return S_OK;
}

std::vector<uint32_t> LGLRenderer::ReadPixels(const RCPtr<LRenderContextInfo>& context,
                                              const RectT<int32_t>& area)
{
    RCPtr<LGLRenderContextInfo> glContext;
    glContext.AssignDynamicCast(context);
    if (!glContext || area.width <= 0 || area.height <= 0)
        return {};
    const bool inFrame = mCurrentContext.Get() == glContext.Get() && CanDraw();
    if (!inFrame && !MakeCurrent(*glContext))
        return {};
    std::vector<uint32_t> pixels(static_cast<size_t>(area.width) * static_cast<size_t>(area.height));
    const int32_t viewportHeight = glContext->GetFramebufferSize().height;
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    // OpenGL counts rows from the bottom.
    for (int32_t row = 0; row < area.height; ++row)
        glReadPixels(area.x, viewportHeight - 1 - (area.y + row), area.width, 1, GL_BGRA,
                     GL_UNSIGNED_INT_8_8_8_8_REV, pixels.data() + static_cast<size_t>(row) * area.width);
    GL::DrainErrors();
    if (!inFrame)
    {
        if (mCurrentContext)
            MakeCurrent(*mCurrentContext);
        else
            mGLContext->ReleaseCurrent();
    }
    return pixels;
}

} // namespace KV
