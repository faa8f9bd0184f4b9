#pragma once
// The event source of SDL windows.

#include "Platform/Window/WindowEventSource.h"

#include <memory>

namespace KV::Platform {

// SDL's event queue as a WindowEventSource; video is started for its life. Without a
// display it yields only its own Wake and Tick events.
std::shared_ptr<WindowEventSource> CreateSdlWindowEventSource();

} // namespace KV::Platform
