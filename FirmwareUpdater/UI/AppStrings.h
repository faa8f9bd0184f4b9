#pragma once
// Texts of the application's own string table ("|" and the application name), which the
// application object keeps.

#include "Storage/StringT.h"

namespace KV {

// The text of the key; empty when there is no application, no table or no such text.
String GetAppString(const char16_t* key);
// The same as GetAppString.
inline String LoadAppString(const char16_t* key)
{
    return GetAppString(key);
}

} // namespace KV
