// Top-level windows on SDL2.
//  [x] create hidden, show, hide, minimise and restore   [x] client rectangle, frame sizes
//  [x] size limits, fixed or resizable, borderless       [x] raise, top-most, focus, capture
//  [x] title and window class (WM_CLASS)                 [x] owner (transient for) of a modal window
//  [x] icon, system cursors                              [x] pictures through the presenter
//  [x] OpenGL drawable for the OpenGL renderer (windows made with the OpenGL flag)
//  [x] key and button state, pointer position and moves, pointer visibility, work area
//  [ ] disabling a window (SDL has no such state: OSWindow drops a disabled window's input)

#include "Platform/Window/PlatformWindow.h"

#include "Platform/Window/GLContext.h"
#include "Platform/Window/SdlKeyTranslation.h"
#include "Platform/Window/SdlSurfacePresenter.h"
#include "Platform/Window/SdlVideo.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xutil.h>

#include <cerrno>

#include <array>
#include <tuple>
#include <type_traits>

namespace KV::Platform {

namespace {

class SdlPlatformWindow : public PlatformWindow
{
public:
    explicit SdlPlatformWindow(SDL_Window* window)
        : mWindow(window), mPresenter(window),
          mGLDrawable((SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL) ? WrapGLWindow(window) : nullptr)
    {
    }
    ~SdlPlatformWindow() override
    {
        if (mGLDrawable)
            mGLDrawable->Detach();
        SDL_DestroyWindow(mWindow);
    }

    SurfacePresenter* GetSurfacePresenter() override { return &mPresenter; }
    std::shared_ptr<GLDrawable> GetGLDrawable() override { return mGLDrawable; }

    uint32_t GetId() const override { return SDL_GetWindowID(mWindow); }
    void SetTitle(const std::string& utf8) override { SDL_SetWindowTitle(mWindow, utf8.c_str()); }
    void Show(bool show) override
    {
        if (show)
            SDL_ShowWindow(mWindow);
        else
            SDL_HideWindow(mWindow);
    }
    bool IsVisible() const override { return (SDL_GetWindowFlags(mWindow) & SDL_WINDOW_SHOWN) != 0; }
    bool IsMinimized() const override { return (SDL_GetWindowFlags(mWindow) & SDL_WINDOW_MINIMIZED) != 0; }
    bool IsResizable() const override { return (SDL_GetWindowFlags(mWindow) & SDL_WINDOW_RESIZABLE) != 0; }
    void Restore() override { SDL_RestoreWindow(mWindow); }

