#include "Platform/Midi/MidiCallbackThread.h"

#include <algorithm>

namespace KV::Platform {

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
    mState->wake.release();
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
    mState->wake.release();
}

void MidiCallbackThread::Run(const std::shared_ptr<State>& state)
{
    for (;;)
    {
        state->wake.acquire();
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
