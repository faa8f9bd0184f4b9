#include "System/KeyNames.h"

#include <array>
#include <map>
#include <string>
#include <string_view>

namespace KV {
namespace {

struct NamedKey
{
    std::u16string_view name;
    int code;
};

// The named keys that are not members of a numbered run.
constexpr NamedKey kNamedKeys[] = {
    {u"BACK", 0x08},
    {u"TAB", 0x09},
    {u"CLEAR", 0x0C},
    {u"RETURN", 0x0D},
    {u"SHIFT", 0x10},
    {u"CONTROL", 0x11},
    {u"MENU", 0x12},
    {u"PAUSE", 0x13},
    {u"CAPITAL", 0x14},
    {u"KANA", 0x15},
    {u"HANGEUL", 0x15},
    {u"HANGUL", 0x15},
    {u"JUNJA", 0x17},
    {u"FINAL", 0x18},
    {u"HANJA", 0x19},
    {u"KANJI", 0x19},
    {u"ESCAPE", 0x1B},
    {u"CONVERT", 0x1C},
    {u"NONCONVERT", 0x1D},
    {u"ACCEPT", 0x1E},
    {u"MODECHANGE", 0x1F},
    {u"SPACE", 0x20},
    {u"PAGEUP", 0x21},
    {u"PAGEDN", 0x22},
    {u"END", 0x23},
    {u"HOME", 0x24},
    {u"LEFT", 0x25},
    {u"UP", 0x26},
    {u"RIGHT", 0x27},
    {u"DOWN", 0x28},
    {u"SELECT", 0x29},
    {u"PRINT", 0x2A},
    {u"EXECUTE", 0x2B},
    {u"SNAPSHOT", 0x2C},
    {u"INSERT", 0x2D},
    {u"DELETE", 0x2E},
    {u"HELP", 0x2F},
    {u"LWIN", 0x5B},
    {u"RWIN", 0x5C},
    {u"APPS", 0x5D},
    {u"SLEEP", 0x5F},
    {u"MULTIPLY", 0x6A},
    {u"ADD", 0x6B},
    {u"SEPARATOR", 0x6C},
    {u"SUBTRACT", 0x6D},
    {u"DECIMAL", 0x6E},
    {u"DIVIDE", 0x6F},
    {u"NUMLOCK", 0x90},
    {u"SCROLL", 0x91},
    {u"OEM_NEC_EQUAL", 0x92},
    {u"OEM_FJ_JISHO", 0x92},
    {u"OEM_FJ_MASSHOU", 0x93},
    {u"OEM_FJ_TOUROKU", 0x94},
    {u"OEM_FJ_LOYA", 0x95},
    {u"OEM_FJ_ROYA", 0x96},
    {u"LSHIFT", 0xA0},
    {u"RSHIFT", 0xA1},
    {u"LCONTROL", 0xA2},
    {u"RCONTROL", 0xA3},
    {u"LMENU", 0xA4},
    {u"RMENU", 0xA5},
    {u"BROWSER_BACK", 0xA6},
    {u"BROWSER_FORWARD", 0xA7},
    {u"BROWSER_REFRESH", 0xA8},
    {u"BROWSER_STOP", 0xA9},
    {u"BROWSER_SEARCH", 0xAA},
    {u"BROWSER_FAVORITES", 0xAB},
    {u"BROWSER_HOME", 0xAC},
    {u"VOLUME_MUTE", 0xAD},
    {u"VOLUME_DOWN", 0xAE},
    {u"VOLUME_UP", 0xAF},
    {u"MEDIA_NEXT_TRACK", 0xB0},
    {u"MEDIA_PREV_TRACK", 0xB1},
    {u"MEDIA_STOP", 0xB2},
    {u"MEDIA_PLAY_PAUSE", 0xB3},
    {u"LAUNCH_MAIL", 0xB4},
    {u"LAUNCH_MEDIA_SELECT", 0xB5},
    {u"LAUNCH_APP1", 0xB6},
    {u"LAUNCH_APP2", 0xB7},
};

// Numbered runs: NUMPAD0-9, F1-F24, the digit keys 0-9 and the letter keys A-Z.
struct NumberedRun
{
    std::u16string_view prefix;
    int firstCode;
    int count;
    int firstNumber;    // for prefixed runs: the number of the first key
    char16_t firstChar; // for runs named by one character: that character, else 0
};

constexpr NumberedRun kRuns[] = {
    {u"NUMPAD", 0x60, 10, 0, 0},
    {u"F", 0x70, 24, 1, 0},
    {u"", 0x30, 10, 0, u'0'},
    {u"", 0x41, 26, 0, u'A'},
};

struct DisplayedKey
{
    int code;
    const char16_t* text;
};

constexpr DisplayedKey kDisplayedKeys[] = {
    {0x0C, u"Clear"},
    {0x0D, u"Return"},
    {0x10, u"Shift"},
    {0x11, u"Control"},
    {0x12, u"Menu"},
    {0x13, u"Pause"},
    {0x14, u"Capital"},
    {0x15, u"Kana"},
    {0x17, u"Junja"},
    {0x18, u"Final"},
    {0x19, u"Hanja"},
    {0x1B, u"Escape"},
    {0x1C, u"Convert"},
    {0x1D, u"Non-convert"},
    {0x1E, u"Accept"},
    {0x1F, u"Mode Change"},
    {0x20, u"Space"},
    {0x21, u"Page Up"},
    {0x22, u"Page Down"},
    {0x23, u"End"},
    {0x24, u"Home"},
    {0x25, u"Left Arrow"},
    {0x26, u"Up Arrow"},
    {0x27, u"Right Arrow"},
    {0x28, u"Down Arrow"},
    {0x29, u"Select"},
    {0x2A, u"Print"},
    {0x2B, u"Execute"},
    {0x2C, u"Snapshot"},
    {0x2D, u"Insert"},
    {0x2E, u"Del"},
    {0x2F, u"Help"},
    {0x5B, u"Left Win"},
    {0x5C, u"Right Win"},
    {0x5D, u"Apps"},
    {0x5F, u"Sleep"},
    {0x6A, u"*"},
    {0x6B, u"+"},
    {0x6C, u"Separator"},
    {0x6D, u"-"},
    {0x6E, u"."},
    {0x6F, u"/"},
    {0x90, u"Numlock"},
    {0x91, u"Scroll"},
    {0x92, u"NEC Equal"},
    {0x93, u"Masshou"},
    {0x94, u"Touroku"},
    {0x95, u"Loya"},
    {0x96, u"Roya"},
    {0xA0, u"Left Shift"},
    {0xA1, u"Right Shift"},
    {0xA2, u"Left Control"},
    {0xA3, u"Right Control"},
    {0xA4, u"Left Menu"},
    {0xA5, u"Right Menu"},
    {0xA6, u"Browser Back"},
    {0xA7, u"Browser Forward"},
    {0xA8, u"Browser Refresh"},
    {0xA9, u"Browser Stop"},
    {0xAA, u"Browser Search"},
    {0xAB, u"Browser Favorites"},
    {0xAC, u"Browser Home"},
    {0xAD, u"Volume Mute"},
    {0xAE, u"Volume Down"},
    {0xAF, u"Volume Up"},
    {0xB0, u"Media Next Track"},
    {0xB1, u"Media Prev Track"},
    {0xB2, u"Media Stop"},
    {0xB3, u"Media Play Pause"},
    {0xB4, u"Launch Mail"},
    {0xB5, u"Launch Media Select"},
    {0xB6, u"Launch App 1"},
    {0xB7, u"Launch App 2"},
};

// "text" followed by the decimal digits of a number below 100.
std::u16string WithNumber(std::u16string_view text, int number)
{
    std::u16string result(text);
    if (number >= 10)
        result.push_back(static_cast<char16_t>(u'0' + number / 10));
    result.push_back(static_cast<char16_t>(u'0' + number % 10));
    return result;
}

std::u16string KeyName(std::u16string_view label)
{
    std::u16string name(u"VKEY_");
    name.append(label);
    return name;
}

struct Tables
{
    std::map<std::u16string, int, std::less<>> codeByName;
    std::array<String, 256> displayByCode;

