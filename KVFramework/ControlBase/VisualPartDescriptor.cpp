#include "ControlBase/VisualPartDescriptor.h"

#include "System/DebugConsole.h"

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

LVisualPartDescriptor::~LVisualPartDescriptor()
{
    DropVisualPart();
}

void LVisualPartDescriptor::DropVisualPart()
{
    if (RCPtr<LVisualPart> part = std::move(mVisualPart))
        part->AdjustInternalRefCount(-1);
}

KVRESULT LVisualPartDescriptor::ReleaseInternalReferences()
{
    DropVisualPart();
    return LRefCountedObject::ReleaseInternalReferences();
}

RCPtr<LBitmap> LVisualPartDescriptor::LoadArea(const ImageArea& area)
{
    RCPtr<LBitmap> image = LBitmap::GetCachedBitmap(area.mFile);
    if (!image || !image->GetGdiplusBitmap())
    {
        if (!mLoadFailureReported)
        {
            mLoadFailureReported = true;
            CDebugLine<char16_t>() << u"Skin part \"" << mName.View() << u"\": cannot load image \""
                                   << area.mFile.View() << u"\"\n";
        }
        return nullptr;
    }
    // Cut to the picture: an area reaching past it shows what there is.
    return image->CreateSubBitmap(area.mX, area.mY, area.mWidth, area.mHeight);
}

RCPtr<LVisualPart> LVisualPartDescriptor::GetVisualPart()
{
    if (mVisualPart)
        return mVisualPart;

    RCPtr<LBitmap> mask;
    if (!mMask.mFile.IsEmpty())
        mask = LoadArea(mMask);
    RCPtr<LVisualPart> part;
    RCPtr<LBitmap> image = mImage.mFile.IsEmpty() ? nullptr : LoadArea(mImage);
    if (image)
        part = LVisualPart::Create(mName, image, mResizeType, mColorizer, {}, mAlphaModifier, mask);
    else if (mColorizer)
        part = LVisualPart::Create(mName, nullptr, mResizeType, mColorizer, {mWidth, mHeight}, mAlphaModifier,
                                   mask);
    if (!part)
        return nullptr;

    // Both references of the pair are internal: the part's back reference on this
    // descriptor, the cache's on the part.
    part->mDescriptor = this;
    AdjustInternalRefCount(1);
    mVisualPart = part;
    part->AdjustInternalRefCount(1);
    return part;
}

} // namespace KV
