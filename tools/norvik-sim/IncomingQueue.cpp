#include "IncomingQueue.h"

#include <utility>

namespace NorvikSim {

void IncomingQueue::Push(Incoming item)
{
    {
        std::lock_guard lock(mMutex);
        mItems.push_back(std::move(item));
    }
    mReady.notify_one();
}

std::deque<Incoming> IncomingQueue::WaitAndTakeAll(std::chrono::steady_clock::time_point deadline)
{
    std::unique_lock lock(mMutex);
    mReady.wait_until(lock, deadline, [this] { return !mItems.empty(); });
    return std::exchange(mItems, {});
}

} // namespace NorvikSim
