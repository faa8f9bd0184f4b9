#include "Application/SplashWindow.h"

#include "Platform/Console/DebuggerOutput.h"
#include "Platform/Window/PlatformWindow.h"
#include "Platform/Window/SplashSurface.h"
#include "Storage/File.h"

#include <algorithm>

#include <chrono>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace KV {

namespace {

void WriteDebug(const char* text)
{
    Platform::WriteDebuggerOutput(text, std::strlen(text));
}

uint32_t Premultiplied(uint32_t argb)
{
    const uint32_t alpha = argb >> 24;
    if (alpha == 0xFF)
        return argb;
    const auto channel = [&](int shift) { return ((argb >> shift & 0xFF) * alpha + 127) / 255 << shift; };
    return alpha << 24 | channel(16) | channel(8) | channel(0);
}

} // namespace

String GetSplashImagePath(const String& resourceFolder)
{
    String path = resourceFolder;
    path += String(u"/Splash.png");
    return File::Exists(path) ? path : String();
}

LSplashWindow::LSplashWindow(String name) : mName(std::move(name)) {}

LSplashWindow::~LSplashWindow()
{
    Stop();
}

void LSplashWindow::SetImage(const RCPtr<LBitmap>& bitmap)
{
    if (!mImage && bitmap && bitmap->GetGdiplusBitmap())
        mImage = bitmap->CloneArea();
}

void LSplashWindow::Start()
{
    if (mThread.joinable() || !mImage || !mImage->GetGdiplusBitmap())
        return;
    const BitmapImage& image = *mImage->GetGdiplusBitmap();
    const RectT<int32_t> workArea = Platform::GetWorkArea();
    const RectT<int32_t> place{(workArea.x + workArea.x + workArea.width - image.GetWidth()) / 2,
                               (workArea.y + workArea.y + workArea.height - image.GetHeight()) / 2,
                               image.GetWidth(), image.GetHeight()};
    {
        std::lock_guard lock(mLock);
        mStarted = false;
        mWindowHandle = 0;
    }
    mThread = std::thread([this, place] { Run(place); });
    std::unique_lock lock(mLock);
    if (!mWake.wait_for(lock, std::chrono::milliseconds(5000), [this] { return mStarted; }))
    {
        WriteDebug("Error starting SplashThread\n");
        return;
    }
    if (mWindowHandle == 0)
    {
        // The thread could not make its window and has ended.
        lock.unlock();
        mThread.join();
    }
}

void LSplashWindow::SetProgress(int position)
{
    Post({Message::Kind::SetPosition, position});
}

void LSplashWindow::AnimateProgress(int start, int end, int seconds)
{
    Post({Message::Kind::Animate, start, end, seconds});
}

void LSplashWindow::SetBarColor(uint32_t argb)
{
    Post({Message::Kind::SetBarColor, 0, 0, 0, argb});
}

void LSplashWindow::Post(const Message& message)
{
    {
        std::lock_guard lock(mLock);
        mMessages.push_back(message);
    }
    mWake.notify_all();
}

void LSplashWindow::Stop()
{
    if (mThread.joinable())
    {
        Post({Message::Kind::Quit});
        // The thread ends before anything it works with goes; its window goes with it.
        mThread.join();
    }
    std::lock_guard lock(mLock);
    mMessages.clear();
    mImage.Reset();
    mWindowHandle = 0;
}

SplashProgress LSplashWindow::GetProgress() const
{
    std::lock_guard lock(mLock);
    return mProgress;
}

uintptr_t LSplashWindow::GetWindowHandle() const
{
    std::lock_guard lock(mLock);
    return mWindowHandle;
}

