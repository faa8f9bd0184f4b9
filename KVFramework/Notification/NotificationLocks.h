#pragma once
// The process-wide locks of the notification system.

#include "System/Mutex.h"

namespace KV {

// Guards the identifier table and the notification recycle pool. Recursive: creating a
// notification interns its identifier while holding it.
Mutex& IdentifierMutex();

// Guards the registered-distributor list.
Mutex& RegisteredDistributorsMutex();

} // namespace KV
