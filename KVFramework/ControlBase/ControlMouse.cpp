// Pointer input of a control: presses, releases and clicks, the capture, moves and drags,
// wheel routing, the hit test and the cursor.

#include "Application/FrameworkApp.h"
#include "ControlBase/Control.h"
#include "ControlBase/RootWindow.h"
#include "Controls/MenuDescriptor.h"
#include "Notification/Notification.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace KV {

namespace {

Milliseconds Now()
{
    LFrameworkApp* app = LFrameworkApp::GetInstance();
    return app ? app->GetTimeMs() : 0;
}

bool IsButton(int button)
{
    return button == kMouseButtonLeft || button == kMouseButtonMiddle || button == kMouseButtonRight;
}

void Send(LControl& control, const char16_t* id, const RCPtr<LRefCountedObject>& data)
{
    control.SendNotification(LNotification::Create(id, data));
}

bool IsDockedOnBothAxes(LControl& control)
{
    const LLayoutDescriptor& layout = *control.GetLayout();
    return layout.mXIsDocked && layout.mYIsDocked;
}

PointT<int32_t> RoundedPosition(const RectT<double>& rect)
{
    return PointT<double>{rect.x, rect.y}.ToLong();
}

} // namespace

bool LControl::AcceptsInput()
{
    return IsShown(true) && GetLayout()->mEnabled && (!mParent || IsEnabled(true));
}

bool LControl::IsPressed(int button) const noexcept
{
    switch (button)
    {
    case kMouseButtonLeft:
        return mLeftPressed;
    case kMouseButtonMiddle:
        return mMiddlePressed;
    case kMouseButtonRight:
        return mRightPressed;
    default:
        return false;
    }
}

bool LControl::IsDragging(int button) const noexcept
{
    switch (button)
    {
    case kMouseButtonLeft:
        return mLeftDragging;
    case kMouseButtonMiddle:
        return mMiddleDragging;
    case kMouseButtonRight:
        return mRightDragging;
    default:
        return false;
    }
}

// ---- hover ----

KVRESULT LControl::OnMouseEnter()
{
    RCPtr<LControl> self(this);
    mHover = true;
    UpdateConditions();
    return S_OK;
}

KVRESULT LControl::OnMouseLeave()
{
    RCPtr<LControl> self(this);
    mHover = false;
    UpdateConditions();
    return S_OK;
}

// ---- press, capture, move, release ----

KVRESULT LControl::OnMouseDown(const RCPtr<LMouseButtonParam>& param)
{
    if (!param || !IsButton(param->mButton))
        return E_INVALIDARG;
    // A handler below may take the control out of its tree.
    RCPtr<LControl> self(this);
    const bool hadCapture = mHasCapture;
    if (!hadCapture)
    {
        if (!AcceptsInput())
            return S_FALSE;
        if (!NotFocusableInChain())
            SetFocus(true);
        else if (mParent)
            RCPtr<LControl>(mParent)->RequestFocus();
    }
    switch (param->mButton)
    {
    case kMouseButtonLeft:
        mLastLeftPress = param;
        OnLeftButtonDown(param);
        break;
    case kMouseButtonMiddle:
        OnMiddleButtonDown(param);
        break;
    default:
        OnRightButtonDown(param);
        break;
    }
    Send(*this, u"NID_MOUSE_DOWN", param);
    if (!mHasCapture)
        static_cast<UITarget*>(this)->BeginMouseCapture(param->mButton, param->mPoint.x, param->mPoint.y);
    return S_OK;
}

