#include "ControlBase/Control.h"
#include "Notification/Notification.h"
#include "Notification/NotificationParams.h"

#include <algorithm>
#include <cmath>

namespace KV {

namespace {

constexpr int32_t kLinearTaper = 0;
constexpr int32_t kLogarithmicTaper = 1;

} // namespace

double LControl::SetNormalizedValue(double value)
{
    // A NaN would compare unequal forever and reach every listener as a position.
    if (std::isnan(value))
        return mNormalizedValue;
    value = std::clamp(value, 0.0, 1.0);
    if (value == mNormalizedValue)
        return mNormalizedValue;
    mNormalizedValue = value;
    OnValueChanged();
    SendNotification(LNotification::Create(
        u"NID_VALUE_CHANGE", LValueParam::Create(mNormalizedValue, NormalizedToValue(mNormalizedValue))));
    return mNormalizedValue;
}

KVRESULT LControl::SetValueRange(double min, double max, int32_t taper)
{
    if (taper != kLinearTaper && taper != kLogarithmicTaper)
        return E_INVALIDARG;
    if (taper == kLogarithmicTaper && !(min > 0 && max > 0))
        return E_INVALIDARG;
    mValueMin = min;
    mValueMax = max;
    mTaper = taper;
    return S_OK;
}

double LControl::NormalizedToValue(double normalized) const noexcept
{
    if (mTaper == kLogarithmicTaper)
        return mValueMin * std::pow(mValueMax / mValueMin, normalized);
    return mValueMin + (mValueMax - mValueMin) * normalized;
}

double LControl::ValueToNormalized(double value) const noexcept
{
    value = std::clamp(value, std::min(mValueMin, mValueMax), std::max(mValueMin, mValueMax));
    if (mValueMin == mValueMax)
        return 0;
    if (mTaper == kLogarithmicTaper)
        return std::log(value / mValueMin) / std::log(mValueMax / mValueMin);
    return (value - mValueMin) / (mValueMax - mValueMin);
}

} // namespace KV
