#include "ControlBase/SkinDescriptor.h"

namespace KV {

RCPtr<LSkinDescriptor> LSkinDescriptor::Create(const String& name)
{
    return RCPtr<LSkinDescriptor>(new LSkinDescriptor(name));
}

} // namespace KV
