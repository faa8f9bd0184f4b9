#pragma once
// LThreadPool: queued jobs multiplexed onto a fixed number of RetriggerableThreaders.
//
// A job goes straight to an idle worker when there is one. Otherwise it waits in the
// pending list, and the pool's own queue thread (a further threader, running the pool's
// DoWork as dispatcher) hands it to the next worker that becomes free. Jobs start
// highest priority first and, among equal priorities, oldest first. With a single
// worker a new job never overtakes a pending one, so jobs run in the order queued.
//
// Shut the pool down (Shutdown) before dropping the last reference to it: from then on
// new jobs are dropped, pending ones are discarded and every thread is stopped. Shutdown
// never waits on the thread that calls it, so it may run from inside one of the pool's
// own jobs.

#include "ObjectBase/RCPtr.h"
#include "Storage/RCPtrArray.h"
#include "Storage/ReuseAllocator.h"
#include "System/Event.h"
#include "System/Mutex.h"
#include "System/RetriggerableThreader.h"
#include "System/ThreadWorker.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace KV {

class LThreadPool : public LThreadWorker
{
public:
    // One queued job. Made and released at a high rate by several threads, so it lives
    // in a locked pool of its own.
    class LWorkerParams : public LRefCountedObject, public ReusePooled<LWorkerParams, 1, true>
    {
    public:
        static RCPtr<LWorkerParams> Create(const RCPtr<LThreadWorker>& worker,
                                           const RCPtr<LRefCountedObject>& parameters, int priority);

        RCPtr<LThreadWorker> mWorker;
        RCPtr<LRefCountedObject> mParameters;
        int mPriority = 0;

    protected:
        LWorkerParams(const RCPtr<LThreadWorker>& worker, const RCPtr<LRefCountedObject>& parameters,
                      int priority);
        ~LWorkerParams() override = default;
    };

    // A pool of workerCount workers (at least 1); the queue thread's runs use
    // queuePriority.
    static RCPtr<LThreadPool> Create(int workerCount, int queuePriority);

    // Runs worker->DoWork(parameters) at the given priority as soon as the order allows.
    // After Shutdown the job is dropped.
    void QueueWork(const RCPtr<LThreadWorker>& worker, const RCPtr<LRefCountedObject>& parameters,
                   int priority);

    // Drops every pending job and stops the threads, each waited for up to
    // RetriggerableThreader::StopWait (never the calling thread). Repeating it is harmless.
    void Shutdown();

    // The dispatcher, run on the queue thread.
    int DoWork(RCPtr<LRefCountedObject>& parameters) override;

protected:
    LThreadPool(int workerCount, int queuePriority);
    ~LThreadPool() override;

private:
    // The index of the worker the job was started on, or -1.
    int TryStartOnFreeWorker(const RCPtr<LThreadWorker>& worker, const RCPtr<LRefCountedObject>& parameters,
                             int priority);
    // Under mMutex.
    KVRESULT StartOnWorker(int index, const RCPtr<LThreadWorker>& worker,
                           const RCPtr<LRefCountedObject>& parameters, int priority);

    std::atomic<int32_t> mWorkerCount;
    std::vector<std::unique_ptr<RetriggerableThreader>> mWorkers;
    EventPool mFreeEvents; // event i is set whenever a run of worker i ends
    RetriggerableThreader mQueueThreader;
    RCPtr<LEvent> mQueueDone;                   // set whenever a run of the queue thread ends
    RCPtrArray<LWorkerParams, 16, 16> mPending; // ascending priority, newest first among equals
    Mutex mMutex;                               // the pending list and every trigger of a worker
    const int mQueuePriority;
};

} // namespace KV
