#pragma once
// LStencil: a mask of a given size that a clip level may carry. Renderers keep it in the
// render state, passing it on through pushes and pops; no drawing operation reads it yet.

#include "Graphics/Geometry.h"
#include "ObjectBase/RCPtr.h"

#include <cstdint>

namespace KV {

class LStencil : public virtual LRefCountedObject
{
public:
    static RCPtr<LStencil> Create(const SizeT<int32_t>& size);
    // A new stencil of the same width and height as other.
    static RCPtr<LStencil> CreateSameSize(const LStencil& other);

    int32_t GetWidth() const { return mArea.width; }
    int32_t GetHeight() const { return mArea.height; }
    // {0, 0, width, height}
    const RectT<int32_t>& GetArea() const { return mArea; }

protected:
    explicit LStencil(const SizeT<int32_t>& size) : mArea{0, 0, size.width, size.height} {}
    ~LStencil() override = default;

private:
    RectT<int32_t> mArea;
};

} // namespace KV
