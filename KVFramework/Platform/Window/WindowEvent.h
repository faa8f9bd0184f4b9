#pragma once
// WindowEvent: one thing that happened to a window, in the framework's own terms. The
// window backend translates what the window system reports into these: keys as
// virtual-key codes, wheel turns in units of 120 per notch, mouse buttons as the bits
// 1 left, 2 middle, 4 right, and the modifier word of KeyCode.h, both sides of each
// modifier. Pointer positions are in the client coordinates of the event's window.

#include <cstdint>
#include <string>

namespace KV::Platform {

enum class WindowEventType
{
    None,
    Wake,         // Wake() was called; no window
    Tick,         // the tick interval passed; no window
    Paint,        // part of the window must be painted again: x, y, width, height
    Resized,      // the client area's new size: width, height
    Moved,        // the client area's new origin on the screen: x, y
    Shown,        // the window became visible
    Hidden,       // the window was hidden or minimised
    CloseRequest, // the user asked the window to close (the close box)
    FocusGained,  // the window took the keyboard focus
    FocusLost,    // the window lost the keyboard focus
    PointerEnter, // the pointer came over the window
    PointerLeave, // the pointer left the window: x, y where it is now
    ButtonDown,   // button, clicks (2 for a double click), x, y, modifiers
    ButtonUp,     // button, x, y, modifiers
    PointerMove,  // x, y, modifiers
    Wheel,        // wheelY (away from the user positive), wheelX (right positive), x, y
    KeyDown,      // virtualKey, repeat, modifiers
    KeyUp,        // virtualKey, modifiers
    Text,         // text: UTF-16 units typed, modifiers
    DisplayChanged,
    CommandLines, // another instance handed command lines over to the window
    Resumed,      // the system woke from sleep; every window gets one
};

// The mouse buttons of ButtonDown and ButtonUp and of button-state words.
inline constexpr int kMouseButtonLeft = 1;
inline constexpr int kMouseButtonMiddle = 2;
inline constexpr int kMouseButtonRight = 4;

// One wheel notch.
inline constexpr int32_t kWheelDelta = 120;

struct WindowEvent
{
    WindowEventType type = WindowEventType::None;
    uint32_t windowId = 0; // the backend's id of the window; 0 for none
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    int button = 0;
    int clicks = 0;
    int32_t wheelX = 0;
    int32_t wheelY = 0;
    uint8_t virtualKey = 0;
    bool repeat = false; // a key press that repeats a key already down
    uint32_t modifiers = 0;
    std::u16string text;
};

} // namespace KV::Platform
