// The path operations of File: existence, creating folder paths, listing folders, and
// the pieces of a path.
#include "Storage/File.h"

#include "Platform/Files/PosixFiles.h"
#include "Platform/Folders/UserFolders.h"
#include "Storage/Transcode.h"
#include "Utilities/Storage/FilePathText.h"

#include <string>
#include <string_view>
#include <vector>

namespace KV {

namespace FilePathText {

String Join(const String& folder, const String& name)
{
    if (folder.IsEmpty())
        return name;
    String path = folder;
    if (!IsSeparator(folder.View().back()))
        path += u'/';
    return path.Append(name);
}

std::string ToUtf8(const String& path)
{
    return EncodeSystemBytes(path.View());
}

String FromSystem(const std::string& path)
{
    return String(DecodeSystemBytes(path).c_str());
}

} // namespace FilePathText

namespace {

using FilePathText::IsSeparator;

// The index of the last separator, npos when there is none.
size_t LastSeparator(std::u16string_view path)
{
    for (size_t i = path.size(); i-- > 0;)
        if (IsSeparator(path[i]))
            return i;
    return std::u16string_view::npos;
}

} // namespace

bool File::Exists(const String& path)
{
    return Platform::GetPathKind(FilePathText::ToUtf8(path)) == Platform::PathKind::Other;
}

bool File::IsRegularFile(const String& path)
{
    return Platform::IsRegularFile(FilePathText::ToUtf8(path));
}

KVRESULT File::EnsureDirectory(const String& path)
{
    switch (Platform::GetPathKind(FilePathText::ToUtf8(path)))
    {
    case Platform::PathKind::Folder:
        return S_FALSE;
    case Platform::PathKind::Other:
        return E_FAIL;
    case Platform::PathKind::Missing:
        break;
    }
    return CreateDirectoryPath(path) ? S_OK : E_FAIL;
}

bool File::CreateDirectoryPath(const String& path)
{
    const std::string text = FilePathText::ToUtf8(path);
    if (text.empty())
        return false;
    // Each level in turn; a level that exists already (or cannot be made) is passed
    // over, and the final test tells whether the whole path came to be.
    for (size_t i = 1; i < text.size(); ++i)
        if (text[i] == '/' || text[i] == '\\')
            Platform::MakeFolder(text.substr(0, i));
    Platform::MakeFolder(text);
    return Platform::GetPathKind(text) == Platform::PathKind::Folder;
}

int32_t File::ListDirectory(const String& folder, const String& pattern, IArray<String>& paths)
{
    paths.Clear();
    const std::string folderText = FilePathText::ToUtf8(folder);
    if (Platform::GetPathKind(folderText) != Platform::PathKind::Folder)
        return E_NOTIMPL;
    std::vector<std::string> names;
    if (!Platform::ListFileNames(folderText, FilePathText::ToUtf8(pattern), names))
        return E_FAIL;
    for (const std::string& name : names)
    {
        const String wideName(name.c_str());
        if (FilePathText::ToUtf8(wideName) != name)
            continue;
        if (KV_FAILED(paths.AddItem(FilePathText::Join(folder, wideName))))
            return E_FAIL;
    }
    return static_cast<int32_t>(paths.GetCount());
}

String File::GetParentFolder(const String& path)
{
    const std::u16string_view text = path.View();
    const size_t separator = LastSeparator(text);
    if (separator == std::u16string_view::npos)
        return String();
    size_t end = separator;
    while (end > 0 && IsSeparator(text[end - 1]))
        --end;
    // A root keeps its separator.
    return path.Left(static_cast<int32_t>(end == 0 ? 1 : end));
}

String File::GetAbsolutePath(const String& path)
{
    if (path.IsEmpty() || IsSeparator(path.View().front()))
        return path;
    const std::string folder = Platform::GetCurrentFolder();
    if (folder.empty())
        return path;
    return FilePathText::Join(FilePathText::FromSystem(folder), path);
}

String File::GetFileName(const String& path)
{
    const std::u16string_view text = path.View();
    const size_t separator = LastSeparator(text);
    if (separator == std::u16string_view::npos || separator + 1 == text.size())
        return path;
    return path.MidFrom(static_cast<int32_t>(separator + 1));
}

String File::GetLongPathName(const String& path)
{
    return path;
}

String File::SanitizeFileName(const String& name)
{
    String safe = name;
    safe.ReplaceChars(u"\\/:*?\"<>|&;,^()", u'_');
    return safe;
}

} // namespace KV
