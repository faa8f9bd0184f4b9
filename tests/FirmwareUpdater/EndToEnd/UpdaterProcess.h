#pragma once
// Runs the updater's executable as a child process with a bounded wait and collects
// what it writes.

#include <chrono>
#include <csignal>
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

// Runs the updater with the arguments; kills it after `timeout`.
inline RunResult RunUpdater(const std::vector<std::string>& arguments,
                            std::chrono::milliseconds timeout = std::chrono::seconds(120))
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
    const pid_t pid = fork();
    if (pid == 0)
    {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        dup2(output[1], STDOUT_FILENO);
        dup2(errors[1], STDERR_FILENO);
        execve(UPDATER_PATH, argv.data(), environ);
        _exit(127);
    }
    close(output[1]);
    close(errors[1]);
    RunResult result;
    const auto collect = [](int fd, std::string& into) {
        char buffer[4096];
        for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
            into.append(buffer, static_cast<size_t>(n));
        close(fd);
    };
    std::thread outputReader(collect, output[0], std::ref(result.output));
    std::thread errorReader(collect, errors[0], std::ref(result.errors));
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    while (std::chrono::steady_clock::now() < deadline)
    {
        if (waitpid(pid, &status, WNOHANG) == pid)
        {
            result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (!result.status)
    {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    outputReader.join();
    errorReader.join();
    return result;
}

} // namespace UpdaterTest
