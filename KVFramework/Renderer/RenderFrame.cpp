#include "Renderer/RenderFrame.h"

namespace KV {

CRenderFrame::CRenderFrame(const RCPtr<LRenderer>& renderer, const RCPtr<LRenderContextInfo>& context)
    : mRenderer(renderer), mContext(context)
{
    mRenderer->RenderStart(mContext);
    mRenderer->PushState();
}

CRenderFrame::~CRenderFrame()
{
    mRenderer->PopState();
    try
    {
        mRenderer->RenderFinish(mContext);
    }
    catch (...)
    {
        // A frame left unbalanced by its drawing cannot be finished here; a destructor
        // must not throw.
    }
}

} // namespace KV
