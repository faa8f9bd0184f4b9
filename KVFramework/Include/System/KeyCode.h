#pragma once
// KeyCode: one keyboard event or one keyboard shortcut, as a plain value.
//
// The key vocabulary is the Windows virtual-key codes (VK_F5 is 0x74 and so on); the
// window layer translates the native keys into it. A key code is either a virtual key
// (bits 16-23) or a character (bits 0-15), together with the modifiers that were held.

#include "Storage/StringT.h"

#include <cstdint>

namespace KV {

// The modifier word: the set of held modifier keys that the window reports with keys and
// pointer events. A side bit comes together with its modifier (left Shift is 0x08|0x10).
inline constexpr uint32_t kModifierCtrl = 0x01;
inline constexpr uint32_t kModifierLeftCtrl = 0x02;
inline constexpr uint32_t kModifierRightCtrl = 0x04;
inline constexpr uint32_t kModifierShift = 0x08;
inline constexpr uint32_t kModifierLeftShift = 0x10;
inline constexpr uint32_t kModifierRightShift = 0x20;
inline constexpr uint32_t kModifierAlt = 0x40;
inline constexpr uint32_t kModifierLeftAlt = 0x80;
inline constexpr uint32_t kModifierRightAlt = 0x100;
inline constexpr uint32_t kModifierCmd = 0x200;
inline constexpr uint32_t kModifierLeftCmd = 0x400;
inline constexpr uint32_t kModifierRightCmd = 0x800;
inline constexpr uint32_t kModifierExtra = 0x1000; // carried along; nothing sets it

struct KeyCode
{
    // Bits of mCode.
    static constexpr uint32_t kCharacterMask = 0x0000FFFF;
    static constexpr uint32_t kVirtualKeyMask = 0x00FF0000;
    static constexpr uint32_t kVirtualKeyShift = 16;
    static constexpr uint32_t kCtrl = 0x01000000;
    static constexpr uint32_t kShift = 0x02000000;
    static constexpr uint32_t kAlt = 0x04000000;
    static constexpr uint32_t kCmd = 0x08000000;
    static constexpr uint32_t kExtra = 0x10000000;
    static constexpr uint32_t kPressed = 0x20000000;
    static constexpr uint32_t kNoKey = 0x80000000;

    // Bits of mSideFlags.
    static constexpr uint32_t kSideLeftShift = 0x01;
    static constexpr uint32_t kSideRightShift = 0x02;
    static constexpr uint32_t kSideLeftCtrl = 0x04;
    static constexpr uint32_t kSideRightCtrl = 0x08;
    static constexpr uint32_t kSideLeftAlt = 0x10;
    static constexpr uint32_t kSideRightAlt = 0x20;
    static constexpr uint32_t kSideLeftCmd = 0x40;
    static constexpr uint32_t kSideRightCmd = 0x80;

    uint32_t mCode = kNoKey; // a default key code is the empty binding
    uint32_t mSideFlags = 0;
    // For a press, 1 when the key was already down (auto-repeat); 1 for a release.
    uint8_t mWasDown = 0;

    // A key event of the window: the key pressed (isDown) or released.
    static KeyCode FromVirtualKey(uint8_t virtualKey, bool isDown, uint8_t wasDown, uint32_t modifiers);
    // A typed character; character keys never carry the pressed bit.
    static KeyCode FromCharacter(char16_t character, uint32_t modifiers);
    // The left/right bits of a modifier word.
    static uint32_t ComputeSideFlags(uint32_t modifiers);

    // Two character keys are equal when they differ at most in Ctrl and Shift (both are
    // part of the character itself); anything else must match bit for bit. The side
    // flags and the repeat byte never count.
    bool Equals(const KeyCode& other) const;
    // A virtual key being pressed (not released, not a character, not empty).
    bool IsVirtualKeyDown() const;

    // "Ctrl+Alt+Shift+Cmd+" as held, then the key's display text.
    String ToDisplayString() const;
    // Reads a shortcut text such as "Ctrl+VKEY_F5", "alt+x" or "[65]".
    static KeyCode Parse(const String& text);
};

} // namespace KV
