#include "Platform/Instance/RuntimeFolder.h"

#include <cerrno>
#include <cstdlib>

#include <sys/stat.h>
#include <unistd.h>

namespace KV::Platform {

bool IsPrivateFolder(const std::string& path)
{
    struct stat status
    {
    };
    return !path.empty() && ::lstat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
           status.st_uid == ::geteuid() && (status.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

std::string ProvidePrivateFolder(const std::string& parent, const std::string& name)
{
    // No parent, no folder: the name alone would make a path at the root.
    if (parent.empty() || name.empty())
        return std::string();
    std::string path = parent;
    if (path.back() != '/')
        path += '/';
    path += name;
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return std::string();
    return IsPrivateFolder(path) ? path : std::string();
}

std::string GetPrivateRuntimeFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/' && IsPrivateFolder(runtime))
        return runtime;
    return ProvidePrivateFolder("/tmp", "kv-runtime-" + std::to_string(::geteuid()));
}

} // namespace KV::Platform
