#include "Storage/Allocator.h"

#include <cstdlib>
#include <new>

namespace KV {

void* SystemAllocator::Allocate(size_t size)
{
    return std::malloc(size);
}

void* SystemAllocator::AllocateZeroed(size_t count, size_t itemSize)
{
    return std::calloc(count, itemSize);
}

void* SystemAllocator::Reallocate(void* block, size_t size)
{
    // realloc(block, 0) may or may not free; freeing explicitly leaves no doubt.
    if (size == 0)
    {
        std::free(block);
        return nullptr;
    }
    return std::realloc(block, size);
}

void SystemAllocator::Free(void* block)
{
    std::free(block);
}

IAllocator* GetSystemAllocator() noexcept
{
    static SystemAllocator* const instance = new SystemAllocator();
    return instance;
}

} // namespace KV
