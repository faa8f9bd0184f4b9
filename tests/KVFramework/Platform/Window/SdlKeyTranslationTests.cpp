#include "Platform/Window/SdlKeyTranslation.h"
#include "System/KeyCode.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

using namespace KV;
using namespace KV::Platform;

TEST(SdlKeyTranslation, VirtualKeysOfLettersByLayoutOthersByPlace)
{
    struct Row
    {
        SDL_Keycode symbol;
        SDL_Scancode scanCode;
        uint8_t virtualKey;
    };
    const Row rows[] = {
        {SDLK_a, SDL_SCANCODE_A, 0x41},
        // A layout that swaps Y and Z: the letter printed on the key counts.
        {SDLK_z, SDL_SCANCODE_Y, 0x5A},
        // A letter key without a Latin letter keeps the letter of its place.
        {0x0444, SDL_SCANCODE_A, 0x41},
        {SDLK_1, SDL_SCANCODE_1, 0x31},
        // Punctuation follows the place whatever the layout prints on the key.
        {SDLK_PLUS, SDL_SCANCODE_MINUS, 0xBD},
        {SDLK_RETURN, SDL_SCANCODE_RETURN, 0x0D},
        {SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, 0x0D},
        {SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, 0x08},
        {SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, 0x1B},
        {SDLK_F1, SDL_SCANCODE_F1, 0x70},
        {SDLK_F10, SDL_SCANCODE_F10, 0x79},
        {SDLK_F24, SDL_SCANCODE_F24, 0x87},
        {SDLK_LEFT, SDL_SCANCODE_LEFT, 0x25},
        {SDLK_DOWN, SDL_SCANCODE_DOWN, 0x28},
        {SDLK_DELETE, SDL_SCANCODE_DELETE, 0x2E},
        {SDLK_KP_7, SDL_SCANCODE_KP_7, 0x67},
        {SDLK_KP_DIVIDE, SDL_SCANCODE_KP_DIVIDE, 0x6F},
        // Both sides of a modifier are the one virtual key of the modifier.
        {SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, 0x10},
        {SDLK_RSHIFT, SDL_SCANCODE_RSHIFT, 0x10},
        {SDLK_RCTRL, SDL_SCANCODE_RCTRL, 0x11},
        {SDLK_RALT, SDL_SCANCODE_RALT, 0x12},
        {SDLK_LGUI, SDL_SCANCODE_LGUI, 0x5B},
        {SDLK_RGUI, SDL_SCANCODE_RGUI, 0x5C},
        {SDLK_APPLICATION, SDL_SCANCODE_APPLICATION, 0x5D},
        {SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN, 0},
        {SDLK_UNKNOWN, SDL_SCANCODE_LANG1, 0},
        {SDLK_UNKNOWN, static_cast<SDL_Scancode>(SDL_NUM_SCANCODES + 5), 0},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.virtualKey, VirtualKeyFromSdl(row.symbol, row.scanCode))
            << "symbol " << row.symbol << " scan code " << row.scanCode;
}

TEST(SdlKeyTranslation, ModifiersCarryBothSides)
{
    struct Row
    {
        uint16_t sdl;
        uint32_t modifiers;
    };
    const Row rows[] = {
        {KMOD_NONE, 0},
        {KMOD_LSHIFT, 0x08 | 0x10},
        {KMOD_RSHIFT, 0x08 | 0x20},
        {KMOD_LSHIFT | KMOD_RSHIFT, 0x08 | 0x10 | 0x20},
        {KMOD_LCTRL, 0x01 | 0x02},
        {KMOD_RCTRL, 0x01 | 0x04},
        {KMOD_LALT, 0x40 | 0x80},
        {KMOD_RALT, 0x40 | 0x100},
        {KMOD_LGUI, 0x600},
        {KMOD_RGUI, 0xA00},
        // Lock states are no modifiers.
        {KMOD_NUM | KMOD_CAPS | KMOD_SCROLL | KMOD_MODE, 0},
        {KMOD_LCTRL | KMOD_RALT | KMOD_LSHIFT, 0x01 | 0x02 | 0x40 | 0x100 | 0x08 | 0x10},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.modifiers, ModifiersFromSdl(row.sdl)) << "SDL state " << row.sdl;
}

