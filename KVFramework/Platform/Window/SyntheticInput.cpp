#include "Platform/Window/SyntheticInput.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <cstdint>
#include <memory>

namespace KV::Platform {

namespace {

struct DisplayCloser
{
    void operator()(Display* display) const { XCloseDisplay(display); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

// A connection of its own for each call: the calls are rare, and SDL's connection is
// left to SDL.
DisplayPtr OpenWithXTest()
{
    DisplayPtr display(XOpenDisplay(nullptr));
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (display && !XTestQueryExtension(display.get(), &eventBase, &errorBase, &major, &minor))
        display.reset();
    return display;
}

bool Finish(Display* display, int sent)
{
    XSync(display, False);
    return sent != 0;
}

} // namespace

bool SyntheticInputAvailable()
{
    return OpenWithXTest() != nullptr;
}

bool MovePointer(int32_t screenX, int32_t screenY)
{
    DisplayPtr display = OpenWithXTest();
    if (!display)
        return false;
    return Finish(display.get(), XTestFakeMotionEvent(display.get(), -1, screenX, screenY, CurrentTime));
}

bool PressButton(int button, bool down)
{
    unsigned xButton = 0;
    switch (button)
    {
    case 1:
        xButton = Button1;
        break;
    case 2:
        xButton = Button2;
        break;
    case 4:
        xButton = Button3;
        break;
    default:
        return false;
    }
    DisplayPtr display = OpenWithXTest();
    if (!display)
        return false;
    return Finish(display.get(),
                  XTestFakeButtonEvent(display.get(), xButton, down ? True : False, CurrentTime));
}

bool TurnWheel(int32_t notchesAway, int32_t notchesRight)
{
    DisplayPtr display = OpenWithXTest();
    if (!display)
        return false;
    // X reports the wheel as clicks of buttons 4 (away), 5 (towards), 6 (left), 7 (right).
    int sent = 1;
    const auto click = [&](unsigned xButton, int32_t count) {
        for (int32_t i = 0; i < count; ++i)
            sent &= XTestFakeButtonEvent(display.get(), xButton, True, CurrentTime) &
                    XTestFakeButtonEvent(display.get(), xButton, False, CurrentTime);
    };
    click(notchesAway > 0 ? 4 : 5, notchesAway > 0 ? notchesAway : -notchesAway);
    click(notchesRight > 0 ? 7 : 6, notchesRight > 0 ? notchesRight : -notchesRight);
    return Finish(display.get(), sent);
}

bool PressKey(uint32_t keySymbol, bool down)
{
    DisplayPtr display = OpenWithXTest();
    if (!display)
        return false;
    const KeyCode code = XKeysymToKeycode(display.get(), keySymbol);
    if (code == 0)
        return false;
    return Finish(display.get(), XTestFakeKeyEvent(display.get(), code, down ? True : False, CurrentTime));
}

bool RequestWindowClose(uintptr_t systemWindow)
{
    DisplayPtr display(XOpenDisplay(nullptr));
    if (!display || systemWindow == 0)
        return false;
    XEvent message{};
    message.xclient.type = ClientMessage;
    message.xclient.window = static_cast<Window>(systemWindow);
    message.xclient.message_type = XInternAtom(display.get(), "WM_PROTOCOLS", False);
    message.xclient.format = 32;
    message.xclient.data.l[0] = static_cast<long>(XInternAtom(display.get(), "WM_DELETE_WINDOW", False));
    message.xclient.data.l[1] = CurrentTime;
    const Status sent =
        XSendEvent(display.get(), static_cast<Window>(systemWindow), False, NoEventMask, &message);
    return Finish(display.get(), sent);
}

} // namespace KV::Platform