    RectT<int32_t> GetClientRect() const override
    {
        RectT<int32_t> rect{0, 0, 0, 0};
        SDL_GetWindowPosition(mWindow, &rect.x, &rect.y);
        SDL_GetWindowSize(mWindow, &rect.width, &rect.height);
        return rect;
    }
    void SetClientRect(const RectT<int32_t>& screenRect) override
    {
        SDL_SetWindowPosition(mWindow, screenRect.x, screenRect.y);
        SDL_SetWindowSize(mWindow, screenRect.width > 0 ? screenRect.width : 1,
                          screenRect.height > 0 ? screenRect.height : 1);
    }
    FrameExtents GetFrameExtents() const override
    {
        FrameExtents frame;
        if (SDL_GetWindowBordersSize(mWindow, &frame.top, &frame.left, &frame.bottom, &frame.right) != 0)
            return FrameExtents{};
        return frame;
    }
    void SetSizeLimits(const SizeT<int32_t>& minimum, const SizeT<int32_t>& maximum) override
    {
        SDL_SetWindowMinimumSize(mWindow, minimum.width > 0 ? minimum.width : 1,
                                 minimum.height > 0 ? minimum.height : 1);
        // SDL takes 0 for no limit only on both axes together.
        constexpr int kNoLimit = 16384;
        SDL_SetWindowMaximumSize(mWindow, maximum.width > 0 ? maximum.width : kNoLimit,
                                 maximum.height > 0 ? maximum.height : kNoLimit);
    }
    void Raise() override { SDL_RaiseWindow(mWindow); }
    void BringToFront() override
    {
        // What the window manager did to the window last is among the events not read yet.
        SDL_PumpEvents();
        const uint32_t flags = SDL_GetWindowFlags(mWindow);
        if (flags & SDL_WINDOW_MINIMIZED)
            SDL_RestoreWindow(mWindow);
        if (!(SDL_GetWindowFlags(mWindow) & SDL_WINDOW_SHOWN))
            SDL_ShowWindow(mWindow);
        SDL_RaiseWindow(mWindow);
    }
    void SetTopMost(bool topMost) override
    {
        SDL_SetWindowAlwaysOnTop(mWindow, topMost ? SDL_TRUE : SDL_FALSE);
    }
    void SetModalFor(PlatformWindow* owner) override
    {
        if (auto* sdlOwner = dynamic_cast<SdlPlatformWindow*>(owner))
            SDL_SetWindowModalFor(mWindow, sdlOwner->mWindow);
    }
    void TakeFocus() override
    {
        SDL_RaiseWindow(mWindow);
        SDL_SetWindowInputFocus(mWindow);
    }
    bool HasFocus() const override { return SDL_GetKeyboardFocus() == mWindow; }
    void SetMouseCapture(bool capture) override
    {
        if (SDL_GetMouseFocus() == mWindow || !capture)
            SDL_CaptureMouse(capture ? SDL_TRUE : SDL_FALSE);
    }
    void SetIcon(const SurfacePixels& pixels) override
    {
        if (!pixels.data || pixels.width <= 0 || pixels.height <= 0)
            return;
        SDL_Surface* icon =
            SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t*>(pixels.data), pixels.width, pixels.height,
                                               32, pixels.stride, SDL_PIXELFORMAT_ARGB8888);
        if (!icon)
            return;
        SDL_SetWindowIcon(mWindow, icon);
        SDL_FreeSurface(icon);
    }
    uintptr_t GetSystemHandle() const override
    {
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        if (!SDL_GetWindowWMInfo(mWindow, &info) || info.subsystem != SDL_SYSWM_X11)
            return 0;
        return static_cast<uintptr_t>(info.info.x11.window);
    }

private:
    SdlVideoUse mVideo; // video outlives the window
    SDL_Window* mWindow;
    SdlSurfacePresenter mPresenter;
    std::shared_ptr<GLDrawable> mGLDrawable;
};

// Names the window's class for the window manager before it is first shown: SDL would
// give every window the executable's name as its class. The instance part stays the
// program's name, as X clients name it.
void SetWindowClass(SDL_Window* window, const std::string& className)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (className.empty() || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return;
    XClassHint hint;
    std::string instance = program_invocation_short_name ? program_invocation_short_name : className;
    hint.res_name = instance.data();
    std::string windowClass = className;
    hint.res_class = windowClass.data();
    XSetClassHint(info.info.x11.display, info.info.x11.window, &hint);
}

std::array<SDL_Cursor*, 14>& LoadedCursors()
{
    static std::array<SDL_Cursor*, 14> loaded{};
    return loaded;
}

} // namespace

void ForgetSystemCursors()
{
    LoadedCursors().fill(nullptr);
}

std::unique_ptr<PlatformWindow> PlatformWindow::Create(const WindowSpec& spec)
{
    SdlVideoUse video;
    if (!video.IsStarted())
        return nullptr;
    uint32_t flags = SDL_WINDOW_HIDDEN;
    if (spec.resizable)
        flags |= SDL_WINDOW_RESIZABLE;
    if (spec.borderless)
        flags |= SDL_WINDOW_BORDERLESS | SDL_WINDOW_SKIP_TASKBAR;
    if (spec.topMost)
        flags |= SDL_WINDOW_ALWAYS_ON_TOP;
    if (spec.openGL)
    {
        PrepareGLWindowAttributes(true);
        flags |= SDL_WINDOW_OPENGL;
    }
    SDL_Window* window = SDL_CreateWindow(spec.title.c_str(), spec.clientRect.x, spec.clientRect.y,
                                          spec.clientRect.width > 0 ? spec.clientRect.width : 1,
                                          spec.clientRect.height > 0 ? spec.clientRect.height : 1, flags);
    if (!window)
        return nullptr;
    SetWindowClass(window, spec.className);
    return std::make_unique<SdlPlatformWindow>(window);
}

