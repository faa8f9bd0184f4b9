#include "Renderer/OpenGL/GLTexture.h"

#include "Graphics/BitmapData.h"
#include "Renderer/OpenGL/GLCalls.h"

#include <algorithm>

namespace KV {

namespace {

int32_t RoundUpToFour(int32_t n)
{
    return (n + 3) & ~3;
}

bool IsAlphaFormat(GLint format)
{
    return format == GL_ALPHA8 || format == GL_ALPHA4 || format == GL_ALPHA;
}

} // namespace

void LGLTexture::Image::Set(const uint8_t* pixels, int32_t stride, int32_t bytesPerPixel, int32_t width,
                            int32_t height, GLenum format, GLenum type)
{
    mOwned.clear();
    mPixels = pixels;
    mStride = stride;
    mBytesPerPixel = std::max(bytesPerPixel, 1);
    mWidth = std::max(width, 0);
    mHeight = std::max(height, 0);
    mFormat = format;
    mType = type;
}

void LGLTexture::Image::ToAlpha()
{
    if (mBytesPerPixel != 4 || !mPixels)
        return;
    const int32_t stride = RoundUpToFour(mWidth);
    std::vector<uint8_t> alpha(static_cast<size_t>(stride) * static_cast<size_t>(mHeight));
    for (int32_t y = 0; y < mHeight; ++y)
    {
        const uint8_t* source = mPixels + static_cast<ptrdiff_t>(y) * mStride;
        uint8_t* target = alpha.data() + static_cast<ptrdiff_t>(y) * stride;
        for (int32_t x = 0; x < mWidth; ++x, source += 4)
        {
            if ((source[0] | source[1] | source[2] | source[3]) == 0)
                target[x] = 0;
            else
                target[x] = static_cast<uint8_t>(
                    255 - static_cast<int32_t>(0.59 * source[1] + 0.3 * source[2] + 0.11 * source[0]));
        }
    }
    mOwned = std::move(alpha);
    mPixels = mOwned.data();
    mStride = stride;
    mBytesPerPixel = 1;
    mFormat = GL_ALPHA;
    mType = GL_UNSIGNED_BYTE;
}

void LGLTexture::Image::SetUnpackState() const
{
    glPixelStorei(GL_UNPACK_ROW_LENGTH, mStride / mBytesPerPixel);
    // The largest power of two (up to 8) that every row start is aligned to.
    int32_t alignment = 8;
    while (alignment > 1 && mStride % alignment != 0)
        alignment /= 2;
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
}

void LGLTexture::Image::Scale(int32_t width, int32_t height)
{
    if (!mPixels || width <= 0 || height <= 0)
        return;
    const int32_t stride = RoundUpToFour(width * mBytesPerPixel);
    std::vector<uint8_t> scaled(static_cast<size_t>(stride) * static_cast<size_t>(height));
    SetUnpackState();
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    if (gluScaleImage(mFormat, mWidth, mHeight, mType, mPixels, width, height, mType, scaled.data()) != 0)
        return;
    mOwned = std::move(scaled);
    mPixels = mOwned.data();
    mStride = stride;
    mWidth = width;
    mHeight = height;
}

void LGLTexture::Image::UploadTo(GLenum target, GLint internalFormat, bool mipmap) const
{
    if (!mPixels)
        return;
    SetUnpackState();
    if (mipmap)
        gluBuild2DMipmaps(target, internalFormat, mWidth, mHeight, mFormat, mType, mPixels);
    else
        glTexSubImage2D(target, 0, 0, 0, mWidth, mHeight, mFormat, mType, mPixels);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    GL::DrainErrors();
}

RCPtr<LGLTexture> LGLTexture::Create()
{
    return RCPtr<LGLTexture>(new LGLTexture());
}

RCPtr<LGLTexture> LGLTexture::CreateFromBitmap(const ConstRCPtr<LBitmap>& bitmap)
{
    RCPtr<LGLTexture> texture = Create();
    texture->LoadFromBitmap(bitmap);
    return texture;
}

LGLTexture::~LGLTexture()
{
    if (IsValid())
    {
        const GLuint name = static_cast<GLuint>(mName);
        glDeleteTextures(1, &name);
    }
    mName = -1;
}

bool LGLTexture::IsValid() const
{
    return mName != -1 && GL::HasCurrentContext() &&
           Platform::GLContext::GetCurrentSerial() == mContextSerial &&
           glIsTexture(static_cast<GLuint>(mName));
}

int32_t LGLTexture::NextPowerOfTwo(int32_t n) noexcept
{
    if (n <= 0)
        return 0;
    int32_t power = 1;
    while (power < n && power < kMaxSide)
        power *= 2;
    return power;
}

void LGLTexture::SetSizes(float imageWidth, float imageHeight, float divisor) noexcept
{
    mImageWidth = imageWidth;
    mImageHeight = imageHeight;
    mSourceScaleX = 1.0f;
    mSourceScaleY = 1.0f;
    const float safeDivisor = divisor > 0.0f ? divisor : 1.0f;
    mScaledWidth = imageWidth / safeDivisor;
    mScaledHeight = imageHeight / safeDivisor;
    mTextureWidth = static_cast<float>(NextPowerOfTwo(static_cast<int32_t>(imageWidth)));
    mTextureHeight = static_cast<float>(NextPowerOfTwo(static_cast<int32_t>(imageHeight)));
}

KVRESULT LGLTexture::LoadFromBitmap(const ConstRCPtr<LBitmap>& bitmap)
{
    if (!bitmap)
        return E_INVALIDARG;
    mBitmap = RCPtr<LBitmap>(const_cast<LBitmap*>(bitmap.Get()));
    RCPtr<LBitmapData> lock = bitmap->LockBits();
    if (!lock)
        return E_FAIL;
    const LBitmapData::LockRecord& record = lock->GetLockRecord();
    Image image;
    image.Set(record.firstRow, record.stride, 4, record.width, record.height, GL_BGRA, GL_UNSIGNED_BYTE);
    // Nearest sampling: a stretched bitmap shows the pixels the GDI+ renderer shows, and
    // its edges do not blend with the unused part of the texture.
    return Upload(image, GL_RGBA8, kNearest, 1.0f);
}

KVRESULT LGLTexture::Upload(Image& image, GLint internalFormat, int32_t flags, float divisor)
{
    if (!GL::HasCurrentContext())
        return E_FAIL;
    if (image.GetWidth() <= 0 || image.GetHeight() <= 0 || !image.GetPixels())
        return E_FAIL;
    if (!IsValid())
    {
        GLuint name = 0;
        glGenTextures(1, &name);
        mName = static_cast<int32_t>(name);
        mContextSerial = Platform::GLContext::GetCurrentSerial();
    }
    glBindTexture(mTarget, static_cast<GLuint>(mName));

    const bool alpha = IsAlphaFormat(internalFormat);
    const GLenum format = alpha ? GL_ALPHA : image.GetFormat();
    const GLenum type = GL_UNSIGNED_BYTE;
    SetSizes(static_cast<float>(image.GetWidth()), static_cast<float>(image.GetHeight()), divisor);

    const bool mipmaps = (flags & kMipmaps) != 0;
    const bool nearest = (flags & kNearest) != 0;
    GLint minFilter = nearest ? (mipmaps ? GL_NEAREST_MIPMAP_NEAREST : GL_NEAREST)
                              : (mipmaps ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
    glTexParameteri(mTarget, GL_TEXTURE_MIN_FILTER, minFilter);
    glTexParameteri(mTarget, GL_TEXTURE_MAG_FILTER, nearest ? GL_NEAREST : GL_LINEAR);
    const GLint wrap = (flags & kRepeat) ? GL_REPEAT : GL_CLAMP;
    glTexParameteri(mTarget, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(mTarget, GL_TEXTURE_WRAP_T, wrap);

    const int32_t reduction = FitTextureSize();
    glTexImage2D(mTarget, 0, internalFormat, static_cast<GLsizei>(mTextureWidth),
                 static_cast<GLsizei>(mTextureHeight), 0, format, type, nullptr);
    const int32_t textureWidth = static_cast<int32_t>(mTextureWidth);
    const int32_t textureHeight = static_cast<int32_t>(mTextureHeight);
    const bool sizeDiffers = textureWidth != image.GetWidth() || textureHeight != image.GetHeight();
    // A texture that had to shrink cannot hold the image as it is; one that repeats must
    // be filled whole.
    if (sizeDiffers && (reduction > 1 || (flags & kRepeat)))
    {
        mSourceScaleX = mTextureWidth / mImageWidth;
        mSourceScaleY = mTextureHeight / mImageHeight;
        image.Scale(textureWidth, textureHeight);
        mImageWidth = mTextureWidth;
        mImageHeight = mTextureHeight;
    }
    if (alpha)
        image.ToAlpha();
    image.UploadTo(mTarget, internalFormat, mipmaps);
    return S_OK;
}

int32_t LGLTexture::FitTextureSize()
{
    int32_t factor = 1;
    while (mTextureWidth > 1.0f && mTextureHeight > 1.0f)
    {
        GL::DrainErrors();
        glTexImage2D(GL_PROXY_TEXTURE_2D, 0, GL_RGBA8, static_cast<GLsizei>(mTextureWidth),
                     static_cast<GLsizei>(mTextureHeight), 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        GLint width = 0;
        glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        if (glGetError() == GL_NO_ERROR && width != 0)
            break;
        mTextureWidth /= 2.0f;
        mTextureHeight /= 2.0f;
        factor *= 2;
    }
    return factor;
}

void LGLTexture::DrawQuad(const GLEdges& source, const GLEdges& destination) const
{
    if (mName == -1)
        return;
    glEnable(mTarget);
    glBindTexture(mTarget, static_cast<GLuint>(mName));
    const float u0 = ToTextureX(source.left);
    const float v0 = ToTextureY(source.top);
    const float u1 = ToTextureX(source.right);
    const float v1 = ToTextureY(source.bottom);
    glBegin(GL_QUADS);
    glTexCoord2f(u0, v0);
    glVertex2f(destination.left, destination.top);
    glTexCoord2f(u0, v1);
    glVertex2f(destination.left, destination.bottom);
    glTexCoord2f(u1, v1);
    glVertex2f(destination.right, destination.bottom);
    glTexCoord2f(u1, v0);
    glVertex2f(destination.right, destination.top);
    glEnd();
    glDisable(mTarget);
}

} // namespace KV
