#pragma once
// Pausing the calling thread.

#include "KVTypes.h"

namespace KV {

// Pauses the calling thread for at least ms milliseconds, and not much longer: the
// wake-up is an absolute deadline on the monotonic clock, and the thread's timer slack
// is kept small, so short pauses repeated many times (the pause before each chunk of a
// firmware transfer) do not add up to much more than their sum.
void Sleep(Milliseconds ms);

// Milliseconds on the monotonic clock, wrapping like a tick counter.
Milliseconds GetTickCount();

} // namespace KV