uint32_t GetFocusedWindowId()
{
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return 0;
    SDL_Window* focused = SDL_GetKeyboardFocus();
    return focused ? SDL_GetWindowID(focused) : 0;
}

PointT<int32_t> GetPointerScreenPosition()
{
    PointT<int32_t> point{0, 0};
    if (SDL_WasInit(SDL_INIT_VIDEO))
        SDL_GetGlobalMouseState(&point.x, &point.y);
    return point;
}

int GetPointerButtons()
{
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return 0;
    const uint32_t state = SDL_GetGlobalMouseState(nullptr, nullptr);
    return ((state & SDL_BUTTON_LMASK) ? 1 : 0) | ((state & SDL_BUTTON_MMASK) ? 2 : 0) |
           ((state & SDL_BUTTON_RMASK) ? 4 : 0);
}

void GetKeyState(uint8_t virtualKey, bool& down, bool& toggled)
{
    if (!SDL_WasInit(SDL_INIT_VIDEO))
    {
        down = toggled = false;
        return;
    }
    int count = 0;
    const uint8_t* keyboard = SDL_GetKeyboardState(&count);
    KeyStateFromSdl(virtualKey, keyboard, count, static_cast<uint16_t>(SDL_GetModState()),
                    GetPointerButtons(), down, toggled);
}

bool MovePointerTo(int32_t screenX, int32_t screenY)
{
    return SDL_WasInit(SDL_INIT_VIDEO) && SDL_WarpMouseGlobal(screenX, screenY) == 0;
}

void SetPointerVisible(bool visible)
{
    if (SDL_WasInit(SDL_INIT_VIDEO))
        SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

RectT<int32_t> GetWorkArea()
{
    SDL_Rect area{0, 0, 0, 0};
    if (!SDL_WasInit(SDL_INIT_VIDEO) || SDL_GetDisplayUsableBounds(0, &area) != 0)
        return {0, 0, 0, 0};
    return {area.x, area.y, area.w, area.h};
}

uintptr_t LoadSystemCursor(SystemCursor cursor)
{
    static constexpr std::array<SDL_SystemCursor,
                                std::tuple_size_v<std::remove_reference_t<decltype(LoadedCursors())>>>
        kSdlCursors = {
            SDL_SYSTEM_CURSOR_ARROW,     SDL_SYSTEM_CURSOR_IBEAM,    SDL_SYSTEM_CURSOR_WAIT,
            SDL_SYSTEM_CURSOR_CROSSHAIR, SDL_SYSTEM_CURSOR_ARROW,    SDL_SYSTEM_CURSOR_SIZEALL,
            SDL_SYSTEM_CURSOR_SIZENWSE,  SDL_SYSTEM_CURSOR_SIZENESW, SDL_SYSTEM_CURSOR_SIZEWE,
            SDL_SYSTEM_CURSOR_SIZENS,    SDL_SYSTEM_CURSOR_NO,       SDL_SYSTEM_CURSOR_HAND,
            SDL_SYSTEM_CURSOR_WAITARROW, SDL_SYSTEM_CURSOR_ARROW,
        };
    // Made once per start of video: SDL frees its cursors when video stops.
    auto& loaded = LoadedCursors();
    const auto index = static_cast<size_t>(cursor);
    if (index >= kSdlCursors.size() || !SDL_WasInit(SDL_INIT_VIDEO))
        return 0;
    if (!loaded[index])
        loaded[index] = SDL_CreateSystemCursor(kSdlCursors[index]);
    return reinterpret_cast<uintptr_t>(loaded[index]);
}

void ShowCursor(uintptr_t cursor)
{
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return;
    SDL_Cursor* shown = cursor ? reinterpret_cast<SDL_Cursor*>(cursor) : SDL_GetDefaultCursor();
    if (shown)
        SDL_SetCursor(shown);
}

} // namespace KV::Platform
