#pragma once
// Results of a wait on an event or a thread, with the values that callers and logs have
// always compared against.

#include <cstdint>

namespace KV {

inline constexpr uint32_t WAIT_OBJECT_0 = 0;         // the object was signalled
inline constexpr uint32_t WAIT_TIMEOUT = 258;        // the time-out passed first
inline constexpr uint32_t WAIT_FAILED = 0xFFFFFFFFu; // the wait could not be made

} // namespace KV
