#include "ControlBase/VisualPart.h"

#include "ControlBase/VisualPartDescriptor.h"
#include "ObjectBase/Exception.h"
#include "Renderer/Renderer.h"

#include <algorithm>
#include <cmath>

namespace KV {

namespace {

constexpr uint32_t kTransparentWhite = 0x00FFFFFF;
constexpr double kSizeTolerance = 1.1920929e-6;

bool IsSolid(const LColorizer& colorizer)
{
    return colorizer.mType == ColorType::SolidFill;
}

} // namespace

RCPtr<LVisualPart> LVisualPart::Create(const String& name, const RCPtr<LBitmap>& bitmap,
                                       ResizeType resizeType, const RCPtr<LColorizer>& colorizer,
                                       const SizeT<int32_t>& size, float alphaModifier,
                                       const RCPtr<LBitmap>& mask)
{
    RCPtr<LVisualPart> part(new LVisualPart());
    part->mName = name;
    part->mBitmap = bitmap;
    part->mResizeType = resizeType;
    part->mColorizer = colorizer;
    part->mAlphaMod = alphaModifier;
    part->mMask = mask;
    if (bitmap)
    {
        const RectT<int32_t>& area = bitmap->GetArea();
        part->mPartSize = {area.width, area.height};
    }
    else
    {
        part->mPartSize = size;
    }
    // Colourised once here, so that every draw is a plain copy; a gradient becomes a
    // picture of the part's size.
    if (colorizer && (bitmap || mask || !IsSolid(*colorizer)))
        part->mBitmap =
            LBitmap::CreateColorizedPartBitmap(colorizer, alphaModifier, part->mPartSize, bitmap, mask);
    return part;
}

LVisualPart::~LVisualPart()
{
    DetachFromDescriptor();
}

void LVisualPart::DetachFromDescriptor()
{
    if (RCPtr<LVisualPartDescriptor> descriptor = std::move(mDescriptor))
    {
        descriptor->AdjustInternalRefCount(-1);
        if (descriptor->mVisualPart.Get() == this)
            descriptor->DropVisualPart();
    }
}

KVRESULT LVisualPart::ReleaseInternalReferences()
{
    DetachFromDescriptor();
    return LRefCountedObject::ReleaseInternalReferences();
}

ColorT LVisualPart::GetFillColor() const
{
    ColorT color = mColorizer->mColor;
    color.a *= mAlphaMod;
    return color;
}

int32_t LVisualPart::Draw(LRenderer& renderer, const SizeT<int32_t>& size)
{
    if (mBitmap)
    {
        renderer.DrawBitmap(mBitmap, {0, 0, size.width, size.height}, mResizeType);
        return 0;
    }
    // A part with neither picture nor fill cannot come from a skin.
    if (!mColorizer)
        KV_THROW(std::runtime_error, "");
    const ColorT color = GetFillColor();
    if (!(color.a > 0.0f))
        return 0;
    RectT<int32_t> fill{0, 0, size.width, size.height};
    if (mResizeType == ResizeType::Center)
        fill = {(size.width - mPartSize.width) / 2, (size.height - mPartSize.height) / 2, mPartSize.width,
                mPartSize.height};
    renderer.FillRect(fill, color, true);
    return 0;
}

uint32_t LVisualPart::GetPixel(int32_t x, int32_t y) const
{
    if (x < 0 || y < 0 || x >= mPartSize.width || y >= mPartSize.height)
        return kTransparentWhite;
    if (mBitmap)
        return mBitmap->GetPixelColor(x, y).ToARGB();
    if (!mColorizer)
        KV_THROW(std::runtime_error, "");
    // A gradient part has its picture from the moment it is made; one without cannot
    // answer for a point.
    if (!IsSolid(*mColorizer))
        KV_THROW(std::runtime_error, "");
    return GetFillColor().ToARGB();
}

uint32_t LVisualPart::GetColorAtPoint(const PointT<double>& point, const SizeT<double>& drawnSize) const
{
    const double partWidth = mPartSize.width;
    const double partHeight = mPartSize.height;
    if (std::fabs(drawnSize.width - partWidth) <= kSizeTolerance &&
        std::fabs(drawnSize.height - partHeight) <= kSizeTolerance)
        return GetPixel(DoubleToLong(point.x), DoubleToLong(point.y));
    if (!(point.x >= 0 && point.y >= 0 && point.x < drawnSize.width && point.y < drawnSize.height))
        return kTransparentWhite;

    switch (mResizeType)
    {
    case ResizeType::Tile:
    {
        // A part without area repeats nothing.
        if (mPartSize.width <= 0 || mPartSize.height <= 0)
            return kTransparentWhite;
        return GetPixel(DoubleToLong(point.x) % mPartSize.width, DoubleToLong(point.y) % mPartSize.height);
    }
    case ResizeType::Center:
        return GetPixel(DoubleToLong(point.x - (drawnSize.width - partWidth) * 0.5),
                        DoubleToLong(point.y - (drawnSize.height - partHeight) * 0.5));
    case ResizeType::Stretch:
    {
        const double sx = partWidth / drawnSize.width;
        const double sy = partHeight / drawnSize.height;
        const auto truncated = [](double value) { return DoubleToLong(std::trunc(value)); };
        if (sx <= 1.0 && sy <= 1.0)
            return GetPixel(truncated(sx * point.x), truncated(sy * point.y));
        // Shrunk: the point covers a block of source pixels; the first one that shows
        // anything answers.
        const int32_t left = truncated(sx * point.x);
        const int32_t top = truncated(sy * point.y);
        const int32_t right = std::max(left + 1, truncated(sx * (point.x + 1.0)));
        const int32_t bottom = std::max(top + 1, truncated(sy * (point.y + 1.0)));
        for (int32_t y = top; y < bottom; ++y)
            for (int32_t x = left; x < right; ++x)
            {
                const uint32_t pixel = GetPixel(x, y);
                if ((pixel >> 24) != 0)
                    return pixel;
            }
        return kTransparentWhite;
    }
    }
    KV_THROW(std::runtime_error, "");
}

ColorT LVisualPart::GetTextColor() const
{
    if (!mColorizer)
        return {};
    return GetFillColor();
}

} // namespace KV
