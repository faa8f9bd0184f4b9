#pragma once
// Runs norvik-sim as a child process: commands go to its standard input, its event
// lines are collected from its standard output.

#include "../../Support/ProcessStacks.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <sys/prctl.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace NorvikSimTest {

using namespace std::chrono_literals;

class SimProcess
{
public:
    explicit SimProcess(const std::vector<std::string>& arguments)
    {
        int input[2];
        int output[2];
        if (pipe2(input, O_CLOEXEC) != 0 || pipe2(output, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe");
        std::vector<std::string> all{NORVIK_SIM_PATH};
        all.insert(all.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& argument : all)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        mPid = fork();
        if (mPid == 0)
        {
            // Only async-signal-safe calls until exec. The program dies with the
            // test, so that a failed test leaves no keyboard behind.
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            dup2(input[0], STDIN_FILENO);
            dup2(output[1], STDOUT_FILENO);
            execve(NORVIK_SIM_PATH, argv.data(), environ);
            _exit(127);
        }
        close(input[0]);
        close(output[1]);
        mInput = input[1];
        if (mPid < 0)
        {
            close(output[0]);
            throw std::runtime_error("cannot start " NORVIK_SIM_PATH);
        }
        mReader = std::thread([this, fd = output[0]] { ReadLines(fd); });
    }

    ~SimProcess()
    {
        // Asked to end first: a killed JACK client holds up its server for the next
        // client, which would fail the tests after a failed one.
        if (!mStatus)
            kill(mPid, SIGTERM);
        if (!mStatus && !WaitForExit(5s))
        {
            kill(mPid, SIGKILL);
            waitpid(mPid, nullptr, 0);
        }
        CloseInput();
        mReader.join();
    }

    void Command(const std::string& line)
    {
        const std::string text = line + "\n";
        ASSERT_EQ(write(mInput, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }

    void CloseInput()
    {
        if (mInput >= 0)
            close(mInput);
        mInput = -1;
    }

    void Signal(int signal) { kill(mPid, signal); }

    // Waits for an event line that contains the piece, after the lines already seen
    // by earlier waits; the generous time-out only guards against a hang.
    bool WaitForLine(const std::string& piece, std::chrono::milliseconds timeout = 60s)
    {
        std::unique_lock lock(mMutex);
        bool found = false;
        mChanged.wait_for(lock, timeout, [&] {
            while (!found && mSeen < mLines.size())
                found = mLines[mSeen++].find(piece) != std::string::npos;
            return found || mEnded;
        });
        return found;
    }

    std::string Output()
    {
        std::lock_guard lock(mMutex);
        std::string text;
        for (const std::string& line : mLines)
            text += line + "\n";
        return text;
    }

    // The exit status, or nothing when it has not ended within the time-out.
    std::optional<int> WaitForExit(std::chrono::milliseconds timeout = 20s)
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!mStatus && std::chrono::steady_clock::now() < deadline)
        {
            int status = 0;
            if (waitpid(mPid, &status, WNOHANG) == mPid)
                mStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            else
                std::this_thread::sleep_for(20ms);
        }
        return mStatus;
    }

    // What its threads are doing while it has not ended: for the message of a hang.
    std::string Stacks() { return mStatus ? std::string() : TestSupport::StacksOf(mPid); }

private:
    void ReadLines(int fd)
    {
        std::string pending;
        char buffer[4096];
        ssize_t count = 0;
        while ((count = read(fd, buffer, sizeof buffer)) > 0)
        {
            pending.append(buffer, static_cast<std::size_t>(count));
            std::lock_guard lock(mMutex);
            for (auto end = pending.find('\n'); end != std::string::npos; end = pending.find('\n'))
            {
                mLines.push_back(pending.substr(0, end));
                pending.erase(0, end + 1);
            }
            mChanged.notify_all();
        }
        close(fd);
        std::lock_guard lock(mMutex);
        mEnded = true;
        mChanged.notify_all();
    }

    pid_t mPid = -1;
    int mInput = -1;
    std::optional<int> mStatus;
    std::thread mReader;
    std::mutex mMutex;
    std::condition_variable mChanged;
    std::vector<std::string> mLines;
    std::size_t mSeen = 0;
    bool mEnded = false;
};

} // namespace NorvikSimTest
