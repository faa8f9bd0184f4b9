#include "System/KeyCode.h"
#include "System/KeyNames.h"

#include <gtest/gtest.h>

#include <string>

using namespace KV;

namespace {

constexpr uint32_t kF5 = 0x74;

uint32_t VirtualKeyCode(uint32_t virtualKey, uint32_t bits)
{
    return (virtualKey << 16) | bits;
}

std::string Narrow(const String& text)
{
    return text.ToNarrow().GetText();
}

} // namespace

TEST(KeyCode, ModifierWordsBecomeCodeBitsAndSideFlags)
{
    struct Case
    {
        uint32_t modifiers;
        uint32_t codeBits;
        uint32_t sideFlags;
    };
    const Case cases[] = {
        {0, 0, 0},
        {kModifierShift | kModifierLeftShift, KeyCode::kShift, KeyCode::kSideLeftShift},
        {kModifierShift | kModifierRightShift, KeyCode::kShift, KeyCode::kSideRightShift},
        {kModifierCtrl | kModifierLeftCtrl, KeyCode::kCtrl, KeyCode::kSideLeftCtrl},
        {kModifierCtrl | kModifierRightCtrl, KeyCode::kCtrl, KeyCode::kSideRightCtrl},
        {kModifierAlt | kModifierLeftAlt | kModifierRightAlt, KeyCode::kAlt,
         KeyCode::kSideLeftAlt | KeyCode::kSideRightAlt},
        {kModifierCmd | kModifierLeftCmd, KeyCode::kCmd, KeyCode::kSideLeftCmd},
        {kModifierCmd | kModifierRightCmd, KeyCode::kCmd, KeyCode::kSideRightCmd},
        {kModifierExtra, KeyCode::kExtra, 0},
        // A side bit without its modifier counts as nothing.
        {kModifierLeftShift | kModifierRightCtrl, 0, 0},
        {0x1FFF, KeyCode::kCtrl | KeyCode::kShift | KeyCode::kAlt | KeyCode::kCmd | KeyCode::kExtra, 0xFF},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.modifiers);
        const KeyCode pressed = KeyCode::FromVirtualKey(kF5, true, 1, c.modifiers);
        EXPECT_EQ(pressed.mCode, VirtualKeyCode(kF5, KeyCode::kPressed | c.codeBits));
        EXPECT_EQ(pressed.mSideFlags, c.sideFlags);
        EXPECT_EQ(pressed.mWasDown, 1);

        const KeyCode released = KeyCode::FromVirtualKey(kF5, false, 1, c.modifiers);
        EXPECT_EQ(released.mCode, VirtualKeyCode(kF5, c.codeBits));

        const KeyCode character = KeyCode::FromCharacter(u'x', c.modifiers);
        EXPECT_EQ(character.mCode, u'x' | c.codeBits);
        EXPECT_EQ(character.mSideFlags, c.sideFlags);
        EXPECT_EQ(character.mWasDown, 0);
    }
}

TEST(KeyCode, EqualsIgnoresCtrlAndShiftOfCharactersOnly)
{
    const KeyCode a = KeyCode::FromCharacter(u'a', 0);
    const KeyCode f5Down = KeyCode::FromVirtualKey(kF5, true, 0, 0);
    struct Case
    {
        const char* what;
        KeyCode left;
        KeyCode right;
        bool equal;
    };
    const Case cases[] = {
        {"a with Ctrl, a", KeyCode::FromCharacter(u'a', kModifierCtrl), a, true},
        {"a with Shift, a", KeyCode::FromCharacter(u'a', kModifierShift | kModifierLeftShift), a, true},
        {"a with Alt, a", KeyCode::FromCharacter(u'a', kModifierAlt), a, false},
        {"a with Cmd, a", KeyCode::FromCharacter(u'a', kModifierCmd), a, false},
        {"a, A", a, KeyCode::FromCharacter(u'A', 0), false},
        {"F5 pressed, F5 released", f5Down, KeyCode::FromVirtualKey(kF5, false, 1, 0), false},
        {"F5 with Ctrl, F5", KeyCode::FromVirtualKey(kF5, true, 0, kModifierCtrl), f5Down, false},
        {"F5 repeated with left Shift, F5 with right Shift",
         KeyCode::FromVirtualKey(kF5, true, 1, kModifierShift | kModifierLeftShift),
         KeyCode::FromVirtualKey(kF5, true, 0, kModifierShift | kModifierRightShift), true},
        {"empty, empty", KeyCode(), KeyCode(), true},
        {"empty, character 0", KeyCode(), KeyCode::FromCharacter(0, 0), false},
        {"empty with Ctrl, empty", KeyCode{KeyCode::kNoKey | KeyCode::kCtrl, 0, 0}, KeyCode(), false},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(c.left.Equals(c.right), c.equal) << c.what;
        EXPECT_EQ(c.right.Equals(c.left), c.equal) << c.what;
    }
}

