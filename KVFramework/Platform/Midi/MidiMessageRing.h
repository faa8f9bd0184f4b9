#pragma once
// A lock-free queue of whole MIDI messages between one producer thread and one
// consumer thread, either of which may be an audio server's real-time thread: input
// goes from the server's thread to the driver's callback thread, output the other way.
// Messages that do not fit are refused and counted; Push and the Front/PopInto pair
// never wait and never allocate.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace KV::Platform {

class MidiMessageRing
{
public:
    // capacity: bytes of storage, rounded up to a power of two; each message takes
    // its length plus 8.
    explicit MidiMessageRing(size_t capacity);

    bool Push(const uint8_t* bytes, uint32_t size, uint32_t timestampMs) noexcept;
    bool Pop(std::vector<uint8_t>& bytes, uint32_t& timestampMs);
    // The size of the oldest message, without taking it; false when there is none.
    bool Front(uint32_t& size) const noexcept;
    // Copies the oldest message (Front's size) to `to` and takes it from the queue.
    void PopInto(uint8_t* to) noexcept;
    // Takes the oldest message from the queue unread.
    void Drop() noexcept;
    bool Empty() const noexcept;
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
