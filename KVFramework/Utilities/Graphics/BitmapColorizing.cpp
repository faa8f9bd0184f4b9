// Skin colorizers applied to bitmaps: solid and linear-gradient fills, and recolouring
// in place.

#include "ControlBase/Colorizer.h"
#include "Graphics/Bitmap.h"
#include "Graphics/BitmapData.h"
#include "ObjectBase/Exception.h"
#include "Platform/Graphics/GradientImage.h"

namespace KV {

namespace {

// A colorizer whose gradient has two different ends; a gradient type with equal ends
// is a solid fill.
bool IsGradient(const LColorizer& colorizer)
{
    return colorizer.mType != ColorType::SolidFill && !colorizer.mGradient.mEndColor.Equals(colorizer.mColor);
}

// truncate(value * 255 + 0.5) in single precision, kept to a byte: a modifier above 1
// would otherwise wrap bright channels round to dark ones.
uint8_t ToChannelByte(float value)
{
    const float scaled = value * 255.0f + 0.5f;
    if (!(scaled >= 1.0f)) // NaN too
        return 0;
    return scaled >= 255.0f ? 255 : static_cast<uint8_t>(scaled);
}

} // namespace

RCPtr<LBitmap> LBitmap::CreateGradientFilledBitmap(const SizeT<int32_t>& size,
                                                   const ConstRCPtr<LColorizer>& colorizer, bool radial,
                                                   float alphaModifier)
{
    // Radial gradients are not drawn.
    if (radial || !colorizer)
        KV_THROW(std::domain_error, "");
    if (size.width <= 0 || size.height <= 0)
        KV_THROW(std::runtime_error, "");
    ColorT start = colorizer->mColor;
    ColorT end = colorizer->mGradient.mEndColor;
    start.a *= alphaModifier;
    end.a *= alphaModifier;
    // The ends are given as fractions of the size: (0, 0) to (0, 1) runs from the top
    // edge to the bottom one.
    const ColorizerGradient& gradient = colorizer->mGradient;
    const double width = size.width;
    const double height = size.height;
    return RCPtr<LBitmap>(new LBitmap(Platform::PaintLinearGradient(
        size.width, size.height, {gradient.mStartX * width, gradient.mStartY * height},
        {gradient.mEndX * width, gradient.mEndY * height}, start.ToARGB(), end.ToARGB())));
}

RCPtr<LBitmap> LBitmap::CreateColorizedBitmap(const ConstRCPtr<LColorizer>& colorizer, float alphaModifier,
                                              const SizeT<int32_t>& size)
{
    if (size.width <= 0 || size.height <= 0 || !colorizer)
        KV_THROW(std::runtime_error, "");
    if (IsGradient(*colorizer))
        return CreateGradientFilledBitmap(size, colorizer, colorizer->mType == ColorType::RadialGradient,
                                          alphaModifier);
    ColorT color = colorizer->mColor;
    color.a *= alphaModifier;
    return CreateFilledBitmap(size, color);
}

void LBitmap::ApplyColorizer(const RCPtr<LBitmap>& bitmap, const ConstRCPtr<LColorizer>& colorizer,
                             float alphaModifier)
{
    if (!bitmap || !colorizer)
        KV_THROW(std::runtime_error, "");
    // A gradient is laid over the pixels as a solid colour is, each pixel taking the
    // gradient's colour at its place in the area.
    RCPtr<LBitmap> gradient;
    if (IsGradient(*colorizer))
    {
        gradient = CreateColorizedBitmap(colorizer, alphaModifier,
                                         {bitmap->GetArea().width, bitmap->GetArea().height});
        if (!gradient->GetGdiplusBitmap())
            return;
    }
    ColorT color = colorizer->mColor;
    color.a *= alphaModifier;

    const RCPtr<LBitmapData> data(new LBitmapData(bitmap, BitmapLockMode::ReadWrite));
    for (int32_t y = 0; y < data->GetHeight(); ++y)
    {
        uint8_t* pixel = data->GetPixelAddress(0, y);
        for (int32_t x = 0; x < data->GetWidth(); ++x, pixel += BitmapImage::kBytesPerPixel)
        {
            if (gradient)
                color = gradient->GetPixelColor(x, y);
            const float cover = color.a;
            const float keep = 1.0f - cover;
            const float added[3] = {color.b * cover, color.g * cover, color.r * cover}; // in pixel byte order
            for (int channel = 0; channel < 3; ++channel)
                pixel[channel] =
                    ToChannelByte(static_cast<float>(pixel[channel]) / 255.0f * keep + added[channel]);
        }
    }
}

RCPtr<LBitmap> LBitmap::CreateColorizedPartBitmap(const ConstRCPtr<LColorizer>& colorizer,
                                                  float alphaModifier, const SizeT<int32_t>& size,
                                                  const RCPtr<LBitmap>& part, const RCPtr<LBitmap>& mask)
{
    if (part && mask)
        KV_THROW(std::domain_error, "");
    if (const RCPtr<LBitmap>& source = part ? part : mask)
    {
        RCPtr<LBitmap> copy = source->CloneArea();
        ApplyColorizer(copy, colorizer, alphaModifier);
        return copy;
    }
    return CreateColorizedBitmap(colorizer, alphaModifier, size);
}

} // namespace KV
