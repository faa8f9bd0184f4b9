#include "Renderer/Stencil.h"

namespace KV {

RCPtr<LStencil> LStencil::Create(const SizeT<int32_t>& size)
{
    return RCPtr<LStencil>(new LStencil(size));
}

RCPtr<LStencil> LStencil::CreateSameSize(const LStencil& other)
{
    return Create({other.GetWidth(), other.GetHeight()});
}

} // namespace KV
