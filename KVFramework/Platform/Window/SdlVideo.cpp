#include "Platform/Window/SdlVideo.h"

#include "System/DebugConsole.h"

#include <SDL.h>

namespace KV::Platform {

// SdlPlatformWindow.cpp: the cursors it loaded are gone with video.
void ForgetSystemCursors();

bool SdlVideo::Acquire()
{
    // The process handles its own signals, ends when the application says so rather
    // than when its last window closes, and leaves the screen saver alone.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    // A click that activates a window is a click on it, as the framework expects.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    // Windows live on X (an X server, or the X layer of a Wayland session); no quiet
    // fall-back to a driver without a screen. SDL_VIDEODRIVER in the environment wins.
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    // Pictures drawn in memory go to the window as they are (shared memory with the X
    // server); a window surface must not start an OpenGL driver of its own for them.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0)
        return true;
    // Why, for a developer who asked: the run itself tells the user what it could not do.
    if (DebugConsole::GetInstance().IsRequested())
        CDebugLine<char>() << "No windows: " << SDL_GetError() << "\n";
    return false;
}

void SdlVideo::Release()
{
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        ForgetSystemCursors();
}

} // namespace KV::Platform