TEST(SdlKeyTranslation, ControlCharactersThatSdlSendsNoTextFor)
{
    struct Row
    {
        uint8_t virtualKey;
        uint32_t modifiers;
        char16_t character;
    };
    const Row rows[] = {
        {0x08, 0, u'\b'},
        {0x08, kModifierCtrl, u'\x7F'},
        {0x09, 0, u'\t'},
        {0x09, kModifierShift, u'\t'},
        {0x0D, 0, u'\r'},
        {0x0D, kModifierCtrl, u'\n'},
        {0x1B, 0, u'\x1B'},
        {0x41, kModifierCtrl, u'\x01'},
        {0x5A, kModifierCtrl | kModifierShift, u'\x1A'},
        // Plain letters arrive as text; Ctrl+Alt is the layout's third level.
        {0x41, 0, 0},
        {0x41, kModifierCtrl | kModifierAlt, 0},
        {0x31, kModifierCtrl, 0},
        {0x70, kModifierCtrl, 0},
        {0x20, 0, 0},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.character, ControlCharacterFor(row.virtualKey, row.modifiers))
            << "virtual key " << int{row.virtualKey} << " modifiers " << row.modifiers;
}

TEST(SdlKeyTranslation, KeyStateFromTheKeyboardTheLocksAndThePointer)
{
    struct Row
    {
        uint8_t virtualKey;
        std::vector<SDL_Scancode> pressed;
        uint16_t modifiers;
        int32_t pointerButtons;
        bool down;
        bool toggled;
    };
    const Row rows[] = {
        {0x41, {SDL_SCANCODE_A}, 0, 0, true, false},
        {0x41, {SDL_SCANCODE_B}, 0, 0, false, false},
        // Either side makes the modifier's key down; a side's own key only that side.
        {0x11, {SDL_SCANCODE_RCTRL}, 0, 0, true, false},
        {0xA2, {SDL_SCANCODE_RCTRL}, 0, 0, false, false},
        {0xA3, {SDL_SCANCODE_RCTRL}, 0, 0, true, false},
        {0x12, {SDL_SCANCODE_LALT}, 0, 0, true, false},
        {0x0D, {SDL_SCANCODE_KP_ENTER}, 0, 0, true, false},
        // Locks are on while their modifier is, whether the key is held or not.
        {0x14, {}, KMOD_CAPS, 0, false, true},
        {0x90, {SDL_SCANCODE_NUMLOCKCLEAR}, KMOD_NUM, 0, true, true},
        {0x91, {}, KMOD_SCROLL, 0, false, true},
        {0x14, {}, KMOD_NUM, 0, false, false},
        // The mouse buttons' keys: 1 left, 2 right, 4 middle.
        {0x01, {}, 0, 1, true, false},
        {0x02, {}, 0, 4, true, false},
        {0x04, {}, 0, 2, true, false},
        {0x02, {}, 0, 2, false, false},
        // No virtual key: never down.
        {0x00, {SDL_SCANCODE_UNKNOWN}, 0, 0, false, false},
    };
    for (const Row& row : rows)
    {
        std::vector<uint8_t> keyboard(SDL_NUM_SCANCODES, 0);
        for (SDL_Scancode scanCode : row.pressed)
            keyboard[scanCode] = 1;
        bool down = !row.down;
        bool toggled = !row.toggled;
        KeyStateFromSdl(row.virtualKey, keyboard.data(), SDL_NUM_SCANCODES, row.modifiers, row.pointerButtons,
                        down, toggled);
        EXPECT_EQ(down, row.down) << int(row.virtualKey);
        EXPECT_EQ(toggled, row.toggled) << int(row.virtualKey);
    }
    // A keyboard state shorter than the scan codes is read only within its count.
    const uint8_t few[SDL_SCANCODE_A] = {1, 1, 1, 1};
    bool down = true;
    bool toggled = true;
    KeyStateFromSdl(0x41, few, SDL_SCANCODE_A, 0, 0, down, toggled);
    EXPECT_FALSE(down);
}
