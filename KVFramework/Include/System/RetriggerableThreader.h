#pragma once
// RetriggerableThreader: one long-lived thread that sleeps until it is given a job, runs
// it, signals the job's done event and sleeps again. No thread is made per job.
//
// A run: Trigger stores the worker, its parameters and the done event, marks the
// threader busy and wakes the thread; the thread calls the worker's DoWork, drops the
// worker and the parameters, clears busy and only then sets the done event, so a
// waiter that wakes on the event always finds the threader idle.
//
// The thread keeps the state it works on alive itself: a run that outlasts the wait of
// the destructor, or a threader destroyed from inside its own run, never touches freed
// memory. Trigger is called by one thread at a time.

#include "KVResult.h"
#include "KVTypes.h"
#include "ObjectBase/RCPtr.h"
#include "ObjectBase/Stringable.h"
#include "Storage/StringT.h"
#include "System/Event.h"
#include "System/Thread.h"
#include "System/ThreadWorker.h"

#include <memory>

namespace KV {

class RetriggerableThreader : public IStringable
{
public:
    // How long stopping waits for the thread to end.
    static constexpr Milliseconds StopWait = 60000;

    explicit RetriggerableThreader(const String& name = String());
    // Stops the thread and waits up to StopWait for it (never when called on the thread
    // itself); a thread still running after that is left to finish its run.
    virtual ~RetriggerableThreader();
    RetriggerableThreader(const RetriggerableThreader&) = delete;
    RetriggerableThreader& operator=(const RetriggerableThreader&) = delete;

    // Starts one run of worker->DoWork(parameters) at the given thread priority; `done`
    // (not null) is reset now and set when the run has ended. S_OK when the run was
    // started; E_FAIL while stopping, while busy (nothing changes then), or when the
    // thread could not be woken.
    KVRESULT Trigger(const RCPtr<LThreadWorker>& worker, const RCPtr<LRefCountedObject>& parameters,
                     const RCPtr<LEvent>& done, int priority);

    // Busy from a successful Trigger until its run has ended; a threader whose thread
    // has ended is never busy.
    bool IsBusy() const;

    // Sets the stop flag and wakes the thread, which ends after its current run; waits
    // up to ms for it unless called on the thread itself. Whether the thread has ended.
    bool Stop(Milliseconds ms);

    // The name given, or the text of the worker of the pool job it last ran.
    String ToString() const override { return mName; }
    void SetName(const String& name) { mName = name; }

private:
    struct State;
    static uint32_t ThreadProc(void* parameter);

    std::shared_ptr<State> mState; // shared with the thread
    Thread mThread;
    String mName;
};

} // namespace KV
