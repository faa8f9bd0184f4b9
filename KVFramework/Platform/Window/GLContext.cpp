// OpenGL context backend on SDL2.
//  [x] compatibility-profile context on a hidden window   [x] window drawables
//  [x] double-buffered swaps
//  [ ] shared contexts between renderers

#include "Platform/Window/GLContext.h"

#include "Platform/Window/SdlVideo.h"

#include <SDL.h>

#include <algorithm>

namespace KV::Platform {

namespace {

thread_local uint64_t gCurrentSerial = 0;
uint64_t gNextSerial = 0;

// Keeps SDL's video part running while a window or context of ours lives.
bool StartVideo(std::string& error)
{
    if (SdlVideo::Acquire())
        return true;
    error = SDL_GetError();
    return false;
}

// A window that we made and destroy with the object.
class OwnedGLDrawable : public GLDrawable
{
public:
    explicit OwnedGLDrawable(SDL_Window* window) noexcept : GLDrawable(window) {}
    ~OwnedGLDrawable() override
    {
        SDL_DestroyWindow(GetSdlWindow());
        SdlVideo::Release();
    }
};

class BorrowedGLDrawable : public GLDrawable
{
public:
    explicit BorrowedGLDrawable(SDL_Window* window) noexcept : GLDrawable(window) {}
};

std::unique_ptr<GLDrawable> CreateHiddenWindow(const SizeT<int32_t>& size, bool doubleBuffered,
                                               std::string& error)
{
    if (!StartVideo(error))
        return nullptr;
    PrepareGLWindowAttributes(doubleBuffered);
    SDL_Window* window =
        SDL_CreateWindow("", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, std::max(size.width, 1),
                         std::max(size.height, 1), SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!window)
    {
        error = SDL_GetError();
        SdlVideo::Release();
        return nullptr;
    }
    return std::make_unique<OwnedGLDrawable>(window);
}

} // namespace

SizeT<int32_t> GLDrawable::GetSize() const
{
    int width = 0;
    int height = 0;
    if (mWindow)
        SDL_GL_GetDrawableSize(mWindow, &width, &height);
    return {width, height};
}

std::unique_ptr<GLDrawable> WrapGLWindow(SDL_Window* window)
{
    return window ? std::make_unique<BorrowedGLDrawable>(window) : nullptr;
}

void PrepareGLWindowAttributes(bool doubleBuffered)
{
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, doubleBuffered ? 1 : 0);
    // The renderer draws with the fixed-function pipeline of OpenGL 1.x.
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
}

std::unique_ptr<GLContext> GLContext::Create(bool doubleBuffered, std::string& error)
{
    std::unique_ptr<GLContext> context(new GLContext());
    context->mHiddenWindow = CreateHiddenWindow({1, 1}, doubleBuffered, error);
    if (!context->mHiddenWindow)
        return nullptr;
    SDL_GLContext made = SDL_GL_CreateContext(context->mHiddenWindow->GetSdlWindow());
    if (!made)
    {
        error = SDL_GetError();
        return nullptr;
    }
    context->mContext = made;
    int doubleBuffer = 0;
    if (SDL_GL_GetAttribute(SDL_GL_DOUBLEBUFFER, &doubleBuffer) == 0)
        context->mDoubleBuffered = doubleBuffer != 0;
    context->mSerial = ++gNextSerial;
    // SDL makes a new context current; nothing is current until a frame starts.
    context->ReleaseCurrent();
    return context;
}

GLContext::~GLContext()
{
    if (mContext)
    {
        ReleaseCurrent();
        SDL_GL_DeleteContext(static_cast<SDL_GLContext>(mContext));
    }
}

bool GLContext::MakeCurrent(const GLDrawable* drawable)
{
    const GLDrawable* target = drawable ? drawable : mHiddenWindow.get();
    if (!target->GetSdlWindow())
        return false;
    if (SDL_GL_MakeCurrent(target->GetSdlWindow(), static_cast<SDL_GLContext>(mContext)) != 0)
        return false;
    gCurrentSerial = mSerial;
    return true;
}

void GLContext::ReleaseCurrent()
{
    SDL_GL_MakeCurrent(mHiddenWindow->GetSdlWindow(), nullptr);
    gCurrentSerial = 0;
}

void GLContext::SwapBuffers(const GLDrawable& drawable)
{
    if (drawable.GetSdlWindow())
        SDL_GL_SwapWindow(drawable.GetSdlWindow());
}

uint64_t GLContext::GetCurrentSerial() noexcept
{
    return gCurrentSerial;
}

} // namespace KV::Platform
