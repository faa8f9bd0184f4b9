#pragma once
// Exit statuses of a process on the framework that a script can tell apart.

namespace KV {

inline constexpr int kExitNormal = 0;
inline constexpr int kExitStartupFailed = 1;
// The run needs the window, and there is no display to show it on.
inline constexpr int kExitWindowUnavailable = 6;
// A first instance was running and was handed the command line.
inline constexpr int kExitHandedOver = 255;

} // namespace KV
