#pragma once
// File: a file on an operating-system descriptor, and the framework's path operations.
//
// Copies of a File share one descriptor through a reference-counted holder. Close
// detaches this copy; the descriptor itself is closed when the last copy lets go of it,
// exactly once whichever copy and whichever thread that is. Failures of opening,
// positioning, reading, writing and measuring throw Exception<std::runtime_error>;
// the path operations never throw and answer with results.
//
// Paths are wide strings, stored on disk as UTF-8. The slash separates; a backslash is
// accepted as a separator wherever a path is split or used.

#include "KVResult.h"
#include "ObjectBase/Holder.h"
#include "ObjectBase/RCPtr.h"
#include "Storage/IArray.h"
#include "Storage/StringT.h"

#include <cstdint>

namespace KV {

class File
{
public:
    // Opening modes, bits of the flags word.
    enum OpenFlags : uint32_t
    {
        OPEN_READ = 0x10000,             // the default; read access needs no bit
        OPEN_READ_WRITE = 0x20000,       // required by Write
        OPEN_EXCLUSIVE = 0x40000,        // with OPEN_CREATE: fail when the file exists
        OPEN_CREATE = 0x80000,           // create the file when it is missing
        OPEN_DELETE_ON_CLOSE = 0x100000, // delete the file when its descriptor is closed
    };

    // Closed, with empty name and path and OPEN_READ.
    File();
    // Opens at once; the exceptions of Open pass to the caller.
    File(const String& folder, const String& fileName, uint32_t flags);
    // The copy shares the descriptor.
    File(const File& other);
    // Lets go of this copy's descriptor (closing it when no other copy shares it) and
    // shares the other's.
    File& operator=(const File& other);
    virtual ~File();

    // Opens folder/fileName, or the folder text itself as the path when fileName is
    // empty. S_FALSE, changing nothing, when this File is already open; S_OK when opened.
    // Throws "invalid pathname" for an empty folder and name, "open" when the system
    // refuses (the File then stays closed).
    virtual KVRESULT Open(const String& folder, const String& fileName, uint32_t flags);
    // Detaches this File from its descriptor, which is closed (and, with
    // OPEN_DELETE_ON_CLOSE, the file deleted) when no other copy shares it. S_OK.
    virtual KVRESULT Close();
    // Reads up to count bytes at offset from the start of the file, or at the current
    // position for an offset of -1. The number read: less than count only at the end.
    virtual uint32_t Read(void* buffer, uint32_t count, int64_t offset = -1);
    // Writes count bytes, positioned as Read; needs OPEN_READ_WRITE. The number written.
    virtual uint32_t Write(const void* buffer, uint32_t count, int64_t offset = -1);
    // Moves the position (origins SEEK_SET, SEEK_CUR, SEEK_END); the new position, or -1
    // when that fails or the file is closed. Never throws.
    virtual int64_t Seek(int64_t offset, int origin);
    // The length in bytes.
    int64_t GetLength() const;
    // Whether the open file is a regular file: a named pipe or a device may never end
    // or never answer a read.
    bool IsRegularFile() const;

    bool IsOpen() const noexcept { return static_cast<bool>(mDescriptor); }
    const String& GetName() const noexcept { return mName; }
    const String& GetPath() const noexcept { return mPath; }
    uint32_t GetFlags() const noexcept { return mFlags; }

    // True when the path names something that is not a folder.
    static bool Exists(const String& path);
    // True when the path names a regular file.
    static bool IsRegularFile(const String& path);
    // S_FALSE when the folder exists; E_FAIL when the path is something else; otherwise
    // the folder and all its missing parents are created: S_OK, or E_FAIL.
    static KVRESULT EnsureDirectory(const String& path);
    // Creates every missing level of the path; true when it is a folder afterwards.
    static bool CreateDirectoryPath(const String& path);
    // Fills the array (cleared first) with folder/name for each entry of the folder that
    // is no folder itself and matches the pattern ('*', '?', ASCII case ignored, "*.*"
    // for every name), sorted. The count; E_NOTIMPL when the folder is missing or no
    // folder; E_FAIL when it cannot be read. Names that are not UTF-8 are left out: no
    // wide path could name them.
    static int32_t ListDirectory(const String& folder, const String& pattern, IArray<String>& paths);
    // The path without its last element and the separator before it; a root keeps its
    // separator, and a path without separator gives the empty string.
    static String GetParentFolder(const String& path);
    // The text after the last separator; the whole path when it has none or ends with one.
    static String GetFileName(const String& path);
    // The path taken from the current folder when it is relative; a path that begins
    // with either separator is kept, as is an empty one.
    static String GetAbsolutePath(const String& path);
    // The path with no short aliases in it. This platform has none, so it is the path.
    static String GetLongPathName(const String& path);
    // The name with each of \ / : * ? " < > | & ; , ^ ( ) turned into '_'.
    static String SanitizeFileName(const String& name);

private:
    RCPtr<LHolder<int>> mDescriptor; // null while closed
    String mName;
    String mPath;
    uint32_t mFlags = OPEN_READ;
};

} // namespace KV
