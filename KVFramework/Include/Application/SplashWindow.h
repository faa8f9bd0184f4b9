#pragma once
// LSplashWindow: the splash screen of the start-up, a borderless window centred on the
// work area that shows an image and a progress bar.
//
// A thread of its own keeps the bar's progress: it takes the positions and animations
// posted to it and steps an animation every quarter second. The window itself lives on
// the window thread, like every window of the process: it is painted there whenever
// the thread moved the bar (the thread asks the event source for the paint).
//
// Start, Stop and the destructor run on the window thread; the posting operations on any.

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
class PlatformWindow;
}

// The splash image of a resource folder: "<folder>/Splash.png" when that file exists,
// else empty. The executable's own resources ("::") hold no such file.
String GetSplashImagePath(const String& resourceFolder);

class LSplashWindow : public ISplashScreen
{
public:
    LSplashWindow();
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
    Platform::PlatformWindow* GetPlatformWindow() const noexcept { return mWindow.get(); }
    // Draws the image and the bar onto the window (window thread).
    void Paint();

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
    class EventBridge;

    void Post(const Message& message);
    void Run();

    RCPtr<LBitmap> mImage;
    String mTitle;
    std::unique_ptr<Platform::PlatformWindow> mWindow;
    std::unique_ptr<EventBridge> mBridge;
    uint32_t mWindowId = 0;

    std::thread mThread;
    mutable std::mutex mLock;
    std::condition_variable mWake;
    std::deque<Message> mMessages;
    SplashProgress mProgress;
    bool mStarted = false;
};

} // namespace KV
