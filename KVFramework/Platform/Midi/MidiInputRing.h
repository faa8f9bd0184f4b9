#pragma once
// A lock-free queue of received messages between one producer (the MIDI library's
// input thread, which may be an audio server's real-time thread) and one consumer
// (the driver's callback thread). Messages that do not fit are dropped and counted:
// the producer never waits and never allocates.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace KV::Platform {

class MidiInputRing
{
public:
    // capacity: bytes of storage, rounded up to a power of two; each message takes
    // its length plus 8.
    explicit MidiInputRing(size_t capacity);

    bool Push(const uint8_t* bytes, uint32_t size, uint32_t timestampMs) noexcept;
    bool Pop(std::vector<uint8_t>& bytes, uint32_t& timestampMs);
    uint64_t Dropped() const noexcept { return mDropped.load(std::memory_order_relaxed); }

private:
    static constexpr size_t HEADER = 8;

    void Write(size_t at, const uint8_t* from, size_t count) noexcept;
    void Read(size_t at, uint8_t* to, size_t count) const noexcept;

    const size_t mMask;
    const std::unique_ptr<uint8_t[]> mData;
    std::atomic<size_t> mHead{0}; // written by the producer: end of the last whole message
    std::atomic<size_t> mTail{0}; // written by the consumer: start of the oldest message
    std::atomic<uint64_t> mDropped{0};
};

} // namespace KV::Platform
