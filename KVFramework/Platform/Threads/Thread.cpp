// Threads on the standard library, with pthreads for what it lacks: a thread is started
// at once but held at a start gate until Resume, and its priority is applied as the
// thread's nice value.

#include "System/Thread.h"

#include "Platform/Threads/EventObject.h"

#include <array>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace KV::Platform {

struct ThreadRecord
{
    std::mutex lock; // guards everything below but `finished`
    std::condition_variable gate;
    bool resumed = false;
    bool abandoned = false; // the object went away before Resume
    pid_t kernelId = 0;     // known once the thread runs
    int priority = THREAD_PRIORITY_NORMAL;
    bool priorityBoost = true;
    EventObject finished{/*manualReset=*/true};
};

namespace {

struct PriorityLevel
{
    int priority;
    int nice;
};

constexpr std::array<PriorityLevel, 7> PriorityLevels{{
    {THREAD_PRIORITY_IDLE, 19},
    {THREAD_PRIORITY_LOWEST, 10},
    {THREAD_PRIORITY_BELOW_NORMAL, 5},
    {THREAD_PRIORITY_NORMAL, 0},
    {THREAD_PRIORITY_ABOVE_NORMAL, -5},
    {THREAD_PRIORITY_HIGHEST, -10},
    {THREAD_PRIORITY_TIME_CRITICAL, -15},
}};

const PriorityLevel* FindPriorityLevel(int priority)
{
    for (const PriorityLevel& level : PriorityLevels)
        if (level.priority == priority)
            return &level;
    return nullptr;
}

// Under record.lock. Linux keeps a nice value per thread. Raising a priority needs a
// privilege most users lack; the refusal is accepted quietly, the recorded value stands.
void ApplyPriority(const ThreadRecord& record)
{
    if (record.kernelId == 0)
        return;
    if (const PriorityLevel* level = FindPriorityLevel(record.priority))
        (void)setpriority(PRIO_PROCESS, static_cast<id_t>(record.kernelId), level->nice);
}

void RunThread(const std::shared_ptr<ThreadRecord>& record, Thread::StartRoutine routine, void* parameter)
{
    {
        std::unique_lock lock(record->lock);
        record->kernelId = static_cast<pid_t>(syscall(SYS_gettid));
        record->gate.wait(lock, [&] { return record->resumed || record->abandoned; });
        if (!record->resumed)
            return;             // never resumed: the routine never runs
        ApplyPriority(*record); // a new thread inherits its creator's nice value
    }
    routine(parameter);
    record->finished.Set();
}

} // namespace

} // namespace KV::Platform

namespace KV {

Thread::Thread(StartRoutine routine, void* parameter)
{
    auto record = std::make_shared<Platform::ThreadRecord>();
    try
    {
        std::thread(Platform::RunThread, record, routine, parameter).detach();
        mRecord = std::move(record);
    }
    catch (const std::system_error&)
    {
        // No thread: every operation reports failure.
    }
}

Thread::~Thread()
{
    if (!mRecord)
        return;
    std::lock_guard lock(mRecord->lock);
    if (!mRecord->resumed)
    {
        mRecord->abandoned = true;
        mRecord->gate.notify_one();
    }
}

uint32_t Thread::Resume()
{
    if (!mRecord)
        return 0xFFFFFFFFu;
    std::lock_guard lock(mRecord->lock);
    if (mRecord->resumed)
        return 0;
    mRecord->resumed = true;
    mRecord->gate.notify_one();
    return 1;
}

bool Thread::IsFinished() const
{
    return Wait(0);
}

bool Thread::Wait(Milliseconds ms) const
{
    return mRecord && mRecord->finished.Wait(ms) == WAIT_OBJECT_0;
}

bool Thread::SetPriority(int priority)
{
    if (!mRecord || !Platform::FindPriorityLevel(priority))
        return false;
    std::lock_guard lock(mRecord->lock);
    if (mRecord->priority == priority)
        return true; // already applied, or to be applied when the thread starts
    mRecord->priority = priority;
    if (mRecord->resumed)
        Platform::ApplyPriority(*mRecord);
    return true;
}

bool Thread::SetPriorityBoost(bool enable)
{
    if (!mRecord)
        return false;
    std::lock_guard lock(mRecord->lock);
    mRecord->priorityBoost = enable;
    return true;
}

} // namespace KV
