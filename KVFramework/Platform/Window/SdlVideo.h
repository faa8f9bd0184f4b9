#pragma once
// SDL's video for the windows of this process: started with the hints the framework
// wants before the first window or event source needs it, and counted, so that it stops
// when the last user is gone.

namespace KV::Platform {

class SdlVideo
{
public:
    // Starts video (or counts one more user); false, with nothing counted, when there is
    // no display to start on.
    static bool Acquire();
    static void Release();
};

// Holds video for the life of the object when it could be started.
class SdlVideoUse
{
public:
    SdlVideoUse() : mStarted(SdlVideo::Acquire()) {}
    ~SdlVideoUse()
    {
        if (mStarted)
            SdlVideo::Release();
    }
    SdlVideoUse(const SdlVideoUse&) = delete;
    SdlVideoUse& operator=(const SdlVideoUse&) = delete;

    bool IsStarted() const noexcept { return mStarted; }

private:
    bool mStarted;
};

} // namespace KV::Platform
