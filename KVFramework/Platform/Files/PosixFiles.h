#pragma once
// The file-system calls behind File and the path operations, on POSIX.
//
// Paths are the bytes of the names on disk (UTF-8 as a rule, but any bytes pass). A
// backslash in a path that names nothing as it stands is taken as a separator like the
// slash (text written for the original platform still names the same files); a path
// that exists with its backslashes is taken as it is. Descriptors are opened
// close-on-exec, so child processes (the file dialog) inherit none of them. Calls that a
// signal can interrupt are repeated.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace KV::Platform {

struct FileOpenMode
{
    bool readWrite = false;
    bool create = false;    // create the file when it is missing
    bool exclusive = false; // with create: fail when the file exists
};

// The descriptor, or -1 (errno EISDIR for a folder). The open never waits, also for a
// named pipe without a writer or a device; what reads only regular files asks
// IsRegularFileDescriptor.
int OpenFileDescriptor(const std::string& path, const FileOpenMode& mode);
// Closes the descriptor (never repeated: on Linux the descriptor is gone even when the
// call reports an interruption).
void CloseFileDescriptor(int descriptor);

// The new position, or -1. Origins are SEEK_SET, SEEK_CUR and SEEK_END.
int64_t SeekFileDescriptor(int descriptor, int64_t offset, int origin);
// Reads until count bytes have arrived or the end of the file; the number read, or -1
// when the call failed before anything was read.
int64_t ReadFileDescriptor(int descriptor, void* buffer, size_t count);
// Writes until count bytes are out; the number written, or -1 when the call failed
// before anything was written.
int64_t WriteFileDescriptor(int descriptor, const void* buffer, size_t count);
// The length of the open file, or -1.
int64_t GetFileDescriptorLength(int descriptor);
// Whether the open file is a regular file (no pipe, device, socket or folder).
bool IsRegularFileDescriptor(int descriptor);
// Whether the path names a regular file (links followed).
bool IsRegularFile(const std::string& path);

enum class PathKind
{
    Missing,
    Folder,
    Other // a file, or anything else that is not a folder
};

PathKind GetPathKind(const std::string& path);
// Creates one folder; false when it could not (it exists, its parent is missing...).
bool MakeFolder(const std::string& path);
bool RemoveFile(const std::string& path);

// The names (not paths) of the entries of a folder that are not folders themselves and
// match the pattern, sorted by their bytes. False when the folder cannot be read.
//
// Patterns are those of the original platform: '*' matches any run of characters, '?'
// any one character, ASCII letters match without regard to case, and "*.*" matches
// every name, with or without a dot.
bool ListFileNames(const std::string& folder, const std::string& pattern, std::vector<std::string>& names);

} // namespace KV::Platform
