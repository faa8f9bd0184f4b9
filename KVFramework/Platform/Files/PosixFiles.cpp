#include "Platform/Files/PosixFiles.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace KV::Platform {

namespace {

// Repeats a system call while a signal interrupts it.
template <class Call> auto RetryOnInterrupt(Call call)
{
    for (;;)
    {
        const auto result = call();
        if (result != -1 || errno != EINTR)
            return result;
    }
}

// A backslash separates folders in paths written for the original platform, but it is
// an ordinary byte of a Linux file name: a path that names something as it stands is
// taken as it stands.
std::string NativePath(std::string path)
{
    if (path.find('\\') == std::string::npos)
        return path;
    struct stat status;
    if (::lstat(path.c_str(), &status) == 0)
        return path;
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

// The index after the UTF-8 sequence that starts at i (one byte for a stray byte).
size_t NextCharacter(std::string_view text, size_t i)
{
    ++i;
    while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
        ++i;
    return i;
}

char AsciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool MatchesFilePattern(std::string_view name, std::string_view pattern)
{
    if (pattern == "*.*")
        return true;
    // Greedy matching that backtracks to the most recent '*' only: linear in practice and
    // never exponential.
    size_t n = 0, p = 0;
    size_t starPattern = std::string_view::npos, starName = 0;
    while (n < name.size())
    {
        if (p < pattern.size() && pattern[p] == '*')
        {
            starPattern = ++p;
            starName = n;
        }
        else if (p < pattern.size() && pattern[p] == '?')
        {
            n = NextCharacter(name, n);
            ++p;
        }
        else if (p < pattern.size() && AsciiLower(pattern[p]) == AsciiLower(name[n]))
        {
            ++n;
            ++p;
        }
        else if (starPattern != std::string_view::npos)
        {
            starName = NextCharacter(name, starName);
            n = starName;
            p = starPattern;
        }
        else
            return false;
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

bool IsFolderEntry(int folderDescriptor, const dirent& entry)
{
    if (entry.d_type == DT_DIR)
        return true;
    if (entry.d_type != DT_UNKNOWN && entry.d_type != DT_LNK)
        return false;
    // A link counts as what it points to; a dangling one is no folder.
    struct stat status;
    return fstatat(folderDescriptor, entry.d_name, &status, 0) == 0 && S_ISDIR(status.st_mode);
}

} // namespace

int OpenFileDescriptor(const std::string& path, const FileOpenMode& mode)
{
    int flags = (mode.readWrite ? O_RDWR : O_RDONLY) | O_CLOEXEC;
    if (mode.create)
        flags |= O_CREAT | (mode.exclusive ? O_EXCL : 0);
    const std::string native = NativePath(path);
    // Opened without blocking: the open of a named pipe waits for a writer for ever, and
    // that of a device may wait for the device.
    const int descriptor = RetryOnInterrupt([&] { return ::open(native.c_str(), flags | O_NONBLOCK, 0666); });
    if (descriptor < 0)
        return -1;
    // A folder is not a file: refuse it here rather than fail on the first read.
    struct stat status;
    if (::fstat(descriptor, &status) != 0 || S_ISDIR(status.st_mode) ||
        ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK) != 0)
    {
        CloseFileDescriptor(descriptor);
        errno = EISDIR;
        return -1;
    }
    return descriptor;
}

void CloseFileDescriptor(int descriptor)
{
    ::close(descriptor);
}

int64_t SeekFileDescriptor(int descriptor, int64_t offset, int origin)
{
    return RetryOnInterrupt([&] { return static_cast<int64_t>(::lseek(descriptor, offset, origin)); });
}

int64_t ReadFileDescriptor(int descriptor, void* buffer, size_t count)
{
    auto* bytes = static_cast<unsigned char*>(buffer);
    size_t done = 0;
    while (done < count)
    {
        const ssize_t got = RetryOnInterrupt([&] { return ::read(descriptor, bytes + done, count - done); });
        if (got < 0)
            return done == 0 ? -1 : static_cast<int64_t>(done);
        if (got == 0)
            break;
        done += static_cast<size_t>(got);
    }
    return static_cast<int64_t>(done);
}

int64_t WriteFileDescriptor(int descriptor, const void* buffer, size_t count)
{
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    size_t done = 0;
    while (done < count)
    {
        const ssize_t put = RetryOnInterrupt([&] { return ::write(descriptor, bytes + done, count - done); });
        if (put <= 0)
            return done == 0 ? -1 : static_cast<int64_t>(done);
        done += static_cast<size_t>(put);
    }
    return static_cast<int64_t>(done);
}

int64_t GetFileDescriptorLength(int descriptor)
{
    struct stat status;
    if (RetryOnInterrupt([&] { return ::fstat(descriptor, &status); }) != 0)
        return -1;
    return static_cast<int64_t>(status.st_size);
}

bool IsRegularFileDescriptor(int descriptor)
{
    struct stat status;
    return RetryOnInterrupt([&] { return ::fstat(descriptor, &status); }) == 0 && S_ISREG(status.st_mode);
}

bool IsRegularFile(const std::string& path)
{
    struct stat status;
    const std::string native = NativePath(path);
    return !native.empty() && ::stat(native.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

PathKind GetPathKind(const std::string& path)
{
    struct stat status;
    const std::string native = NativePath(path);
    if (native.empty() || ::stat(native.c_str(), &status) != 0)
        return PathKind::Missing;
    return S_ISDIR(status.st_mode) ? PathKind::Folder : PathKind::Other;
}

bool MakeFolder(const std::string& path)
{
    const std::string native = NativePath(path);
    return RetryOnInterrupt([&] { return ::mkdir(native.c_str(), 0777); }) == 0;
}

bool RemoveFile(const std::string& path)
{
    const std::string native = NativePath(path);
    return RetryOnInterrupt([&] { return ::unlink(native.c_str()); }) == 0;
}

bool ListFileNames(const std::string& folder, const std::string& pattern, std::vector<std::string>& names)
{
    names.clear();
    const std::string native = NativePath(folder);
    DIR* directory = ::opendir(native.c_str()); // opened close-on-exec
    if (!directory)
        return false;
    const int folderDescriptor = ::dirfd(directory);
    bool complete = true;
    for (;;)
    {
        errno = 0;
        const dirent* entry = ::readdir(directory);
        if (!entry)
        {
            complete = errno == 0;
            break;
        }
        if (!IsFolderEntry(folderDescriptor, *entry) && MatchesFilePattern(entry->d_name, pattern))
            names.emplace_back(entry->d_name);
    }
    ::closedir(directory);
    if (!complete)
    {
        names.clear();
        return false;
    }
    std::sort(names.begin(), names.end());
    return true;
}

} // namespace KV::Platform
