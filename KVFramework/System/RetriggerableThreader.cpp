#include "System/RetriggerableThreader.h"

#include <atomic>
#include <thread>

namespace KV {

struct RetriggerableThreader::State
{
    Event trigger{/*autoReset=*/true};
    std::atomic<bool> busy{false};
    std::atomic<bool> stop{false};
    std::atomic<std::thread::id> threadId{};
    // Written by Trigger while idle, used and cleared by the thread while busy; the
    // trigger event and the busy flag order the two.
    RCPtr<LEvent> done;
    RCPtr<LThreadWorker> worker;
    RCPtr<LRefCountedObject> parameters;
    int lastResult = 0;
    // The thread's own share of this state, handed over when it starts.
    std::shared_ptr<State> handOver;

    // Ends on the first wake-up that finds the stop flag set. Stopping always sets the
    // trigger, so there is such a wake-up even when the flag was set before the thread
    // first got here, and the run stored for it is still cleared and its done event set.
    void Loop()
    {
        for (bool stopped = false; !stopped;)
        {
            trigger.Wait(INFINITE_WAIT);
            stopped = stop;
            if (!stopped && worker)
                lastResult = worker->DoWork(parameters);
            parameters.Reset();
            worker.Reset();
            if (RCPtr<LEvent> finished = std::move(done))
            {
                busy = false;
                finished->Set();
            }
            else
            {
                busy = false;
            }
        }
    }
};

RetriggerableThreader::RetriggerableThreader(const String& name)
    : mState(std::make_shared<State>()), mThread(&ThreadProc, mState.get()), mName(name)
{
    mState->handOver = mState;
    mThread.SetPriorityBoost(false);
    if (mThread.Resume() == 0xFFFFFFFFu)
        mState->handOver.reset(); // no thread was made to take it
}

RetriggerableThreader::~RetriggerableThreader()
{
    Stop(StopWait);
}

uint32_t RetriggerableThreader::ThreadProc(void* parameter)
{
    const std::shared_ptr<State> state = std::move(static_cast<State*>(parameter)->handOver);
    state->threadId = std::this_thread::get_id();
    state->Loop();
    return 0;
}

KVRESULT RetriggerableThreader::Trigger(const RCPtr<LThreadWorker>& worker,
                                        const RCPtr<LRefCountedObject>& parameters, const RCPtr<LEvent>& done,
                                        int priority)
{
    State& state = *mState;
    if (state.stop)
        return E_FAIL;
    if (state.busy)
    {
        if (mThread.IsFinished())
            state.busy = false;
        else
            return E_FAIL;
    }
    mThread.SetPriority(priority);
    state.worker = worker;
    state.parameters = parameters;
    state.done = done;
    if (done)
        done->Reset();
    state.busy = true;
    return state.trigger.Set() ? S_OK : E_FAIL;
}

bool RetriggerableThreader::IsBusy() const
{
    return mState->busy && !mThread.IsFinished();
}

bool RetriggerableThreader::Stop(Milliseconds ms)
{
    mState->stop = true;
    mState->trigger.Set();
    if (mState->threadId.load() == std::this_thread::get_id())
        return false;
    return mThread.Wait(ms);
}

} // namespace KV
