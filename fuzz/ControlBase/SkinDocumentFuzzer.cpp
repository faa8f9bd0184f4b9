// Any bytes read as a skin document either fail or leave a skin model that can be walked
// whole: every look list slot, every part a look places and every control of every skin.

#include "ControlBase/ControlFactory.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

using namespace KV;

void Walk(const LControlDescriptor& control, int depth)
{
    if (depth > 100000)
        std::abort(); // a cycle
    for (uint32_t i = 0; i < control.mChildren.GetCount(); ++i)
    {
        const RCPtr<LControlDescriptor>& child = *control.mChildren.GetAtConst(i);
        if (!child || child->mParent != &control)
            std::abort();
        Walk(*child, depth + 1);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const RCPtr<LControlFactory> factory = LControlFactory::Create(String(u"App"));
    factory->ParseXML({data, size});

    for (const auto& [name, list] : factory->GetLookLists())
        for (uint32_t i = 0; i < list->GetCount(); ++i)
            if (const RCPtr<LLookDescriptor>& look = *list->GetAtConst(i); look && look->mClientPart)
                (void)look->mClientPart->mPart->mName.GetLength();
    for (const auto& [name, look] : factory->GetLooks())
        for (uint32_t i = 0; i < look->mNonClientParts.GetCount(); ++i)
            (void)(*look->mNonClientParts.GetAtConst(i))->mPart->mWidth;

    const RCPtrArray<LControlDescriptor>& skins = factory->GetSkins();
    for (uint32_t i = 0; i < skins.GetCount(); ++i)
    {
        factory->SetCurrentSkinIndex(static_cast<int32_t>(i));
        Walk(**skins.GetAtConst(i), 0);
        String face;
        float fontSize = 0;
        int32_t style = 0;
        factory->GetSkinFont(face, fontSize, style);
        factory->FindControlDescriptor(String(u"mainControl"));
    }
    return 0;
}
