#include "Renderer/ApplicationMeasurer.h"

#include "Application/FrameworkApp.h"

namespace KV {

RCPtr<LMeasurementRenderer> GetApplicationMeasurementRenderer()
{
    LFrameworkApp* app = LFrameworkApp::GetInstance();
    return app ? app->GetMeasurementRenderer() : nullptr;
}

} // namespace KV
