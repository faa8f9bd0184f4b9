#pragma once
// LGLTexture: an OpenGL texture made from a bitmap or from a glyph atlas. Textures are
// power-of-two sized (at most 16384 a side); the image sits in the top left corner and
// DrawQuad maps image pixels to texture coordinates. A texture too large for the driver
// is made smaller (the image is scaled down to fit); a texture made to repeat is scaled
// up to the power-of-two size.

#include "Graphics/Bitmap.h"
#include "KVResult.h"
#include "ObjectBase/RCPtr.h"

#include "Renderer/OpenGL/GLCalls.h"

#include <cstdint>
#include <vector>

namespace KV {

// A rectangle by its edges, as texture and screen quads are given.
struct GLEdges
{
    float left = 0.0f;
    float top = 0.0f;
    float right = 0.0f;
    float bottom = 0.0f;
};

class LGLTexture : public virtual LRefCountedObject
{
public:
    static constexpr int32_t kMaxSide = 16384;
    // Upload flags.
    static constexpr int32_t kNearest = 1;
    static constexpr int32_t kRepeat = 2;
    static constexpr int32_t kMipmaps = 4;

    // Rows of pixels on their way into a texture: borrowed from their owner (Set), or
    // owned after a conversion (ToAlpha, Scale).
    class Image
    {
    public:
        void Set(const uint8_t* pixels, int32_t stride, int32_t bytesPerPixel, int32_t width, int32_t height,
                 GLenum format, GLenum type);
        // A 32-bit BGRA image becomes an 8-bit alpha image: a pixel whose four bytes are 0
        // gives 0, any other 255 minus its luminance (dark ink is opaque).
        void ToAlpha();
        // The image scaled to width x height.
        void Scale(int32_t width, int32_t height);
        // Uploads the rows to the bound texture at (0, 0), with mipmaps when asked.
        void UploadTo(GLenum target, GLint internalFormat, bool mipmap) const;

        const uint8_t* GetPixels() const noexcept { return mPixels; }
        int32_t GetWidth() const noexcept { return mWidth; }
        int32_t GetHeight() const noexcept { return mHeight; }
        int32_t GetStride() const noexcept { return mStride; }
        int32_t GetBytesPerPixel() const noexcept { return mBytesPerPixel; }
        GLenum GetFormat() const noexcept { return mFormat; }

    private:
        // Row length and alignment of the unpack state that these rows need.
        void SetUnpackState() const;

        GLenum mFormat = GL_BGRA;
        GLenum mType = GL_UNSIGNED_BYTE;
        std::vector<uint8_t> mOwned;
        const uint8_t* mPixels = nullptr;
        int32_t mWidth = 0;
        int32_t mHeight = 0;
        int32_t mStride = 0;
        int32_t mBytesPerPixel = 4;
    };

    static RCPtr<LGLTexture> Create();
    static RCPtr<LGLTexture> CreateFromBitmap(const ConstRCPtr<LBitmap>& bitmap);

    // Keeps the bitmap and uploads its whole image; E_INVALIDARG without one.
    KVRESULT LoadFromBitmap(const ConstRCPtr<LBitmap>& bitmap);
    // Makes the texture (when it has no name yet) from the image: flags of kNearest,
    // kRepeat, kMipmaps; the scaled size is the image size divided by divisor. E_FAIL
    // without a current context or for an empty image.
    KVRESULT Upload(Image& image, GLint internalFormat, int32_t flags, float divisor);
    // One textured quad: source edges in image pixels, destination in drawing units.
    void DrawQuad(const GLEdges& source, const GLEdges& destination) const;
    // How many times the texture's sides must be halved for the driver to take them.
    int32_t FitTextureSize();

    // The smallest power of two not below n, at most kMaxSide; 0 for 0 or less.
    static int32_t NextPowerOfTwo(int32_t n) noexcept;
    // The texture coordinate of a position in the image as it was given (before any
    // scaling to fit the texture).
    float ToTextureX(float x) const noexcept
    {
        return mTextureWidth > 0 ? x * mSourceScaleX / mTextureWidth : 0.0f;
    }
    float ToTextureY(float y) const noexcept
    {
        return mTextureHeight > 0 ? y * mSourceScaleY / mTextureHeight : 0.0f;
    }

    // True when the name is a texture of the context that is current.
    bool IsValid() const;
    int32_t GetName() const noexcept { return mName; }
    float GetTextureWidth() const noexcept { return mTextureWidth; }
    float GetTextureHeight() const noexcept { return mTextureHeight; }
    float GetImageWidth() const noexcept { return mImageWidth; }
    float GetImageHeight() const noexcept { return mImageHeight; }
    float GetScaledWidth() const noexcept { return mScaledWidth; }
    float GetScaledHeight() const noexcept { return mScaledHeight; }
    const RCPtr<LBitmap>& GetBitmap() const noexcept { return mBitmap; }

protected:
    LGLTexture() = default;
    ~LGLTexture() override;
    // Sizes as an upload of an image of that size would set them, for code that lays
    // out texture coordinates before anything is uploaded.
    void SetSizes(float imageWidth, float imageHeight, float divisor) noexcept;

private:
    GLenum mTarget = GL_TEXTURE_2D;
    int32_t mName = -1;
    uint64_t mContextSerial = 0;
    float mTextureWidth = 0.0f;
    float mTextureHeight = 0.0f;
    float mImageWidth = 0.0f;
    float mImageHeight = 0.0f;
    float mScaledWidth = 0.0f;
    float mScaledHeight = 0.0f;
    // Uploaded pixels per given pixel: not 1 after the image was scaled to the texture.
    float mSourceScaleX = 1.0f;
    float mSourceScaleY = 1.0f;
    RCPtr<LBitmap> mBitmap;
};

} // namespace KV