TEST(KeyCode, VirtualKeyDownOnlyForPressedVirtualKeys)
{
    EXPECT_TRUE(KeyCode::FromVirtualKey(kF5, true, 1, kModifierCtrl).IsVirtualKeyDown());
    EXPECT_FALSE(KeyCode::FromVirtualKey(kF5, false, 1, 0).IsVirtualKeyDown());
    EXPECT_FALSE(KeyCode::FromCharacter(u'a', 0).IsVirtualKeyDown());
    EXPECT_FALSE(KeyCode().IsVirtualKeyDown());
    EXPECT_FALSE((KeyCode{KeyCode::kNoKey | KeyCode::kPressed | (kF5 << 16), 0, 0}).IsVirtualKeyDown());
}

TEST(KeyCode, DisplayStrings)
{
    struct Case
    {
        KeyCode key;
        const char* text;
    };
    const uint32_t all = kModifierCtrl | kModifierAlt | kModifierShift | kModifierCmd;
    const Case cases[] = {
        {KeyCode::FromVirtualKey(kF5, true, 0, all), "Ctrl+Alt+Shift+Cmd+F5"},
        {KeyCode::FromVirtualKey(0x2E, false, 1, kModifierShift), "Shift+Del"},
        {KeyCode::FromVirtualKey(0x63, true, 0, 0), "Numpad 3"},
        {KeyCode::FromVirtualKey(0x87, true, 0, 0), "F24"},
        {KeyCode::FromVirtualKey(0x08, true, 0, kModifierCtrl), "Ctrl+"}, // Backspace has no text
        {KeyCode::FromCharacter(1, 0), "Ctrl+A"},
        {KeyCode::FromCharacter(26, 0), "Ctrl+Z"},
        {KeyCode::FromCharacter(27, 0), ""},
        {KeyCode::FromCharacter(u' ', 0), ""},
        {KeyCode::FromCharacter(u'!', 0), "!"},
        {KeyCode::FromCharacter(u'~', kModifierAlt), "Alt+~"},
        {KeyCode::FromCharacter(127, 0), ""},
        {KeyCode::FromCharacter(u'é', 0), ""},
        {KeyCode::FromCharacter(0, 0), ""},
        {KeyCode(), ""},
        {KeyCode{KeyCode::kNoKey | KeyCode::kCtrl | KeyCode::kCmd, 0, 0}, "Ctrl+Cmd+"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Narrow(c.key.ToDisplayString()), c.text) << std::hex << c.key.mCode;
}

TEST(KeyCode, ParseTable)
{
    const uint32_t pressed = KeyCode::kPressed;
    struct Case
    {
        const char16_t* text;
        uint32_t code;
    };
    const Case cases[] = {
        {u"Ctrl+VKEY_F5", VirtualKeyCode(kF5, pressed | KeyCode::kCtrl)},
        {u"shift+alt+ctrl+vkey_f5",
         VirtualKeyCode(kF5, pressed | KeyCode::kCtrl | KeyCode::kShift | KeyCode::kAlt)},
        {u"VKEY_SHIFT", VirtualKeyCode(0x10, pressed | KeyCode::kShift)}, // the name itself says SHIFT
        {u"VKEY_F5+CTRL", VirtualKeyCode(0, pressed | KeyCode::kCtrl)},   // the name runs to the end
        {u"VKEY_NOSUCHKEY", pressed},
        {u"alt+x", u'x' | KeyCode::kAlt},
        {u"Ctrl+Shift+a", u'a'}, // Ctrl and Shift are part of a typed character
        {u"X", u'X'},
        {u"[65]", u'A'},
        {u"Alt+[ 97]", u'a' | KeyCode::kAlt},
        {u"[-1]", 0xFFFF},
        {u"[65536]", 0},
        {u"[66]]", u'B'},
        {u"[x]", 0},
        // Nothing to read: the start value.
        {u"", pressed},
        {u"[65", pressed},
        {u"]x[", pressed},
        {u"]65[]", pressed},
    };
    for (const Case& c : cases)
    {
        const KeyCode key = KeyCode::Parse(String(c.text));
        EXPECT_EQ(key.mCode, c.code) << String(c.text).ToNarrow().GetText();
        EXPECT_EQ(key.mSideFlags, 0u);
        EXPECT_EQ(key.mWasDown, 0);
    }
}

TEST(KeyCode, ParsedKeysMatchTheEventsOfTheWindow)
{
    // A parsed virtual key matches the key-down event with the same modifiers; a parsed
    // character matches the typed character whatever Ctrl and Shift say.
    const KeyCode ctrlF5 = KeyCode::Parse(String(u"Ctrl+VKEY_F5"));
    EXPECT_TRUE(ctrlF5.Equals(KeyCode::FromVirtualKey(kF5, true, 0, kModifierCtrl | kModifierRightCtrl)));
    EXPECT_FALSE(ctrlF5.Equals(KeyCode::FromVirtualKey(kF5, false, 1, kModifierCtrl)));
    EXPECT_TRUE(
        KeyCode::Parse(String(u"alt+x")).Equals(KeyCode::FromCharacter(u'x', kModifierAlt | kModifierShift)));
}

TEST(KeyNames, NamesAndDisplayTexts)
{
    struct Named
    {
        const char16_t* name;
        int code;
    };
    const Named names[] = {
        {u"VKEY_BACK", 0x08},
        {u"VKEY_KANA", 0x15},
        {u"VKEY_HANGEUL", 0x15},
        {u"VKEY_HANGUL", 0x15},
        {u"VKEY_HANJA", 0x19},
        {u"VKEY_KANJI", 0x19},
        {u"VKEY_OEM_NEC_EQUAL", 0x92},
        {u"VKEY_OEM_FJ_JISHO", 0x92},
        {u"VKEY_OEM_FJ_ROYA", 0x96},
        {u"VKEY_PAGEUP", 0x21},
        {u"VKEY_PAGEDN", 0x22},
        {u"VKEY_0", 0x30},
        {u"VKEY_9", 0x39},
        {u"VKEY_A", 0x41},
        {u"VKEY_Z", 0x5A},
        {u"VKEY_NUMPAD0", 0x60},
        {u"VKEY_NUMPAD9", 0x69},
        {u"VKEY_F1", 0x70},
        {u"VKEY_F24", 0x87},
        {u"VKEY_SLEEP", 0x5F},
        {u"VKEY_LAUNCH_APP2", 0xB7},
        // Unknown: other spellings, Windows names left out, and the empty name.
        {u"vkey_a", 0},
        {u"VKEY_F25", 0},
        {u"VKEY_PRIOR", 0},
        {u"VK_F1", 0},
        {u"VKEY_", 0},
        {u"", 0},
    };
    for (const Named& n : names)
        EXPECT_EQ(KeyNames::GetKeyCode(String(n.name)), n.code) << String(n.name).ToNarrow().GetText();

    struct Displayed
    {
        int code;
        const char* text;
    };
    const Displayed texts[] = {
        {0x08, ""},
        {0x09, ""},
        {0x16, ""},
        {0x30, "0"},
        {0x5A, "Z"},
        {0x60, "Numpad 0"},
        {0x69, "Numpad 9"},
        {0x70, "F1"},
        {0x1D, "Non-convert"},
        {0x1F, "Mode Change"},
        {0x6E, "."},
        {0x92, "NEC Equal"},
        {0xB6, "Launch App 1"},
        {0xB7, "Launch App 2"},
        {0xFF, ""},
        {-1, ""},
        {256, ""},
    };
    for (const Displayed& d : texts)
        EXPECT_EQ(Narrow(KeyNames::GetDisplayName(d.code)), d.text) << d.code;
}
