#include "Graphics/Bitmap.h"

#include "Graphics/BitmapData.h"
#include "Graphics/IconFile.h"
#include "ObjectBase/Exception.h"
#include "Platform/Graphics/ImageDecoder.h"
#include "Storage/File.h"
#include "System/ModuleResources.h"

#include <algorithm>
#include <map>
#include <vector>

namespace KV {

namespace {

using NameCache = std::map<String, RCPtr<LBitmap>>;

// Never destroyed: a bitmap that some other static object releases while the program
// ends must still find the cache to leave it.
NameCache& GetNameCache()
{
    static NameCache* const cache = new NameCache;
    return *cache;
}

constexpr char16_t kImageResourceType[] = u"GDIPLUS";
constexpr char16_t kIconResourceType[] = u"ICON";
// Skin images are small: a larger file is refused rather than read into memory.
constexpr int64_t kMaxImageFileBytes = int64_t{256} << 20;

bool IsResourceName(const String& name)
{
    return name.GetLength() >= 2 && name.GetText()[0] == u':' && name.GetText()[1] == u':';
}

bool ReadWholeFile(const String& path, std::vector<uint8_t>& bytes)
{
    try
    {
        File file;
        file.Open(path, String(), File::OPEN_READ);
        const int64_t length = file.GetLength();
        if (length <= 0 || length > kMaxImageFileBytes)
            return false;
        bytes.resize(static_cast<size_t>(length));
        size_t done = 0;
        while (done < bytes.size())
        {
            const uint32_t got = file.Read(bytes.data() + done, static_cast<uint32_t>(bytes.size() - done));
            if (got == 0)
                break;
            done += got;
        }
        bytes.resize(done);
        return done > 0;
    }
    catch (const std::exception&)
    {
        return false;
    }
}

std::unique_ptr<BitmapImage> LoadImage(const String& name)
{
    ImageStatus status = ImageStatus::Ok;
    if (IsResourceName(name))
    {
        const std::span<const unsigned char> bytes =
            FindModuleResource(kImageResourceType, ResourceNameOfFile(name.MidFrom(2)).View());
        return bytes.empty() ? nullptr : Platform::DecodeImage(bytes, status);
    }
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(name, bytes))
        return nullptr;
    return Platform::DecodeImage(bytes, status);
}

int32_t SaturatedSum(int32_t a, int32_t b)
{
    return Detail::SaturateToInt32(int64_t{a} + b);
}

// The part of the area inside the image; an area wholly outside it becomes an empty one
// at the nearest point of the image.
RectT<int32_t> ClampToImage(const RectT<int32_t>& area, const RectT<int32_t>& bounds)
{
    RectT<int32_t> inside;
    if (RectT<int32_t>::Intersect(inside, area, bounds))
        return inside;
    return {std::clamp(area.x, 0, bounds.width), std::clamp(area.y, 0, bounds.height), 0, 0};
}

} // namespace

LBitmap::LBitmap(const String& name, const String& cacheKey)
    : mName(name), mCacheKey(cacheKey), mImage(LoadImage(name))
{
    if (mImage)
        mArea = mImage->GetBounds();
}

LBitmap::LBitmap(std::unique_ptr<BitmapImage> image) : mImage(std::move(image))
{
    if (mImage)
        mArea = mImage->GetBounds();
}

RCPtr<LBitmap> LBitmap::LoadIconResource(std::u16string_view name)
{
    std::vector<IconPicture> pictures = ReadIconPictures(FindModuleResource(kIconResourceType, name));
    std::stable_sort(pictures.begin(), pictures.end(), [](const IconPicture& a, const IconPicture& b) {
        return int64_t{a.width} * a.height > int64_t{b.width} * b.height;
    });
    for (const IconPicture& picture : pictures)
    {
        ImageStatus status = ImageStatus::Ok;
        if (std::unique_ptr<BitmapImage> image = Platform::DecodeImage(picture.png, status))
            return RCPtr<LBitmap>(new LBitmap(std::move(image)));
    }
    return nullptr;
}

