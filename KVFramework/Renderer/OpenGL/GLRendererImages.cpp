// OpenGL renderer: bitmaps through the texture cache, offscreen pictures drawn elsewhere
// and moved, and the pictures read back.

#include "Renderer/OpenGL/GLRenderer.h"

#include "ObjectBase/Exception.h"
#include "Renderer/OpenGL/GLCalls.h"

#include <algorithm>
#include <cmath>

namespace KV {

namespace {

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
