#pragma once
// LMeasurementRenderer: text measuring without a window. The application hands one out
// for fonts and text layouts to measure with; every renderer is one.

#include "Graphics/Geometry.h"
#include "ObjectBase/RCPtr.h"
#include "Renderer/Font.h"
#include "Storage/StringT.h"

#include <cstdint>

namespace KV {

class LMeasurementRenderer : public virtual LRefCountedObject
{
public:
    // The line height of the font and the top and bottom of its character cell relative to
    // the baseline (the top is negative), in pixels.
    virtual KVRESULT GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height, int32_t& cellTop,
                                    int32_t& cellBottom) = 0;
    // {0, cell top, width, height} of the text in the font.
    virtual RectT<float> MeasureText(const String& text, const ConstRCPtr<LFont>& font) = 0;

protected:
    ~LMeasurementRenderer() override = default;
};

} // namespace KV
