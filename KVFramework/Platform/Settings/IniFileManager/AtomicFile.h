#pragma once
// Whole-file reads and crash-safe whole-file writes.

#include <cstddef>
#include <string>
#include <string_view>

namespace KV::IniFile {

enum class ReadStatus
{
    Read,
    Missing,
    TooLarge,
    Failed
};

ReadStatus ReadWholeFile(const std::string& path, size_t limit, std::string& contents);

// Replaces the file with contents so that, whenever the process or the machine stops,
// the file holds either its old or its new contents in whole: the text goes to a new
// file beside it, is flushed to the disk, and is then renamed over the old one. An
// existing file keeps its permissions. false, with the file unchanged, on any failure.
bool WriteFileAtomically(const std::string& path, std::string_view contents);

} // namespace KV::IniFile
