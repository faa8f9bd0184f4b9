#pragma once
// The presenter of an SDL window: pictures go onto the window's own surface.

#include "Platform/Window/SurfacePresenter.h"

struct SDL_Window;

namespace KV::Platform {

class SdlSurfacePresenter : public SurfacePresenter
{
public:
    // The window must outlive the presenter; the SDL window that owns it holds both.
    explicit SdlSurfacePresenter(SDL_Window* window) noexcept : mWindow(window) {}

    void Present(const SurfacePixels& picture, std::span<const RectT<int32_t>> areas) override;

private:
    SDL_Window* mWindow;
};

} // namespace KV::Platform
