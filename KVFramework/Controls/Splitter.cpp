#include "Controls/Splitter.h"

#include "Application/BusyCursorScope.h"
#include "Application/CursorNames.h"

#include <algorithm>

namespace KV {

namespace {

// Far enough to be no limit, and still exact in a double.
constexpr double kNoLimit = 4503599627370496.0; // 2^52

double OnAxis(const PointT<double>& point, int axis)
{
    return axis == 0 ? point.x : point.y;
}
double OnAxis(const SizeT<double>& size, int axis)
{
    return axis == 0 ? size.width : size.height;
}
double PositionOnAxis(const RectT<double>& rect, int axis)
{
    return axis == 0 ? rect.x : rect.y;
}
double ExtentOnAxis(const RectT<double>& rect, int axis)
{
    return axis == 0 ? rect.width : rect.height;
}

bool TurnedOn(const LConditionsParam& param, uint32_t bit)
{
    return (param.mNewConditions & bit) != 0 && (param.mOldConditions & bit) == 0;
}

bool TurnedOff(const LConditionsParam& param, uint32_t bit)
{
    return (param.mNewConditions & bit) == 0 && (param.mOldConditions & bit) != 0;
}

} // namespace

LSplitterBase::LSplitterBase(const RCPtr<LControl>& parent, const String& name, int orientation)
    : LControl(parent, name), mOrientation(orientation)
{
}

LSplitterBase::~LSplitterBase() = default;

KVRESULT LSplitterBase::Initialize()
{
    const KVRESULT base = LControl::Initialize();
    SetCursor(GetNamedCursor(mOrientation == kHorizontal ? CursorNames().sizeNS : CursorNames().sizeWE));
    return base;
}

void LSplitterBase::OnConditionsChanged(const RCPtr<LConditionsParam>& param)
{
    if (param && TurnedOn(*param, kConditionLeftDragging))
        SetDragMode(kDragMoveScrolling, mOrientation == kHorizontal ? kDragFlagY : kDragFlagX);
    else if (param && TurnedOff(*param, kConditionLeftDragging))
        mBefore.Reset();
    UpdateLook();
}

KVRESULT LSplitterBase::UpdateLook()
{
    if (!IsEnabled(true))
        return ShowLook(6);
    const bool pressed = mHasCapture && mLeftDragging;
    int32_t look = 0;
    if (pressed)
        look = mHover ? 2 : 1;
    else if (mHover && !mHasCapture)
        look = 1;
    return ShowLook(look + (mHasFocus ? 3 : 0));
}

void LSplitterBase::BeginDrag()
{
    RCPtr<LSplitterBase> self(this);
    const int axis = DragAxis();
    const double p = PositionOnAxis(GetRect(), axis);
    mGripOffset = OnAxis(mPressPoint, axis) - p;
    mDragMin = 0;
    mDragMax = kNoLimit;
    mBefore.Reset();

    LayoutAxisSpec own = GetLayout()->GetAxisSpec(axis);
    if (own.mPosition.mReference == PositionReference::Control && GetParent())
        mBefore = GetParent()->FindChild(own.mPosition.mControlName);
    if (mBefore)
    {
        // The splitter moves freely during the drag, from where it stands now; the
        // control before it takes the size.
        mSavedPositionAbs = own.mPosition.mAbs;
        mSavedPositionRel = own.mPosition.mRel;
        const double scroll = own.mDocked ? OnAxis(GetParent()->GetScrollOffset(), axis) : 0;
        own.mPosition.mReference = PositionReference::Client;
        own.mPosition.mRel = 0;
        own.mPosition.mAbs =
            p - scroll + static_cast<double>(own.mPosition.mPlacementAnchor) * ExtentOnAxis(GetRect(), axis);
        SetLayoutAxis(axis, own);

        mBeforeSizeAtStart = mBefore->GetLayout()->GetAxisSpec(axis).mSize.mAbs;
        mDragMin = std::max(mDragMin, p - (mBeforeSizeAtStart - OnAxis(mBefore->GetPreferredSize(), axis)));
        const double maximum = OnAxis(mBefore->GetMaxSize(), axis);
        if (maximum > 0)
            mDragMax = std::min(mDragMax, p + (maximum - mBeforeSizeAtStart));
    }
    LimitByLaterSiblings(p);
    // A neighbour already beyond its limits holds the splitter where it is rather than
    // making it jump at the first move.
    mDragMin = std::min(mDragMin, p);
    mDragMax = std::max(mDragMax, p);
    LControl::BeginDrag();
}

void LSplitterBase::LimitByLaterSiblings(double p)
{
    const RCPtr<LControl> parent = GetParent();
    if (!parent)
        return;
    const int axis = DragAxis();
    ChildControlList& siblings = parent->GetChildren();
    const int32_t own = parent->FindChildIndex(RCPtr<LControl>(this), kInsertionOrder);
    for (uint32_t i = static_cast<uint32_t>(own + 1); i < siblings.GetCount(); ++i)
    {
        const RCPtr<LControl> sibling = siblings.GetAt(i, kInsertionOrder);
        const LayoutAxisSpec spec = sibling->GetLayout()->GetAxisSpec(axis);
        float rel = 0;
        if (spec.mSize.mReference == SizeReference::Control && spec.mSize.mControlName == GetName())
            rel = spec.mSize.mRel; // it reaches to the splitter
        else if (spec.mPosition.mReference == PositionReference::Control &&
                 spec.mPosition.mControlName == GetName() && spec.mSize.mReference != SizeReference::Self)
            rel = spec.mPosition.mRel; // it starts at the splitter and stretches
        else
            continue;
        const double size = ExtentOnAxis(sibling->GetRect(), axis);
        const double preferred = OnAxis(sibling->GetPreferredSize(), axis);
        const double maximum = OnAxis(sibling->GetMaxSize(), axis);
        // Tied with no relative part, the sibling shrinks as the splitter goes back and
        // grows as it goes on; tied to the splitter's far side, the other way round. Its
        // preferred size stops the way that shrinks it, its maximum the way that grows it.
        if (rel == 0)
        {
            mDragMin = std::max(mDragMin, p - (size - preferred));
            if (maximum > 0)
                mDragMax = std::min(mDragMax, p + (maximum - size));
        }
        else
        {
            mDragMax = std::min(mDragMax, p + (size - preferred));
            if (maximum > 0)
                mDragMin = std::max(mDragMin, p - (maximum - size));
        }
    }
}

void LSplitterBase::GetDragLimits(RectT<double>& limits)
{
    // The limits are where the pointer may go: the splitter's, moved by where it was held.
    const double start = mDragMin + mGripOffset;
    const double extent = mDragMax - mDragMin;
    if (DragAxis() == 0)
    {
        limits.x = start;
        limits.width = extent;
    }
    else
    {
        limits.y = start;
        limits.height = extent;
    }
}

void LSplitterBase::OnDragMoved(const RCPtr<LPointWithModifiersParam>&)
{
    if (!mBefore)
        return;
    const int axis = DragAxis();
    LayoutAxisSpec spec = mBefore->GetLayout()->GetAxisSpec(axis);
    spec.mSize.mAbs = mBeforeSizeAtStart + OnAxis(GetDragOffset(), axis);
    mBefore->SetLayoutAxis(axis, spec);
}

void LSplitterBase::EndDrag()
{
    RCPtr<LSplitterBase> self(this);
    if (mBefore)
    {
        const int axis = DragAxis();
        LayoutAxisSpec own = GetLayout()->GetAxisSpec(axis);
        own.mPosition.mReference = PositionReference::Control;
        own.mPosition.mControlName = mBefore->GetName();
        own.mPosition.mRel = mSavedPositionRel;
        own.mPosition.mAbs = mSavedPositionAbs;
        SetLayoutAxis(axis, own);
    }
    LControl::EndDrag();
}

} // namespace KV
