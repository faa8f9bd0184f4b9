#include "Controls/Knob.h"

#include "ControlBase/Colorizer.h"
#include "ControlBase/DockedPart.h"
#include "ControlBase/LookDescriptor.h"
#include "ValueStepping.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace KV {

namespace {

constexpr double kDegreesPerRadian = 57.29577951308232;
constexpr double kDefaultFineAdjust = 0.25;
constexpr double kDefaultRangePixels = 128;
// A linear drag needs at least two pixels of travel to have steps at all.
constexpr int32_t kSmallestLinearRange = 2;
constexpr uint32_t kCtrl = 0x01;

// The text of a create parameter; false when the control has none of that name.
bool ReadAttributeText(LControl& control, const char16_t* key, String& text)
{
    const RCPtr<LControlDescriptor>& descriptor = control.GetDescriptor();
    return descriptor && descriptor->mCreateParams && descriptor->mCreateParams->GetString(key, text);
}

int32_t Whole(double value)
{
    return static_cast<int32_t>(RoundHalfAwayFromZero(value));
}

} // namespace

LKnob::LKnob(const RCPtr<LControl>& parent, const String& name) : LControl(parent, name) {}

LKnob::~LKnob() = default;

KVRESULT LKnob::Initialize()
{
    const KVRESULT base = LControl::Initialize();
    if (KV_FAILED(base))
        return base;
    String text;
    if (ReadAttributeText(*this, u"LINEAR_GESTURE_FULL_RANGE", text))
        mLinearFullRange = text.ToInt();
    if (ReadAttributeText(*this, u"RADIAL_GESTURE_START_ANGLE", text))
        mStartAngle = text.ToDouble();
    if (ReadAttributeText(*this, u"RADIAL_GESTURE_END_ANGLE", text))
        mEndAngle = text.ToDouble();
    if (ReadAttributeText(*this, u"FINE_ADJUST_MULTIPLIER", text))
        mFineAdjust = text.ToDouble();
    mGestureMode = mStartAngle != 0 || mEndAngle != 0 ? kRadialGesture : kLinearGesture;
    mStartAngle = NormalizeAngle(mStartAngle);
    mEndAngle = NormalizeAngle(mEndAngle);
    // A multiplier of 0 or below would stop fine moves or divide by nothing.
    if (!(mFineAdjust > 0))
        mFineAdjust = kDefaultFineAdjust;
    SetValueRange(0, 127, 0);
    return base;
}

KVRESULT LKnob::PostInitialize()
{
    RCPtr<LKnob> self(this);
    const int32_t count = GetLookCount();
    int32_t strip = 0;
    while (strip < count && GetLook(strip))
        ++strip;
    mValueLookCount = static_cast<uint32_t>(strip);
    mFocusLook = strip + 1 < count && GetLook(strip + 1) ? strip + 1 : -1;
    mDisabledLook = strip + 2 < count && GetLook(strip + 2) ? strip + 2 : -1;
    if (HasFocus())
        LayOverStrip(mFocusLook, true);
    if (!IsEnabled(true))
        LayOverStrip(mDisabledLook, true);

    if (mGestureMode == kLinearGesture && mLinearFullRange == 0)
    {
        // Whole pixels per look of the strip; a knob without looks takes the strip as one.
        const double looks = std::max<double>(mValueLookCount, 1);
        mLinearFullRange = static_cast<int32_t>(RoundHalfAwayFromZero(kDefaultRangePixels / looks) * looks);
    }
    mLinearFullRange = std::max(mLinearFullRange, kSmallestLinearRange);

    const RectT<double> client = GetClientRect(-1);
    mCentre = {static_cast<int32_t>(client.x + client.width / 2),
               static_cast<int32_t>(client.y + client.height / 2)};
    OnValueChanged();
    return S_OK;
}

void LKnob::LayOverStrip(int32_t lookIndex, bool on)
{
    if (lookIndex < 0)
        return;
    RCPtr<LBitmap> bitmap;
    ResizeType resize = ResizeType::Stretch;
    if (on)
    {
        const RCPtr<LLook> overlay = GetLook(lookIndex);
        const RCPtr<LLookDescriptor> descriptor = overlay ? overlay->GetDescriptor() : nullptr;
        const RCPtr<LVisualPart> part =
            descriptor && descriptor->mClientPart ? descriptor->mClientPart->GetVisualPart() : nullptr;
        if (!part)
            return;
        bitmap = part->GetBitmap();
        resize = part->GetResizeType();
        // A part that is a plain fill is laid over as a picture of its colour.
        const RCPtr<LColorizer>& colorizer = part->GetColorizer();
        const SizeT<int32_t>& size = part->GetPartSize();
        if (!bitmap && colorizer && colorizer->mType == ColorType::SolidFill && size.width > 0 &&
            size.height > 0)
            bitmap = LBitmap::CreateColorizedBitmap(colorizer, part->GetAlphaModifier(), size);
        if (!bitmap)
            return;
    }
    for (int32_t look = static_cast<int32_t>(mValueLookCount) - 1; look >= 0; --look)
        SetLookBitmap(bitmap, resize, look, false);
}

void LKnob::OnValueChanged()
{
    // Without a strip there is no look to show.
    if (mValueLookCount == 0)
        return;
    ShowLook(Whole(GetNormalizedValue() * (mValueLookCount - 1)));
}

