// Status texts posted from a worker thread while the window thread shows them at its
// idle ticks.

#include "StatusBarTestSupport.h"

#include <atomic>
#include <string>
#include <thread>

using namespace controltest;

namespace {

using StatusBarPosting = ControlHarness;

TEST_F(StatusBarPosting, TextsPostedFromAWorkerThreadEndWithTheLastOneShown)
{
    RCPtr<LStatusBar> bar = Create<LStatusBar>(DescribeStatusBar(u"status"), RCPtr<LControl>(mRoot));
    constexpr int kTexts = 2000;
    std::atomic<bool> done{false};
    std::thread worker([poster = bar, &done] {
        for (int i = 1; i <= kTexts; ++i)
            poster->PostStatusText(String(std::to_string(i).c_str()));
        done.store(true, std::memory_order_release);
    });
    // Ticks run while the worker posts; every text shown is one of the worker's, and the
    // texts shown never go back.
    long last = 0;
    while (!done.load(std::memory_order_acquire))
    {
        Idle();
        const std::string shown = LabelText(bar);
        const long number = shown.empty() ? 0 : std::stol(shown);
        EXPECT_GE(number, last);
        last = number;
    }
    worker.join();
    Idle();
    EXPECT_EQ(LabelText(bar), std::to_string(kTexts));
    EXPECT_EQ(bar->GetQueuedCount(), 0u);
}

} // namespace
