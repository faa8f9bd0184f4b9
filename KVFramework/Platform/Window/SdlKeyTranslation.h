#pragma once
// The keyboard of SDL in the framework's key vocabulary: virtual-key codes, the modifier
// word with both sides of each modifier, and the control characters that typing gives
// where SDL reports no text. Free of SDL types, so the tables can be tested alone: the
// arguments are SDL's key symbol, scan code and modifier state as plain numbers.

#include <cstdint>

namespace KV::Platform {

// The virtual key of a key: letters by the symbol the layout puts on the key (as the
// virtual keys of letters are), every other key by its place on the keyboard; 0 for a
// key without a virtual key.
uint8_t VirtualKeyFromSdl(int32_t keySymbol, int32_t scanCode);

// The modifier word of SDL's modifier state: Ctrl 0x01 (left 0x02, right 0x04), Shift
// 0x08 (0x10, 0x20), Alt 0x40 (0x80, 0x100), the system key 0x200 (0x400, 0x800).
uint32_t ModifiersFromSdl(uint16_t sdlModifiers);

// The character a key press types where SDL sends no text for it: Backspace 0x08 (with
// Ctrl 0x7F), Tab 0x09, Enter 0x0D (with Ctrl 0x0A), Escape 0x1B, and Ctrl with a letter
// 0x01 to 0x1A (not with Alt as well: that pair types the layout's third level, which
// arrives as text). 0 when the press types nothing of these.
char16_t ControlCharacterFor(uint8_t virtualKey, uint32_t modifiers);

// Whether the key of a virtual key is down, and whether its lock is on, from SDL's
// keyboard state (one byte per scan code, count of them), modifier state and pointer
// buttons (1 left, 2 middle, 4 right). The virtual keys of both sides of a modifier are
// down with either side; the left and right ones (0xA0 to 0xA5) only with their own.
// The mouse buttons' virtual keys (1, 2, 4) follow the pointer buttons. Only Caps Lock,
// Num Lock and Scroll Lock have a lock.
void KeyStateFromSdl(uint8_t virtualKey, const uint8_t* keyboardState, int32_t count, uint16_t sdlModifiers,
                     int32_t pointerButtons, bool& down, bool& toggled);

} // namespace KV::Platform
