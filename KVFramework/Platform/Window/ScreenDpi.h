#pragma once
// The resolution the user's desktop gives the screen, for text measured for it.

#include <cstdint>

namespace KV::Platform {

constexpr int32_t kDefaultScreenDpi = 96;

// The screen's dots per inch as the desktop sets them for text (the X server's resource
// Xft.dpi, which desktops and toolkits set and read); kDefaultScreenDpi when there is
// no X server, no such resource, or a value outside 24..960.
int32_t GetScreenDpi();

} // namespace KV::Platform
