#pragma once
// A lock that one process of the user holds at a time, named by a text: processes that
// must not do the same thing at once (two updaters talking to one keyboard) take it
// first. It lives in the user's private runtime folder and goes with the process, so a
// process that crashed leaves nothing behind that would keep the next one out.

#include "Storage/StringT.h"

#include <memory>

namespace KV {

namespace Platform {
class InstanceLock;
}

class UserLock
{
public:
    enum class Result
    {
        Acquired,      // the returned object holds the lock
        HeldElsewhere, // another process holds it
        Unavailable,   // no private runtime folder, or the file cannot be made or locked
    };

    // Takes the lock of the name without waiting; held while the returned object lives,
    // which is null unless the lock was acquired. The name is made safe for a file name.
    static std::unique_ptr<UserLock> TryAcquire(const String& name, Result& result);
    ~UserLock();
    UserLock(const UserLock&) = delete;
    UserLock& operator=(const UserLock&) = delete;

    const String& GetName() const noexcept { return mName; }

private:
    UserLock(const String& name, std::unique_ptr<Platform::InstanceLock> lock);

    String mName;
    std::unique_ptr<Platform::InstanceLock> mLock;
};

} // namespace KV
