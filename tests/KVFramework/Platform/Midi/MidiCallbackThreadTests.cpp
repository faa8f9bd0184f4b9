#include "Platform/Midi/MidiCallbackThread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace KV::Platform {
namespace {

// Counts the pieces of work it was told of and takes one per pump.
class Worker final : public MidiCallbackTarget
{
public:
    void Announce()
    {
        std::lock_guard lock(mMutex);
        ++mAnnounced;
    }

    bool Pump() override
    {
        std::lock_guard lock(mMutex);
        if (mDone == mAnnounced)
            return false;
        ++mDone;
        mChanged.notify_all();
        return true;
    }

    bool WaitAllDone(uint32_t count)
    {
        std::unique_lock lock(mMutex);
        return mChanged.wait_for(lock, std::chrono::seconds(20), [&] { return mDone == count; });
    }

private:
    std::mutex mMutex;
    std::condition_variable mChanged;
    uint32_t mAnnounced = 0;
    uint32_t mDone = 0;
};

// Work that may wait is never left behind, whether it comes while the thread works,
// dozes after such work, or sleeps after a doze found nothing; nor when it comes mixed
// with work that wakes the thread at once.
TEST(MidiCallbackThread, WorkThatMayWaitIsAlwaysDone)
{
    struct Case
    {
        const char* name;
        std::chrono::microseconds pause; // between announcements
        bool mixed;                      // every third announcement wakes at once
    };
    const Case cases[] = {
        {"back to back", std::chrono::microseconds(0), false},
        {"within a doze", std::chrono::microseconds(2000), false},
        {"after a doze ended", std::chrono::microseconds(25000), false},
        {"mixed with wakes", std::chrono::microseconds(1000), true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        MidiCallbackThread thread;
        Worker worker;
        thread.Add(&worker);
        constexpr uint32_t COUNT = 40;
        for (uint32_t i = 1; i <= COUNT; ++i)
        {
            worker.Announce();
            if (c.mixed && i % 3 == 0)
                thread.Wake();
            else
                thread.WakeLater();
            std::this_thread::sleep_for(c.pause);
        }
        EXPECT_TRUE(worker.WaitAllDone(COUNT));
        thread.Remove(&worker);
    }
}

} // namespace
} // namespace KV::Platform
