#pragma once
// Whole-file reads and crash-safe whole-file writes, and what keeps writers of several
// processes from undoing each other's changes: a lock on the file's folder, held from
// reading the file to replacing it, and the removal of temporary files that a killed
// writer left behind.

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

// An exclusive lock, shared by every process, on the folder of a file: the writers of
// files in that folder take it in turn. Released when the object goes.
class FolderLock
{
public:
    explicit FolderLock(const std::string& filePath);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // false when the folder cannot be opened or locked: nothing can be written there.
    bool IsHeld() const { return mFolder >= 0; }

private:
    int mFolder = -1;
};

// Removes the temporary files beside the file that writers left when they were killed
// before they could rename them: those of processes that no longer run.
void RemoveStaleTemporaries(const std::string& path);

} // namespace KV::IniFile
