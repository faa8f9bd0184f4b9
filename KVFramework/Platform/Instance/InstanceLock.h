#pragma once
// A lock file that one process at a time can hold: the mark of the first instance.
// The lock goes with the process, so an instance that crashed leaves nothing behind
// that would keep the next one from being the first.

#include <memory>
#include <string>

namespace KV::Platform {

class InstanceLock
{
public:
    enum class Result
    {
        Acquired,      // this object holds the lock
        HeldElsewhere, // another holder has it
        Unavailable,   // the file cannot be made or locked
    };

    // Opens (creates, mode 0600) the file and takes its lock without waiting. The lock
    // is held while the returned object lives; it is null unless the lock was acquired.
    static std::unique_ptr<InstanceLock> TryAcquire(const std::string& path, Result& result);

    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

private:
    explicit InstanceLock(int descriptor) : mDescriptor(descriptor) {}

    int mDescriptor;
};

} // namespace KV::Platform
