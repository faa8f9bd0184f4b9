#include "FirmwareImageFile.h"

#include "DeviceProtocol.h"

#include <optional>
#include <vector>

namespace FirmwareImageFile {
namespace {

std::optional<uint8_t> HexValue(uint8_t c)
{
    if (c >= 'a' && c <= 'f')
        return static_cast<uint8_t>(c - 'a' + 10);
    return DeviceProtocol::UpperHexDigitValue(c);
}

} // namespace

KVRESULT ParseHexText(std::span<const uint8_t> text, DeviceMessages::Bytes& image)
{
    if (text.size() % 2 != 0 || text.size() / 2 > image.GetMaxCount())
        return E_FAIL;
    image.SetCount(static_cast<uint32_t>(text.size() / 2));
    for (size_t i = 0; i < text.size(); i += 2)
    {
        const auto high = HexValue(text[i]), low = HexValue(text[i + 1]);
        if (!high || !low)
            return E_FAIL;
        *image.GetAt(static_cast<uint32_t>(i / 2)) = static_cast<int8_t>(*high << 4 | *low);
    }
    return S_OK;
}

KVRESULT ReadHexFile(DeviceMessages::Bytes& image, KV::File& file)
{
    const int64_t length = file.GetLength();
    if (length < 0 || length > int64_t{UINT32_MAX})
        return E_FAIL;
    std::vector<uint8_t> text(static_cast<size_t>(length));
    const uint32_t read = text.empty() ? 0 : file.Read(text.data(), static_cast<uint32_t>(text.size()), 0);
    if (read != text.size())
        return E_FAIL;
    return ParseHexText(text, image);
}

bool HasWholeRecords(const DeviceMessages::Bytes& image)
{
    const uint32_t total = image.GetCount();
    if (total == 0)
        return false;
    uint64_t position = 0;
    while (position < total)
    {
        if (total - position < DeviceProtocol::RecordLengthBytes)
            return false;
        const auto high = static_cast<uint8_t>(*image.GetAtConst(static_cast<uint32_t>(position)));
        const auto low = static_cast<uint8_t>(*image.GetAtConst(static_cast<uint32_t>(position + 1)));
        position += DeviceProtocol::RecordLengthBytes + (uint32_t{high} << 8 | low);
    }
    return position == total;
}

KVRESULT LoadImage(const KV::String& path, DeviceMessages::Bytes& image)
{
    if (KV::File::GetParentFolder(path).IsEmpty() || KV::File::GetFileName(path).IsEmpty())
        return E_FAIL;
    try
    {
        // The whole path, as the existence test took it: joining the split parts again
        // could name another file.
        KV::File file(path, KV::String(), KV::File::OPEN_READ);
        // A named pipe or a device may never end or never answer: only a regular file
        // is read.
        if (!file.IsRegularFile() || ReadHexFile(image, file) != S_OK)
            return E_FAIL;
    }
    catch (const std::exception&)
    {
        return E_FAIL; // cannot be opened or read
    }
    return HasWholeRecords(image) ? S_OK : E_FAIL;
}

} // namespace FirmwareImageFile
