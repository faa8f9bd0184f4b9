// Presenting pictures on an SDL window's surface.
//  [x] areas copied in the order given, cut to picture and window   [x] one update per call
//  [x] the window's surface fetched at each call, so a resized window gets a new one

#include "Platform/Window/SdlSurfacePresenter.h"

#include <SDL.h>

#include <algorithm>
#include <vector>

namespace KV::Platform {

void SdlSurfacePresenter::Present(const SurfacePixels& picture, std::span<const RectT<int32_t>> areas)
{
    if (!mWindow || !picture.data || areas.empty())
        return;
    SDL_Surface* target = SDL_GetWindowSurface(mWindow);
    if (!target)
        return;
    // The picture's words are SDL's ARGB8888; the copy replaces, it does not blend.
    SDL_Surface* source =
        SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t*>(picture.data), picture.width, picture.height,
                                           32, picture.stride, SDL_PIXELFORMAT_ARGB8888);
    if (!source)
        return;
    SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_NONE);
    std::vector<SDL_Rect> updated;
    updated.reserve(areas.size());
    for (const RectT<int32_t>& area : areas)
    {
        const int left = std::max(area.x, 0);
        const int top = std::max(area.y, 0);
        const int right =
            static_cast<int>(std::min<int64_t>({int64_t{area.x} + area.width, picture.width, target->w}));
        const int bottom =
            static_cast<int>(std::min<int64_t>({int64_t{area.y} + area.height, picture.height, target->h}));
        if (left >= right || top >= bottom)
            continue;
        SDL_Rect sourceRect{left, top, right - left, bottom - top};
        SDL_Rect targetRect = sourceRect;
        if (SDL_BlitSurface(source, &sourceRect, target, &targetRect) == 0)
            updated.push_back(sourceRect);
    }
    SDL_FreeSurface(source);
    if (!updated.empty())
        SDL_UpdateWindowSurfaceRects(mWindow, updated.data(), static_cast<int>(updated.size()));
}

} // namespace KV::Platform