KVRESULT LControl::BeginMouseCapture(int button, int32_t x, int32_t y)
{
    if (!IsShown(true) || !IsEnabled(true))
        return S_FALSE;
    if (mHasCapture)
        return S_FALSE;
    RCPtr<LControl> self(this);
    RCPtr<LRootWindow> window = GetRootWindow();
    if (button != 0)
    {
        // The button may have come up again before the press got here.
        if (!window || (window->GetMouseButtons() & button) == 0)
            return S_FALSE;
        mPressPoint = {ClampCoordinate(x + mRect.x), ClampCoordinate(y + mRect.y)};
        mDragOffset = {0, 0};
    }
    // A press holds a fling of the content where it is.
    StopKineticScroll();
    mHasCapture = true;
    mCaptureTime = mPreviousMoveTime = Now();
    mDragVelocity = {0, 0};
    if (window)
        window->SetCaptureControl(self);
    switch (button)
    {
    case kMouseButtonLeft:
        mLeftPressed = true;
        mDragMode = 0;
        break;
    case kMouseButtonMiddle:
        mMiddlePressed = true;
        break;
    case kMouseButtonRight:
        mRightPressed = true;
        break;
    default:
        break;
    }
    UpdateConditions();
    if (mDragThreshold == 0 && button != 0)
    {
        // Every movement is a drag: the press is one already.
        bool& pressed = button == kMouseButtonLeft     ? mLeftPressed
                        : button == kMouseButtonMiddle ? mMiddlePressed
                                                       : mRightPressed;
        bool& dragging = button == kMouseButtonLeft     ? mLeftDragging
                         : button == kMouseButtonMiddle ? mMiddleDragging
                                                        : mRightDragging;
        pressed = false;
        dragging = true;
        UpdateConditions();
        if (mLeftDragging && mDragMode != 0)
            DragTo(LPointWithModifiersParam::Create({x, y}, 0));
    }
    return S_OK;
}

KVRESULT LControl::OnMouseMove(const RCPtr<LPointWithModifiersParam>& param)
{
    if (!param)
        return E_INVALIDARG;
    RCPtr<LControl> self(this);
    mMoveTime = Now();
    if (mLeftPressed || mMiddlePressed || mRightPressed)
    {
        const PointT<int32_t> press =
            PointT<double>{mPressPoint.x - mRect.x, mPressPoint.y - mRect.y}.ToLong();
        const int64_t dx = std::abs(int64_t{param->mPoint.x} - press.x);
        const int64_t dy = std::abs(int64_t{param->mPoint.y} - press.y);
        if (std::max(dx, dy) >= mDragThreshold)
        {
            // Handlers see the pointer at the press point when the drag begins.
            static_cast<UITarget*>(this)->OnMouseMove(
                LPointWithModifiersParam::Create(press, param->mModifiers));
            if (mLeftPressed)
                mLeftDragging = true;
            else if (mMiddlePressed)
                mMiddleDragging = true;
            else
                mRightDragging = true;
            mLeftPressed = mMiddlePressed = mRightPressed = false;
            UpdateConditions();
        }
    }
    OnMouseMoved(param);
    Send(*this, u"NID_MOUSE_MOVE", param);
    if (mLeftDragging && mDragMode != 0)
        DragTo(param);
    mPreviousMoveTime = mMoveTime;
    return S_OK;
}

KVRESULT LControl::OnMouseUp(const RCPtr<LMouseButtonParam>& param)
{
    if (!param || !IsButton(param->mButton))
        return E_INVALIDARG;
    if (!mHasCapture && !AcceptsInput())
        return S_FALSE;
    RCPtr<LControl> self(this);
    bool isClick = false;
    switch (param->mButton)
    {
    case kMouseButtonLeft:
        OnLeftButtonUp(param);
        isClick = (mLeftPressed || (mLeftDragging && mDragMode == 0)) && mHover;
        if (mLeftDragging && mDragMode == kDragPan)
            StartKineticScroll();
        break;
    case kMouseButtonMiddle:
        OnMiddleButtonUp(param);
        isClick = (mMiddlePressed || mMiddleDragging) && mHover;
        break;
    default:
        OnRightButtonUp(param);
        isClick = (mRightPressed || mRightDragging) && mHover;
        break;
    }
    Send(*this, u"NID_MOUSE_UP", param);
    if (mHasCapture && param->mButtonState == 0)
        static_cast<UITarget*>(this)->OnCaptureLost();
    if (isClick && GetLayout()->mEnabled && (!mParent || IsEnabled(true)))
        OnClick(param);
    return S_OK;
}

KVRESULT LControl::OnCaptureLost()
{
    if (!mHasCapture)
        return S_FALSE;
    RCPtr<LControl> self(this);
    mHasCapture = false;
    mLeftPressed = mMiddlePressed = mRightPressed = false;
    mLeftDragging = mMiddleDragging = mRightDragging = false;
    KVRESULT result = S_OK;
    if (RCPtr<LRootWindow> window = GetRootWindow())
        result = window->ReleaseCaptureControl();
    UpdateConditions();
    mLastLeftPress.Reset();
    return result;
}

KVRESULT LControl::SetDragThreshold(int32_t pixels)
{
    if (pixels < 0)
        return E_INVALIDARG;
    mDragThreshold = pixels;
    return S_OK;
}

