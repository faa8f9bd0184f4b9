#pragma once
// CRenderFrame: the scope of one frame of a window. It starts the renderer on the
// window's context and pushes a first state, so that what the frame draws may move the
// origin (PushTranslation changes nothing while no state is pushed); the destructor pops
// that state and finishes the frame, also when drawing throws.

#include "ObjectBase/RCPtr.h"
#include "Renderer/Renderer.h"

namespace KV {

class CRenderFrame
{
public:
    // Throws as RenderStart does; nothing is pushed then.
    CRenderFrame(const RCPtr<LRenderer>& renderer, const RCPtr<LRenderContextInfo>& context);
    CRenderFrame(const CRenderFrame&) = delete;
    CRenderFrame& operator=(const CRenderFrame&) = delete;
    ~CRenderFrame();

private:
    RCPtr<LRenderer> mRenderer;
    RCPtr<LRenderContextInfo> mContext;
};

} // namespace KV
