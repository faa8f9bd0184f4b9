// The open-file dialog through a desktop program.
//  [x] zenity, else kdialog        [x] title, filters, initial folder, several files
//  [x] cancel told from failure    [x] run beside the caller's thread, ended when dropped
//  [x] kept in front of its owner  [x] default extension   [x] program's warnings kept apart

#include "Platform/Dialogs/OpenFileDialogProgram.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <string_view>
#include <thread>

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
    if (request.owner != 0)
    {
        // In front of the window it belongs to, which takes no input meanwhile.
        arguments.push_back("--attach=" + std::to_string(request.owner));
        arguments.emplace_back("--modal");
    }
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
    std::vector<std::string> arguments{"kdialog", "--title", request.title};
    if (request.owner != 0)
    {
        arguments.emplace_back("--attach");
        arguments.push_back(std::to_string(request.owner));
    }
    arguments.emplace_back("--getopenfilename");
    arguments.push_back(request.initialFolder.empty() ? "." : request.initialFolder);
    arguments.push_back(KDialogFilterArgument(request.filters));
    if (request.multiple)
    {
        arguments.emplace_back("--multiple");
        arguments.emplace_back("--separate-output");
    }
    return arguments;
}

bool IsFile(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The chosen paths of the program's answer; false when a line names no file (the dialog
// lets only existing files be chosen: anything else is no answer).
bool ChosenFiles(std::string_view lines, const std::string& defaultExtension,
                 std::vector<std::string>& chosen)
{
    while (!lines.empty())
    {
        const size_t end = lines.find('\n');
        const std::string_view line = lines.substr(0, end);
        lines = end == std::string_view::npos ? std::string_view() : lines.substr(end + 1);
        if (line.empty())
            continue;
        std::string path(line);
        if (!IsFile(path) && !defaultExtension.empty() && IsFile(path + "." + defaultExtension))
            path += "." + defaultExtension;
        if (!IsFile(path))
            return false;
        chosen.push_back(std::move(path));
    }
    return true;
}

void CloseDescriptor(int& descriptor)
{
    if (descriptor >= 0)
        ::close(descriptor);
    descriptor = -1;
}

} // namespace

struct OpenFileDialogRun::State
{
    pid_t child = -1;
    int output = -1;
    int errors = -1;
    std::string defaultExtension;
    std::function<void()> onEnd;
    std::thread thread;

    mutable std::mutex lock;
    std::atomic<bool> ended{false};
    std::string answer;
    std::string diagnostics;
    int status = -1; // the exit status; -1 when the program ended by a signal

    // The run's thread: reads both of the program's outputs until it closes them, then
    // collects its end.
    void Run()
    {
        char buffer[4096];
        while (output >= 0 || errors >= 0)
        {
            pollfd waits[2] = {{output, POLLIN, 0}, {errors, POLLIN, 0}};
            if (::poll(waits, 2, -1) < 0)
            {
                if (errno == EINTR)
                    continue;
                break;
            }
            for (int i = 0; i < 2; ++i)
            {
                if (waits[i].fd < 0 || waits[i].revents == 0)
                    continue;
                const ssize_t got = ::read(waits[i].fd, buffer, sizeof buffer);
                if (got < 0 && errno == EINTR)
                    continue;
                if (got <= 0)
                {
                    CloseDescriptor(i == 0 ? output : errors);
                    continue;
                }
                std::lock_guard guard(lock);
                (i == 0 ? answer : diagnostics).append(buffer, static_cast<size_t>(got));
            }
        }
        CloseDescriptor(output);
        CloseDescriptor(errors);
        int exit = 0;
        while (::waitpid(child, &exit, 0) < 0 && errno == EINTR)
        {
        }
        {
            std::lock_guard guard(lock);
            status = WIFEXITED(exit) ? WEXITSTATUS(exit) : -1;
        }
        ended = true;
        if (onEnd)
            onEnd();
    }
};

std::unique_ptr<OpenFileDialogRun>
OpenFileDialogRun::Start(const OpenFileRequest& request, std::function<void()> onEnd, DialogOutcome& outcome)
{
    std::string program = FindProgram("zenity");
    std::vector<std::string> arguments;
    if (!program.empty())
        arguments = ZenityArguments(request);
    else if (program = FindProgram("kdialog"); !program.empty())
        arguments = KDialogArguments(request);
    else
    {
        outcome = DialogOutcome::Unavailable;
        return nullptr;
    }
    outcome = DialogOutcome::Failed;

    int output[2];
    int errors[2];
    if (::pipe2(output, O_CLOEXEC) != 0)
        return nullptr;
    if (::pipe2(errors, O_CLOEXEC) != 0)
    {
        ::close(output[0]);
        ::close(output[1]);
        return nullptr;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    // The program's own warnings are its business, not the lines of this process.
    posix_spawn_file_actions_adddup2(&actions, errors[1], STDERR_FILENO);
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    // The program starts with every signal's default handling and none blocked, whatever
    // this process set up for itself.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    auto state = std::make_shared<State>();
    const int spawned =
        posix_spawn(&state->child, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    ::close(output[1]);
    ::close(errors[1]);
    if (spawned != 0)
    {
        ::close(output[0]);
        ::close(errors[0]);
        return nullptr;
    }
    state->output = output[0];
    state->errors = errors[0];
    state->defaultExtension = request.defaultExtension;
    state->onEnd = std::move(onEnd);
    State* running = state.get();
    state->thread = std::thread([running] { running->Run(); });
    return std::unique_ptr<OpenFileDialogRun>(new OpenFileDialogRun(std::move(state)));
}

OpenFileDialogRun::OpenFileDialogRun(std::shared_ptr<State> state) : mState(std::move(state)) {}

OpenFileDialogRun::~OpenFileDialogRun()
{
    // The thread reaps the program only after it has ended: until then the id is its own.
    if (!mState->ended)
        ::kill(mState->child, SIGTERM);
    if (mState->thread.joinable())
        mState->thread.join();
}

bool OpenFileDialogRun::HasEnded() const
{
    return mState->ended;
}

DialogOutcome OpenFileDialogRun::Finish(std::vector<std::string>& chosen)
{
    chosen.clear();
    if (mState->thread.joinable())
        mState->thread.join();
    std::lock_guard guard(mState->lock);
    if (mState->status == 1)
        return DialogOutcome::Cancelled;
    if (mState->status != 0)
        return DialogOutcome::Failed;
    if (!ChosenFiles(mState->answer, mState->defaultExtension, chosen))
    {
        chosen.clear();
        return DialogOutcome::Failed;
    }
    return chosen.empty() ? DialogOutcome::Failed : DialogOutcome::Chosen;
}

std::string OpenFileDialogRun::GetDiagnostics() const
{
    std::lock_guard guard(mState->lock);
    return mState->diagnostics;
}

DialogOutcome RunOpenFileDialog(const OpenFileRequest& request, std::vector<std::string>& chosen)
{
    chosen.clear();
    DialogOutcome outcome = DialogOutcome::Failed;
    const std::unique_ptr<OpenFileDialogRun> run = OpenFileDialogRun::Start(request, {}, outcome);
    return run ? run->Finish(chosen) : outcome;
}

} // namespace KV::Platform
