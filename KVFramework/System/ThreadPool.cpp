#include "System/ThreadPool.h"

#include "ObjectBase/Exception.h"

#include <algorithm>

namespace KV {

LThreadPool::LWorkerParams::LWorkerParams(const RCPtr<LThreadWorker>& worker,
                                          const RCPtr<LRefCountedObject>& parameters, int priority)
    : mWorker(worker), mParameters(parameters), mPriority(priority)
{
}

RCPtr<LThreadPool::LWorkerParams>
LThreadPool::LWorkerParams::Create(const RCPtr<LThreadWorker>& worker,
                                   const RCPtr<LRefCountedObject>& parameters, int priority)
{
    return RCPtr<LWorkerParams>(new LWorkerParams(worker, parameters, priority));
}

RCPtr<LThreadPool> LThreadPool::Create(int workerCount, int queuePriority)
{
    if (workerCount < 1)
        KV_THROW(std::invalid_argument, "a thread pool needs at least one worker");
    return RCPtr<LThreadPool>(new LThreadPool(workerCount, queuePriority));
}

LThreadPool::LThreadPool(int workerCount, int queuePriority)
    : mWorkerCount(workerCount), mFreeEvents(static_cast<unsigned>(workerCount)),
      mQueueDone(LEvent::Create()), mQueuePriority(queuePriority)
{
    mWorkers.reserve(static_cast<std::size_t>(workerCount));
    for (int i = 0; i < workerCount; ++i)
        mWorkers.push_back(std::make_unique<RetriggerableThreader>());
    mQueueDone->Set();
    mQueueThreader.SetName(u"LThreadPool::mQueueThreader");
}

LThreadPool::~LThreadPool()
{
    Shutdown();
    mWorkers.clear();
}

KVRESULT LThreadPool::StartOnWorker(int index, const RCPtr<LThreadWorker>& worker,
                                    const RCPtr<LRefCountedObject>& parameters, int priority)
{
    RetriggerableThreader& threader = *mWorkers[static_cast<std::size_t>(index)];
    threader.SetName(worker->ToString());
    return threader.Trigger(worker, parameters, mFreeEvents.GetEvent(index), priority);
}

int LThreadPool::TryStartOnFreeWorker(const RCPtr<LThreadWorker>& worker,
                                      const RCPtr<LRefCountedObject>& parameters, int priority)
{
    for (int i = 0; i < mWorkerCount.load(); ++i)
    {
        MutexLock lock(mMutex);
        if (mWorkerCount.load() <= 0)
            return -1; // shut down meanwhile: the workers may be stopping
        // With one worker, a later job never overtakes the queued ones.
        if (mPending.GetCount() != 0 && mWorkerCount.load() == 1)
            return -1;
        if (mWorkers[static_cast<std::size_t>(i)]->IsBusy())
            continue;
        if (KV_SUCCEEDED(StartOnWorker(i, worker, parameters, priority)))
            return i;
    }
    return -1;
}

void LThreadPool::QueueWork(const RCPtr<LThreadWorker>& worker, const RCPtr<LRefCountedObject>& parameters,
                            int priority)
{
    if (!worker || TryStartOnFreeWorker(worker, parameters, priority) >= 0)
        return;
    if (mWorkerCount.load() <= 0)
        return; // shut down: the job is dropped
    RCPtr<LWorkerParams> job = LWorkerParams::Create(worker, parameters, priority);

    MutexLock lock(mMutex);
    // Shutdown drops the count before it clears the list under the lock, so a job that
    // gets here after the clearing is dropped as well and never waits in a dead queue.
    if (mWorkerCount.load() <= 0)
        return;
    const uint32_t count = mPending.GetCount();
    uint32_t at = 0;
    while (at < count && (*mPending.GetAt(at))->mPriority < priority)
        ++at;
    mPending.InsertItem(at, job);
    const bool wasEmpty = count == 0;
    if (wasEmpty)
    {
        // The list was empty, so the queue thread has ended its last run or is about to;
        // it needs no lock for that.
        mQueueDone->Wait(INFINITE_WAIT);
        const RCPtr<LThreadPool> self(this);
        if (KV_FAILED(mQueueThreader.Trigger(self, self, mQueueDone, mQueuePriority)))
            mQueueDone->Set(); // no run will set it; the next job must not wait for one
    }
}

int LThreadPool::DoWork(RCPtr<LRefCountedObject>& parameters)
{
    for (;;)
    {
        const int index = mFreeEvents.WaitForAny(INFINITE_WAIT);
        if (index < 0)
            continue;
        MutexLock lock(mMutex);
        if (mPending.GetCount() == 0)
            return 0;
        if (mWorkers[static_cast<std::size_t>(index)]->IsBusy())
            continue; // started directly meanwhile; its end will signal again
        RCPtr<LWorkerParams> job;
        mPending.RemoveLastItem(job);
        StartOnWorker(index, job->mWorker, job->mParameters, job->mPriority);
        job.Reset();
        if (mPending.GetCount() == 0)
            return 0;
    }
}

void LThreadPool::Shutdown()
{
    mWorkerCount.store(0);
    {
        MutexLock lock(mMutex);
        mPending.Clear();
    }

    // Wake the dispatcher should it be waiting for a free worker: it finds the list
    // empty and ends its run instead of waiting for a worker that may never run again.
    mFreeEvents.GetEvent(0)->Set();
    mQueueThreader.Stop(RetriggerableThreader::StopWait);
    for (auto worker = mWorkers.rbegin(); worker != mWorkers.rend(); ++worker)
        (*worker)->Stop(RetriggerableThreader::StopWait);
}

} // namespace KV
