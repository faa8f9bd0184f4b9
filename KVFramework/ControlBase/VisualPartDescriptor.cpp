#include "ControlBase/VisualPartDescriptor.h"

namespace KV {

RCPtr<LVisualPartDescriptor> LVisualPartDescriptor::Create(const String& name, const ImageArea& image,
                                                           ResizeType resizeType,
                                                           const RCPtr<LColorizer>& colorizer,
                                                           float alphaModifier, const ImageArea& mask)
{
    if (image.mFile.IsEmpty())
        return nullptr;
    RCPtr<LVisualPartDescriptor> part(new LVisualPartDescriptor());
    part->mName = name;
    part->mImage = image;
    part->mWidth = image.mWidth;
    part->mHeight = image.mHeight;
    part->mResizeType = resizeType;
    part->mColorizer = colorizer;
    part->mAlphaModifier = alphaModifier;
    part->mMask = mask;
    return part;
}

RCPtr<LVisualPartDescriptor> LVisualPartDescriptor::CreateFilled(const String& name,
                                                                 const RCPtr<LColorizer>& colorizer,
                                                                 int32_t width, int32_t height,
                                                                 ResizeType resizeType, float alphaModifier,
                                                                 const ImageArea& mask)
{
    if (!colorizer)
        return nullptr;
    RCPtr<LVisualPartDescriptor> part(new LVisualPartDescriptor());
    part->mName = name;
    part->mWidth = width;
    part->mHeight = height;
    part->mResizeType = resizeType;
    part->mColorizer = colorizer;
    part->mAlphaModifier = alphaModifier;
    part->mMask = mask;
    return part;
}

} // namespace KV
