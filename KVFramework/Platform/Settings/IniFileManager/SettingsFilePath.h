#pragma once
// The one spelling of a settings file's path, so that every way of naming a file leads
// to one open document, and writes go to the file itself and not to a link to it.

#include <string>

namespace KV::IniFile {

// The path with "\" read as "/", taken from the current folder when relative, the
// file's own symbolic links followed to their target, and its folder without "//",
// ".", ".." or links. A folder that does not exist is kept as written.
std::string CanonicalFilePath(const std::string& path);

// The folder of a file's path: "." for a bare name, "/" for a file at the root.
std::string FolderOf(const std::string& path);

} // namespace KV::IniFile
