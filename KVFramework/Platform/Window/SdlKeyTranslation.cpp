#include "Platform/Window/SdlKeyTranslation.h"

#include "System/KeyCode.h"

#include <SDL.h>

#include <array>
#include <utility>

namespace KV::Platform {

namespace {

// Virtual keys of the keys that are not letters, by scan code.
constexpr std::pair<SDL_Scancode, uint8_t> kScanCodeKeys[] = {
    {SDL_SCANCODE_BACKSPACE, 0x08},
    {SDL_SCANCODE_TAB, 0x09},
    {SDL_SCANCODE_CLEAR, 0x0C},
    {SDL_SCANCODE_RETURN, 0x0D},
    {SDL_SCANCODE_KP_ENTER, 0x0D},
    {SDL_SCANCODE_LSHIFT, 0x10},
    {SDL_SCANCODE_RSHIFT, 0x10},
    {SDL_SCANCODE_LCTRL, 0x11},
    {SDL_SCANCODE_RCTRL, 0x11},
    {SDL_SCANCODE_LALT, 0x12},
    {SDL_SCANCODE_RALT, 0x12},
    {SDL_SCANCODE_PAUSE, 0x13},
    {SDL_SCANCODE_CAPSLOCK, 0x14},
    {SDL_SCANCODE_ESCAPE, 0x1B},
    {SDL_SCANCODE_SPACE, 0x20},
    {SDL_SCANCODE_PAGEUP, 0x21},
    {SDL_SCANCODE_PAGEDOWN, 0x22},
    {SDL_SCANCODE_END, 0x23},
    {SDL_SCANCODE_HOME, 0x24},
    {SDL_SCANCODE_LEFT, 0x25},
    {SDL_SCANCODE_UP, 0x26},
    {SDL_SCANCODE_RIGHT, 0x27},
    {SDL_SCANCODE_DOWN, 0x28},
    {SDL_SCANCODE_SELECT, 0x29},
    {SDL_SCANCODE_EXECUTE, 0x2B},
    {SDL_SCANCODE_PRINTSCREEN, 0x2C},
    {SDL_SCANCODE_INSERT, 0x2D},
    {SDL_SCANCODE_DELETE, 0x2E},
    {SDL_SCANCODE_HELP, 0x2F},
    {SDL_SCANCODE_0, 0x30},
    {SDL_SCANCODE_1, 0x31},
    {SDL_SCANCODE_2, 0x32},
    {SDL_SCANCODE_3, 0x33},
    {SDL_SCANCODE_4, 0x34},
    {SDL_SCANCODE_5, 0x35},
    {SDL_SCANCODE_6, 0x36},
    {SDL_SCANCODE_7, 0x37},
    {SDL_SCANCODE_8, 0x38},
    {SDL_SCANCODE_9, 0x39},
    {SDL_SCANCODE_LGUI, 0x5B},
    {SDL_SCANCODE_RGUI, 0x5C},
    {SDL_SCANCODE_APPLICATION, 0x5D},
    {SDL_SCANCODE_SLEEP, 0x5F},
    {SDL_SCANCODE_KP_0, 0x60},
    {SDL_SCANCODE_KP_1, 0x61},
    {SDL_SCANCODE_KP_2, 0x62},
    {SDL_SCANCODE_KP_3, 0x63},
    {SDL_SCANCODE_KP_4, 0x64},
    {SDL_SCANCODE_KP_5, 0x65},
    {SDL_SCANCODE_KP_6, 0x66},
    {SDL_SCANCODE_KP_7, 0x67},
    {SDL_SCANCODE_KP_8, 0x68},
    {SDL_SCANCODE_KP_9, 0x69},
    {SDL_SCANCODE_KP_MULTIPLY, 0x6A},
    {SDL_SCANCODE_KP_PLUS, 0x6B},
    {SDL_SCANCODE_KP_MINUS, 0x6D},
    {SDL_SCANCODE_KP_PERIOD, 0x6E},
    {SDL_SCANCODE_KP_DECIMAL, 0x6E},
    {SDL_SCANCODE_KP_DIVIDE, 0x6F},
    {SDL_SCANCODE_F1, 0x70},
    {SDL_SCANCODE_F2, 0x71},
    {SDL_SCANCODE_F3, 0x72},
    {SDL_SCANCODE_F4, 0x73},
    {SDL_SCANCODE_F5, 0x74},
    {SDL_SCANCODE_F6, 0x75},
    {SDL_SCANCODE_F7, 0x76},
    {SDL_SCANCODE_F8, 0x77},
    {SDL_SCANCODE_F9, 0x78},
    {SDL_SCANCODE_F10, 0x79},
    {SDL_SCANCODE_F11, 0x7A},
    {SDL_SCANCODE_F12, 0x7B},
    {SDL_SCANCODE_F13, 0x7C},
    {SDL_SCANCODE_F14, 0x7D},
    {SDL_SCANCODE_F15, 0x7E},
    {SDL_SCANCODE_F16, 0x7F},
    {SDL_SCANCODE_F17, 0x80},
    {SDL_SCANCODE_F18, 0x81},
    {SDL_SCANCODE_F19, 0x82},
    {SDL_SCANCODE_F20, 0x83},
    {SDL_SCANCODE_F21, 0x84},
    {SDL_SCANCODE_F22, 0x85},
    {SDL_SCANCODE_F23, 0x86},
    {SDL_SCANCODE_F24, 0x87},
    {SDL_SCANCODE_NUMLOCKCLEAR, 0x90},
    {SDL_SCANCODE_SCROLLLOCK, 0x91},
    {SDL_SCANCODE_AUDIOMUTE, 0xAD},
    {SDL_SCANCODE_VOLUMEDOWN, 0xAE},
    {SDL_SCANCODE_VOLUMEUP, 0xAF},
    {SDL_SCANCODE_AUDIONEXT, 0xB0},
    {SDL_SCANCODE_AUDIOPREV, 0xB1},
    {SDL_SCANCODE_AUDIOSTOP, 0xB2},
    {SDL_SCANCODE_AUDIOPLAY, 0xB3},
    // The punctuation keys by their place on a US keyboard.
    {SDL_SCANCODE_SEMICOLON, 0xBA},
    {SDL_SCANCODE_EQUALS, 0xBB},
    {SDL_SCANCODE_COMMA, 0xBC},
    {SDL_SCANCODE_MINUS, 0xBD},
    {SDL_SCANCODE_PERIOD, 0xBE},
    {SDL_SCANCODE_SLASH, 0xBF},
    {SDL_SCANCODE_GRAVE, 0xC0},
    {SDL_SCANCODE_LEFTBRACKET, 0xDB},
    {SDL_SCANCODE_BACKSLASH, 0xDC},
    {SDL_SCANCODE_RIGHTBRACKET, 0xDD},
    {SDL_SCANCODE_APOSTROPHE, 0xDE},
    {SDL_SCANCODE_NONUSBACKSLASH, 0xE2},
};

constexpr std::array<uint8_t, SDL_NUM_SCANCODES> MakeScanCodeTable()
{
    std::array<uint8_t, SDL_NUM_SCANCODES> table{};
    for (const auto& [scanCode, virtualKey] : kScanCodeKeys)
        table[scanCode] = virtualKey;
    return table;
}

constexpr std::array<uint8_t, SDL_NUM_SCANCODES> kScanCodeTable = MakeScanCodeTable();

constexpr uint8_t kVirtualKeyA = 0x41;
constexpr uint8_t kVirtualKeyZ = 0x5A;

} // namespace

uint8_t VirtualKeyFromSdl(int32_t keySymbol, int32_t scanCode)
{
    if (keySymbol >= SDLK_a && keySymbol <= SDLK_z)
        return static_cast<uint8_t>(kVirtualKeyA + (keySymbol - SDLK_a));
    // A letter key whose layout puts no Latin letter on it keeps the letter of its place.
    if (scanCode >= SDL_SCANCODE_A && scanCode <= SDL_SCANCODE_Z)
        return static_cast<uint8_t>(kVirtualKeyA + (scanCode - SDL_SCANCODE_A));
    if (scanCode > 0 && scanCode < SDL_NUM_SCANCODES)
        return kScanCodeTable[static_cast<size_t>(scanCode)];
    return 0;
}

uint32_t ModifiersFromSdl(uint16_t sdlModifiers)
{
    constexpr std::pair<uint16_t, uint32_t> kSides[] = {
        {KMOD_LCTRL, kModifierCtrl | kModifierLeftCtrl},
        {KMOD_RCTRL, kModifierCtrl | kModifierRightCtrl},
        {KMOD_LSHIFT, kModifierShift | kModifierLeftShift},
        {KMOD_RSHIFT, kModifierShift | kModifierRightShift},
        {KMOD_LALT, kModifierAlt | kModifierLeftAlt},
        {KMOD_RALT, kModifierAlt | kModifierRightAlt},
        {KMOD_LGUI, kModifierCmd | kModifierLeftCmd},
        {KMOD_RGUI, kModifierCmd | kModifierRightCmd},
    };
    uint32_t modifiers = 0;
    for (const auto& [sdl, ours] : kSides)
        if (sdlModifiers & sdl)
            modifiers |= ours;
    return modifiers;
}

char16_t ControlCharacterFor(uint8_t virtualKey, uint32_t modifiers)
{
    const bool ctrl = (modifiers & kModifierCtrl) != 0;
    const bool alt = (modifiers & kModifierAlt) != 0;
    switch (virtualKey)
    {
    case 0x08:
        return ctrl ? u'\x7F' : u'\b';
    case 0x09:
        return u'\t';
    case 0x0D:
        return ctrl ? u'\n' : u'\r';
    case 0x1B:
        return u'\x1B';
    default:
        break;
    }
    if (ctrl && !alt && virtualKey >= kVirtualKeyA && virtualKey <= kVirtualKeyZ)
        return static_cast<char16_t>(virtualKey - kVirtualKeyA + 1);
    return 0;
}

void KeyStateFromSdl(uint8_t virtualKey, const uint8_t* keyboardState, int32_t count, uint16_t sdlModifiers,
                     int32_t pointerButtons, bool& down, bool& toggled)
{
    down = false;
    toggled = false;
    const auto pressed = [&](SDL_Scancode scanCode) {
        return keyboardState && scanCode < count && keyboardState[scanCode] != 0;
    };
    switch (virtualKey)
    {
    case 0x01: // left button
        down = (pointerButtons & 1) != 0;
        return;
    case 0x02: // right button
        down = (pointerButtons & 4) != 0;
        return;
    case 0x04: // middle button
        down = (pointerButtons & 2) != 0;
        return;
    case 0xA0:
        down = pressed(SDL_SCANCODE_LSHIFT);
        return;
    case 0xA1:
        down = pressed(SDL_SCANCODE_RSHIFT);
        return;
    case 0xA2:
        down = pressed(SDL_SCANCODE_LCTRL);
        return;
    case 0xA3:
        down = pressed(SDL_SCANCODE_RCTRL);
        return;
    case 0xA4:
        down = pressed(SDL_SCANCODE_LALT);
        return;
    case 0xA5:
        down = pressed(SDL_SCANCODE_RALT);
        return;
    case 0x14:
        toggled = (sdlModifiers & KMOD_CAPS) != 0;
        break;
    case 0x90:
        toggled = (sdlModifiers & KMOD_NUM) != 0;
        break;
    case 0x91:
        toggled = (sdlModifiers & KMOD_SCROLL) != 0;
        break;
    default:
        break;
    }
    if (virtualKey >= kVirtualKeyA && virtualKey <= kVirtualKeyZ)
    {
        down = pressed(static_cast<SDL_Scancode>(SDL_SCANCODE_A + (virtualKey - kVirtualKeyA)));
        return;
    }
    for (const auto& [scanCode, key] : kScanCodeKeys)
        if (key == virtualKey && pressed(scanCode))
        {
            down = true;
            return;
        }
}

} // namespace KV::Platform
