#pragma once
// LVisualPart: a skin part made drawable: a bitmap fitted by its resize type, or a
// colour fill. The colorizer is applied once, when the part is made, so drawing only
// copies pixels or fills.
//
// Parts made from a skin's part descriptor are cached by it (GetVisualPart): the cache's
// reference and the part's reference back to the descriptor are internal ones, so the
// pair is freed when the last outside holder of either lets go.

#include "ControlBase/Colorizer.h"
#include "Graphics/Bitmap.h"
#include "Graphics/Geometry.h"
#include "Graphics/ResizeType.h"
#include "ObjectBase/RCPtr.h"
#include "Storage/StringT.h"

#include <cstdint>

namespace KV {

class LRenderer;
class LVisualPartDescriptor;

class LVisualPart : public virtual LRefCountedObject
{
public:
    // With a bitmap the part's size is the bitmap's, else the size given. A colorizer is
    // applied to the bitmap (or to the mask); a solid one without either is drawn as a
    // plain fill, a gradient one becomes a picture of the part's size (which throws what
    // LBitmap::CreateColorizedBitmap throws: a radial gradient, an empty size).
    static RCPtr<LVisualPart> Create(const String& name, const RCPtr<LBitmap>& bitmap, ResizeType resizeType,
                                     const RCPtr<LColorizer>& colorizer, const SizeT<int32_t>& size,
                                     float alphaModifier, const RCPtr<LBitmap>& mask);

    // Draws the part into {0, 0, size} of the renderer's current coordinates. A fill whose
    // alpha comes to 0 draws nothing; a part with neither bitmap nor colorizer throws a
    // runtime error. Answers 0.
    virtual int32_t Draw(LRenderer& renderer, const SizeT<int32_t>& size);

    // The part's own pixel; transparent white (0x00FFFFFF) outside the part. Throws a
    // runtime error for a part with neither bitmap nor colorizer, or a gradient without
    // its picture.
    uint32_t GetPixel(int32_t x, int32_t y) const;
    // The colour at a point of the part drawn at the given size, by its resize type;
    // transparent white outside.
    uint32_t GetColorAtPoint(const PointT<double>& point, const SizeT<double>& drawnSize) const;
    // The colour a label takes from a solid colour part: the colorizer's colour with the
    // alpha modifier (none without a colorizer).
    ColorT GetTextColor() const;

    const String& GetName() const noexcept { return mName; }
    const RCPtr<LBitmap>& GetBitmap() const noexcept { return mBitmap; }
    const SizeT<int32_t>& GetPartSize() const noexcept { return mPartSize; }
    ResizeType GetResizeType() const noexcept { return mResizeType; }
    const RCPtr<LColorizer>& GetColorizer() const noexcept { return mColorizer; }
    float GetAlphaModifier() const noexcept { return mAlphaMod; }

    // Leaves the descriptor's cache and drops the reference back to it.
    KVRESULT ReleaseInternalReferences() override;

protected:
    ~LVisualPart() override;

private:
    friend class LVisualPartDescriptor;

    LVisualPart() = default;
    // The colorizer's colour with its alpha scaled by the modifier.
    ColorT GetFillColor() const;
    // Lets go of the descriptor this part was made for.
    void DetachFromDescriptor();

    String mName;
    RCPtr<LBitmap> mBitmap;
    SizeT<int32_t> mPartSize;
    ResizeType mResizeType = ResizeType::Stretch;
    RCPtr<LColorizer> mColorizer;
    float mAlphaMod = 1.0f;
    RCPtr<LBitmap> mMask;
    RCPtr<LVisualPartDescriptor> mDescriptor; // counted as internal on the descriptor
};

} // namespace KV
