#include "Graphics/GraphicsHandle.h"

#include <atomic>

namespace KV {

GraphicsHandle UniqueGraphicsHandle::Next() noexcept
{
    // Objects are made on any thread (a bitmap loaded by a worker); only uniqueness
    // matters, not order.
    constinit static std::atomic<GraphicsHandle> lastHandle{0};
    return lastHandle.fetch_add(1, std::memory_order_relaxed) + 1;
}

} // namespace KV
