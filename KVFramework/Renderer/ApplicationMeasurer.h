#pragma once
// The renderer that fonts and text layouts measure with, as the application hands it out.

#include "Renderer/MeasurementRenderer.h"

namespace KV {

// Null without an application object, and while the application has none.
RCPtr<LMeasurementRenderer> GetApplicationMeasurementRenderer();

} // namespace KV