// ---- clicks ----

KVRESULT LControl::OnClick(const RCPtr<LMouseButtonParam>& param)
{
    if (!param)
        return E_INVALIDARG;
    switch (param->mButton)
    {
    case kMouseButtonLeft:
        return OnLeftClick(param);
    case kMouseButtonMiddle:
        return OnMiddleClick(param);
    case kMouseButtonRight:
        return OnRightClick(param);
    default:
        return E_INVALIDARG;
    }
}

KVRESULT LControl::OnLeftClick(const RCPtr<LMouseButtonParam>& param)
{
    if (!param)
        return E_INVALIDARG;
    HandleLeftClick(param);
    Send(*this, u"NID_LEFT_CLICK", param);
    return S_OK;
}

KVRESULT LControl::OnMiddleClick(const RCPtr<LMouseButtonParam>& param)
{
    if (!param)
        return E_INVALIDARG;
    HandleMiddleClick(param);
    Send(*this, u"NID_MIDDLE_CLICK", param);
    return S_OK;
}

KVRESULT LControl::OnRightClick(const RCPtr<LMouseButtonParam>& param)
{
    if (!param)
        return E_INVALIDARG;
    RCPtr<LControl> self(this);
    HandleRightClick(param);
    Send(*this, u"NID_RIGHT_CLICK", param);
    // A listener may have replaced the menu or taken the control out of its window.
    if (const RCPtr<LMenuDescriptor> menu = GetContextMenu(); menu && GetRootWindow())
        ShowContextMenu(menu);
    return S_OK;
}

// ---- the wheel ----

KVRESULT LControl::OnMouseWheel(const RCPtr<LMouseWheelParam>& param)
{
    return RouteWheel(param);
}

KVRESULT LControl::OnMouseHWheel(const RCPtr<LMouseWheelParam>& param)
{
    return RouteWheel(param);
}

KVRESULT LControl::RouteWheel(const RCPtr<LMouseWheelParam>& param)
{
    if (!param)
        return -1;
    const bool horizontal =
        param->mDirection == kWheelHorizontalNegative || param->mDirection == kWheelHorizontalPositive;
    std::vector<RCPtr<LControl>> passedOver;
    KVRESULT result = S_FALSE;
    for (RCPtr<LControl> candidate(this); candidate;)
    {
        result = horizontal ? candidate->OnHWheel(param) : candidate->OnWheel(param);
        if (result != S_FALSE)
            return result;
        // Every control already offered the step stays out of the hit test below: the
        // children of a floating control lie under the pointer too, and would be found again.
        if (std::find(passedOver.begin(), passedOver.end(), candidate) == passedOver.end())
            passedOver.push_back(candidate);
        const RCPtr<LControl> parent = candidate->mParent;
        const bool floats =
            !candidate->GetLayout()->mClipToParent || (parent && !parent->GetLayout()->mClipToParent);
        if (!floats)
        {
            candidate = parent;
            continue;
        }
        // A floating control covers whatever lies under it, which is not its parent:
        // the step goes to the control underneath.
        RCPtr<LRootWindow> window = candidate->GetRootWindow();
        if (!window)
            break;
        for (const RCPtr<LControl>& control : passedOver)
            control->mBusy = true;
        PointT<int32_t> local;
        RCPtr<LControl> under = window->FindControlAtPoint(param->mPoint, local, false);
        for (const RCPtr<LControl>& control : passedOver)
            control->mBusy = false;
        if (under && std::find(passedOver.begin(), passedOver.end(), under) != passedOver.end())
            break;
        candidate = under;
    }
    return result;
}

// ---- hit testing ----

bool LControl::HitTest(const PointT<int32_t>& point)
{
    // Compared in the parent's coordinates, where the rectangle lives.
    const double x = ClampCoordinate(point.x + mRect.x);
    const double y = ClampCoordinate(point.y + mRect.y);
    return x >= mRect.x && x < mRect.x + mRect.width && y >= mRect.y && y < mRect.y + mRect.height;
}

int32_t LControl::GetEffectiveZOrder()
{
    int32_t rank = kNormalLayer;
    for (LControl* control = this; control; control = control->mParent.Get())
    {
        const LLayoutDescriptor& layout = *control->GetLayout();
        if (!layout.mClipToParent)
            rank = std::max(rank, layout.mZOrder);
    }
    return rank;
}

