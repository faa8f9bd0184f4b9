#pragma once
// Pictures compared with reference PNG files: each channel of each pixel may differ by a
// small tolerance, and a few pixels may differ by more. On a mismatch the drawn picture
// and a picture of the differences (red where they differ) are written into the build
// tree beside the test. With KV_UPDATE_REFERENCE_IMAGES=1 in the environment the drawn
// picture replaces the reference instead; look at it before committing it.

#include "Graphics/Bitmap.h"
#include "Graphics/BitmapImage.h"

#include "PngTestFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>

namespace KV::Testing {

struct ReferenceCheck
{
    int channelTolerance = 2; // of 255
    int maxDifferingPixels = 0;
};

namespace ReferenceDetail {

inline std::vector<uint8_t> EncodeArgb(int32_t width, int32_t height,
                                       const std::function<uint32_t(int32_t, int32_t)>& pixel)
{
    PngTestImage::Rows rows;
    for (int32_t y = 0; y < height; ++y)
    {
        std::vector<uint8_t> row;
        for (int32_t x = 0; x < width; ++x)
        {
            const uint32_t argb = pixel(x, y);
            row.insert(row.end(), {static_cast<uint8_t>(argb >> 16), static_cast<uint8_t>(argb >> 8),
                                   static_cast<uint8_t>(argb), static_cast<uint8_t>(argb >> 24)});
        }
        rows.push_back(std::move(row));
    }
    return EncodePng(PngTestImage(static_cast<uint32_t>(width), static_cast<uint32_t>(height),
                                  PNG_COLOR_TYPE_RGBA, 8, std::move(rows)));
}

inline bool Close(uint32_t a, uint32_t b, int tolerance)
{
    for (int shift = 0; shift < 32; shift += 8)
    {
        const int difference = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        if (difference > tolerance || difference < -tolerance)
            return false;
    }
    return true;
}

} // namespace ReferenceDetail

// name: the reference is <referenceFolder>/<name>.png; on failure <outputFolder>/<name>.actual.png
// and <name>.diff.png are written.
inline void ExpectMatchesReference(const std::function<uint32_t(int32_t, int32_t)>& pixel, int32_t width,
                                   int32_t height, const std::string& referenceFolder,
                                   const std::string& outputFolder, const std::string& name,
                                   const ReferenceCheck& check = {})
{
    const std::string referencePath = referenceFolder + "/" + name + ".png";
    if (const char* update = std::getenv("KV_UPDATE_REFERENCE_IMAGES"); update && std::string(update) == "1")
    {
        WriteBytesToFile(referencePath, ReferenceDetail::EncodeArgb(width, height, pixel));
        return;
    }
    const std::string actualPath = outputFolder + "/" + name + ".actual.png";
    const RCPtr<LBitmap> reference = LBitmap::GetCachedBitmap(String(referencePath.c_str()));
    const BitmapImage* image = reference ? reference->GetGdiplusBitmap() : nullptr;
    if (!image || image->GetWidth() != width || image->GetHeight() != height)
    {
        WriteBytesToFile(actualPath, ReferenceDetail::EncodeArgb(width, height, pixel));
        ADD_FAILURE() << "no reference of " << width << " x " << height << " at " << referencePath
                      << "; the picture drawn is " << actualPath;
        return;
    }
    int differing = 0;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            if (!ReferenceDetail::Close(pixel(x, y), image->GetARGB(x, y), check.channelTolerance))
                ++differing;
    if (differing <= check.maxDifferingPixels)
        return;
    const std::string diffPath = outputFolder + "/" + name + ".diff.png";
    WriteBytesToFile(actualPath, ReferenceDetail::EncodeArgb(width, height, pixel));
    WriteBytesToFile(diffPath, ReferenceDetail::EncodeArgb(width, height, [&](int32_t x, int32_t y) {
                         return ReferenceDetail::Close(pixel(x, y), image->GetARGB(x, y),
                                                       check.channelTolerance)
                                    ? 0xFF202020u
                                    : 0xFFFF0000u;
                     }));
    ADD_FAILURE() << differing << " pixels differ from " << referencePath << "; see " << actualPath << " and "
                  << diffPath;
}

} // namespace KV::Testing
