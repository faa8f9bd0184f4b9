#pragma once
// The operating-system window behind a NativeWindowHandle (KVTypes.h). The framework
// above this layer only passes the handle on, from the window that owns it to the
// renderer that draws into it; the window backend derives its window from this class and
// the drawing backends find their surface through it.

#include <memory>

namespace KV::Platform {

class GLDrawable;
class SurfacePresenter;

class NativeWindow
{
public:
    NativeWindow(const NativeWindow&) = delete;
    NativeWindow& operator=(const NativeWindow&) = delete;
    virtual ~NativeWindow() = default;

    // What shows pictures drawn in memory on this window; null for a window that cannot.
    // Owned by the window.
    virtual SurfacePresenter* GetSurfacePresenter() { return nullptr; }
    // What the OpenGL renderer draws into on this window; null for a window made without
    // the OpenGL flag. Shared, so that a render context that outlives the window finds it
    // detached instead of dangling.
    virtual std::shared_ptr<GLDrawable> GetGLDrawable() { return nullptr; }

protected:
    NativeWindow() = default;
};

} // namespace KV::Platform
