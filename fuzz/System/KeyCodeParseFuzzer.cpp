// Feeds arbitrary UTF-16 text (the input's bytes in pairs, little-endian) to the
// shortcut parser. Besides memory errors it checks what must hold for any text: a parsed
// key carries no side flags and no repeat byte, a virtual key is always a pressed one
// without a character, and the key can be shown.

#include "System/KeyCode.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace KV;

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    std::vector<char16_t> units;
    for (size_t i = 0; i + 1 < size; i += 2)
        units.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
    units.push_back(0);
    const String text(units.data());

    const KeyCode key = KeyCode::Parse(text);
    Require(key.mSideFlags == 0 && key.mWasDown == 0);
    Require((key.mCode & KeyCode::kNoKey) == 0);
    if ((key.mCode & KeyCode::kVirtualKeyMask) != 0)
        Require((key.mCode & KeyCode::kPressed) != 0 && (key.mCode & KeyCode::kCharacterMask) == 0);
    Require(key.Equals(key));
    (void)key.ToDisplayString();
    return 0;
}
