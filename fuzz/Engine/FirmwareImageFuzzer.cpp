// Image text of any content: decoding never reads outside the text, and the record
// check never reads outside the image; an accepted image re-encodes to the same text.
#include "FirmwareImageFile.h"

#include <cctype>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    DeviceMessages::Bytes image;
    if (FirmwareImageFile::ParseHexText({data, size}, image) != S_OK)
        return 0;
    if (image.GetCount() * 2 != size)
        std::abort();
    for (uint32_t i = 0; i < image.GetCount(); ++i)
    {
        static const char digits[] = "0123456789ABCDEF";
        const auto byte = static_cast<uint8_t>(*image.GetAtConst(i));
        if (std::toupper(data[2 * i]) != digits[byte >> 4] ||
            std::toupper(data[2 * i + 1]) != digits[byte & 15])
            std::abort();
    }
    (void)FirmwareImageFile::HasWholeRecords(image);
    return 0;
}
