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

} // namespace

RCPtr<LGLRenderer> LGLRenderer::Create(const RCPtr<LFontRenderer>& fontRenderer, NativeWindowHandle window)
{
    return RCPtr<LGLRenderer>(new LGLRenderer(fontRenderer, window));
}

LGLRenderer::LGLRenderer(const RCPtr<LFontRenderer>& fontRenderer, NativeWindowHandle window)
    : mFontRenderer(fontRenderer), mWindow(window), mLastPurge(ApplicationTimeMs())
{
    std::string error;
    if (!GL::LoadFunctions(error))
        KV_THROW(std::runtime_error, ShowSetupFailure(u"GL_ERROR_MESSAGE_CREATE_CONTEXT",
                                                      u"The OpenGL context could not be made.", error));
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

} // namespace KV
