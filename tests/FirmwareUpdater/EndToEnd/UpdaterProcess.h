#pragma once
// Runs the updater's executable as a child process with a bounded wait and collects
// what it writes. Runs have no display unless asked for one, so that a run that would
// open the window ends with status 6 wherever the tests are started.

#include "ProcessStacks.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <stdexcept>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace UpdaterTest {

struct RunResult
{
    // The exit status, 128 + the signal that ended it, or none when it did not end
    // within the time-out and was killed.
    std::optional<int> status;
    std::string output; // standard output
    std::string errors; // standard error

    bool EndedBySignal() const { return status && *status > 128 && *status < 255; }
    std::string Describe() const
    {
        if (!status)
            return "did not end in time and was killed";
        if (EndedBySignal())
            return std::string("ended by signal ") + strsignal(*status - 128);
        return "exit status " + std::to_string(*status);
    }
};

// The updater started as a child; it dies with the test.
class UpdaterChild
{
public:
    // display: the run sees the test's DISPLAY (its window opens there).
    UpdaterChild(const std::vector<std::string>& arguments, bool display)
    {
        int output[2];
        int errors[2];
        if (pipe2(output, O_CLOEXEC) != 0 || pipe2(errors, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe");
        std::vector<std::string> all{UPDATER_PATH};
        all.insert(all.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& argument : all)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        // The child's environment is made before the fork: only async-signal-safe calls
        // may follow it.
        std::vector<char*> environment;
        for (char** entry = environ; *entry; ++entry)
            if (display || (std::strncmp(*entry, "DISPLAY=", 8) != 0 &&
                            std::strncmp(*entry, "WAYLAND_DISPLAY=", 16) != 0))
                environment.push_back(*entry);
        environment.push_back(nullptr);
        mPid = fork();
        if (mPid == 0)
        {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            dup2(output[1], STDOUT_FILENO);
            dup2(errors[1], STDERR_FILENO);
            execve(UPDATER_PATH, argv.data(), environment.data());
            _exit(127);
        }
        close(output[1]);
        close(errors[1]);
        const auto collect = [](int fd, std::string& into) {
            char buffer[4096];
            for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
                into.append(buffer, static_cast<size_t>(n));
            close(fd);
        };
        mOutputReader = std::thread(collect, output[0], std::ref(mResult.output));
        mErrorReader = std::thread(collect, errors[0], std::ref(mResult.errors));
    }

    ~UpdaterChild() { Finish(std::chrono::milliseconds(0)); }
    UpdaterChild(const UpdaterChild&) = delete;
    UpdaterChild& operator=(const UpdaterChild&) = delete;

    pid_t Pid() const noexcept { return mPid; }

    // Whether it has ended (its status is then kept).
    bool HasEnded()
    {
        int status = 0;
        if (!mResult.status && !mKilled && waitpid(mPid, &status, WNOHANG) == mPid)
            mResult.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return mResult.status.has_value();
    }

    // Waits for the end, kills it after the time-out, and returns what it did.
    const RunResult& Finish(std::chrono::milliseconds timeout)
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!HasEnded() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (!HasEnded() && !mKilled)
        {
            mResult.errors += TestSupport::StacksOf(mPid);
            kill(mPid, SIGKILL);
            waitpid(mPid, nullptr, 0);
            mKilled = true;
        }
        if (mOutputReader.joinable())
            mOutputReader.join();
        if (mErrorReader.joinable())
            mErrorReader.join();
        return mResult;
    }

private:
    pid_t mPid = -1;
    bool mKilled = false;
    RunResult mResult;
    std::thread mOutputReader;
    std::thread mErrorReader;
};

// Runs the updater with the arguments and no display; kills it after `timeout`.
inline RunResult RunUpdater(const std::vector<std::string>& arguments,
                            std::chrono::milliseconds timeout = std::chrono::seconds(120))
{
    UpdaterChild child(arguments, false);
    return child.Finish(timeout);
}

} // namespace UpdaterTest