RCPtr<LBitmap> LBitmap::GetCachedBitmap(const String& name)
{
    // File systems here tell case apart, so only resource names ignore it.
    const String key = IsResourceName(name) ? name.ToUpper() : File::GetLongPathName(name);
    NameCache& cache = GetNameCache();
    if (const auto found = cache.find(key); found != cache.end())
        return found->second;

    RCPtr<LBitmap> bitmap(new LBitmap(name, key));
    if (!bitmap->mImage && !bitmap->mParent)
        return nullptr;
    cache.emplace(key, bitmap);
    bitmap->AdjustInternalRefCount(+1);
    return bitmap;
}

KVRESULT LBitmap::ReleaseInternalReferences()
{
    if (!mCacheKey.IsEmpty())
    {
        NameCache& cache = GetNameCache();
        const auto found = cache.find(mCacheKey);
        // Only this very bitmap's entry: another one made by hand with the same key
        // must not take a cached bitmap out.
        if (found != cache.end() && found->second.Get() == this)
        {
            mCacheKey.Clear();
            AdjustInternalRefCount(-1);
            cache.erase(found);
        }
    }
    return LRefCountedObject::ReleaseInternalReferences();
}

RCPtr<LBitmap> LBitmap::CreateSubBitmap(int32_t x, int32_t y, int32_t width, int32_t height) const
{
    if (width <= 0 || height <= 0)
    {
        x = y = 0;
        width = mArea.width;
        height = mArea.height;
    }
    LBitmap* owner = mParent ? mParent.Get() : const_cast<LBitmap*>(this);
    RectT<int32_t> area{SaturatedSum(mArea.x, x), SaturatedSum(mArea.y, y), width, height};
    if (owner->mImage)
        area = ClampToImage(area, owner->mImage->GetBounds());

    RCPtr<LBitmap> sub(new LBitmap());
    sub->mArea = area;
    sub->mParent = owner;
    return sub;
}

RCPtr<LBitmap> LBitmap::CloneArea() const
{
    RCPtr<LBitmap> clone(new LBitmap());
    clone->mArea = {0, 0, mArea.width, mArea.height};
    if (BitmapImage* image = GetGdiplusBitmap())
    {
        clone->mImage = image->CopyArea(mArea);
        if (!clone->mImage)
            image->SetLastStatus(mArea.width > 0 && mArea.height > 0 ? ImageStatus::OutOfMemory
                                                                     : ImageStatus::InvalidParameter);
    }
    return clone;
}

BitmapImage* LBitmap::GetGdiplusBitmap() const
{
    if (mImage)
        return mImage.get();
    return mParent ? mParent->GetGdiplusBitmap() : nullptr;
}

RCPtr<LBitmapData> LBitmap::LockBits() const
{
    if (mParent)
        return mParent->LockBits();
    return RCPtr<LBitmapData>(
        new LBitmapData(RCPtr<LBitmap>(const_cast<LBitmap*>(this)), BitmapLockMode::Read));
}

ColorT LBitmap::GetPixelColor(int32_t x, int32_t y) const
{
    BitmapImage* image = GetGdiplusBitmap();
    if (!image)
        return {};
    const int64_t imageX = int64_t{mArea.x} + x;
    const int64_t imageY = int64_t{mArea.y} + y;
    if (imageX < 0 || imageY < 0 || imageX >= image->GetWidth() || imageY >= image->GetHeight())
    {
        image->SetLastStatus(ImageStatus::InvalidParameter);
        return {};
    }
    const uint32_t argb = image->GetARGB(static_cast<int32_t>(imageX), static_cast<int32_t>(imageY));
    const auto channel = [argb](int shift) { return static_cast<float>((argb >> shift) & 0xFF) / 255.0f; };
    return {channel(16), channel(8), channel(0), channel(24)};
}

RCPtr<LBitmap> LBitmap::CreateFilledBitmap(const SizeT<int32_t>& size, const ColorT& color)
{
    if (size.width <= 0 || size.height <= 0)
        KV_THROW(std::runtime_error, "");
    std::unique_ptr<BitmapImage> image = BitmapImage::Create(size.width, size.height);
    if (image)
        image->Fill(color.ToARGB());
    return RCPtr<LBitmap>(new LBitmap(std::move(image)));
}

} // namespace KV
