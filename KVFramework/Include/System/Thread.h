#pragma once
// Thread: an operating-system thread that is created suspended and runs its start
// routine once Resume is called.
//
// Destroying the object neither waits for nor ends a running thread. A thread that was
// never resumed ends without running its routine when its object is destroyed.
// Priorities are the framework's thread priority values (below); they are recorded and
// applied as far as the system allows an unprivileged process.

#include "KVTypes.h"

#include <cstdint>
#include <memory>

namespace KV {

namespace Platform {
struct ThreadRecord;
}

inline constexpr int THREAD_PRIORITY_IDLE = -15;
inline constexpr int THREAD_PRIORITY_LOWEST = -2;
inline constexpr int THREAD_PRIORITY_BELOW_NORMAL = -1;
inline constexpr int THREAD_PRIORITY_NORMAL = 0;
inline constexpr int THREAD_PRIORITY_ABOVE_NORMAL = 1;
inline constexpr int THREAD_PRIORITY_HIGHEST = 2;
inline constexpr int THREAD_PRIORITY_TIME_CRITICAL = 15;

class Thread
{
public:
    using StartRoutine = uint32_t (*)(void* parameter);

    // Creates the thread suspended. When the system cannot make a thread, the object
    // exists without one and its operations report failure.
    Thread(StartRoutine routine, void* parameter);
    virtual ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Starts the suspended thread. Returns the previous suspend count: 1 for the call
    // that starts it, 0 afterwards, 0xFFFFFFFF without a thread.
    uint32_t Resume();
    // Whether the start routine has returned.
    bool IsFinished() const;
    // Whether the thread ends within ms.
    bool Wait(Milliseconds ms) const;
    // false for a value that is not a thread priority, or without a thread.
    bool SetPriority(int priority);
    // Dynamic priority boosting has no counterpart here; the wish is recorded.
    bool SetPriorityBoost(bool enable);

private:
    std::shared_ptr<Platform::ThreadRecord> mRecord; // shared with the running thread
};

} // namespace KV
