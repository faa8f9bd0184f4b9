// Feeds arbitrary bytes to the picture decoder. Besides memory errors it checks what must
// hold for any input: an image comes with Ok and a size within the limits, no image
// comes with a reason.

#include "Platform/Graphics/ImageDecoder.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace KV;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ImageStatus status = ImageStatus::Ok;
    const std::unique_ptr<BitmapImage> image = Platform::DecodeImage({data, size}, status);
    if (image)
    {
        if (status != ImageStatus::Ok || image->GetWidth() < 1 || image->GetHeight() < 1 ||
            image->GetWidth() > BitmapImage::kMaxSide || image->GetHeight() > BitmapImage::kMaxSide)
            std::abort();
        // Every pixel is there to be read.
        volatile uint32_t sum = 0;
        for (int32_t y = 0; y < image->GetHeight(); ++y)
            sum = sum + image->GetARGB(image->GetWidth() - 1, y);
    }
    else if (status == ImageStatus::Ok)
    {
        std::abort();
    }
    return 0;
}
