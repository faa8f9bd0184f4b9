#include "Platform/Instance/InstanceLock.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace KV::Platform {

std::unique_ptr<InstanceLock> InstanceLock::TryAcquire(const std::string& path, Result& result)
{
    result = Result::Unavailable;
    const int descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (descriptor < 0)
        return nullptr;
    int locked;
    while ((locked = ::flock(descriptor, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR)
    {
    }
    if (locked != 0)
    {
        result = errno == EWOULDBLOCK ? Result::HeldElsewhere : Result::Unavailable;
        ::close(descriptor);
        return nullptr;
    }
    result = Result::Acquired;
    return std::unique_ptr<InstanceLock>(new InstanceLock(descriptor));
}

InstanceLock::~InstanceLock()
{
    ::close(mDescriptor);
}

} // namespace KV::Platform
