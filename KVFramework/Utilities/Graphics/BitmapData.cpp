#include "Graphics/BitmapData.h"

#include "ObjectBase/Exception.h"

namespace KV {

LBitmapData::LBitmapData(const RCPtr<LBitmap>& bitmap, BitmapLockMode mode,
                         const RCPtr<IPixelBuffer<int32_t>>& delegate)
    : mBitmap(bitmap), mMode(mode)
{
    if (delegate)
        KV_THROW(std::domain_error, "");
    BitmapImage* image = mBitmap ? mBitmap->GetGdiplusBitmap() : nullptr;
    if (!image)
        return;
    RectT<int32_t> area;
    if (!RectT<int32_t>::Intersect(area, mBitmap->GetArea(), image->GetBounds()))
    {
        image->SetLastStatus(ImageStatus::InvalidParameter);
        return;
    }
    mRecord = {area.width, area.height, image->GetStride(), image->PixelAt(area.x, area.y)};
    image->SetLastStatus(ImageStatus::Ok);
}

LBitmapData::~LBitmapData()
{
    if (!mRecord.firstRow || (static_cast<int32_t>(mMode) & static_cast<int32_t>(BitmapLockMode::Write)) == 0)
        return;
    if (BitmapImage* image = mBitmap->GetGdiplusBitmap())
        image->PixelsChanged();
}

uint8_t* LBitmapData::GetPixelAddress(int32_t x, int32_t y)
{
    if (!mRecord.firstRow)
        return nullptr;
    return mRecord.firstRow + static_cast<ptrdiff_t>(y) * mRecord.stride +
           static_cast<ptrdiff_t>(x) * BitmapImage::kBytesPerPixel;
}

} // namespace KV
