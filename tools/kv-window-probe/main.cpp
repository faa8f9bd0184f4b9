// kv-window-probe: the window of a running program, driven and read from outside, as a
// person at the screen would.
//
//   kv-window-probe wait-frame PID      waits for the program's first painted window and
//                                       prints the time it was seen (ns, CLOCK_REALTIME)
//   kv-window-probe click PID X Y       a left click at X, Y of the window's client area
//   kv-window-probe capture PID FILE    the window's picture as a PNG file
//   kv-window-probe close PID           the window's close box
//
// Exit status 0 when done, 1 when the program has no window (or it did not paint within
// a minute), 2 for a wrong command line.

#include "Platform/Window/SyntheticInput.h"
#include "Platform/Window/SystemWindows.h"
#include "Platform/Window/WindowCapture.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>

#include <signal.h>

using namespace KV::Platform;

namespace {

int Usage()
{
    std::fputs("usage: kv-window-probe wait-frame PID | click PID X Y | capture PID FILE | close PID\n",
               stderr);
    return 2;
}

// The process's window, waited for up to a minute while the process lives.
uintptr_t WaitForWindow(int pid, std::chrono::steady_clock::time_point deadline)
{
    while (std::chrono::steady_clock::now() < deadline && kill(pid, 0) == 0)
    {
        if (const uintptr_t window = FindProcessWindow(pid))
            return window;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return 0;
}

// A window that shows more than one colour has had a frame painted into it.
bool IsPainted(const CapturedPixels& captured)
{
    for (const uint32_t pixel : captured.pixels)
        if (pixel != captured.pixels.front())
            return true;
    return false;
}

int WaitFrame(int pid)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    const uintptr_t window = WaitForWindow(pid, deadline);
    CapturedPixels captured;
    while (window && std::chrono::steady_clock::now() < deadline)
    {
        if (CaptureSystemWindow(window, captured) && IsPainted(captured))
        {
            timespec now{};
            clock_gettime(CLOCK_REALTIME, &now);
            std::printf("%lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
            return 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::fprintf(stderr, "kv-window-probe: process %d painted no window\n", pid);
    return 1;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 3)
        return Usage();
    const std::string command = argv[1];
    const int pid = std::atoi(argv[2]);
    if (command == "wait-frame" && argc == 3)
        return WaitFrame(pid);

    const uintptr_t window = WaitForWindow(pid, std::chrono::steady_clock::now() + std::chrono::minutes(1));
    ScreenPlace place;
    if (!window || !GetSystemWindowPlace(window, place))
    {
        std::fprintf(stderr, "kv-window-probe: process %d has no window\n", pid);
        return 1;
    }
    if (command == "click" && argc == 5)
    {
        const bool clicked = MovePointer(place.x + std::atoi(argv[3]), place.y + std::atoi(argv[4])) &&
                             PressButton(1, true) && PressButton(1, false) &&
                             // The pointer leaves, so that no control keeps the look of one under it.
                             MovePointer(place.x + place.width + 40, place.y + place.height + 40);
        return clicked ? 0 : 1;
    }
    if (command == "capture" && argc == 4)
    {
        CapturedPixels captured;
        return CaptureSystemWindow(window, captured) && SavePng(captured, argv[3]) ? 0 : 1;
    }
    if (command == "close" && argc == 3)
        return RequestWindowClose(window) ? 0 : 1;
    return Usage();
}