    Tables()
    {
        for (const NamedKey& key : kNamedKeys)
            codeByName.emplace(KeyName(key.name), key.code);
        for (const NumberedRun& run : kRuns)
        {
            for (int i = 0; i < run.count; ++i)
            {
                const std::u16string label = run.firstChar != 0
                                                 ? std::u16string(1, static_cast<char16_t>(run.firstChar + i))
                                                 : WithNumber(run.prefix, run.firstNumber + i);
                codeByName.emplace(KeyName(label), run.firstCode + i);
            }
        }

        for (int i = 0; i < 10; ++i)
        {
            displayByCode[0x30 + i] = String(static_cast<char16_t>(u'0' + i));
            displayByCode[0x60 + i] = String(WithNumber(u"Numpad ", i).c_str());
        }
        for (int i = 0; i < 26; ++i)
            displayByCode[0x41 + i] = String(static_cast<char16_t>(u'A' + i));
        for (int i = 0; i < 24; ++i)
            displayByCode[0x70 + i] = String(WithNumber(u"F", i + 1).c_str());
        for (const DisplayedKey& key : kDisplayedKeys)
            displayByCode[key.code] = String(key.text);
    }
};

const Tables& GetTables()
{
    // Never destroyed: key texts may still be asked for while the process ends.
    static const Tables* const tables = new Tables();
    return *tables;
}

} // namespace

int KeyNames::GetKeyCode(const String& name)
{
    const auto& codes = GetTables().codeByName;
    const auto found = codes.find(name.View());
    return found == codes.end() ? 0 : found->second;
}

String KeyNames::GetDisplayName(int virtualKey)
{
    if (virtualKey < 0 || virtualKey > 0xFF)
        return String();
    return GetTables().displayByCode[static_cast<size_t>(virtualKey)];
}

} // namespace KV
