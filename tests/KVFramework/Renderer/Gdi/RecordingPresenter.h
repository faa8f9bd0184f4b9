#pragma once
// A native window whose presenter records what it is given: the areas of each call, in
// order, and the picture's pixel at each area's top left.

#include "Platform/Window/NativeWindow.h"
#include "Platform/Window/SurfacePresenter.h"

#include <vector>

namespace KV::Testing {

class RecordingPresenter : public Platform::SurfacePresenter
{
public:
    struct Call
    {
        std::vector<RectT<int32_t>> areas;
        std::vector<uint32_t> topLeftPixels;
        int32_t width = 0;
        int32_t height = 0;
    };

    void Present(const Platform::SurfacePixels& picture, std::span<const RectT<int32_t>> areas) override
    {
        Call call{{areas.begin(), areas.end()}, {}, picture.width, picture.height};
        for (const RectT<int32_t>& area : areas)
            call.topLeftPixels.push_back(reinterpret_cast<const uint32_t*>(
                picture.data + static_cast<ptrdiff_t>(area.y) * picture.stride)[area.x]);
        mCalls.push_back(call);
    }

    std::vector<Call> mCalls;
};

class RecordingWindow : public Platform::NativeWindow
{
public:
    Platform::SurfacePresenter* GetSurfacePresenter() override { return &mPresenter; }
    RecordingPresenter mPresenter;
};

} // namespace KV::Testing