double LKnob::SetNormalizedValue(double value)
{
    if (mLeftDragging)
    {
        mPendingValue = value;
        return GetNormalizedValue();
    }
    return LControl::SetNormalizedValue(value);
}

void LKnob::OnConditionsChanged(const RCPtr<LConditionsParam>& param)
{
    LControl::OnConditionsChanged(param);
    if (!param)
        return;
    RCPtr<LKnob> self(this);
    if (ConditionTurnedOn(*param, kConditionLeftDragging))
    {
        const RectT<double>& rect = GetRect();
        mLastPoint = {Whole(param->mPressPoint.x - rect.x), Whole(param->mPressPoint.y - rect.y)};
        mPrevPoint = mLastPoint;
        if (mGestureMode == kRadialGesture)
            RadialGesture(mLastPoint);
        mPendingValue = -1.0;
        SendValueCapture(*this, true);
    }
    else if (ConditionTurnedOff(*param, kConditionLeftDragging))
    {
        if (mApplyPendingValue && IsPendingValue(mPendingValue))
            LControl::SetNormalizedValue(mPendingValue);
        mPendingValue = -1.0;
        SendValueCapture(*this, false);
    }
    else if (ConditionTurnedOff(*param, kConditionHasFocus))
        EndArrowKeySeries(*this, mKeyDown);

    if (ConditionTurnedOn(*param, kConditionHasFocus) || ConditionTurnedOff(*param, kConditionHasFocus))
        LayOverStrip(mFocusLook, (param->mNewConditions & kConditionHasFocus) != 0);
    if (ConditionTurnedOn(*param, kConditionEnabled) || ConditionTurnedOff(*param, kConditionEnabled))
        LayOverStrip(mDisabledLook, (param->mNewConditions & kConditionEnabled) == 0);
}

void LKnob::OnMouseMoved(const RCPtr<LPointWithModifiersParam>& param)
{
    if (!param || !mLeftDragging)
        return;
    RCPtr<LKnob> self(this);
    if (mGestureMode == kRadialGesture)
        RadialGesture(param->mPoint);
    else
        LinearGesture(param->mPoint, (param->mModifiers & kCtrl) != 0);
}

void LKnob::LinearGesture(const PointT<int32_t>& point, bool fine)
{
    int32_t dx = point.x - mLastPoint.x;
    int32_t dy = point.y - mLastPoint.y;
    const int32_t px = point.x - mPrevPoint.x;
    const int32_t py = point.y - mPrevPoint.y;
    // A diagonal move counts along the axis the pointer has mostly been travelling.
    if (dx > 0 && dy > 0)
    {
        if (px - py > 0 && dy > dx)
            dy = 0;
        else if (px - py < 0 && dx > dy)
            dx = 0;
    }
    else if (dx < 0 && dy < 0)
    {
        if (px - py > 0 && dx < dy)
            dx = 0;
        else if (px - py < 0 && dx > dy)
            dy = 0;
    }
    const double range = mLinearFullRange;
    double delta = static_cast<double>(dx - dy) / (range - 1);
    if (fine)
        delta *= mFineAdjust;
    const double value = std::clamp(GetNormalizedValue() + delta, 0.0, 1.0);
    const double steps = std::max(fine ? range / mFineAdjust - 1 : range - 1, 1.0);
    LControl::SetNormalizedValue(RoundHalfAwayFromZero(steps * value) / steps);
    mPrevPoint = mLastPoint;
    mLastPoint = point;
}

KVRESULT LKnob::RadialGesture(const PointT<int32_t>& point)
{
    if (point.x == mCentre.x && point.y == mCentre.y)
        return S_FALSE;
    double distance = 0;
    double angle = 0;
    ToPolar(point.x - mCentre.x, point.y - mCentre.y, distance, angle);
    // Degrees clockwise from straight up (y grows downwards).
    double a = NormalizeAngle((angle + std::numbers::pi / 2) * kDegreesPerRadian);
    const double start = mStartAngle;
    const double end = mEndAngle <= start ? mEndAngle + 360 : mEndAngle;
    if (a <= start)
        a += 360;
    double value = 0;
    if (a > end)
        value = a > end + (start + 360 - end) / 2 ? 0.0 : 1.0; // the nearer end of the dead zone
    else
        value = (a - start) / (end - start);
    LControl::SetNormalizedValue(value);
    return S_OK;
}

double LKnob::NormalizeAngle(double degrees)
{
    if (!std::isfinite(degrees))
        return 0;
    degrees = std::fmod(degrees, 360.0);
    if (degrees < 0)
        degrees += 360;
    // A tiny negative angle comes back as 360 itself.
    return degrees >= 360 ? 0 : degrees;
}

void LKnob::ToPolar(double x, double y, double& distance, double& angle)
{
    distance = std::sqrt(x * x + y * y);
    angle = std::atan2(y, x);
}

KVRESULT LKnob::OnWheel(const RCPtr<LMouseWheelParam>& param)
{
    return StepByWheel(*this, param, false);
}

KVRESULT LKnob::OnHWheel(const RCPtr<LMouseWheelParam>& param)
{
    return StepByWheel(*this, param, true);
}

KVRESULT LKnob::OnKeyDown(const RCPtr<LKeyParam>& param)
{
    if (!param)
        return S_FALSE;
    RCPtr<LKnob> self(this);
    return HandleArrowKey(*this, param->mKeyCode, mKeyDown);
}

} // namespace KV
