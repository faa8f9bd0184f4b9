#include "Application/OSWindow.h"

#include "Application/FrameworkApp.h"
#include "Application/Profile.h"
#include "Application/WindowPlacement.h"
#include "Notification/NotificationParams.h"
#include "Platform/Instance/SingleInstance.h"
#include "Platform/Window/PlatformWindow.h"
#include "Platform/Window/WindowEventSource.h"

#include <algorithm>
#include <vector>

namespace KV {

namespace {

using Platform::WindowEvent;
using Platform::WindowEventType;

// Windows closed and waiting for the next turn of the loop to be deleted.
std::vector<OSWindow*>& ClosedWindows()
{
    static std::vector<OSWindow*> closed;
    return closed;
}

// The windows that exist, so that an owner or modal window is used only while it does.
std::vector<const OSWindow*>& LiveWindows()
{
    static std::vector<const OSWindow*> live;
    return live;
}

// Input of the user, which a disabled window does not take.
bool IsUserInput(WindowEventType type)
{
    switch (type)
    {
    case WindowEventType::ButtonDown:
    case WindowEventType::ButtonUp:
    case WindowEventType::PointerMove:
    case WindowEventType::PointerLeave:
    case WindowEventType::Wheel:
    case WindowEventType::KeyDown:
    case WindowEventType::KeyUp:
    case WindowEventType::Text:
        return true;
    default:
        return false;
    }
}

// The cursor shown over the windows of the process, as the last SetCursor set it.
uintptr_t& CurrentCursor()
{
    static uintptr_t current = 0;
    return current;
}

std::string Utf8(const String& text)
{
    const NarrowString narrow = text.ToNarrow();
    return std::string(narrow.GetText(), static_cast<size_t>(narrow.GetLength()));
}

RegionRect EdgesOf(const RectT<int32_t>& rect)
{
    return {rect.x, rect.y, static_cast<int32_t>(int64_t{rect.x} + rect.width),
            static_cast<int32_t>(int64_t{rect.y} + rect.height)};
}

RectT<int32_t> WithFrame(const RectT<int32_t>& client, const Platform::FrameExtents& frame)
{
    return {client.x - frame.left, client.y - frame.top, client.width + frame.left + frame.right,
            client.height + frame.top + frame.bottom};
}

// Painting and input wake the idle processing again, the tick and wake-ups too: every
// event but a paint begins a new idle period of a modal loop.
bool StartsIdle(WindowEventType type)
{
    return type != WindowEventType::Paint && type != WindowEventType::None;
}

} // namespace

class OSWindow::EventBridge : public Platform::WindowEventHandler
{
public:
    explicit EventBridge(OSWindow* window) : mWindow(window) {}
    void OnWindowEvent(const WindowEvent& event) override { mWindow->OnWindowEvent(event); }

private:
    OSWindow* mWindow;
};

OSWindow::OSWindow() : mBridge(std::make_unique<EventBridge>(this))
{
    LiveWindows().push_back(this);
}

OSWindow::~OSWindow()
{
    std::erase(LiveWindows(), this);
    if (mWindow)
        DestroyWindow();
    std::erase(ClosedWindows(), this);
    if (LFrameworkApp* app = LFrameworkApp::GetInstance(); app && mRootWindow)
        app->RemoveRootWindow(mRootWindow);
    mRenderContext.Reset();
    mRenderer.Reset();
    mRootWindow.Reset();
}

KVRESULT OSWindow::CreateEx(const String& title, const RectT<int32_t>& clientRect, const Style& style)
{
    if (mWindow)
        return E_FAIL;
    Platform::WindowSpec spec;
    spec.title = Utf8(title);
    mTitle = title;
    spec.clientRect = clientRect;
    spec.resizable = style.resizable;
    spec.borderless = style.borderless;
    spec.topMost = style.topMost;
    spec.openGL = style.openGL;
    spec.className = Utf8(style.className);
    mWindow = Platform::PlatformWindow::Create(spec);
    if (!mWindow)
        return E_FAIL;
    mClosed = false;
    Platform::GetWindowEventSource().AddHandler(mWindow->GetId(), mBridge.get());
    return S_OK;
}

KVRESULT OSWindow::CreateRenderer(int rendererType)
{
    RectT<int32_t> client{0, 0, 0, 0};
    GetClientRect(client);
    RCPtr<LRenderer> renderer = LRenderer::Create(rendererType, client, GetNativeWindow());
    Platform::GetWindowEventSource().SetTickInterval(kIdleTickInterval);
    return AttachRenderer(renderer);
}

KVRESULT OSWindow::AttachRenderer(const RCPtr<LRenderer>& renderer)
{
    mRenderer = renderer;
    RectT<int32_t> client{0, 0, 0, 0};
    GetClientRect(client);
    mRenderContext.Reset();
    if (mRenderer)
        mRenderer->InitRenderContextInfo(client, GetNativeWindow(), false, mRenderContext);
    LFrameworkApp* app = LFrameworkApp::GetInstance();
    if (app && mRootWindow)
        app->RemoveRootWindow(mRootWindow);
    const bool rootTakesInput = !mInputTarget || mInputTarget == mRootWindow.Get();
    mRootWindow = LRootWindow::CreateInstance(this, mRenderer);
    // The root window takes the window's input, unless a target of another kind was put
    // in its place (tests record the input themselves).
    if (rootTakesInput)
        mInputTarget = mRootWindow.Get();
    if (app && mRootWindow)
        app->AddRootWindow(mRootWindow);
    return S_OK;
}

NativeWindowHandle OSWindow::GetNativeWindow() const noexcept
{
    return mWindow.get();
}

uint32_t OSWindow::GetWindowId() const noexcept
{
    return mWindow ? mWindow->GetId() : 0;
}

void OSWindow::SetIcon(const RCPtr<LBitmap>& icon)
{
    const BitmapImage* image = icon ? icon->GetGdiplusBitmap() : nullptr;
    if (!mWindow || !image)
        return;
    // A bitmap may view an area of a larger image.
    const RectT<int32_t>& area = icon->GetArea();
    if (area.width <= 0 || area.height <= 0)
        return;
    mWindow->SetIcon({image->PixelAt(area.x, area.y), image->GetStride(), area.width, area.height});
}

void OSWindow::SetPlacementProfile(LProfile* profile, const String& section)
{
    mPlacementProfile = profile;
    mPlacementSection = section;
}

bool OSWindow::RestorePlacement()
{
    if (!mWindow || !mPlacementProfile)
        return false;
    const std::optional<WindowPlacement> placement =
        ReadWindowPlacement(*mPlacementProfile, mPlacementSection);
    if (!placement)
        return false;
    if (mWindow->IsMinimized())
        mWindow->Restore();
    const Platform::FrameExtents frame = mWindow->GetFrameExtents();
    RectT<int32_t> window{placement->left, placement->top, placement->right - placement->left,
                          placement->bottom - placement->top};
    // The root control's limits, as when the user drags the frame.
    SizeT<int32_t> client{window.width - frame.left - frame.right, window.height - frame.top - frame.bottom};
    if (mInputTarget && mInputTarget->OnSizing(client) == 1)
    {
        window.width = client.width + frame.left + frame.right;
        window.height = client.height + frame.top + frame.bottom;
    }
    RectT<int32_t> desktop = Platform::GetWorkArea();
    if (desktop.width <= 0 || desktop.height <= 0)
        desktop = window;
    window = FitWindowToDesktop(window, desktop);
    mWindow->SetClientRect({window.x + frame.left, window.y + frame.top,
                            window.width - frame.left - frame.right,
                            window.height - frame.top - frame.bottom});
    return true;
}

bool OSWindow::IsMainWindow() const
{
    const LFrameworkApp* app = LFrameworkApp::GetInstance();
    return app && mRootWindow && app->GetRootWindows().GetCount() > 0 &&
           app->GetRootWindows().GetAtConst(0)->Get() == mRootWindow.Get();
}

bool OSWindow::ListenForCommandLines(const String& uniqueName)
{
    if (!mWindow)
        return false;
    const NarrowString name = uniqueName.ToNarrow();
    Platform::WindowEventSource* source = &Platform::GetWindowEventSource();
    const uint32_t windowId = mWindow->GetId();
    mCommandLines = Platform::ListenForCommandLines(name.GetText(), [source, windowId] {
        WindowEvent arrived;
        arrived.type = WindowEventType::CommandLines;
        arrived.windowId = windowId;
        source->PostEvent(arrived);
    });
    return mCommandLines != nullptr;
}

KVRESULT OSWindow::DestroyWindow()
{
    if (!mWindow)
        return E_FAIL;
    // Later instances find nobody listening from now on.
    mCommandLines.reset();
    if (mPlacementProfile && IsMainWindow())
    {
        const Platform::FrameExtents frame = mWindow->GetFrameExtents();
        const RectT<int32_t> window = WithFrame(mWindow->GetClientRect(), frame);
        WindowPlacement placement;
        placement.showCommand = mWindow->IsMinimized() ? 2 : 1;
        placement.left = window.x;
        placement.top = window.y;
        placement.right = window.x + window.width;
        placement.bottom = window.y + window.height;
        if (placement.IsSane())
            WriteWindowPlacement(*mPlacementProfile, mPlacementSection, placement);
    }
    if (mCaptured)
        mWindow->SetMouseCapture(false);
    mCaptured = false;
    mPressCount = 0;
    Platform::GetWindowEventSource().RemoveHandler(mWindow->GetId());
    // The render context and the renderer stay until the object goes: a root window may
    // still draw offscreen with them; nothing reaches the window any more.
    if (LFrameworkApp* app = LFrameworkApp::GetInstance(); app && mRootWindow)
        app->RemoveRootWindow(mRootWindow);
    mWindow.reset();
    return S_OK;
}

void OSWindow::Close()
{
    DestroyWindow();
    if (!mClosed)
    {
        mClosed = true;
        ClosedWindows().push_back(this);
        Platform::GetWindowEventSource().Wake();
    }
}

bool OSWindow::IsLive(const OSWindow* window)
{
    return window && std::find(LiveWindows().begin(), LiveWindows().end(), window) != LiveWindows().end();
}

void OSWindow::Enable(bool enable)
{
    if (enable == mEnabled)
        return;
    mEnabled = enable;
    if (!enable)
    {
        // What the user held stays with the window no longer.
        ReleaseCapture();
        mButtons = 0;
        mPressCount = 0;
    }
    else if (mCommandLines && mWindow)
    {
        // Command lines that came while the window took no input are taken now.
        WindowEvent waiting;
        waiting.type = WindowEventType::CommandLines;
        waiting.windowId = mWindow->GetId();
        Platform::GetWindowEventSource().PostEvent(waiting);
    }
}

void OSWindow::SetOwner(OSWindow* owner)
{
    mOwner = owner;
    if (mWindow && IsLive(owner) && owner->mWindow)
        mWindow->SetModalFor(owner->mWindow.get());
}

void OSWindow::RunDisabledLoop(const std::function<bool()>& ended)
{
    std::vector<const OSWindow*> disabled;
    for (const OSWindow* window : LiveWindows())
        if (window->mEnabled && window->mWindow)
            disabled.push_back(window);
    for (const OSWindow* window : disabled)
        const_cast<OSWindow*>(window)->Enable(false);
    LFrameworkApp* app = LFrameworkApp::GetInstance();
    RunLoopUntil([&] { return ended() || (app && app->IsExitRequested()); }, {});
    for (const OSWindow* window : disabled)
        if (IsLive(window))
            const_cast<OSWindow*>(window)->Enable(true);
}

uintptr_t OSWindow::GetDialogOwner()
{
    LFrameworkApp* app = LFrameworkApp::GetInstance();
    if (!app)
        return 0;
    RCPtr<LRootWindow> owner = app->GetActiveRootWindow();
    if (!owner)
        owner = app->GetFirstRootWindow();
    IWindowOSServices* services = owner ? owner->GetOSServices() : nullptr;
    return services ? services->GetWindowHandle() : 0;
}

void OSWindow::RunLoopUntil(const std::function<bool()>& ended, const std::function<void()>& onWait)
{
    Platform::WindowEventSource& source = Platform::GetWindowEventSource();
    int idleCount = 0;
    bool idle = true;
    while (!ended())
    {
        WindowEvent event;
        if (!source.WaitEvent(event, 0))
        {
            if (onWait)
                onWait();
            if (idle)
            {
                // Notifications flow meanwhile: up to three drains per idle period, the
                // first with the idle tick.
                LFrameworkApp* app = LFrameworkApp::GetInstance();
                const bool more = app && app->ProcessNotificationQueues(idleCount == 0);
                idle = more && idleCount < 2;
                ++idleCount;
                continue;
            }
            if (!source.WaitEvent(event, INFINITE_WAIT))
                continue;
        }
        source.Dispatch(event);
        DeleteClosedWindows();
        if (StartsIdle(event.type))
        {
            idle = true;
            idleCount = 0;
        }
    }
}

void OSWindow::DeleteClosedWindows()
{
    std::vector<OSWindow*> closed;
    closed.swap(ClosedWindows());
    for (OSWindow* window : closed)
        delete window;
}

void OSWindow::RequestPaint()
{
    if (mWindow)
        Platform::GetWindowEventSource().RequestPaint(mWindow->GetId());
}

void OSWindow::Paint()
{
    if (!mWindow || !mRenderer || !mRenderContext || mRenderer->GetContextDepth() != 0)
        return;
    RectRegion region;
    if (mInputTarget)
        mInputTarget->CollectInvalidRegion(region);
    RectRegion& dirty = mRenderContext->GetDirtyRegion();
    dirty.Clear();
    dirty.AppendRegion(region);
    for (const RegionNode* node = mUpdateRegion.GetFirstNode(); node; node = node->next)
        dirty.AddRect(node->rect);
    mUpdateRegion.Clear();
    if (dirty.IsEmpty())
        return;
    mRenderer->RenderStart(mRenderContext);
    if (mInputTarget)
    {
        // A frame of the whole window is drawn whole; otherwise only what the controls
        // asked for is drawn again, and what was merely uncovered is shown from the
        // renderer's picture.
        const RegionNode* only = dirty.GetFirstNode();
        const bool wholeViewport =
            only && !only->next && only->rect == EdgesOf(mRenderContext->GetViewport());
        mInputTarget->OnPaint(wholeViewport ? dirty : region);
    }
    mRenderer->RenderFinish(mRenderContext);
}

void OSWindow::BringToFront()
{
    // A window the application has not shown yet stays hidden.
    if (mWindow && mShown)
        mWindow->BringToFront();
    // A modal window open over it stays in front of it.
    if (IsLive(mModalChild) && mModalChild->mWindow)
        mModalChild->mWindow->Raise();
}

bool OSWindow::PointerInClientArea(const PointT<int32_t>& point) const
{
    if (!mWindow)
        return false;
    const RectT<int32_t> client = mWindow->GetClientRect();
    return point.x >= 0 && point.y >= 0 && point.x < client.width && point.y < client.height;
}

void OSWindow::ReleaseCapture()
{
    if (!mCaptured)
        return;
    mCaptured = false;
    mPressCount = 0;
    if (mWindow)
        mWindow->SetMouseCapture(false);
    if (mInputTarget)
        mInputTarget->OnCaptureLost();
}

void OSWindow::OnButton(int action, int button, const PointT<int32_t>& point, uint32_t modifiers)
{
    mLastPointer = point;
    if (mInputTarget && !mInputTarget->HasFocusControl())
        SetFocus();
    mButtons |= button;
    if (mPressCount++ == 0 && !mCaptured)
        mCaptured = true;
    // The pointer reports to the window while a button is held, wherever it goes.
    mWindow->SetMouseCapture(true);
    if (mInputTarget)
        mInputTarget->OnMouseButton(action, button, modifiers, point);
}

void OSWindow::OnButtonUp(int button, const PointT<int32_t>& point, uint32_t modifiers)
{
    mButtons &= ~button;
    mLastPointer = point;
    if (mButtons == 0)
        mWindow->SetMouseCapture(false);
    if (!PointerInClientArea(point) && mButtons == 0 && mPressCount != 0)
    {
        // Released outside after dragging out: the release is reported, then the capture
        // is given up.
        mPressCount = 0;
        if (mInputTarget)
            mInputTarget->OnMouseButton(IWindowInputTarget::kRelease, button, modifiers, point);
        const bool wasCaptured = mCaptured;
        mCaptured = false;
        if (wasCaptured && mInputTarget)
            mInputTarget->OnCaptureLost();
        return;
    }
    if (mInputTarget)
        mInputTarget->OnMouseButton(IWindowInputTarget::kRelease, button, modifiers, point);
}

void OSWindow::OnPointerMove(const PointT<int32_t>& point, uint32_t modifiers, bool left)
{
    const bool inside = !left && PointerInClientArea(point);
    if (mCaptured)
    {
        if (mButtons == 0 && !inside)
            ReleaseCapture();
    }
    else if (inside && IsActive())
    {
        // Held while the pointer is over the client area, so that the root window sees the
        // pointer leave.
        mCaptured = true;
    }
    mLastPointer = point;
    if (mInputTarget)
        mInputTarget->OnMouseMove(point, modifiers);
}

void OSWindow::OnResized(int32_t width, int32_t height)
{
    if (!mWindow)
        return;
    if (!mWindow->IsMinimized() && mInputTarget)
    {
        // The root control's limits: a size it does not allow is corrected at once.
        SizeT<int32_t> size{width, height};
        if (mInputTarget->OnSizing(size) == 1)
        {
            const RectT<int32_t> client = mWindow->GetClientRect();
            mWindow->SetClientRect({client.x, client.y, size.width, size.height});
            width = size.width;
            height = size.height;
        }
        mInputTarget->OnWindowResized();
        mInputTarget->SetSizeChanged();
    }
    if (mRenderContext)
        mRenderContext->SetViewport({0, 0, width, height});
    RequestPaint();
}

void OSWindow::OnMoved()
{
    if (!mWindow)
        return;
    if (mOutsideWorkArea)
    {
        if (mInputTarget)
            mInputTarget->SetSizeChanged();
        mOutsideWorkArea = false;
        RequestPaint();
    }
    const RectT<int32_t> workArea = Platform::GetWorkArea();
    if (workArea.width > 0 &&
        ReachesOutside(WithFrame(mWindow->GetClientRect(), mWindow->GetFrameExtents()), workArea))
        mOutsideWorkArea = true;
}

void OSWindow::OnCloseRequest()
{
    if (IsMainWindow())
    {
        // The main window's close box asks the application to end; the application
        // decides, and closes the window itself when it agrees.
        if (const RCPtr<LNotificationCenter>& center = LFrameworkApp::GetInstance()->GetDefaultCenter())
            center->PostNotification(LNotification::Create(u"NID_APP_EXIT_REQ"));
        return;
    }
    if (mInputTarget)
        mInputTarget->OnCloseCommand();
}

void OSWindow::OnWindowEvent(const WindowEvent& event)
{
    if (!mWindow)
        return;
    const PointT<int32_t> point{event.x, event.y};
    switch (event.type)
    {
    case WindowEventType::Paint:
        if (event.width > 0 && event.height > 0)
            mUpdateRegion.AddRect(EdgesOf({event.x, event.y, event.width, event.height}));
        Paint();
        return;
    case WindowEventType::Shown:
        RequestPaint();
        return;
    case WindowEventType::Resized:
        OnResized(event.width, event.height);
        return;
    case WindowEventType::Moved:
        OnMoved();
        return;
    case WindowEventType::CloseRequest:
        // A disabled window's close box does nothing: a modal window or dialog is open.
        if (mEnabled)
            OnCloseRequest();
        return;
    case WindowEventType::CommandLines:
        if (mCommandLines)
        {
            // A window that takes no input (a modal window or a dialog is open over it)
            // leaves the command lines waiting until it takes input again: the later
            // instance was told they went to the window. It still comes to the front.
            if (!mEnabled)
            {
                BringToFront();
                return;
            }
            std::string text;
            bool arrived = false;
            while (mCommandLines->TakeCommandLine(text))
            {
                arrived = true;
                if (text.empty())
                    continue;
                if (LFrameworkApp* app = LFrameworkApp::GetInstance())
                {
                    String commandLine;
                    commandLine.AssignNarrowText(text.c_str());
                    app->OnCommandLine(commandLine);
                }
            }
            // The user started the program again to get at it: the open window comes to
            // the front, restored when it was minimised.
            if (arrived)
                BringToFront();
        }
        return;
    case WindowEventType::Resumed:
        // After a sleep the screen may have lost what it showed: the window is drawn
        // again whole, as after a change of the display.
        if (IsMainWindow())
            LFrameworkApp::GetInstance()->OnPowerBroadcast(LFrameworkApp::kPowerEventResumeAutomatic, 0);
        if (!mWindow)
            return;
        [[fallthrough]];
    case WindowEventType::DisplayChanged:
        if (mInputTarget)
        {
            const RectT<int32_t> client = mWindow->GetClientRect();
            mInputTarget->InvalidateRect({0, 0, client.width, client.height});
        }
        RequestPaint();
        return;
    default:
        break;
    }
    if (!mEnabled && IsUserInput(event.type))
    {
        // A click on a window a modal window disabled brings the modal window to the front.
        if (event.type == WindowEventType::ButtonDown && IsLive(mModalChild) && mModalChild->mWindow)
            mModalChild->mWindow->Raise();
        return;
    }
    // Input reaches a root window only.
    if (!mRootWindow || !mInputTarget)
        return;
    switch (event.type)
    {
    case WindowEventType::ButtonDown:
        OnButton(event.clicks % 2 == 0 ? IWindowInputTarget::kDoubleClick : IWindowInputTarget::kPress,
                 event.button, point, PointerModifiers(event.modifiers));
        break;
    case WindowEventType::ButtonUp:
        OnButtonUp(event.button, point, PointerModifiers(event.modifiers));
        break;
    case WindowEventType::PointerMove:
        OnPointerMove(point, PointerModifiers(event.modifiers), false);
        break;
    case WindowEventType::PointerLeave:
        // While a button is held the pointer keeps reporting its moves.
        if (mButtons == 0)
            OnPointerMove(point, PointerModifiers(event.modifiers), true);
        break;
    case WindowEventType::Wheel:
        for (const auto& [axis, delta] : {std::pair{WheelAccumulator::kVertical, event.wheelY},
                                          std::pair{WheelAccumulator::kHorizontal, event.wheelX}})
        {
            if (delta == 0)
                continue;
            if (const std::optional<int> direction = mWheel.Add(axis, delta))
            {
                mLastPointer = point;
                mInputTarget->OnMouseWheel(point, PointerModifiers(event.modifiers), *direction);
            }
        }
        break;
    case WindowEventType::KeyDown:
    case WindowEventType::KeyUp:
        if (const std::optional<KeyCode> key = KeyCodeForKey(
                event.virtualKey, event.type == WindowEventType::KeyDown, event.repeat, event.modifiers))
            mInputTarget->OnKey(LKeyParam::Create(*key, 1));
        break;
    case WindowEventType::Text:
        for (const KeyCode& key : KeyCodesForText(event.text, event.modifiers))
            mInputTarget->OnKey(LKeyParam::Create(key, 1));
        break;
    case WindowEventType::FocusGained:
        mInputTarget->OnActivate();
        break;
    case WindowEventType::FocusLost:
        ReleaseCapture();
        mInputTarget->OnFocusLost();
        break;
    default:
        break;
    }
}

// ---- IWindowOSServices ----

KVRESULT OSWindow::SetWindowText(const String& text)
{
    if (!mWindow)
        return E_FAIL;
    // A root control without a text of its own leaves the title the window was made with:
    // a window without one is "Unnamed Window" in title bars and task lists.
    mWindow->SetTitle(Utf8(text.IsEmpty() ? mTitle : text));
    return S_OK;
}

KVRESULT OSWindow::InvalidateAll()
{
    if (!mWindow)
        return E_FAIL;
    const RectT<int32_t> client = mWindow->GetClientRect();
    mUpdateRegion.AddRect(EdgesOf({0, 0, client.width, client.height}));
    RequestPaint();
    return S_OK;
}

KVRESULT OSWindow::InvalidateRect(const RectT<int32_t>& rect)
{
    if (!mWindow)
        return E_FAIL;
    // What the root window asked for is in its own region; the window only owes a paint.
    RequestPaint();
    return S_OK;
}

KVRESULT OSWindow::GetClientRect(RectT<int32_t>& rect)
{
    if (!mWindow)
        return E_FAIL;
    const RectT<int32_t> client = mWindow->GetClientRect();
    if (client.width < 0 || client.height < 0)
        return E_FAIL;
    rect = {0, 0, client.width, client.height};
    return S_OK;
}

KVRESULT OSWindow::ScreenToClient(PointT<int32_t>& point)
{
    if (!mWindow)
        return E_FAIL;
    const RectT<int32_t> client = mWindow->GetClientRect();
    point = {point.x - client.x, point.y - client.y};
    return S_OK;
}

KVRESULT OSWindow::ClientToScreen(PointT<int32_t>& point)
{
    if (!mWindow)
        return E_FAIL;
    const RectT<int32_t> client = mWindow->GetClientRect();
    point = {point.x + client.x, point.y + client.y};
    return S_OK;
}

KVRESULT OSWindow::SetWindowRect(const RectT<int32_t>& rect)
{
    if (!mWindow)
        return E_FAIL;
    mWindow->SetClientRect(rect);
    return S_OK;
}

bool OSWindow::Show(int32_t command)
{
    if (!mWindow)
        return false;
    const bool wasVisible = mWindow->IsVisible();
    mWindow->Show(command != kShowHide);
    mShown = command != kShowHide;
    if (command != kShowHide)
        RequestPaint();
    return wasVisible;
}

KVRESULT OSWindow::RedrawWindow()
{
    if (!mWindow)
        return E_FAIL;
    Paint();
    return S_OK;
}

KVRESULT OSWindow::BringWindowToTop()
{
    if (!mWindow)
        return E_FAIL;
    mWindow->Raise();
    return S_OK;
}

KVRESULT OSWindow::SetTopMost(bool topMost)
{
    if (!mWindow)
        return E_FAIL;
    mWindow->SetTopMost(topMost);
    return S_OK;
}

KVRESULT OSWindow::EndModal(int32_t result)
{
    if (mModal)
    {
        mModalResult = result;
        mModal = false;
        return S_OK;
    }
    // The caller may be a handler of this very window: the object goes at the next turn.
    Close();
    return S_OK;
}

int32_t OSWindow::RunModalLoop()
{
    if (!mWindow)
        return -1;
    mModal = true;
    mModalResult = 0;
    // The owner takes no input while the modal window runs; the window stays in front of it.
    OSWindow* owner = IsLive(mOwner) && mOwner->mWindow ? mOwner : nullptr;
    const bool disabledOwner = owner && owner->mEnabled;
    if (disabledOwner)
    {
        owner->Enable(false);
        owner->mModalChild = this;
    }
    if (owner)
        mWindow->SetModalFor(owner->mWindow.get());
    const bool visibleAtStart = mWindow->IsVisible();
    // Notifications flow while the modal window runs.
    RunLoopUntil([this] { return !mModal; },
                 [this, visibleAtStart] {
                     if (!visibleAtStart && mWindow && !mWindow->IsVisible())
                         Show(kShowNormal);
                 });
    const bool wasActive = IsActive();
    if (disabledOwner && IsLive(owner))
    {
        owner->mModalChild = nullptr;
        owner->Enable(true);
        // The owner takes the keyboard back from the modal window that goes.
        if (wasActive)
            owner->SetFocus();
    }
    const int32_t result = mModalResult;
    Close();
    return result;
}

bool OSWindow::IsModal()
{
    return mModal;
}

bool OSWindow::IsActive()
{
    if (!mWindow)
        return false;
    const uint32_t focused = Platform::GetFocusedWindowId();
    if (focused == mWindow->GetId())
        return true;
    // The main window has no owner: it counts as active while no window of the process is.
    return focused == 0 && IsMainWindow();
}

bool OSWindow::HasFocus()
{
    return mWindow && mWindow->HasFocus();
}

KVRESULT OSWindow::SetFocus()
{
    if (mWindow)
        mWindow->TakeFocus();
    return S_OK;
}

uintptr_t OSWindow::SetCursor(uintptr_t cursor)
{
    const uintptr_t previous = CurrentCursor();
    if (cursor != previous)
    {
        Platform::ShowCursor(cursor);
        CurrentCursor() = cursor;
    }
    return previous;
}

PointT<int32_t> OSWindow::GetCursorPos()
{
    if (mCaptured || !mWindow)
        return mLastPointer;
    PointT<int32_t> point = Platform::GetPointerScreenPosition();
    ScreenToClient(point);
    mLastPointer = point;
    return point;
}

int32_t OSWindow::GetMouseButtons()
{
    if (!mCaptured)
        mButtons = Platform::GetPointerButtons();
    return mButtons;
}

uintptr_t OSWindow::GetWindowHandle()
{
    return mWindow ? mWindow->GetSystemHandle() : 0;
}

KVRESULT OSWindow::EnableTextInput(bool enable, int32_t value)
{
    return S_OK;
}

} // namespace KV
