// The open-file dialog through a desktop program.
//  [x] zenity, else kdialog        [x] title, filters, initial folder, several files
//  [x] cancel told from failure    [ ] the owner window kept painting while it is open

#include "Platform/Dialogs/OpenFileDialogProgram.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>

extern char** environ;

namespace KV::Platform {

namespace {

// The program's full path on the search path; empty when it is not there.
std::string FindProgram(std::string_view name)
{
    const char* path = std::getenv("PATH");
    std::string_view folders = path ? path : "";
    while (!folders.empty())
    {
        const size_t end = folders.find(':');
        const std::string_view folder = folders.substr(0, end);
        folders = end == std::string_view::npos ? std::string_view() : folders.substr(end + 1);
        if (folder.empty())
            continue;
        std::string candidate = std::string(folder) + "/" + std::string(name);
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

std::string WithSlash(const std::string& folder)
{
    return folder.empty() || folder.back() == '/' ? folder : folder + "/";
}

std::vector<std::string> ZenityArguments(const OpenFileRequest& request)
{
    std::vector<std::string> arguments{"zenity", "--file-selection", "--title=" + request.title};
    if (!request.initialFolder.empty())
        arguments.push_back("--filename=" + WithSlash(request.initialFolder));
    if (request.multiple)
    {
        arguments.emplace_back("--multiple");
        arguments.emplace_back("--separator=\n");
    }
    for (std::string& filter : ZenityFilterArguments(request.filters))
        arguments.push_back(std::move(filter));
    return arguments;
}

std::vector<std::string> KDialogArguments(const OpenFileRequest& request)
{
    std::vector<std::string> arguments{"kdialog",
                                       "--title",
                                       request.title,
                                       "--getopenfilename",
                                       request.initialFolder.empty() ? "." : request.initialFolder,
                                       KDialogFilterArgument(request.filters)};
    if (request.multiple)
    {
        arguments.emplace_back("--multiple");
        arguments.emplace_back("--separate-output");
    }
    return arguments;
}

// Runs the program with its standard output read back; its exit status, or -1 when it
// did not run or ended by a signal.
int RunAndRead(const std::string& program, const std::vector<std::string>& arguments, std::string& output)
{
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    if (spawned != 0)
    {
        ::close(pipeEnds[0]);
        return -1;
    }
    char buffer[4096];
    for (;;)
    {
        const ssize_t got = ::read(pipeEnds[0], buffer, sizeof buffer);
        if (got > 0)
            output.append(buffer, static_cast<size_t>(got));
        else if (got == 0 || errno != EINTR)
            break;
    }
    ::close(pipeEnds[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool IsFile(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

DialogOutcome RunOpenFileDialog(const OpenFileRequest& request, std::vector<std::string>& chosen)
{
    chosen.clear();
    std::string program = FindProgram("zenity");
    std::vector<std::string> arguments;
    if (!program.empty())
        arguments = ZenityArguments(request);
    else if (program = FindProgram("kdialog"); !program.empty())
        arguments = KDialogArguments(request);
    else
        return DialogOutcome::Unavailable;

    std::string output;
    const int status = RunAndRead(program, arguments, output);
    if (status == 1)
        return DialogOutcome::Cancelled;
    if (status != 0)
        return DialogOutcome::Failed;
    std::string_view lines = output;
    while (!lines.empty())
    {
        const size_t end = lines.find('\n');
        const std::string_view line = lines.substr(0, end);
        lines = end == std::string_view::npos ? std::string_view() : lines.substr(end + 1);
        if (line.empty())
            continue;
        // The dialog lets only existing files be chosen; anything else is no answer.
        if (!IsFile(std::string(line)))
        {
            chosen.clear();
            return DialogOutcome::Failed;
        }
        chosen.emplace_back(line);
    }
    return chosen.empty() ? DialogOutcome::Failed : DialogOutcome::Chosen;
}

} // namespace KV::Platform
