#pragma once
// An application object whose measurement renderer the test chooses, and a measurer for
// it: fixed metrics, every character the same advance, every call counted.

#include "Application/FrameworkApp.h"
#include "Renderer/MeasurementRenderer.h"

#include <cstdint>

namespace KV::Testing {

class FixedAdvanceMeasurer : public LMeasurementRenderer
{
public:
    static RCPtr<FixedAdvanceMeasurer> Create()
    {
        return RCPtr<FixedAdvanceMeasurer>(new FixedAdvanceMeasurer());
    }

    float mAdvance = 6.0f;     // per character
    float mLeftBearing = 0.0f; // reported as the measured x
    int32_t mHeight = 12;
    KVRESULT mMetricsResult = S_OK;
    int mMetricsCalls = 0;
    int mMeasureCalls = 0;

    KVRESULT GetFontMetrics(const ConstRCPtr<LFont>&, int32_t& height, int32_t& cellTop,
                            int32_t& cellBottom) override
    {
        ++mMetricsCalls;
        height = mHeight;
        cellTop = -10;
        cellBottom = mHeight - 10;
        return mMetricsResult;
    }
    RectT<float> MeasureText(const String& text, const ConstRCPtr<LFont>&) override
    {
        ++mMeasureCalls;
        return {mLeftBearing, -10, mAdvance * static_cast<float>(text.GetLength()),
                static_cast<float>(mHeight)};
    }

private:
    FixedAdvanceMeasurer() = default;
};

class MeasuringApp : public LFrameworkApp
{
public:
    using LFrameworkApp::LFrameworkApp;

    RCPtr<LMeasurementRenderer> mMeasurer;

    RCPtr<LMeasurementRenderer> GetMeasurementRenderer() override { return mMeasurer; }
};

} // namespace KV::Testing
