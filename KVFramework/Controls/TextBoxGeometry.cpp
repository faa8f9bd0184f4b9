// Where the text box's characters, caret and selection lie, which looks show them, and
// the caret's drawing.

#include "Application/FrameworkApp.h"
#include "Controls/TextBox.h"
#include "Graphics/Color.h"
#include "Renderer/Renderer.h"

#include <algorithm>
#include <cmath>

namespace KV {

namespace {

// Sizes handed to the renderer stay within what a float holds exactly.
constexpr float kCoordinateLimit = 8388608.0f; // 2^23

float Limit(float value)
{
    return std::clamp(value, -kCoordinateLimit, kCoordinateLimit);
}

// The rectangle with its edges rounded to whole pixels, as a region.
void RegionOfRect(RectRegion& region, const RectT<float>& rect)
{
    RectT<double> edges{rect.x, rect.y, rect.width, rect.height};
    edges.RoundEdges();
    const RectT<int32_t> whole = edges.ToLong();
    region.AddRect({whole.x, whole.y, whole.x + whole.width, whole.y + whole.height});
}

} // namespace

RectT<float> LTextBox::Measure(const String& text) const
{
    LFrameworkApp* app = LFrameworkApp::GetInstance();
    const RCPtr<LMeasurementRenderer> measurer = app ? app->GetMeasurementRenderer() : nullptr;
    if (!measurer || !GetFont())
        return {};
    return measurer->MeasureText(text, ConstRCPtr<LFont>(GetFont()));
}

RectT<float> LTextBox::GetTextArea()
{
    const RCPtr<LLook> look = kLookNormal < GetLookCount() ? GetLook(kLookNormal) : nullptr;
    const float w = static_cast<float>(GetRect().width);
    const float h = static_cast<float>(GetRect().height);
    if (!look || !look->GetDescriptor())
        return {0, 0, w, h};
    const LLookDescriptor::TextProperties& text = look->GetDescriptor()->mText;
    const float left = text.mLeftRel * w + static_cast<float>(text.mLeftAbs);
    const float top = text.mTopRel * h + static_cast<float>(text.mTopAbs);
    const float right = text.mRightRel * w + static_cast<float>(text.mRightAbs);
    const float bottom = text.mBottomRel * h + static_cast<float>(text.mBottomAbs);
    return {left, top, right - left, bottom - top};
}

PointT<float> LTextBox::GetLineOrigin()
{
    const RectT<float> area = GetTextArea();
    const RCPtr<LLook> look = kLookNormal < GetLookCount() ? GetLook(kLookNormal) : nullptr;
    if (!look || !look->GetLabel())
        return {area.x, area.y};
    const RectT<float>& line = look->GetLabel()->GetLine(0);
    return {area.x + line.x, area.y + line.y};
}

void LTextBox::UpdateCaretGeometry()
{
    const PointT<float> origin = GetLineOrigin();
    const int32_t caret = std::min(mCaret, GetTextLength());
    const float before = caret > 0 ? Measure(GetText().Left(caret)).width : 0.0f;
    const int32_t fontHeight = GetFont() ? GetFont()->GetHeight() : 0;
    mCaretRect = {origin.x + before - 1.0f, origin.y, 1.0f, static_cast<float>(std::max(fontHeight, 0))};
}

RectT<float> LTextBox::GetCharRect(int32_t index)
{
    const int32_t length = GetTextLength();
    if (index < 0 || index > length)
        return {};
    const PointT<float> origin = GetLineOrigin();
    const float before = index > 0 ? Measure(GetText().Left(index)).width : 0.0f;
    // The end has no character: its rectangle is as high as one and has no width.
    const RectT<float> one = Measure(index < length ? GetText().Mid(index, 1) : String());
    return {origin.x + before, origin.y, Limit(std::max(one.width - 1.0f, 0.0f)), Limit(one.height)};
}

RectT<float> LTextBox::GetRangeRect(int32_t first, int32_t last)
{
    const int32_t length = GetTextLength();
    if (first < 0 || last < 0 || first > length || last > length)
        return {};
    if (first == last)
        return GetCharRect(first);
    const RectT<float> low = GetCharRect(std::min(first, last));
    const RectT<float> high = GetCharRect(std::max(first, last));
    return {low.x, low.y, high.x + high.width - low.x, low.height};
}

int32_t LTextBox::GetCharIndexAtPoint(const PointT<double>& point)
{
    const RectT<float> area = GetTextArea();
    const double x =
        std::clamp<double>(point.x, area.x, area.x + std::max(area.width, 0.0f)) + GetScrollOffset().x;
    // One line: every height reads the same line.
    const int32_t count = GetTextLength();
    int32_t low = 0;
    int32_t high = count - 1;
    while (low <= high)
    {
        const int32_t middle = low + (high - low) / 2;
        const RectT<float> rect = GetCharRect(middle);
        if (x > rect.x + rect.width)
            low = middle + 1;
        else if (x < rect.x)
            high = middle - 1;
        else
            return x >= rect.x + rect.width / 2 ? middle + 1 : middle;
    }
    // Left of the first character, right of the last, or in the narrow gap between two
    // neighbours: the position before the character on the right.
    return low;
}

void LTextBox::UpdateLooks()
{
    const int32_t looks = GetLookCount();
    const auto has = [looks](int32_t index) { return index < looks; };
    if (!IsEnabled(true))
    {
        ClearLookRegions();
        if (has(kLookDisabled))
            ShowLook(kLookDisabled);
        return;
    }
    const bool hot = mHover || mHighlighted || mLeftDragging;
    const bool focused = mHasFocus;
    if (!focused && GetTextLength() == 0 && !mHintText.IsEmpty())
    {
        const RCPtr<LLook> hint = has(kLookHint) ? GetLook(kLookHint) : nullptr;
        if (!hint || !hint->GetLabel() || !has(kLookBesideHint))
            return;
        const RectT<float> area = GetTextArea();
        const RectT<float>& line = hint->GetLabel()->GetLine(0);
        RectRegion region;
        RegionOfRect(region, {area.x, area.y, line.width, line.height});
        SetLookRegion(kLookHint, region);
        SetLookRegionExcluding(kLookBesideHint, kLookHint);
        ShowLook(kLookBesideHint);
        SetLookWeight(kLookHint, 1.0f, false);
        return;
    }
    const int32_t base = focused ? kLookFocused + (hot ? 1 : 0) : (hot ? kLookHot : kLookNormal);
    const int32_t selectionLook = kLookSelection + (hot ? 1 : 0);
    if (focused && mSelectionLength > 0 && has(selectionLook) && has(base))
    {
        RectT<float> range = GetRangeRect(mSelectionStart, mSelectionStart + mSelectionLength - 1);
        range.x -= static_cast<float>(GetScrollOffset().x);
        range.y -= static_cast<float>(GetScrollOffset().y);
        RectT<float> cut;
        RectT<float>::Intersect(cut, range, GetTextArea());
        RectRegion region;
        RegionOfRect(region, cut);
        SetLookRegion(selectionLook, region);
        SetLookRegionExcluding(base, selectionLook);
        ShowLook(base);
        SetLookWeight(selectionLook, 1.0f, false);
        return;
    }
    ClearLookRegions();
    if (has(base))
        ShowLook(base);
}

int32_t LTextBox::DrawContent(LRenderer& renderer)
{
    if (!mHasFocus || !mCaretShown)
        return 0;
    const float x = Limit(mCaretRect.x - static_cast<float>(GetScrollOffset().x));
    const float top = Limit(mCaretRect.y - static_cast<float>(GetScrollOffset().y));
    const float bottom = Limit(mCaretRect.y + mCaretRect.height - static_cast<float>(GetScrollOffset().y));
    ColorT black;
    black.FromARGB(0xFF000000u);
    renderer.DrawLine({x, top}, {x, bottom}, black, 1.0f);
    return 0;
}

} // namespace KV
