#pragma once
// The allocator interface behind every growable buffer, and the one allocator of the
// process: the run-time heap.

#include <cstddef>

namespace KV {

class IAllocator
{
public:
    // Each returns null when memory is exhausted; the buffers turn that into the
    // allocation failure exception.
    virtual void* Allocate(size_t size) = 0;
    virtual void* AllocateZeroed(size_t count, size_t itemSize) = 0;
    // Keeps the contents up to the smaller size. A size of 0 frees the block and gives null.
    virtual void* Reallocate(void* block, size_t size) = 0;
    virtual void Free(void* block) = 0;

protected:
    ~IAllocator() = default;
};

class SystemAllocator final : public IAllocator
{
public:
    void* Allocate(size_t size) override;
    void* AllocateZeroed(size_t count, size_t itemSize) override;
    void* Reallocate(void* block, size_t size) override;
    void Free(void* block) override;
};

// The process-wide instance, built at its first use and never destroyed (pools of
// other threads may still give blocks back while the process exits).
IAllocator* GetSystemAllocator() noexcept;

} // namespace KV
