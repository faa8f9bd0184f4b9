#include "ControlBase/ControlDescriptor.h"

#include "Storage/ArrayUtils.h"

namespace KV {

RCPtr<LControlDescriptor> LControlDescriptor::Create(const String& className, const String& name,
                                                     const RCPtr<LControlDescriptor>& parent)
{
    return RCPtr<LControlDescriptor>(new LControlDescriptor(className, name, parent.Get()));
}

int32_t LControlDescriptor::AddChild(const RCPtr<LControlDescriptor>& child)
{
    return mChildren.AddItem(child);
}

KVRESULT LControlDescriptor::SetSkinDescriptor(const RCPtr<LSkinDescriptor>& skin)
{
    mSkin = skin;
    return S_OK;
}

KVRESULT LControlDescriptor::SetLayoutDescriptor(const RCPtr<LLayoutDescriptor>& layout)
{
    mLayout = layout;
    return S_OK;
}

KVRESULT LControlDescriptor::SetCreateParams(const RCPtr<LStringTable>& params)
{
    mCreateParams = params;
    return S_OK;
}

void LControlDescriptor::SortChildrenByLayoutOrder()
{
    // A child without layout (none is made so) sorts as LayoutOrder 0.
    const auto orderOf = [](const RCPtr<LControlDescriptor>& child) {
        return child && child->mLayout ? child->mLayout->mLayoutOrder : 0;
    };
    IArray<RCPtr<LControlDescriptor>>& children = mChildren;
    ArrayUtils::Sort(children, 0, mChildren.GetCount(),
                     [&](const RCPtr<LControlDescriptor>& a, const RCPtr<LControlDescriptor>& b) {
                         return orderOf(a) < orderOf(b);
                     });
}

RCPtr<LControlDescriptor> LControlDescriptor::Clone() const
{
    RCPtr<LControlDescriptor> clone(new LControlDescriptor(mClassName, mName, mParent));
    for (uint32_t i = 0; i < mChildren.GetCount(); ++i)
        clone->mChildren.AddItem(*mChildren.GetAtConst(i));
    clone->mSkin = mSkin;
    clone->mLayout = mLayout;
    clone->mCreateParams = mCreateParams;
    clone->mCreateFunction = mCreateFunction;
    return clone;
}

} // namespace KV