void LSplashWindow::Run(RectT<int32_t> place)
{
    using Clock = std::chrono::steady_clock;
    // The window is the thread's own, made on a connection of its own to the window system.
    const std::string name = mName.ToNarrow().GetText();
    std::unique_ptr<Platform::SplashSurface> window = Platform::SplashSurface::Create(place, name, name);
    {
        std::lock_guard lock(mLock);
        mStarted = true;
        mWindowHandle = window ? window->GetSystemHandle() : 0;
    }
    mWake.notify_all();
    if (!window)
    {
        WriteDebug("Unable to create SplashWnd\n");
        return;
    }
    Paint(*window);
    // Between the bar's steps the thread looks at least this often whether the window was
    // uncovered and must be drawn again.
    constexpr auto kExposeCheck = std::chrono::milliseconds(50);
    std::unique_lock lock(mLock);
    Clock::time_point nextStep = Clock::now();
    for (;;)
    {
        const bool animating = mProgress.IsAnimating();
        if (mMessages.empty())
        {
            const Clock::time_point until =
                animating ? std::min(nextStep, Clock::now() + kExposeCheck) : Clock::now() + kExposeCheck;
            mWake.wait_until(lock, until, [this] { return !mMessages.empty(); });
        }
        bool changed = false;
        if (!mMessages.empty())
        {
            const Message message = mMessages.front();
            mMessages.pop_front();
            switch (message.kind)
            {
            case Message::Kind::Quit:
                return;
            case Message::Kind::SetPosition:
                mProgress.SetPosition(message.first);
                break;
            case Message::Kind::Animate:
                mProgress.Animate(message.first, message.second, message.seconds);
                nextStep = Clock::now() + std::chrono::milliseconds(SplashProgress::kStepInterval);
                break;
            case Message::Kind::SetBarColor:
                mProgress.SetBarColor(message.color);
                break;
            }
            changed = true;
        }
        else if (animating && Clock::now() >= nextStep)
        {
            mProgress.Step();
            nextStep += std::chrono::milliseconds(SplashProgress::kStepInterval);
            changed = true;
        }
        lock.unlock();
        if (window->TakeEvents() || changed)
            Paint(*window);
        lock.lock();
    }
}

void LSplashWindow::Paint(Platform::SplashSurface& window)
{
    if (!mImage || !mImage->GetGdiplusBitmap())
        return;
    const BitmapImage& image = *mImage->GetGdiplusBitmap();
    const int32_t width = image.GetWidth();
    const int32_t height = image.GetHeight();
    std::vector<uint32_t> picture(static_cast<size_t>(width) * height);
    for (int32_t y = 0; y < height; ++y)
    {
        const auto* row =
            reinterpret_cast<const uint32_t*>(image.GetPixels() + static_cast<size_t>(y) * image.GetStride());
        for (int32_t x = 0; x < width; ++x)
            picture[static_cast<size_t>(y) * width + x] = Premultiplied(row[x]);
    }
    // The bar along the bottom: 4 pixels in from the sides, 16 high, 4 above the edge,
    // a frame and the part done in the bar's colour.
    const SplashProgress progress = GetProgress();
    const int32_t barLeft = 4;
    const int32_t barTop = height - 20;
    const int32_t barWidth = width - 8;
    const int32_t barHeight = 16;
    if (barWidth > 2 && barTop >= 0)
    {
        const int32_t done = (barWidth - 2) * (progress.GetPosition() - SplashProgress::kMinimum) /
                             (SplashProgress::kMaximum - SplashProgress::kMinimum);
        for (int32_t y = barTop; y < barTop + barHeight && y < height; ++y)
            for (int32_t x = barLeft; x < barLeft + barWidth; ++x)
            {
                const bool frame =
                    y == barTop || y == barTop + barHeight - 1 || x == barLeft || x == barLeft + barWidth - 1;
                uint32_t color = 0xFFE6E6E6u;
                if (frame)
                    color = 0xFFBCBCBCu;
                else if (x - barLeft - 1 < done)
                    color = Premultiplied(progress.GetBarColor() | 0xFF000000u);
                picture[static_cast<size_t>(y) * width + x] = color;
            }
    }
    window.Present({reinterpret_cast<const uint8_t*>(picture.data()), width * 4, width, height});
}

} // namespace KV
