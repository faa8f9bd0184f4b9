#pragma once
// An OpenGL rendering context on SDL2 and the drawables it draws into. The OpenGL
// renderer makes one context, on a hidden window of its own; a window's render context
// draws into the window's drawable (a window made with the OpenGL flag hands it out
// through NativeWindow::GetGLDrawable). Everything else of OpenGL, offscreen framebuffers
// included, is called by the renderer itself.
//
// Window thread only.

#include "Graphics/Geometry.h"

#include <cstdint>
#include <memory>
#include <string>

struct SDL_Window;

namespace KV::Platform {

// Something an OpenGL context draws into: an SDL window made with the OpenGL flag.
class GLDrawable
{
public:
    GLDrawable(const GLDrawable&) = delete;
    GLDrawable& operator=(const GLDrawable&) = delete;
    virtual ~GLDrawable() = default;

    // The size of the drawing surface in pixels; 0 x 0 once detached.
    SizeT<int32_t> GetSize() const;
    // Null once detached.
    SDL_Window* GetSdlWindow() const noexcept { return mWindow; }
    // The window is going: nothing is drawn into it or shown on it from now on.
    void Detach() noexcept { mWindow = nullptr; }

protected:
    explicit GLDrawable(SDL_Window* window) noexcept : mWindow(window) {}

private:
    SDL_Window* mWindow;
};

// The drawable of an SDL window that its owner made with SDL_WINDOW_OPENGL (after
// PrepareGLWindowAttributes) and keeps alive longer than this object.
std::unique_ptr<GLDrawable> WrapGLWindow(SDL_Window* window);
// Sets the pixel format that windows for the OpenGL renderer are made with: 8 bits per
// channel with alpha, double-buffered when asked. Call before SDL_CreateWindow.
void PrepareGLWindowAttributes(bool doubleBuffered);

class GLContext
{
public:
    // A compatibility-profile context made on a hidden 1 x 1 window of the pixel format;
    // null with SDL's reason in error when none can be made.
    static std::unique_ptr<GLContext> Create(bool doubleBuffered, std::string& error);
    GLContext(const GLContext&) = delete;
    GLContext& operator=(const GLContext&) = delete;
    // Deleted with nothing current afterwards.
    ~GLContext();

    // Makes the context current on the drawable, or on its own hidden window for null;
    // false for a detached drawable.
    bool MakeCurrent(const GLDrawable* drawable);
    // Leaves no context current.
    void ReleaseCurrent();
    // Shows the back buffer of a window's drawable.
    void SwapBuffers(const GLDrawable& drawable);
    bool IsDoubleBuffered() const noexcept { return mDoubleBuffered; }

    // The serial of the context that is current on this thread through MakeCurrent, 0 for
    // none. OpenGL objects remember it, so that they are deleted only in their own
    // context and never through a context that replaced it.
    static uint64_t GetCurrentSerial() noexcept;
    uint64_t GetSerial() const noexcept { return mSerial; }

private:
    GLContext() = default;

    std::unique_ptr<GLDrawable> mHiddenWindow;
    void* mContext = nullptr;
    bool mDoubleBuffered = true;
    uint64_t mSerial = 0;
};

} // namespace KV::Platform
