#include "AtomicFile.h"

#include "SettingsFilePath.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
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

std::string NameOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// What every temporary name of the file begins with; the writer's process number and a
// counter follow.
std::string TemporaryPrefixFor(const std::string& path)
{
    return path + ".tmp-";
}

// A name beside the target that no other writer of this or another process uses.
std::string TemporaryNameFor(const std::string& path)
{
    static std::atomic<unsigned> counter{0};
    return TemporaryPrefixFor(path) + std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1));
}

// The writer's process number in a temporary name after its prefix, or 0.
pid_t WriterOf(std::string_view rest)
{
    pid_t pid = 0;
    size_t i = 0;
    for (; i < rest.size() && rest[i] >= '0' && rest[i] <= '9' && pid < 100000000; ++i)
        pid = pid * 10 + (rest[i] - '0');
    return i > 0 && i < rest.size() && rest[i] == '-' ? pid : 0;
}

} // namespace

ReadStatus ReadWholeFile(const std::string& path, size_t limit, std::string& contents)
{
    // Without blocking: the open of a named pipe would wait for a writer for ever. What
    // is not a regular file is refused below.
    CFileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
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

FolderLock::FolderLock(const std::string& filePath)
{
    mFolder = ::open(FolderOf(filePath).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (mFolder < 0)
        return;
    int locked;
    while ((locked = ::flock(mFolder, LOCK_EX)) != 0 && errno == EINTR)
    {
    }
    if (locked != 0)
    {
        ::close(mFolder);
        mFolder = -1;
    }
}

FolderLock::~FolderLock()
{
    if (mFolder >= 0)
        ::close(mFolder); // releases the lock
}

void RemoveStaleTemporaries(const std::string& path)
{
    const std::string folder = FolderOf(path);
    const std::string prefix = NameOf(TemporaryPrefixFor(path));
    DIR* entries = ::opendir(folder.c_str());
    if (!entries)
        return;
    while (const dirent* entry = ::readdir(entries))
    {
        const std::string_view name(entry->d_name);
        if (!name.starts_with(prefix))
            continue;
        const pid_t writer = WriterOf(name.substr(prefix.size()));
        // A writer that still runs may be about to rename its file; ours never is here.
        if (writer <= 0 || writer == ::getpid() || ::kill(writer, 0) == 0 || errno != ESRCH)
            continue;
        ::unlink((folder + "/" + std::string(name)).c_str());
    }
    ::closedir(entries);
}

} // namespace KV::IniFile
