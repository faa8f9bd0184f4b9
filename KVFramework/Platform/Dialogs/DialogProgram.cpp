// Dialog programs of the desktop as child processes.
//  [x] started with default signal handling   [x] standard output read back
//  [x] standard error kept apart              [x] only the standard streams inherited
//  [x] end reported from a thread of the run  [x] its end is its exit, not its outputs' close
//  [x] ended when the run is dropped          [x] ended outright when it ignores that

#include "Platform/Dialogs/DialogProgram.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>

extern char** environ;

namespace KV::Platform {

namespace {

void CloseDescriptor(int& descriptor)
{
    if (descriptor >= 0)
        ::close(descriptor);
    descriptor = -1;
}

// Reads what is left in a pipe whose writer has ended; a process the writer left behind
// may still hold the pipe open, so the read stops when nothing more is there.
void Drain(int descriptor, std::string& into)
{
    char buffer[4096];
    for (;;)
    {
        const ssize_t got = ::read(descriptor, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return;
        into.append(buffer, static_cast<size_t>(got));
    }
}

} // namespace

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

void AddOwnerArguments(DialogProgram program, uintptr_t owner, std::vector<std::string>& arguments)
{
    if (owner == 0)
        return;
    if (program == DialogProgram::Zenity)
    {
        arguments.push_back("--attach=" + std::to_string(owner));
        arguments.emplace_back("--modal");
    }
    else
    {
        arguments.emplace_back("--attach");
        arguments.push_back(std::to_string(owner));
    }
}

struct DialogProgramRun::State
{
    pid_t child = -1;
    int output = -1;
    int errors = -1;
    std::function<void()> onEnd;
    std::thread thread;

    mutable std::mutex lock;
    std::atomic<bool> ended{false};
    std::string answer;
    std::string diagnostics;
    int status = -1;
    bool reaped = false; // under the lock
    std::condition_variable reapedChanged;

    // The run's thread: reads both of the program's outputs until it closes them or ends,
    // then collects its end.
    void Run()
    {
        // The program's end is watched apart from its outputs: a process it started (a
        // session's helper, say) may hold them open long after the dialog is gone.
        // (Without process descriptors, the outputs' close is all there is to go by.)
        int exited = static_cast<int>(::syscall(SYS_pidfd_open, child, 0));
        char buffer[4096];
        while (output >= 0 || errors >= 0)
        {
            pollfd waits[3] = {{output, POLLIN, 0}, {errors, POLLIN, 0}, {exited, POLLIN, 0}};
            if (::poll(waits, exited >= 0 ? 3 : 2, -1) < 0)
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
                if (got < 0 && (errno == EINTR || errno == EAGAIN))
                    continue;
                if (got <= 0)
                {
                    CloseDescriptor(i == 0 ? output : errors);
                    continue;
                }
                std::lock_guard guard(lock);
                (i == 0 ? answer : diagnostics).append(buffer, static_cast<size_t>(got));
            }
            if (exited >= 0 && waits[2].revents != 0)
            {
                // Everything the program wrote is in the pipes by now.
                std::lock_guard guard(lock);
                if (output >= 0)
                    Drain(output, answer);
                if (errors >= 0)
                    Drain(errors, diagnostics);
                break;
            }
        }
        CloseDescriptor(exited);
        CloseDescriptor(output);
        CloseDescriptor(errors);
        // The program is waited for without being reaped first: until it is reaped under
        // the lock, its id is its own, and the run's end may still signal it.
        siginfo_t info{};
        while (::waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOWAIT) < 0 && errno == EINTR)
        {
        }
        {
            std::lock_guard guard(lock);
            int exit = 0;
            pid_t waited = -1;
            while ((waited = ::waitpid(child, &exit, 0)) < 0 && errno == EINTR)
            {
            }
            // An end that could not be collected is no success.
            status = waited == child && WIFEXITED(exit) ? WEXITSTATUS(exit) : -1;
            reaped = true;
        }
        reapedChanged.notify_all();
        ended = true;
        if (onEnd)
            onEnd();
    }
};

std::unique_ptr<DialogProgramRun> DialogProgramRun::Start(const std::string& program,
                                                          const std::vector<std::string>& arguments,
                                                          std::function<void()> onEnd)
{
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
    // The program's own warnings are its business, not lines of this process.
    posix_spawn_file_actions_adddup2(&actions, errors[1], STDERR_FILENO);
    // Nothing else of this process goes with it: libraries here open descriptors without
    // close-on-exec (the MIDI server's client sockets among them), and a dialog left open
    // after this process ended would keep them, so that the server would not see the
    // client go.
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
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
    // Read without waiting once the program has ended: what is left is drained, and a
    // process it left behind holding the pipes must not keep the run open.
    ::fcntl(output[0], F_SETFL, O_NONBLOCK);
    ::fcntl(errors[0], F_SETFL, O_NONBLOCK);
    state->output = output[0];
    state->errors = errors[0];
    state->onEnd = std::move(onEnd);
    State* running = state.get();
    state->thread = std::thread([running] { running->Run(); });
    return std::unique_ptr<DialogProgramRun>(new DialogProgramRun(std::move(state)));
}

DialogProgramRun::DialogProgramRun(std::shared_ptr<State> state) : mState(std::move(state)) {}

DialogProgramRun::~DialogProgramRun()
{
    {
        // Asked to end first; a program that ignores that (or hangs) is ended outright, so
        // that dropping a run never waits without bound. Signals go only while the
        // program is not reaped, when its id is still its own.
        constexpr auto kGrace = std::chrono::seconds(2);
        std::unique_lock guard(mState->lock);
        if (!mState->reaped)
            ::kill(mState->child, SIGTERM);
        if (!mState->reapedChanged.wait_for(guard, kGrace, [this] { return mState->reaped; }))
            ::kill(mState->child, SIGKILL);
    }
    if (mState->thread.joinable())
        mState->thread.join();
}

bool DialogProgramRun::HasEnded() const
{
    return mState->ended;
}

int DialogProgramRun::Finish(std::string& output)
{
    if (mState->thread.joinable())
        mState->thread.join();
    std::lock_guard guard(mState->lock);
    output = mState->answer;
    return mState->status;
}

std::string DialogProgramRun::GetDiagnostics() const
{
    std::lock_guard guard(mState->lock);
    return mState->diagnostics;
}

} // namespace KV::Platform
