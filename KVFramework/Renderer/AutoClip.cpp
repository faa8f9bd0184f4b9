#include "Renderer/AutoClip.h"

#include "ObjectBase/Exception.h"

namespace KV {

CAutoClip::CAutoClip(const RCPtr<LRenderer>& renderer, const PushDescription& description)
{
    if (!renderer)
        return;
    switch (description.flavour)
    {
    case kFlavourPushState:
        renderer->PushState();
        break;
    case kFlavourPushClip:
        renderer->PushClip(description.area, description.clip, description.stencil, description.relative);
        break;
    case kFlavourPushTranslation:
        renderer->PushTranslation(description.offset);
        break;
    default:
        KV_THROW(std::runtime_error, "Unknown PushClip flavor");
    }
    // Held only once the push is made, so that a failed one is never popped.
    mRenderer = renderer;
}

CAutoClip::~CAutoClip()
{
    if (mRenderer)
        mRenderer->PopState();
}

CAutoClip CAutoClip::CAutoClipPushState(const RCPtr<LRenderer>& renderer)
{
    return CAutoClip(renderer, PushDescription{});
}

CAutoClip CAutoClip::CAutoClipPushClip(const RCPtr<LRenderer>& renderer, const RectT<double>& area,
                                       const RectT<double>& clip, const ConstRCPtr<LStencil>& stencil)
{
    PushDescription description;
    description.flavour = kFlavourPushClip;
    description.area = area;
    description.clip = clip;
    description.stencil = stencil;
    description.relative = true;
    return CAutoClip(renderer, description);
}

} // namespace KV
