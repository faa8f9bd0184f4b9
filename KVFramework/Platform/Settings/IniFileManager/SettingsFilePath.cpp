#include "SettingsFilePath.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <unistd.h>

namespace KV::IniFile {
namespace {

// Links are followed at most this often, as the system itself does.
constexpr int kMaxLinks = 40;

std::string CurrentFolder()
{
    std::string buffer(PATH_MAX, '\0');
    if (!::getcwd(buffer.data(), buffer.size()))
        return std::string();
    buffer.resize(buffer.find('\0'));
    return buffer;
}

} // namespace

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string CanonicalFilePath(const std::string& written)
{
    std::string path = written;
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.empty())
        return path;
    if (path.front() != '/')
        path = CurrentFolder() + "/" + path;

    for (int link = 0; link < kMaxLinks; ++link)
    {
        std::string target(PATH_MAX, '\0');
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length <= 0 || static_cast<size_t>(length) >= target.size())
            break;
        target.resize(static_cast<size_t>(length));
        path = target.front() == '/' ? target : FolderOf(path) + "/" + target;
    }

    const size_t slash = path.find_last_of('/');
    const std::string name = path.substr(slash + 1);
    char* folder = ::realpath(FolderOf(path).c_str(), nullptr);
    if (!folder)
        return path;
    std::string canonical(folder);
    std::free(folder);
    if (canonical != "/")
        canonical += '/';
    return canonical + name;
}

} // namespace KV::IniFile
