#include "ControlBase/Colorizer.h"

namespace KV {

RCPtr<LColorizer> LColorizer::Create(const String& name, ColorType type, const ColorT& color,
                                     const Gradient& gradient)
{
    return RCPtr<LColorizer>(new LColorizer(name, type, color, gradient));
}

} // namespace KV
