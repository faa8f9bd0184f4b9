#include "Platform/Profile/ProfileFile.h"

#include "AtomicFile.h"
#include "IniText.h"

#include <optional>

namespace KV::Platform {

namespace {

// A profile holds a few small values; anything larger is not one.
constexpr size_t kMaxProfileBytes = 1024 * 1024;

constexpr char kHexDigits[] = "0123456789ABCDEF";

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool FromHex(const std::string& text, std::vector<uint8_t>& bytes)
{
    if (text.size() % 2 != 0)
        return false;
    std::vector<uint8_t> decoded;
    decoded.reserve(text.size() / 2);
    for (size_t i = 0; i < text.size(); i += 2)
    {
        const int high = HexValue(text[i]);
        const int low = HexValue(text[i + 1]);
        if (high < 0 || low < 0)
            return false;
        decoded.push_back(static_cast<uint8_t>(high * 16 + low));
    }
    bytes = std::move(decoded);
    return true;
}

std::optional<IniFile::KeyPath> EntryPath(const std::string& section, const std::string& entry)
{
    const std::optional<std::string> node = IniFile::NormalizeNodePath(section);
    if (!node || node->empty() || !IniFile::IsValidKeyName(entry))
        return std::nullopt;
    return IniFile::KeyPath{*node, entry};
}

} // namespace

bool ProfileFile::ReadBinary(const std::string& section, const std::string& entry,
                             std::vector<uint8_t>& bytes) const
{
    const std::optional<IniFile::KeyPath> path = EntryPath(section, entry);
    std::string contents;
    if (mPath.empty() || !path ||
        IniFile::ReadWholeFile(mPath, kMaxProfileBytes, contents) != IniFile::ReadStatus::Read)
        return false;
    const std::optional<IniFile::Document> document = IniFile::ParseIniText(contents);
    const IniFile::Entry* found = document ? document->FindEntry(*path, false) : nullptr;
    return found && FromHex(found->value, bytes);
}

bool ProfileFile::WriteBinary(const std::string& section, const std::string& entry,
                              std::span<const uint8_t> bytes)
{
    const std::optional<IniFile::KeyPath> path = EntryPath(section, entry);
    if (mPath.empty() || !path)
        return false;
    // A file that cannot be read as a profile holds nothing worth keeping.
    IniFile::Document document;
    std::string contents;
    if (IniFile::ReadWholeFile(mPath, kMaxProfileBytes, contents) == IniFile::ReadStatus::Read)
        if (std::optional<IniFile::Document> read = IniFile::ParseIniText(contents))
            document = std::move(*read);
    std::string hex;
    for (uint8_t byte : bytes)
    {
        hex += kHexDigits[byte >> 4];
        hex += kHexDigits[byte & 0x0F];
    }
    document.ProvideEntry(*path, false).value = std::move(hex);
    return IniFile::WriteFileAtomically(mPath, IniFile::WriteIniText(document));
}

} // namespace KV::Platform
