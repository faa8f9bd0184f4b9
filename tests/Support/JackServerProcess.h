#pragma once
// A JACK server of the test's own, for tests that stop a server and start it again
// while the process's clients live on. It runs beside the one that tools/with-jack.sh
// started (in the same private /dev/shm), under that server's name with a suffix, and becomes the process's
// default server while it is in use. It is stopped by its process id; it also ends with the test's process.

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <cstdlib>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace KV::Test {

class JackServerProcess
{
public:
    explicit JackServerProcess(const std::string& suffix)
    {
        const char* base = std::getenv("JACK_DEFAULT_SERVER");
        mName = std::string(base != nullptr ? base : "kv-test") + "-" + suffix;
        if (const char* former = std::getenv("JACK_DEFAULT_SERVER"))
            mFormer = former;
        setenv("JACK_DEFAULT_SERVER", mName.c_str(), 1);
        char path[] = "/tmp/kv-test-jackd.XXXXXX";
        if (const int log = mkstemp(path); log >= 0)
        {
            close(log);
            mLog = path;
        }
    }

    ~JackServerProcess()
    {
        Stop();
        if (mFormer.empty())
            unsetenv("JACK_DEFAULT_SERVER");
        else
            setenv("JACK_DEFAULT_SERVER", mFormer.c_str(), 1);
        if (!mLog.empty())
            unlink(mLog.c_str());
    }

    const std::string& Name() const { return mName; }
    // What the server printed, for a failure's message.
    std::string Log() const
    {
        std::string text;
        if (FILE* file = std::fopen(mLog.c_str(), "r"))
        {
            char buffer[4096];
            size_t read = 0;
            while ((read = std::fread(buffer, 1, sizeof buffer, file)) > 0)
                text.append(buffer, read);
            std::fclose(file);
        }
        return text.size() > 2000 ? text.substr(text.size() - 2000) : text;
    }

    // Starts the server and waits until it answers; false when it does not.
    bool Start()
    {
        const pid_t parent = getpid();
        mPid = fork();
        if (mPid == 0)
        {
            // SIGKILL: a server that a test stopped (Stall) never acts on SIGTERM, and
            // would stay behind a test that was killed.
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (getppid() != parent)
                _exit(1);
            if (const int quiet = open(mLog.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600); quiet >= 0)
            {
                dup2(quiet, STDOUT_FILENO);
                dup2(quiet, STDERR_FILENO);
            }
            execlp("jackd", "jackd", "-n", mName.c_str(), "-S", "-t", "5000", "--no-realtime", "-d", "dummy",
                   "-r", "48000", "-p", "128", static_cast<char*>(nullptr));
            _exit(127);
        }
        if (mPid < 0)
            return false;
        const std::string wait = "jack_wait -s '" + mName + "' -w -t 20 >/dev/null 2>&1";
        return std::system(wait.c_str()) == 0;
    }

    // Stops the server where it stands (SIGSTOP): every request to it waits, as for a
    // synchronous server held up by a client that was killed. Resume lets it go on.
    void Stall()
    {
        if (mPid > 0)
            kill(mPid, SIGSTOP);
    }
    void Resume()
    {
        if (mPid > 0)
            kill(mPid, SIGCONT);
    }

    // Ends the server as a user's stop would (SIGTERM), and reaps it.
    void Stop()
    {
        if (mPid <= 0)
            return;
        kill(mPid, SIGCONT); // a stalled server ends too
        kill(mPid, SIGTERM);
        int status = 0;
        waitpid(mPid, &status, 0);
        mPid = -1;
    }

private:
    std::string mName;
    std::string mFormer;
    std::string mLog = "/dev/null";
    pid_t mPid = -1;
};

} // namespace KV::Test
