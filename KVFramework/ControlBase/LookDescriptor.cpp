#include "ControlBase/LookDescriptor.h"

namespace KV {

RCPtr<LLookDescriptor> LLookDescriptor::Create(const String& name)
{
    return RCPtr<LLookDescriptor>(new LLookDescriptor(name));
}

KVRESULT LLookDescriptor::SetClientPart(const RCPtr<LDockedPart>& part)
{
    mClientPart = part;
    return S_OK;
}

KVRESULT LLookDescriptor::SetTextProperties(const TextProperties& text)
{
    mText = text;
    mHasTextProperties = true;
    return S_OK;
}

} // namespace KV
