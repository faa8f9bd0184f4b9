#include "Platform/Midi/MidiMessageRing.h"

#include <bit>
#include <cstring>

namespace KV::Platform {

MidiMessageRing::MidiMessageRing(size_t capacity)
    : mMask(std::bit_ceil(capacity < 64 ? size_t{64} : capacity) - 1), mData(new uint8_t[mMask + 1])
{
}

void MidiMessageRing::Write(size_t at, const uint8_t* from, size_t count) noexcept
{
    if (count == 0)
        return;
    const size_t start = at & mMask;
    const size_t first = count < mMask + 1 - start ? count : mMask + 1 - start;
    std::memcpy(mData.get() + start, from, first);
    std::memcpy(mData.get(), from + first, count - first);
}

void MidiMessageRing::Read(size_t at, uint8_t* to, size_t count) const noexcept
{
    if (count == 0)
        return;
    const size_t start = at & mMask;
    const size_t first = count < mMask + 1 - start ? count : mMask + 1 - start;
    std::memcpy(to, mData.get() + start, first);
    std::memcpy(to + first, mData.get(), count - first);
}

bool MidiMessageRing::Push(const uint8_t* bytes, uint32_t size, uint32_t timestampMs) noexcept
{
    const size_t head = mHead.load(std::memory_order_relaxed);
    const size_t tail = mTail.load(std::memory_order_acquire);
    const size_t free = mMask + 1 - (head - tail);
    if (HEADER + size > free)
    {
        mDropped.fetch_add(1, std::memory_order_relaxed);
        return false;
    }
    uint8_t header[HEADER];
    std::memcpy(header, &size, 4);
    std::memcpy(header + 4, &timestampMs, 4);
    Write(head, header, HEADER);
    Write(head + HEADER, bytes, size);
    mHead.store(head + HEADER + size, std::memory_order_release);
    return true;
}

bool MidiMessageRing::Pop(std::vector<uint8_t>& bytes, uint32_t& timestampMs)
{
    const size_t tail = mTail.load(std::memory_order_relaxed);
    const size_t head = mHead.load(std::memory_order_acquire);
    if (head == tail)
        return false;
    uint8_t header[HEADER];
    Read(tail, header, HEADER);
    uint32_t size;
    std::memcpy(&size, header, 4);
    std::memcpy(&timestampMs, header + 4, 4);
    bytes.resize(size);
    Read(tail + HEADER, bytes.data(), size);
    mTail.store(tail + HEADER + size, std::memory_order_release);
    return true;
}

bool MidiMessageRing::Front(uint32_t& size) const noexcept
{
    const size_t tail = mTail.load(std::memory_order_relaxed);
    if (mHead.load(std::memory_order_acquire) == tail)
        return false;
    uint8_t header[HEADER];
    Read(tail, header, HEADER);
    std::memcpy(&size, header, 4);
    return true;
}

void MidiMessageRing::PopInto(uint8_t* to) noexcept
{
    uint32_t size = 0;
    if (!Front(size))
        return;
    const size_t tail = mTail.load(std::memory_order_relaxed);
    Read(tail + HEADER, to, size);
    mTail.store(tail + HEADER + size, std::memory_order_release);
}

void MidiMessageRing::Drop() noexcept
{
    uint32_t size = 0;
    if (Front(size))
        mTail.store(mTail.load(std::memory_order_relaxed) + HEADER + size, std::memory_order_release);
}

bool MidiMessageRing::Empty() const noexcept
{
    return mHead.load(std::memory_order_acquire) == mTail.load(std::memory_order_acquire);
}

} // namespace KV::Platform
