#include "AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace KV::IniFile {
namespace {

class CFileDescriptor
{
public:
    explicit CFileDescriptor(int fd) : mFd(fd) {}
    ~CFileDescriptor() { Close(); }
    CFileDescriptor(const CFileDescriptor&) = delete;
    CFileDescriptor& operator=(const CFileDescriptor&) = delete;

    int Get() const { return mFd; }
    bool Close()
    {
        const int fd = mFd;
        mFd = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int mFd;
};

bool WriteAll(int fd, std::string_view data)
{
    while (!data.empty())
    {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A name beside the target that no other writer of this or another process uses.
std::string TemporaryNameFor(const std::string& path)
{
    static std::atomic<unsigned> counter{0};
    return path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1));
}

} // namespace

ReadStatus ReadWholeFile(const std::string& path, size_t limit, std::string& contents)
{
    CFileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.Get() < 0)
        return errno == ENOENT ? ReadStatus::Missing : ReadStatus::Failed;
    struct stat info
    {
    };
    if (::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode))
        return ReadStatus::Failed;
    contents.clear();
    char chunk[16384];
    for (;;)
    {
        const ssize_t got = ::read(file.Get(), chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return ReadStatus::Failed;
        if (got == 0)
            return ReadStatus::Read;
        if (contents.size() + static_cast<size_t>(got) > limit)
            return ReadStatus::TooLarge;
        contents.append(chunk, static_cast<size_t>(got));
    }
}

bool WriteFileAtomically(const std::string& path, std::string_view contents)
{
    struct stat existing
    {
    };
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode))
        return false;

    const std::string temporary = TemporaryNameFor(path);
    CFileDescriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (file.Get() < 0)
        return false;
    const bool written = (!exists || ::fchmod(file.Get(), existing.st_mode & 07777) == 0) &&
                         WriteAll(file.Get(), contents) && ::fsync(file.Get()) == 0 && file.Close() &&
                         ::rename(temporary.c_str(), path.c_str()) == 0;
    if (!written)
    {
        ::unlink(temporary.c_str());
        return false;
    }
    // The rename itself is only durable once the folder is on the disk; the file is
    // already whole either way, so a failure here is not reported.
    CFileDescriptor folder(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Get() >= 0)
        ::fsync(folder.Get());
    return true;
}

} // namespace KV::IniFile
