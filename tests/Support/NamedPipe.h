#pragma once
// A named pipe in a folder, for tests of code that must refuse it without waiting. A
// blocking open of a pipe for reading waits for a writer for ever; so that such a fault
// fails its test instead of hanging it, a guard opens the pipe for writing once a
// generous deadline has passed, which lets the waiting open go on, and says so.

#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace TestSupport {

class NamedPipe
{
public:
    explicit NamedPipe(std::string path) : mPath(std::move(path))
    {
        if (::mkfifo(mPath.c_str(), 0600) != 0)
            throw std::runtime_error("mkfifo " + mPath);
        mGuard = std::thread([this] {
            std::unique_lock lock(mMutex);
            if (mDone.wait_for(lock, std::chrono::seconds(20), [this] { return mFinished; }))
                return;
            // Still here: a reader waits in its open. A writer lets it go on.
            const int writer = ::open(mPath.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (writer >= 0)
            {
                mReleasedAReader = true;
                ::close(writer);
            }
        });
    }
    ~NamedPipe()
    {
        {
            std::lock_guard lock(mMutex);
            mFinished = true;
        }
        mDone.notify_all();
        mGuard.join();
        ::unlink(mPath.c_str());
    }
    NamedPipe(const NamedPipe&) = delete;
    NamedPipe& operator=(const NamedPipe&) = delete;

    const std::string& Path() const noexcept { return mPath; }
    // Whether a reader waited in its open until the guard let it go.
    bool ReleasedAWaitingReader()
    {
        std::lock_guard lock(mMutex);
        return mReleasedAReader;
    }

private:
    std::string mPath;
    std::mutex mMutex;
    std::condition_variable mDone;
    bool mFinished = false;
    bool mReleasedAReader = false;
    std::thread mGuard;
};

} // namespace TestSupport
