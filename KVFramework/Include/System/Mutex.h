#pragma once
// Mutex: a lock that the thread holding it may take again (a critical section), and
// MutexLock, which holds it for the lifetime of a scope, also when an exception passes.
// There is no time-out: taking the lock waits as long as it takes.

#include <mutex>

namespace KV {

class Mutex
{
public:
    Mutex() = default;
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;

private:
    friend class MutexLock;
    std::recursive_mutex mSection;
};

class MutexLock
{
public:
    explicit MutexLock(Mutex& mutex) : mMutex(&mutex) { mMutex->mSection.lock(); }
    // A null mutex locks nothing: for structures built with or without their own lock.
    explicit MutexLock(Mutex* mutex) : mMutex(mutex)
    {
        if (mMutex)
            mMutex->mSection.lock();
    }
    ~MutexLock()
    {
        if (mMutex)
            mMutex->mSection.unlock();
    }
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;

private:
    Mutex* mMutex;
};

} // namespace KV
