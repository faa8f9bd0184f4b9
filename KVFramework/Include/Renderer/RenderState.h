#pragma once
// RenderState: what one level of a renderer's state stack sets for the drawing inside it:
// the origin every drawing call is moved by, the clip rectangle (relative to that origin),
// the alpha and the stencil.

#include "Graphics/Geometry.h"
#include "ObjectBase/RCPtr.h"
#include "Renderer/Stencil.h"

namespace KV {

class RenderState
{
public:
    // Far beyond any surface, so that a new state clips nothing. The values are those of
    // -5e15 and 1e16 in single precision, so that a clip made from floats compares equal.
    static constexpr double kUnclippedOrigin = static_cast<double>(-5e15f);
    static constexpr double kUnclippedExtent = static_cast<double>(1e16f);

    RenderState() = default;
    RenderState(const RenderState&) = default;
    RenderState& operator=(const RenderState&) = default;
    virtual ~RenderState() = default;

    PointT<double> mOrigin;
    RectT<double> mClip{kUnclippedOrigin, kUnclippedOrigin, kUnclippedExtent, kUnclippedExtent};
    float mAlpha = 1.0f;
    bool mStencilActive = false;
    ConstRCPtr<LStencil> mStencil;
};

} // namespace KV
