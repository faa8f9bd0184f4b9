#pragma once
// LRenderContextInfo: what a renderer draws into, one per window (or offscreen surface)
// and renderer: the window, the part of it the current frame repaints, the viewport, and
// the state stack of the frame. Each renderer derives its own context class and makes it
// through LRenderer::InitRenderContextInfo.

#include "Graphics/Geometry.h"
#include "Graphics/RectRegion.h"
#include "KVTypes.h"
#include "ObjectBase/RCPtr.h"
#include "Renderer/RenderState.h"

#include <deque>

namespace KV {

class LRenderContextInfo : public LRefCountedObject
{
public:
    // The largest surface the renderer can draw on in this context.
    virtual SizeT<int32_t> GetMaxSurfaceSize() const = 0;

    NativeWindowHandle GetWindow() const { return mWindow; }
    // An offscreen context is never presented to its window at the end of a frame; only an
    // offscreen context can be drawn from (DrawImageAt) or moved (PresentOffscreen).
    bool IsOffscreen() const { return mOffscreen; }

    // The areas the current frame repaints, filled by the window before the frame starts.
    RectRegion& GetDirtyRegion() { return mDirtyRegion; }
    const RectRegion& GetDirtyRegion() const { return mDirtyRegion; }

    const RectT<int32_t>& GetViewport() const { return mViewport; }
    void SetViewport(const RectT<int32_t>& viewport) { mViewport = viewport; }

    RenderState& GetCurrentState() { return mCurrentState; }
    const RenderState& GetCurrentState() const { return mCurrentState; }
    // The states pushed and not yet popped, the most recent at the back.
    std::deque<RenderState>& GetSavedStates() { return mSavedStates; }
    const std::deque<RenderState>& GetSavedStates() const { return mSavedStates; }

protected:
    LRenderContextInfo(const RectT<int32_t>& viewport, NativeWindowHandle window, bool offscreen)
        : mWindow(window), mOffscreen(offscreen), mViewport(viewport)
    {
    }
    ~LRenderContextInfo() override = default;

private:
    NativeWindowHandle mWindow;
    bool mOffscreen;
    RectRegion mDirtyRegion;
    RectT<int32_t> mViewport;
    RenderState mCurrentState;
    std::deque<RenderState> mSavedStates;
};

} // namespace KV
