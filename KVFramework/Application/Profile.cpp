#include "Application/Profile.h"

#include "Platform/Folders/UserFolders.h"
#include "Platform/Profile/ProfileFile.h"
#include "Storage/File.h"
#include "Utilities/Storage/FilePathText.h"

namespace KV {

namespace {

std::string Utf8(const String& text)
{
    return std::string(text.ToNarrow().View());
}

String CompanyFolder(const String& company)
{
    const std::string config = Platform::GetConfigHomeFolder();
    // No configuration folder, no profile: the company's name alone would make a path
    // at the root of the file system.
    if (config.empty())
        return String();
    return FilePathText::Join(String(config.c_str()), File::SanitizeFileName(company));
}

} // namespace

LProfile::LProfile(const String& company, const String& profileName)
{
    const String folder = CompanyFolder(company);
    if (!folder.IsEmpty())
    {
        String file = File::SanitizeFileName(profileName);
        file += u".ini";
        mPath = FilePathText::ToUtf8(FilePathText::Join(folder, file));
    }
}

bool LProfile::GetProfileBinary(const String& section, const String& entry, std::vector<uint8_t>& bytes) const
{
    return Platform::ProfileFile(mPath).ReadBinary(Utf8(section), Utf8(entry), bytes);
}

bool LProfile::WriteProfileBinary(const String& section, const String& entry, std::span<const uint8_t> bytes)
{
    if (mPath.empty())
        return false;
    const size_t separator = mPath.rfind('/');
    const String folder(mPath.substr(0, separator).c_str());
    File::EnsureDirectory(folder);
    return Platform::ProfileFile(mPath).WriteBinary(Utf8(section), Utf8(entry), bytes);
}

} // namespace KV
