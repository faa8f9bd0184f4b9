#pragma once
// Splitters: a bar between sibling controls that the user drags to give room to one side
// and take it from the other. LSplitterH moves up and down between controls stacked on top
// of each other, LSplitterV left and right between controls side by side.
//
// A splitter works through the layouts alone. The control before it is the one its
// position names ("after that control"): a drag sets that control's size. Later siblings
// that name the splitter (reaching to it, or starting at it and stretching) follow by
// their own layouts. The drag stops where a control would go below its preferred size or
// beyond its maximum.

#include "Controls/ControlClass.h"

namespace KV {

class LSplitterBase : public LControl
{
public:
    static constexpr int kHorizontal = 0; // moves on Y
    static constexpr int kVertical = 1;   // moves on X

    // Takes the sizing cursor of its orientation; the base's answer.
    KVRESULT Initialize() override;
    // The drag starts with the left drag, on the splitter's axis only.
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;
    // Frees the splitter from the control before it and works out how far it may go.
    void BeginDrag() override;
    // The control before the splitter takes the size the drag gives it.
    void OnDragMoved(const RCPtr<LPointWithModifiersParam>& param) override;
    // The splitter follows the control before it again.
    void EndDrag() override;
    void GetDragLimits(RectT<double>& limits) override;
    // Looks: 0 normal, 1 hover, 2 pressed, 3-5 the same with the focus, 6 disabled.
    KVRESULT UpdateLook();

    int GetOrientation() const noexcept { return mOrientation; }
    // Where the splitter may go on its axis during the present drag.
    double GetDragMin() const noexcept { return mDragMin; }
    double GetDragMax() const noexcept { return mDragMax; }

protected:
    LSplitterBase(const RCPtr<LControl>& parent, const String& name, int orientation);
    ~LSplitterBase() override;

private:
    // The axis the splitter moves on: 1 (Y) for a horizontal splitter, 0 (X) for a vertical.
    int DragAxis() const noexcept { return mOrientation == kHorizontal ? 1 : 0; }
    // Narrows the limits by the later siblings tied to the splitter, at position p.
    void LimitByLaterSiblings(double p);

    int mOrientation;
    double mDragMin = 0;
    double mDragMax = 0;
    double mSavedPositionAbs = 0;
    float mSavedPositionRel = 0;
    RCPtr<LControl> mBefore;
    double mBeforeSizeAtStart = 0;
    // Where in the splitter the pointer took it, on its axis: the limits are the pointer's.
    double mGripOffset = 0;
};

class LSplitterH : public LSplitterBase
{
public:
    LSplitterH(const RCPtr<LControl>& parent, const String& name) : LSplitterBase(parent, name, kHorizontal)
    {
    }

protected:
    ~LSplitterH() override = default;
};

class LSplitterV : public LSplitterBase
{
public:
    LSplitterV(const RCPtr<LControl>& parent, const String& name) : LSplitterBase(parent, name, kVertical) {}

protected:
    ~LSplitterV() override = default;
};

} // namespace KV
