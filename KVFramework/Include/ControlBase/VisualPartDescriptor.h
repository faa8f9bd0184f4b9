#pragma once
// LVisualPartDescriptor: a named drawable part of a skin: a rectangle of an image, or a
// fill, with the rule by which it fills a rectangle of another size. It has an image,
// or a colorizer, or both.

#include "ControlBase/Colorizer.h"
#include "ControlBase/VisualPart.h"
#include "Graphics/ResizeType.h"
#include "Storage/StringT.h"

#include <cstdint>

namespace KV {

class LVisualPartDescriptor : public virtual LRefCountedObject
{
public:
    // A rectangle taken from an image file: the part's image, or its mask.
    struct ImageArea
    {
        String mFile; // empty: none
        int32_t mX = 0;
        int32_t mY = 0;
        int32_t mWidth = 0;
        int32_t mHeight = 0;
    };

    // A part cut from an image; its size is the image area's. Null when the image file
    // is empty.
    static RCPtr<LVisualPartDescriptor> Create(const String& name, const ImageArea& image,
                                               ResizeType resizeType, const RCPtr<LColorizer>& colorizer,
                                               float alphaModifier, const ImageArea& mask);
    // A part without image, drawn by its colorizer at the given size. Null when the
    // colorizer is null.
    static RCPtr<LVisualPartDescriptor> CreateFilled(const String& name, const RCPtr<LColorizer>& colorizer,
                                                     int32_t width, int32_t height, ResizeType resizeType,
                                                     float alphaModifier, const ImageArea& mask);

    String mName;
    ImageArea mImage;
    int32_t mWidth = 0; // the part's nominal size
    int32_t mHeight = 0;
    ResizeType mResizeType = ResizeType::Stretch;
    RCPtr<LColorizer> mColorizer;
    float mAlphaModifier = 1.0f; // factor on the fill's alpha
    ImageArea mMask;

    // The drawable part, made on the first call and kept: from the image area (with the
    // mask area, when given), else a fill of the nominal size; null when there is neither.
    // An image that cannot be loaded falls back to the fill (or to null) and is reported
    // once to the debug output.
    RCPtr<LVisualPart> GetVisualPart();

    // Drops the cached part.
    KVRESULT ReleaseInternalReferences() override;

protected:
    LVisualPartDescriptor() = default;
    ~LVisualPartDescriptor() override;

private:
    friend class LVisualPart;

    // Lets go of the cached part, whose reference was counted as internal on it.
    void DropVisualPart();
    // The sub-bitmap at the area; null when its image cannot be loaded.
    RCPtr<LBitmap> LoadArea(const ImageArea& area);

    RCPtr<LVisualPart> mVisualPart;
    bool mLoadFailureReported = false;
};

} // namespace KV
