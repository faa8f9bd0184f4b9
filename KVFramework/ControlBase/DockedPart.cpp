#include "ControlBase/DockedPart.h"

namespace KV {

RCPtr<LDockedPart> LDockedPart::Create(const RCPtr<LVisualPartDescriptor>& part, const Placement& placement)
{
    return RCPtr<LDockedPart>(new LDockedPart(part, placement));
}

} // namespace KV
