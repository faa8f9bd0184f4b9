#include "System/Sleep.h"

#include <cerrno>
#include <ctime>
#include <sys/prctl.h>

namespace KV {
namespace {

// The kernel may defer a timer by the thread's slack (50 µs by default, far more for
// threads of a lower priority); 10 µs keeps repeated 2 ms pauses close to 2 ms.
constexpr unsigned long kTimerSlackNs = 10000;

void KeepTimerSlackSmall()
{
    thread_local bool done = false;
    if (!done)
    {
        prctl(PR_SET_TIMERSLACK, kTimerSlackNs, 0, 0, 0);
        done = true;
    }
}

} // namespace

void Sleep(Milliseconds ms)
{
    KeepTimerSlackSmall();
    timespec deadline{};
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_sec += ms / 1000;
    deadline.tv_nsec += static_cast<long>(ms % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L)
    {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
    }
    // Interrupted sleeps resume towards the same deadline.
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR)
    {
    }
}

Milliseconds GetTickCount()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<Milliseconds>(static_cast<uint64_t>(now.tv_sec) * 1000u +
                                     static_cast<uint64_t>(now.tv_nsec) / 1000000u);
}

} // namespace KV
