#pragma once
// A profile file: binary values by section and entry, kept as hexadecimal text
//
//   [Section]
//   Entry=2C000000...
//
// and written atomically, so that a crash leaves either the old file or the new one.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace KV::Platform {

class ProfileFile
{
public:
    // path: the file, UTF-8; empty for a profile that holds nothing and keeps nothing.
    explicit ProfileFile(std::string path) : mPath(std::move(path)) {}

    const std::string& GetPath() const noexcept { return mPath; }

    // The value; false when the file, the section or the entry is missing, or the file
    // or the value is not in the profile's form.
    bool ReadBinary(const std::string& section, const std::string& entry, std::vector<uint8_t>& bytes) const;
    // Stores the value, keeping the file's other values; the file's folder must exist.
    // false, with the file unchanged, when it cannot be written or the names cannot be
    // kept in the file.
    bool WriteBinary(const std::string& section, const std::string& entry, std::span<const uint8_t> bytes);

private:
    std::string mPath;
};

} // namespace KV::Platform
