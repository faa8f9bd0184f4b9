#pragma once
// LSplashWindow: the splash screen of the start-up, a borderless window centred on the
// work area that shows an image and a progress bar.
//
// A thread of its own makes the window, keeps the bar's progress and paints: it takes the
// positions and animations posted to it, steps an animation every quarter second, and
// draws the window again whenever the bar moved or the window was uncovered. It needs
// nothing of the window thread, which is busy starting the application meanwhile.
//
// Start, Stop and the destructor run on one thread; the posting operations on any.

#include "Application/ApplicationWindow.h"
#include "Application/SplashProgress.h"
#include "Graphics/Bitmap.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace KV {

namespace Platform {
class SplashSurface;
}

// The splash image of a resource folder: "<folder>/Splash.png" when that file exists,
// else empty. The executable's own resources ("::") hold no such file.
String GetSplashImagePath(const String& resourceFolder);

class LSplashWindow : public ISplashScreen
{
public:
    // name: the application's; the window's title, and the class the window system files
    // it under, as for the application's other windows.
    explicit LSplashWindow(String name = String());
    ~LSplashWindow() override;
    LSplashWindow(const LSplashWindow&) = delete;
    LSplashWindow& operator=(const LSplashWindow&) = delete;

    // Keeps a copy of the bitmap's pixels, unless an image is set already.
    void SetImage(const RCPtr<LBitmap>& bitmap) override;
    // Opens the window and starts the thread, unless it runs. Without an image, or when
    // the window cannot be made, nothing starts (the reason goes to the debug output).
    void Start() override;
    bool IsRunning() const noexcept { return mThread.joinable(); }

    void SetProgress(int position) override;
    // Animates the bar from start to end over the seconds.
    void AnimateProgress(int start, int end, int seconds) override;
    void SetBarColor(uint32_t argb);

    // Ends the thread, waiting for it, then closes the window and lets the image go.
    void Stop() override;

    // The bar as the thread keeps it.
    SplashProgress GetProgress() const;
    // The window as the window system knows it (the X window id); 0 while none is shown.
    uintptr_t GetWindowHandle() const;

private:
    struct Message
    {
        enum class Kind
        {
            SetPosition,
            Animate,
            SetBarColor,
            Quit
        } kind;
        int first = 0;
        int second = 0;
        int seconds = 0;
        uint32_t color = 0;
    };
    void Post(const Message& message);
    // The thread: makes the window, then runs until asked to quit.
    void Run(RectT<int32_t> place);
    // Draws the image and the bar onto the window (the thread).
    void Paint(Platform::SplashSurface& window);

    RCPtr<LBitmap> mImage;
    const String mName;
    uintptr_t mWindowHandle = 0; // under the lock

    std::thread mThread;
    mutable std::mutex mLock;
    std::condition_variable mWake;
    std::deque<Message> mMessages;
    SplashProgress mProgress;
    bool mStarted = false;
};

} // namespace KV
