#pragma once
// Input made up as if a person gave it, sent to the window system through its test
// extension (XTest): for tests and scripted runs that must go the whole way from the
// server to a control. Each call waits until the server took the input.

#include <cstdint>

namespace KV::Platform {

// Whether the window system takes made-up input (an X server with XTest).
bool SyntheticInputAvailable();
// Moves the pointer to the screen position.
bool MovePointer(int32_t screenX, int32_t screenY);
// Presses or releases a mouse button (1 left, 2 middle, 4 right).
bool PressButton(int button, bool down);
// Turns the wheel by whole notches: away from the user and to the right positive.
bool TurnWheel(int32_t notchesAway, int32_t notchesRight);
// Presses or releases the key of an X key symbol (XK_Return, XK_a, ...).
bool PressKey(uint32_t keySymbol, bool down);

// Asks the window (an X window id) to close, as a window manager does for its close box.
bool RequestWindowClose(uintptr_t systemWindow);

} // namespace KV::Platform
