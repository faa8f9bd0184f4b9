#include "Platform/Folders/UserFolders.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <pwd.h>
#include <string_view>
#include <utility>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#include <vector>

namespace KV::Platform {

namespace {

// The path without trailing separators; the root stays "/".
std::string WithoutTrailingSeparators(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// The XDG conventions take only absolute paths from the environment: a relative value
// is as good as none.
std::string AbsoluteFromEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    if (!value || value[0] != '/')
        return std::string();
    return WithoutTrailingSeparators(value);
}

std::string UnderHome(std::string_view relative)
{
    const std::string home = GetHomeFolder();
    if (home.empty())
        return std::string();
    std::string path = home;
    if (path.back() != '/')
        path += '/';
    path.append(relative);
    return WithoutTrailingSeparators(std::move(path));
}

// The value of XDG_DOCUMENTS_DIR in a user-dirs.dirs file: a quoted absolute path or a
// path under "$HOME". Empty when the file or the line is missing or malformed.
std::string ReadDocumentsEntry(const std::string& file, const std::string& home)
{
    // Only a regular file is read: the open of a named pipe would wait for a writer for
    // ever.
    struct stat status;
    if (::stat(file.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return std::string();
    std::ifstream in(file);
    std::string line;
    const std::string_view key = "XDG_DOCUMENTS_DIR=";
    std::string found;
    while (std::getline(in, line))
    {
        std::string_view text = line;
        while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
            text.remove_prefix(1);
        if (text.substr(0, key.size()) != key)
            continue;
        text.remove_prefix(key.size());
        if (text.size() < 2 || text.front() != '"')
            continue;
        const size_t close = text.find('"', 1);
        if (close == std::string_view::npos)
            continue;
        std::string_view value = text.substr(1, close - 1);
        const std::string_view homePrefix = "$HOME";
        if (value.substr(0, homePrefix.size()) == homePrefix &&
            (value.size() == homePrefix.size() || value[homePrefix.size()] == '/'))
        {
            if (home.empty())
                continue;
            {
                found = home;
                found.append(value.substr(homePrefix.size()));
            }
        }
        else if (!value.empty() && value.front() == '/')
            found = std::string(value);
        // The last valid line wins, as when the file is read by a shell.
    }
    return found.empty() ? found : WithoutTrailingSeparators(found);
}

} // namespace

std::string GetExecutablePath()
{
    std::vector<char> buffer(4096);
    for (;;)
    {
        const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0)
            return std::string();
        if (static_cast<size_t>(length) < buffer.size())
            return std::string(buffer.data(), static_cast<size_t>(length));
        buffer.resize(buffer.size() * 2);
    }
}

std::string GetExecutableFolder()
{
    const std::string path = GetExecutablePath();
    const size_t separator = path.rfind('/');
    if (separator != std::string::npos)
        return separator == 0 ? std::string("/") : path.substr(0, separator);
    const std::string current = GetCurrentFolder();
    return current.empty() ? std::string("/") : current;
}

std::string GetCurrentFolder()
{
    std::vector<char> buffer(4096);
    while (!::getcwd(buffer.data(), buffer.size()))
    {
        if (errno != ERANGE)
            return std::string();
        buffer.resize(buffer.size() * 2);
    }
    return WithoutTrailingSeparators(buffer.data());
}

std::string GetHomeFolder()
{
    std::string home = AbsoluteFromEnvironment("HOME");
    if (!home.empty())
        return home;
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir && found->pw_dir[0] == '/')
        home = WithoutTrailingSeparators(found->pw_dir);
    return home;
}

std::string GetDataHomeFolder()
{
    const std::string folder = AbsoluteFromEnvironment("XDG_DATA_HOME");
    return folder.empty() ? UnderHome(".local/share") : folder;
}

std::string GetConfigHomeFolder()
{
    const std::string folder = AbsoluteFromEnvironment("XDG_CONFIG_HOME");
    return folder.empty() ? UnderHome(".config") : folder;
}

std::string GetDocumentsFolder()
{
    const std::string home = GetHomeFolder();
    const std::string config = GetConfigHomeFolder();
    if (!config.empty())
    {
        std::string file = config;
        if (file.back() != '/')
            file += '/';
        file += "user-dirs.dirs";
        const std::string documents = ReadDocumentsEntry(file, home);
        if (!documents.empty())
            return documents;
    }
    return home;
}

} // namespace KV::Platform
