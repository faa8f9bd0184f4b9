// How a text longer than its box scrolls sideways: the caret stays in view while the user
// types and moves it, a drag past the box's edge scrolls the text under the pointer while
// the selection follows, and the scrolling stops at either end.

#include "ControlBase/RootWindow.h"
#include "Controls/TextBox.h"

#include <algorithm>
#include <utility>

namespace KV {

namespace {

// The scrolling speed of a drag past an edge, in pixels per second for each pixel the
// pointer is beyond the edge (and one more).
constexpr double kAutoScrollSpeedPerPixel = 15;
// Room beyond the text's end, so that the caret after the last character shows whole.
constexpr double kEndRoom = 3;

} // namespace

double LTextBox::GetLargestScrollX()
{
    const double content = GetClientExtent().width;
    const double area = GetTextArea().width;
    return content > area ? content - area + kEndRoom : 0;
}

PointT<double> LTextBox::SetScrollOffset(const PointT<double>& offset)
{
    // Following the pointer below may move the caret, which asks to scroll again.
    if (mInScrollUpdate)
        return GetScrollOffset();
    RCPtr<LTextBox> self(this);
    const bool was = std::exchange(mInScrollUpdate, true);
    const PointT<double> result = LScrollView::SetScrollOffset(offset);
    if (IsAutoScrolling(0) && (result.x <= 0 || result.x >= GetLargestScrollX()))
        StopAutoScroll(0);
    const RCPtr<LRootWindow> window = mLeftDragging ? GetRootWindow() : nullptr;
    if (window)
    {
        // The text moved under a still pointer: the selection reaches to what is under it now.
        const PointT<int32_t> cursor = window->GetCursorPosition();
        const PointT<double> root = GetRootPosition();
        ExtendSelectionTo(GetCharIndexAtPoint({cursor.x - root.x, cursor.y - root.y}));
    }
    else
        UpdateLooks();
    mInScrollUpdate = was;
    return result;
}

void LTextBox::ScrollCaretIntoView()
{
    const RectT<float> area = GetTextArea();
    // The caret's left edge, counted from where the area shows the content's start.
    const double caret = mCaretRect.x - area.x;
    double x = GetScrollOffset().x;
    if (caret < x)
        x = caret;
    else if (caret + mCaretRect.width > x + area.width)
        x = caret + mCaretRect.width - area.width;
    // A text that shrank leaves no blank room after its end.
    x = std::clamp(x, 0.0, GetLargestScrollX());
    if (x != GetScrollOffset().x)
        SetScrollOffset({x, GetScrollOffset().y});
}

void LTextBox::AutoScrollTowards(double x)
{
    const RectT<float> area = GetTextArea();
    const double right = area.x + area.width;
    double speed = 0;
    if (x < area.x && GetScrollOffset().x > 0)
        speed = -(area.x - x + 1) * kAutoScrollSpeedPerPixel;
    else if (x > right && GetScrollOffset().x < GetLargestScrollX())
        speed = (x - right + 1) * kAutoScrollSpeedPerPixel;
    if (speed == 0)
        StopAutoScroll(0);
    else
        StartAutoScroll(0, speed, GetLargestScrollX(), 0, nullptr);
}

} // namespace KV
