#include "System/KeyCode.h"

#include "System/KeyNames.h"

namespace KV {
namespace {

// The modifier bits of a key code for a modifier word.
uint32_t ModifierBits(uint32_t modifiers)
{
    uint32_t bits = 0;
    if (modifiers & kModifierCtrl)
        bits |= KeyCode::kCtrl;
    if (modifiers & kModifierShift)
        bits |= KeyCode::kShift;
    if (modifiers & kModifierAlt)
        bits |= KeyCode::kAlt;
    if (modifiers & kModifierCmd)
        bits |= KeyCode::kCmd;
    if (modifiers & kModifierExtra)
        bits |= KeyCode::kExtra;
    return bits;
}

} // namespace

uint32_t KeyCode::ComputeSideFlags(uint32_t modifiers)
{
    struct Side
    {
        uint32_t modifiers;
        uint32_t flag;
    };
    static constexpr Side kSides[] = {
        {kModifierShift | kModifierLeftShift, kSideLeftShift},
        {kModifierShift | kModifierRightShift, kSideRightShift},
        {kModifierCtrl | kModifierLeftCtrl, kSideLeftCtrl},
        {kModifierCtrl | kModifierRightCtrl, kSideRightCtrl},
        {kModifierAlt | kModifierLeftAlt, kSideLeftAlt},
        {kModifierAlt | kModifierRightAlt, kSideRightAlt},
        {kModifierCmd | kModifierLeftCmd, kSideLeftCmd},
        {kModifierCmd | kModifierRightCmd, kSideRightCmd},
    };
    uint32_t flags = 0;
    for (const Side& side : kSides)
        if ((modifiers & side.modifiers) == side.modifiers)
            flags |= side.flag;
    return flags;
}

KeyCode KeyCode::FromVirtualKey(uint8_t virtualKey, bool isDown, uint8_t wasDown, uint32_t modifiers)
{
    KeyCode key;
    key.mCode =
        (uint32_t{virtualKey} << kVirtualKeyShift) | (isDown ? kPressed : 0) | ModifierBits(modifiers);
    key.mSideFlags = ComputeSideFlags(modifiers);
    key.mWasDown = wasDown;
    return key;
}

KeyCode KeyCode::FromCharacter(char16_t character, uint32_t modifiers)
{
    KeyCode key;
    key.mCode = uint32_t{character} | ModifierBits(modifiers);
    key.mSideFlags = ComputeSideFlags(modifiers);
    key.mWasDown = 0;
    return key;
}

bool KeyCode::Equals(const KeyCode& other) const
{
    if (((mCode | other.mCode) & (kNoKey | kVirtualKeyMask)) == 0)
        return ((mCode ^ other.mCode) & ~(kCtrl | kShift)) == 0;
    return mCode == other.mCode;
}

bool KeyCode::IsVirtualKeyDown() const
{
    return (mCode & kVirtualKeyMask) != 0 && (mCode & kNoKey) == 0 && (mCode & kPressed) != 0;
}

String KeyCode::ToDisplayString() const
{
    String text;
    if (mCode & kCtrl)
        text += String(u"Ctrl+");
    if (mCode & kAlt)
        text += String(u"Alt+");
    if (mCode & kShift)
        text += String(u"Shift+");
    if (mCode & kCmd)
        text += String(u"Cmd+");
    if (mCode & kNoKey)
        return text;

    if (const uint32_t virtualKey = (mCode & kVirtualKeyMask) >> kVirtualKeyShift; virtualKey != 0)
        return text += KeyNames::GetDisplayName(static_cast<int>(virtualKey));

    // Control characters are shown as the Ctrl chord that types them; blanks and
    // characters outside printable ASCII have no text of their own.
    const char16_t character = static_cast<char16_t>(mCode & kCharacterMask);
    if (character >= 1 && character <= 26)
    {
        text += String(u"Ctrl+");
        text += static_cast<char16_t>(character + 64);
    }
    else if (character >= 33 && character <= 126)
    {
        text += character;
    }
    return text;
}

KeyCode KeyCode::Parse(const String& text)
{
    KeyCode key;
    key.mCode = kPressed;

    const String upper = text.ToUpper();
    const bool ctrl = upper.Find(String(u"CTRL")) >= 0;
    const bool alt = upper.Find(String(u"ALT")) >= 0;
    const bool shift = upper.Find(String(u"SHIFT")) >= 0;
    const uint32_t characterModifiers = alt ? kModifierAlt : 0;

    if (const int32_t name = upper.Find(String(u"VKEY_")); name >= 0)
    {
        const auto code = static_cast<uint32_t>(KeyNames::GetKeyCode(upper.MidFrom(name)));
        key.mCode = (code << kVirtualKeyShift) | kPressed | (shift ? kShift : 0) | (ctrl ? kCtrl : 0) |
                    (alt ? kAlt : 0);
        return key;
    }

    if (const int32_t open = upper.Find(u'['); open >= 0)
    {
        // A number in brackets names a character by its code: "[65]" is A. Without a
        // closing bracket after the opening one there is no number to read.
        const int32_t close = upper.Find(u']');
        if (close <= open)
            return key;
        const int32_t number = text.Mid(open + 1, close - open - 1).ToInt();
        return FromCharacter(static_cast<char16_t>(static_cast<uint32_t>(number) & 0xFFFF),
                             characterModifiers);
    }

    const int32_t length = text.GetLength();
    if (length == 0)
        return key;
    return FromCharacter(text.GetText()[length - 1], characterModifiers);
}

} // namespace KV
