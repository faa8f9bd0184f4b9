#include "ControlBase/LabelMinimum.h"

#include "ControlBase/LayoutArithmetic.h"

#include <cmath>

namespace KV {

namespace {

// The extent of the label's area for the control's extent: far edge minus near edge.
double TextSpan(float nearRel, int32_t nearAbs, float farRel, int32_t farAbs, double extent)
{
    const float e = static_cast<float>(extent);
    const float span =
        (farRel * e + static_cast<float>(farAbs)) - (nearRel * e + static_cast<float>(nearAbs));
    return ToFloatClamped(span);
}

} // namespace

double OwnMinimumWithLabel(int axis, const LLayoutDescriptor& layout, LLook* look,
                           const SizeT<double>& currentSize)
{
    const bool isX = axis == 0;
    double minimum = isX ? layout.mXMinSize.mAbs : layout.mYMinSize.mAbs;
    const bool overflows =
        isX ? layout.mTextOverflowX == TextOverflowX::Expand : layout.mTextOverflowY != TextOverflowY::Clip;
    if (!overflows || !look || !look->GetLabel() || !look->GetDescriptor())
        return minimum;

    const LLookDescriptor::TextProperties& text = look->GetDescriptor()->mText;
    LFontText& label = *look->GetLabel();
    if (isX)
    {
        label.SetWordWrap(false);
        const double available =
            TextSpan(text.mLeftRel, text.mLeftAbs, text.mRightRel, text.mRightAbs, currentSize.width);
        minimum = TextFitMinimum(minimum, label.GetMaxLineWidth(), available,
                                 static_cast<double>(text.mRightRel - text.mLeftRel), currentSize.width);
        const LayoutSizeLimitSpec& maximum = layout.mXMaxSize;
        if (!maximum.mToControl && maximum.mAbs > 0 && maximum.mAbs < minimum)
        {
            minimum = maximum.mAbs;
            label.SetWordWrap(true);
        }
        return minimum;
    }
    const double available =
        TextSpan(text.mTopRel, text.mTopAbs, text.mBottomRel, text.mBottomAbs, currentSize.height);
    const int32_t height = label.GetHeightForWidth(DoubleToLong(std::trunc(currentSize.width)));
    return TextFitMinimum(minimum, height, available, static_cast<double>(text.mBottomRel - text.mTopRel),
                          currentSize.height);
}

} // namespace KV
