// A control's condition word and the notifications of its changes.

#include "ControlBase/Control.h"
#include "ControlBase/RootWindow.h"
#include "Notification/Notification.h"

#include <utility>

namespace KV {

namespace {

// The notification of each condition, in the order they go out; a notification goes
// when any of its bits changed.
struct ConditionNotification
{
    uint32_t bits;
    const char16_t* id;
};

constexpr ConditionNotification kConditionNotifications[] = {
    {kConditionHasFocus, u"NID_HAS_FOCUS_CONDITION_CHANGE"},
    {kConditionContainsFocus, u"NID_CONTAINS_FOCUS_CONDITION_CHANGE"},
    {kConditionHoverOrHighlighted, u"NID_HOVER_CONDITION_CHANGE"},
    {kConditionCapture, u"NID_CAPTURE_CONDITION_CHANGE"},
    {kConditionLeftPressed | kConditionLeftDragging, u"NID_LEFT_DRAG_CONDITION_CHANGE"},
    {kConditionMiddlePressed | kConditionMiddleDragging, u"NID_MIDDLE_DRAG_CONDITION_CHANGE"},
    {kConditionRightPressed | kConditionRightDragging, u"NID_RIGHT_DRAG_CONDITION_CHANGE"},
    {kConditionEnabled, u"NID_ENABLED_CONDITION_CHANGE"},
    // Spelled so by every sender and listener.
    {kConditionShown, u"NID_VISIBLITY_CONDITION_CHANGE"},
};

bool TurnedOn(uint32_t before, uint32_t after, uint32_t bit)
{
    return (after & bit) != 0 && (before & bit) == 0;
}

bool TurnedOff(uint32_t before, uint32_t after, uint32_t bit)
{
    return TurnedOn(after, before, bit);
}

} // namespace

uint32_t LControl::GetConditions()
{
    uint32_t word = 0;
    const std::pair<bool, uint32_t> flags[] = {
        {mHasFocus, kConditionHasFocus},
        {mContainsFocus, kConditionContainsFocus},
        {mHover, kConditionHover},
        {mHasCapture, kConditionCapture},
        {mLeftPressed, kConditionLeftPressed},
        {mMiddlePressed, kConditionMiddlePressed},
        {mRightPressed, kConditionRightPressed},
        {mLeftDragging, kConditionLeftDragging},
        {mMiddleDragging, kConditionMiddleDragging},
        {mRightDragging, kConditionRightDragging},
        {GetLayout()->mEnabled && (!mParent || IsEnabled(true)), kConditionEnabled},
        {IsShown(true), kConditionShown},
        {mHover || mHighlighted, kConditionHoverOrHighlighted},
    };
    for (const auto& [set, bit] : flags)
        if (set)
            word |= bit;
    return word;
}

void LControl::SetHighlighted(bool highlighted)
{
    if (mHighlighted == highlighted)
        return;
    mHighlighted = highlighted;
    UpdateConditions();
}

void LControl::UpdateConditions()
{
    const uint32_t word = GetConditions();
    const RCPtr<LConditionsParam> param = mConditionsParam;
    if (word == param->mNewConditions)
        return;
    RCPtr<LControl> self(this);
    param->mOldConditions = param->mNewConditions;
    param->mNewConditions = word;
    param->mPressPoint = mPressPoint;
    const uint32_t before = param->mOldConditions;
    const RCPtr<LRootWindow> window = GetRootWindow();
    const bool captureEnded = TurnedOff(before, word, kConditionCapture);

    if (mCursor != 0 && window)
    {
        if (TurnedOn(before, word, kConditionHover) && !mHasCapture)
            mSavedCursor = window->SetCursor(mCursor);
        else if ((TurnedOff(before, word, kConditionHover) && !mHasCapture) || (captureEnded && !mHover))
            window->SetCursor(mSavedCursor);
    }

    if (mDragMode != kDragNone && TurnedOff(before, word, kConditionLeftDragging))
        EndDrag();

    OnConditionsChanged(param);
    SendNotification(LNotification::Create(u"NID_CONDITION_CHANGE", param));
    // A listener may change the state again: the nested pass moves the parameter on, and
    // this one goes on with what it says now.
    for (const ConditionNotification& condition : kConditionNotifications)
        if (((param->mOldConditions ^ param->mNewConditions) & condition.bits) != 0)
            SendNotification(LNotification::Create(condition.id, param));

    // A control that sets its drag mode as the drag begins (in OnConditionsChanged above)
    // starts it in this same pass.
    if (mDragMode != kDragNone && TurnedOn(before, word, kConditionLeftDragging))
        BeginDrag();

    // The control that left the pointer's way passes the hover on to the one beneath.
    const bool noLongerShown = ((before ^ word) & kConditionShown) != 0 && !IsShown(true);
    if (window && ((mHover && noLongerShown && !mHasCapture) || (captureEnded && !mHover)))
    {
        PointT<int32_t> local;
        window->FindControlAtPoint(window->GetCursorPosition(), local, true);
    }

    // The children's enabled and shown conditions include this control's.
    if (((before ^ word) & (kConditionEnabled | kConditionShown)) != 0)
        for (int32_t index = static_cast<int32_t>(mChildren.GetCount()) - 1; index >= 0; --index)
            if (static_cast<uint32_t>(index) < mChildren.GetCount())
                RCPtr<LControl>(mChildren.GetAt(static_cast<uint32_t>(index), kInsertionOrder))
                    ->UpdateConditions();
}

} // namespace KV
