#pragma once
// The names of the virtual keys: "VKEY_" names that shortcut texts use, and the texts
// that menus show for a key. Both tables are built once, at first use, and only read
// afterwards, so any thread may ask.

#include "Storage/StringT.h"

namespace KV {

class KeyNames
{
public:
    // The virtual-key code of a "VKEY_" name (exact, case counts); 0 for an unknown name.
    static int GetKeyCode(const String& name);
    // The display text of a virtual-key code; empty when the code has none.
    static String GetDisplayName(int virtualKey);
};

} // namespace KV
