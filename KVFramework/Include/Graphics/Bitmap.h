#pragma once
// LBitmap: the shared image of the toolkit.
//
// Skin parts, sprite sheets and icons are loaded once by name into a process-wide
// cache, cut into sub-bitmaps that view areas of one underlying image, recoloured by
// skin colorizers, locked for direct pixel access (LBitmapData) and drawn by the
// renderers, which cache what they derive from a bitmap under its handle.
//
// A name that begins with "::" names an image carried in the executable (a resource of
// type "GDIPLUS": "::Logo.png" is the resource LOGO_PNG); any other name is a file
// path. Images are PNG, JPEG, GIF or BMP files.
//
// The cache holds a bitmap only while someone else does: its reference counts as an
// internal one, so the bitmap leaves the cache when its last outside holder lets go.

#include "Graphics/BitmapImage.h"
#include "Graphics/Color.h"
#include "Graphics/Geometry.h"
#include "Graphics/GraphicsHandle.h"
#include "ObjectBase/RCPtr.h"
#include "Storage/StringT.h"

#include <cstdint>
#include <memory>
#include <string_view>

namespace KV {

class LBitmapData;
class LColorizer;

class LBitmap : public virtual LRefCountedObject
{
public:
    // An empty bitmap: zero area, no image, no parent.
    LBitmap() = default;
    // Loads the image the name stands for; on any failure the bitmap has no image.
    // cacheKey: the key under which the name cache will hold it, or empty.
    LBitmap(const String& name, const String& cacheKey);

    // The one bitmap of that name: from the cache when someone holds it, else loaded
    // and cached. Null when the image cannot be loaded (nothing is cached then, so the
    // next request tries again). Resource names are keyed without regard to case, file
    // paths as given.
    static RCPtr<LBitmap> GetCachedBitmap(const String& name);
    // The largest picture of the icon carried in the executable under the name (a
    // resource of type "ICON", an icon file whose pictures are PNG images); null when the
    // program carries no such icon or none of its pictures can be read. Not cached.
    static RCPtr<LBitmap> LoadIconResource(std::u16string_view name);

    // A view of an area of this bitmap, in this bitmap's coordinates; a width or height
    // of 0 or less views the whole area. The view's parent is always the bitmap that
    // owns the pixels, and its area, in that bitmap's coordinates, is clamped to the
    // image.
    RCPtr<LBitmap> CreateSubBitmap(int32_t x, int32_t y, int32_t width, int32_t height) const;
    // A new bitmap owning a copy of the pixels of this bitmap's area; without image when
    // there is nothing to copy (the failure is kept in the source image's status).
    RCPtr<LBitmap> CloneArea() const;

    // The image that holds the pixels: this bitmap's own or, for a sub-bitmap, that of
    // its parent. Null for a bitmap with neither.
    BitmapImage* GetGdiplusBitmap() const;

    // The pixels, locked for reading. A sub-bitmap locks the whole underlying image.
    RCPtr<LBitmapData> LockBits() const;

    // The colour at (x, y) relative to the area. Transparent black outside the image,
    // and for a bitmap without image.
    ColorT GetPixelColor(int32_t x, int32_t y) const;

    // A bitmap of that size whose every pixel has the colour. Throws a runtime error
    // when a side is 0 or less; a size too large to hold gives a bitmap without image.
    static RCPtr<LBitmap> CreateFilledBitmap(const SizeT<int32_t>& size, const ColorT& color);

    // A bitmap of that size filled with the colorizer's linear gradient: its colour at the
    // gradient's start point, its end colour at the end point, both points given as
    // fractions of the size; the alpha of both colours scaled by the modifier. Throws a
    // domain error for a radial gradient (not drawn) or a null colorizer, and a runtime
    // error when a side is 0 or less; a size too large to hold gives a bitmap without
    // image.
    static RCPtr<LBitmap> CreateGradientFilledBitmap(const SizeT<int32_t>& size,
                                                     const ConstRCPtr<LColorizer>& colorizer, bool radial,
                                                     float alphaModifier = 1.0f);
    // A bitmap of that size filled with the colorizer's colour or gradient, its alpha
    // scaled by the modifier. Throws a runtime error for a side of 0 or less or a null
    // colorizer, and the radial-gradient error for a radial gradient.
    static RCPtr<LBitmap> CreateColorizedBitmap(const ConstRCPtr<LColorizer>& colorizer, float alphaModifier,
                                                const SizeT<int32_t>& size);
    // Recolours the bitmap's area in place: the colorizer's colour (for a gradient, the
    // gradient's colour at each pixel), its alpha scaled by the modifier, laid over each
    // pixel's colour; alpha is kept. Throws a runtime error for a null bitmap or
    // colorizer, and the radial-gradient error for a radial gradient (leaving the pixels
    // as they were).
    static void ApplyColorizer(const RCPtr<LBitmap>& bitmap, const ConstRCPtr<LColorizer>& colorizer,
                               float alphaModifier);
    // The bitmap of a skin part: a recoloured copy of the part bitmap, or else of the
    // mask bitmap, or else a colorized bitmap of that size. Giving both a part and a mask
    // throws a domain error.
    static RCPtr<LBitmap> CreateColorizedPartBitmap(const ConstRCPtr<LColorizer>& colorizer,
                                                    float alphaModifier, const SizeT<int32_t>& size,
                                                    const RCPtr<LBitmap>& part, const RCPtr<LBitmap>& mask);

    // The part of the underlying image that this bitmap shows.
    const RectT<int32_t>& GetArea() const noexcept { return mArea; }
    const RCPtr<LBitmap>& GetParent() const noexcept { return mParent; }
    const String& GetName() const noexcept { return mName; }
    const String& GetCacheKey() const noexcept { return mCacheKey; }
    // The identity under which renderers cache what they derived from this bitmap.
    GraphicsHandle GetHandle() const noexcept { return mHandle.Get(); }

    // Leaves the name cache. S_OK when afterwards one reference and no internal one
    // remain, else E_FAIL.
    KVRESULT ReleaseInternalReferences() override;

protected:
    ~LBitmap() override = default;

private:
    // A bitmap that owns the image.
    explicit LBitmap(std::unique_ptr<BitmapImage> image);

    RectT<int32_t> mArea;
    RCPtr<LBitmap> mParent;
    String mName;
    String mCacheKey;
    std::unique_ptr<BitmapImage> mImage;
    UniqueGraphicsHandle mHandle;
};

} // namespace KV
