#pragma once
// The application's profile: small binary values by section and entry that the frame
// keeps between runs (the main window's placement), in the file
// <configuration folder>/<company>/<profile name>.ini.

#include "Storage/StringT.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace KV {

class LProfile
{
public:
    // The company's and the profile's names are each made safe for a file name. Without
    // a configuration folder for the user the profile holds nothing and keeps nothing.
    LProfile(const String& company, const String& profileName);

    bool IsAvailable() const noexcept { return !mPath.empty(); }
    // The file, UTF-8; empty when the profile is not available.
    const std::string& GetPath() const noexcept { return mPath; }

    // false when the value is missing or not readable.
    bool GetProfileBinary(const String& section, const String& entry, std::vector<uint8_t>& bytes) const;
    // Creates the company's folder when missing; the file is replaced atomically.
    bool WriteProfileBinary(const String& section, const String& entry, std::span<const uint8_t> bytes);

private:
    std::string mPath;
};

} // namespace KV
