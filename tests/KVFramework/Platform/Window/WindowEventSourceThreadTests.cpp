#include "Platform/Window/ScriptedWindowEventSource.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>
#include <vector>

using namespace KV;
using namespace KV::Platform;

// Other threads post events and ask for paints while the window thread waits: every
// posted event arrives once, each window's paint at least once after its last request.
TEST(WindowEventSourceThreads, EventsAndPaintsOfOtherThreadsReachTheWindowThread)
{
    ScriptedWindowEventSource source;
    constexpr int kThreads = 3;
    constexpr int kEventsPerThread = 200;
    std::atomic<int> done{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&source, &done, t] {
            for (int i = 0; i < kEventsPerThread; ++i)
            {
                WindowEvent event;
                event.type = WindowEventType::CommandLines;
                event.windowId = static_cast<uint32_t>(t + 1);
                event.x = i;
                source.PostEvent(event);
                source.RequestPaint(static_cast<uint32_t>(t + 1));
            }
            ++done;
        });

    std::set<std::pair<uint32_t, int32_t>> posted;
    std::set<uint32_t> painted;
    const auto take = [&](const WindowEvent& event) {
        if (event.type == WindowEventType::CommandLines)
            EXPECT_TRUE(posted.insert({event.windowId, event.x}).second);
        else if (event.type == WindowEventType::Paint)
            painted.insert(event.windowId);
    };
    WindowEvent event;
    while (done < kThreads)
        if (source.WaitEvent(event, 1))
            take(event);
    while (source.WaitEvent(event, 0))
        take(event);
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(static_cast<size_t>(kThreads * kEventsPerThread), posted.size());
    EXPECT_EQ((std::set<uint32_t>{1, 2, 3}), painted);
}
