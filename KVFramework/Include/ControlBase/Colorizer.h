#pragma once
// LColorizer: a named fill of a skin: a solid colour, or a linear or radial gradient.

#include "Graphics/Color.h"
#include "ObjectBase/RCPtr.h"
#include "Storage/StringT.h"

#include <cstdint>

namespace KV {

enum class ColorType : int32_t
{
    SolidFill = 0,
    LinearGradient = 1,
    RadialGradient = 2,
};

// The far end of a gradient; all 0 for a solid fill.
struct ColorizerGradient
{
    ColorT mEndColor{};
    float mStartX = 0;
    float mStartY = 0;
    float mEndX = 0;
    float mEndY = 0;
};

class LColorizer : public virtual LRefCountedObject
{
public:
    using Gradient = ColorizerGradient;

    static RCPtr<LColorizer> Create(const String& name, ColorType type, const ColorT& color,
                                    const Gradient& gradient = {});

    String mName;
    ColorType mType = ColorType::SolidFill;
    ColorT mColor{}; // the fill, and the start colour of a gradient
    Gradient mGradient;

protected:
    LColorizer(const String& name, ColorType type, const ColorT& color, const Gradient& gradient)
        : mName(name), mType(type), mColor(color), mGradient(gradient)
    {
    }
    ~LColorizer() override = default;
};

} // namespace KV
