#pragma once
// CAutoClip: the scope of one level of a renderer's state stack. Each way of making one
// pushes once; the destructor pops, so the pushes and pops of a frame pair up even when
// drawing throws.

#include "Graphics/Geometry.h"
#include "ObjectBase/RCPtr.h"
#include "Renderer/Renderer.h"

namespace KV {

class CAutoClip
{
public:
    // A push to be made later, as data: the flavour chooses PushState (0), PushClip with the
    // area, clip, stencil and relative flag (1), or PushTranslation with the offset (2).
    struct PushDescription
    {
        int flavour = 0;
        RectT<double> area;
        RectT<double> clip;
        ConstRCPtr<LStencil> stencil;
        bool relative = false;
        PointT<double> offset;
    };

    static constexpr int kFlavourPushState = 0;
    static constexpr int kFlavourPushClip = 1;
    static constexpr int kFlavourPushTranslation = 2;

    // Makes the described push; throws runtime_error "Unknown PushClip flavor", pushing
    // nothing, for another flavour.
    CAutoClip(const RCPtr<LRenderer>& renderer, const PushDescription& description);
    CAutoClip(const CAutoClip&) = delete;
    CAutoClip& operator=(const CAutoClip&) = delete;
    ~CAutoClip();

    // PushState.
    static CAutoClip CAutoClipPushState(const RCPtr<LRenderer>& renderer);
    // PushClip in the current coordinates (relative).
    static CAutoClip CAutoClipPushClip(const RCPtr<LRenderer>& renderer, const RectT<double>& area,
                                       const RectT<double>& clip, const ConstRCPtr<LStencil>& stencil);

private:
    RCPtr<LRenderer> mRenderer;
};

} // namespace KV
