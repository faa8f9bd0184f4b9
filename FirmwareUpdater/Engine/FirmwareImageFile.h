#pragma once
// The firmware image: ASCII text of hexadecimal digits, two per byte, high digit first,
// no separators. The bytes are records, one after the other up to the end: two length
// bytes (big-endian) and that many data bytes, sent to the keyboard as they stand.

#include "DeviceMessages.h"

#include "Storage/File.h"

#include <span>

namespace FirmwareImageFile {

// The image named by default: this file in the executable's folder.
inline constexpr char16_t DefaultImageName[] = u"VORazuro61.led";

// Decodes image text into bytes. E_FAIL for an odd length or a character that is no
// hexadecimal digit (either case is read).
KVRESULT ParseHexText(std::span<const uint8_t> text, DeviceMessages::Bytes& image);

// Reads an open image file into bytes. E_FAIL when it ends in the middle of a pair or
// holds a character that is no hexadecimal digit (either case is read).
KVRESULT ReadHexFile(DeviceMessages::Bytes& image, KV::File& file);

// True when the bytes hold one or more records that end exactly at the end: no record
// declares more data than remains, and no length field is cut off.
bool HasWholeRecords(const DeviceMessages::Bytes& image);

// Opens and reads the image at a path, and checks its records. E_FAIL when the path has
// no folder or name part, names no regular file (a named pipe, a device), the file
// cannot be opened or read, or the records are not whole; the image is then unusable.
// The open never waits.
KVRESULT LoadImage(const KV::String& path, DeviceMessages::Bytes& image);

} // namespace FirmwareImageFile