RCPtr<LControl> LControl::FindControlAtPoint(const PointT<int32_t>& point, bool deep, PointT<int32_t>& local,
                                             int32_t& bestRank)
{
    local = {0, 0};
    if (!GetLayout()->mIsVisible || mRect.width <= 0 || mRect.height <= 0)
        return nullptr;
    const bool inside = HitTest(point);
    if (!inside && mUnclippedCount == 0)
        return nullptr;

    RCPtr<LControl> found;
    PointT<int32_t> foundLocal;
    int32_t foundRank = kNormalLayer;
    const int32_t ownRank = GetEffectiveZOrder();
    const auto searchChildren = [&](int32_t lookIndex) {
        const RectT<int32_t> client = GetClientRect(lookIndex).ToLong();
        const bool insideClient = point.x >= client.x && point.x < client.x + client.width &&
                                  point.y >= client.y && point.y < client.y + client.height;
        const PointT<int32_t> childBase = PointT<double>{double(point.x) - client.x + mScrollOffset.x,
                                                         double(point.y) - client.y + mScrollOffset.y}
                                              .ToLong();
        for (int32_t index = static_cast<int32_t>(mChildren.GetCount()) - 1; index >= 0; --index)
        {
            const RCPtr<LControl> child = mChildren.GetAt(static_cast<uint32_t>(index), kDrawOrder);
            const bool onPath = deep && inside && (IsDockedOnBothAxes(*child) || insideClient);
            const bool floating = !child->GetLayout()->mClipToParent || child->mUnclippedCount > 0;
            if (!((!found && (onPath || ownRank > kNormalLayer)) || floating))
                continue;
            const PointT<int32_t> position = RoundedPosition(child->mRect);
            PointT<int32_t> childLocal;
            RCPtr<LControl> hit = child->FindControlAtPoint(
                {childBase.x - position.x, childBase.y - position.y}, deep && inside, childLocal, bestRank);
            if (!hit)
                continue;
            const int32_t hitRank = hit->GetEffectiveZOrder();
            if (!found || hitRank > foundRank)
            {
                found = hit;
                foundLocal = childLocal;
                foundRank = hitRank;
            }
        }
    };
    // Children are searched in the client area of every shown look, as they are drawn
    // there; a control that shows no look has its children over its whole area.
    if (GetShownLookIndex() < 0)
        searchChildren(-1);
    else
        for (int32_t lookIndex = 0; lookIndex < GetLookCount(); ++lookIndex)
            if (GetLookWeight(lookIndex) > 0.0f)
                searchChildren(lookIndex);
    if (found)
    {
        bestRank = foundRank;
        local = foundLocal;
        return found;
    }

    if (mBusy || !inside || IsTransparentAt(point.ToDouble()))
        return nullptr;
    if (mParent && GetLayout()->mClipToParent && !IsDockedOnBothAxes(*this))
    {
        // Where the parent clips the control away, the control is not there to be hit.
        const RectT<double> parentClient = mParent->GetClientRect(-1);
        const double x = point.x + mRect.x + parentClient.x - mParent->mScrollOffset.x;
        const double y = point.y + mRect.y + parentClient.y - mParent->mScrollOffset.y;
        if (x < parentClient.x || x >= parentClient.x + parentClient.width || y < parentClient.y ||
            y >= parentClient.y + parentClient.height)
            return nullptr;
    }
    if (ownRank == kNormalLayer ? !deep : ownRank <= bestRank)
        return nullptr;
    local = point;
    bestRank = ownRank;
    return RCPtr<LControl>(this);
}

// ---- positions ----

PointT<double> LControl::MapPointFromControl(LControl& other, const PointT<double>& point)
{
    const PointT<int32_t> from = other.GetRootPosition().ToLong();
    const PointT<int32_t> to = GetRootPosition().ToLong();
    return {ClampCoordinate(point.x + from.x - to.x), ClampCoordinate(point.y + from.y - to.y)};
}

// ---- the cursor ----

void LControl::SetCursor(CursorHandle cursor)
{
    if (cursor == mCursor)
        return;
    const bool wasUnset = mCursor == 0;
    mCursor = cursor;
    if (!mHover)
        return;
    if (RCPtr<LRootWindow> window = GetRootWindow())
    {
        const CursorHandle previous = window->SetCursor(mCursor);
        if (wasUnset)
            mSavedCursor = previous;
    }
}

} // namespace KV
