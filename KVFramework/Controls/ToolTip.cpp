#include "Controls/ToolTip.h"

#include "Application/FrameworkApp.h"
#include "ControlBase/RootWindow.h"

#include <algorithm>

namespace KV {

namespace {

// When a visible tip was last hidden; every tip of the process shares it (window thread).
Milliseconds gLastToolTipHideTime = 0;

Milliseconds Now()
{
    LFrameworkApp* app = LFrameworkApp::GetInstance();
    return app ? app->GetTimeMs() : 0;
}

} // namespace

LToolTip::LToolTip(const RCPtr<LControl>& parent, const String& name) : LControl(parent, name) {}

LToolTip::~LToolTip() = default;

KVRESULT LToolTip::ApplyAttributes()
{
    SetNotFocusable(true);
    return S_OK;
}

KVRESULT LToolTip::PostInitialize()
{
    SetVisible(false);
    return S_OK;
}

KVRESULT LToolTip::Show()
{
    RCPtr<LToolTip> self(this);
    if (RCPtr<LRootWindow> window = GetRootWindow())
    {
        // Long texts wrap inside the window. A window narrower than the margin still
        // leaves the tip a width to wrap in.
        const int32_t width = window->GetScreenRect().width;
        LayoutSizeLimitSpec maximum;
        maximum.mAbs = std::max(width - kWindowMarginX, 1);
        SetSizeLimits(0, GetLayout()->mXMinSize, maximum);
    }
    const Milliseconds now = Now();
    if (now - gLastToolTipHideTime < kImmediateReshowMs)
        Appear(now);
    else
    {
        mShowState = ShowState::Pending;
        mShowStateTime = now;
    }
    BeginIdleProcessing();
    return S_OK;
}

void LToolTip::Appear(Milliseconds now)
{
    mShowState = ShowState::Shown;
    mShowStateTime = now;
    Place();
    SetVisible(true);
}

void LToolTip::OnIdle()
{
    const Milliseconds now = Now();
    if (mShowState == ShowState::Pending && now - mShowStateTime > kShowDelayMs)
        Appear(now);
    else if (mShowState == ShowState::Shown && now - mShowStateTime > kDisplayTimeMs)
        Hide();
}

KVRESULT LToolTip::Hide()
{
    RCPtr<LToolTip> self(this);
    if (mShowState != ShowState::Hidden)
    {
        mShowState = ShowState::Hidden;
        EndIdleProcessing();
    }
    // Only a tip that was seen starts the moment in which the next one shows at once.
    if (IsShown(false))
        gLastToolTipHideTime = Now();
    if (RCPtr<LControl> parent = GetParent())
        parent->RemoveChild(self);
    return S_OK;
}

void LToolTip::Place()
{
    RCPtr<LRootWindow> window = GetRootWindow();
    RCPtr<LControl> parent = GetParent();
    if (!window || !parent)
        return;
    const PointT<int32_t> pointer = window->GetCursorPosition();
    const RectT<int32_t> client = window->GetScreenRect();
    const SizeT<int32_t> own = SizeT<double>{GetRect().width, GetRect().height}.ToLong();
    const PointT<double> parentOrigin = parent->GetRootPosition();
    const PointT<double>& parentScroll = parent->GetScrollOffset();
    for (int axis = 0; axis < 2; ++axis)
    {
        const int32_t size = axis == 0 ? own.width : own.height;
        const int32_t room = axis == 0 ? client.width : client.height;
        int32_t position = axis == 0 ? pointer.x : pointer.y + kPointerOffsetY;
        if (position + size > room)
            position = room - size;
        position = std::max(position, 0);
        LayoutAxisSpec spec = GetLayout()->GetAxisSpec(axis);
        spec.mPosition.mReference = PositionReference::Parent;
        spec.mPosition.mRel = 0;
        spec.mPosition.mAbs =
            position - (axis == 0 ? parentOrigin.x - parentScroll.x : parentOrigin.y - parentScroll.y);
        SetLayoutAxis(axis, spec);
    }
}

} // namespace KV
