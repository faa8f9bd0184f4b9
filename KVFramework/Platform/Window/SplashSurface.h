#pragma once
// The window of a splash screen: borderless, not in the task list, made, painted and
// ended by one thread on a connection of its own to the X server. It does not go through
// the window thread's windows at all, so it keeps painting while that thread is busy
// starting the application.
//
// Every call on the thread that made it.

#include "Graphics/Geometry.h"
#include "Platform/Graphics/SurfacePixels.h"

#include <cstdint>
#include <memory>
#include <string>

namespace KV::Platform {

class SplashSurface
{
public:
    // The window at the screen rectangle, shown; null when there is no display.
    static std::unique_ptr<SplashSurface> Create(const RectT<int32_t>& rect, const std::string& title,
                                                 const std::string& className);
    ~SplashSurface();
    SplashSurface(const SplashSurface&) = delete;
    SplashSurface& operator=(const SplashSurface&) = delete;

    // The window as the X server knows it.
    uintptr_t GetSystemHandle() const noexcept;
    // Shows the picture, opaque, from the window's top left corner.
    void Present(const SurfacePixels& pixels);
    // Reads what the server reported; true when the window must be painted again (it was
    // uncovered).
    bool TakeEvents();

private:
    struct Connection;
    explicit SplashSurface(std::unique_ptr<Connection> connection);
    std::unique_ptr<Connection> mConnection;
};

} // namespace KV::Platform
