#include "ControlBase/LayoutDescriptor.h"

namespace KV {

RCPtr<LLayoutDescriptor> LLayoutDescriptor::Create()
{
    return RCPtr<LLayoutDescriptor>(new LLayoutDescriptor());
}

RCPtr<LLayoutDescriptor> LLayoutDescriptor::Clone() const
{
    return RCPtr<LLayoutDescriptor>(new LLayoutDescriptor(*this));
}

LayoutAxisSpec LLayoutDescriptor::GetAxisSpec(int axis) const
{
    if (axis == 0)
        return {mXPosition, mXIsDocked, mXSize};
    return {mYPosition, mYIsDocked, mYSize};
}

KVRESULT LLayoutDescriptor::SetAxisSpec(int axis, const LayoutAxisSpec& spec)
{
    if (axis != 0 && axis != 1)
        return E_INVALIDARG;
    (axis == 0 ? mXPosition : mYPosition) = spec.mPosition;
    (axis == 0 ? mXIsDocked : mYIsDocked) = spec.mDocked;
    (axis == 0 ? mXSize : mYSize) = spec.mSize;
    return S_OK;
}

KVRESULT LLayoutDescriptor::SetAxisLimits(int axis, const LayoutSizeLimitSpec& minimum,
                                          const LayoutSizeLimitSpec& maximum)
{
    if (axis != 0 && axis != 1)
        return E_INVALIDARG;
    (axis == 0 ? mXMinSize : mYMinSize) = minimum;
    (axis == 0 ? mXMaxSize : mYMaxSize) = maximum;
    return S_OK;
}

} // namespace KV
