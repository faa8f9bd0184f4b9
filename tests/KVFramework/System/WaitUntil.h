#pragma once
// Polls a condition that another thread will make true, giving up after a time-out
// generous enough for a loaded machine running under a sanitizer.

#include <chrono>
#include <thread>

namespace KV::Testing {

template <class Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds limit = std::chrono::seconds(20))
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition())
    {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace KV::Testing
