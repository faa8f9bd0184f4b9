#include "Platform/Midi/MidiCallbackThread.h"

#include <algorithm>
#include <ctime>

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace KV::Platform {

namespace {

// The thread sleeps on the futex word itself: the standard library's semaphores and
// atomic waits spin and yield before they block, and a MIDI transfer wakes this
// thread thousands of times, each of which then cost dozens of system calls.
constexpr uint32_t AWAKE = 0;
constexpr uint32_t WOKEN = 1;
constexpr uint32_t ASLEEP = 2; // until a wake
constexpr uint32_t DOZING = 3; // until a wake, or the time-out of work that may wait

void FutexWait(std::atomic<uint32_t>& word, uint32_t expected, const timespec* timeout = nullptr) noexcept
{
    syscall(SYS_futex, reinterpret_cast<uint32_t*>(&word), FUTEX_WAIT_PRIVATE, expected, timeout, nullptr, 0);
}

void FutexWakeOne(std::atomic<uint32_t>& word) noexcept
{
    syscall(SYS_futex, reinterpret_cast<uint32_t*>(&word), FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0);
}

static_assert(sizeof(std::atomic<uint32_t>) == sizeof(uint32_t) &&
              std::atomic<uint32_t>::is_always_lock_free);

} // namespace

MidiCallbackThread::MidiCallbackThread() : mState(std::make_shared<State>())
{
    mThread = std::thread([state = mState] { Run(state); });
}

MidiCallbackThread::~MidiCallbackThread()
{
    {
        std::lock_guard lock(mState->mutex);
        mState->stop = true;
    }
    Wake();
    if (IsCurrentThread())
        mThread.detach(); // the thread ends after the callback it is in; State lives with it
    else
        mThread.join();
}

bool MidiCallbackThread::IsCurrentThread() const
{
    return std::this_thread::get_id() == mThread.get_id();
}

void MidiCallbackThread::Add(MidiCallbackTarget* target)
{
    {
        std::lock_guard lock(mState->mutex);
        mState->targets.push_back(target);
        mState->changed = true;
    }
    Wake();
}

void MidiCallbackThread::Remove(MidiCallbackTarget* target)
{
    std::unique_lock lock(mState->mutex);
    auto& targets = mState->targets;
    targets.erase(std::remove(targets.begin(), targets.end(), target), targets.end());
    mState->changed = true;
    if (!IsCurrentThread())
        mState->idle.wait(lock, [&] { return mState->running != target; });
}

void MidiCallbackThread::Wake() noexcept
{
    if (mState->wake.exchange(WOKEN, std::memory_order_acq_rel) >= ASLEEP)
        FutexWakeOne(mState->wake);
}

void MidiCallbackThread::WakeLater() noexcept
{
    // Sequentially consistent with Sleep's announcement and look: either the thread
    // sees this work before it sleeps (and dozes instead), or this sees it asleep.
    mState->later.store(true);
    if (mState->wake.load() == ASLEEP)
        Wake();
}

// Returns once a wake came after the previous return, or a doze for work that may
// wait has ended; answers whether such work was announced for the pass that follows.
// The thread dozes rather than sleeps after a pass that had such work, since more of
// it tends to follow (one message after another of a long transfer).
bool MidiCallbackThread::Sleep(State& state, bool doze)
{
    for (;;)
    {
        uint32_t seen = state.wake.exchange(AWAKE);
        if (seen == WOKEN)
            break;
        // Nothing came: announce the sleep, unless a wake slipped in meanwhile.
        seen = AWAKE;
        if (!state.wake.compare_exchange_strong(seen, ASLEEP))
            continue;
        if (!doze && !state.later.load())
        {
            FutexWait(state.wake, ASLEEP);
            continue;
        }
        // Work that may wait: the thread comes back for it after a while, and what
        // more of the kind comes meanwhile goes with it, without a wake each.
        seen = ASLEEP;
        if (!state.wake.compare_exchange_strong(seen, DOZING))
            continue;
        constexpr timespec dozeTime{0, WAKE_LATER_WAIT_MS * 1000000L};
        FutexWait(state.wake, DOZING, &dozeTime);
        state.wake.exchange(AWAKE);
        break;
    }
    // The pass that follows delivers whatever was announced so far.
    return state.later.exchange(false);
}

void MidiCallbackThread::Run(const std::shared_ptr<State>& state)
{
    bool doze = false;
    for (;;)
    {
        doze = Sleep(*state, doze);
        // Pass over all targets until a whole pass finds nothing to do and the list
        // did not change under it (a change may have skipped a target).
        bool again = true;
        while (again)
        {
            again = false;
            for (size_t i = 0;; ++i)
            {
                MidiCallbackTarget* target;
                {
                    std::lock_guard lock(state->mutex);
                    if (state->stop)
                        return;
                    if (i == 0)
                        state->changed = false;
                    if (i >= state->targets.size())
                    {
                        again = again || state->changed;
                        break;
                    }
                    target = state->targets[i];
                    state->running = target;
                }
                const bool worked = target->Pump();
                {
                    std::lock_guard lock(state->mutex);
                    state->running = nullptr;
                }
                state->idle.notify_all();
                again = again || worked;
            }
        }
    }
}

} // namespace KV::Platform
