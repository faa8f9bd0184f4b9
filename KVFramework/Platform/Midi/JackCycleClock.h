#pragma once
// A JACK client of our own that only counts the server's process cycles.
//
// JACK puts a new connection into effect from a later cycle than the one running
// when the connection is made, and a message that a client hands over before that
// goes nowhere. After opening a port the driver therefore waits until a cycle has
// begun after the connection, so that the first message sent is not lost.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

struct _jack_client;

namespace KV::Platform {

class JackCycleClock
{
public:
    // Null with the reason in `error` when no JACK server answers.
    static std::unique_ptr<JackCycleClock> Open(std::string& error);
    ~JackCycleClock();
    JackCycleClock(const JackCycleClock&) = delete;
    JackCycleClock& operator=(const JackCycleClock&) = delete;

    // Returns once `cycles` more cycles have run, or after `timeout` when the server
    // has stalled.
    void WaitCycles(uint32_t cycles, std::chrono::milliseconds timeout) const;

private:
    JackCycleClock() = default;
    static int OnCycle(uint32_t frames, void* self);

    _jack_client* mClient = nullptr;
    std::atomic<uint64_t> mCycles{0};
};

// Whether a JACK server is running; never starts one, and keeps the library quiet
// on standard error when none is.
bool JackServerAnswers();

} // namespace KV::Platform
