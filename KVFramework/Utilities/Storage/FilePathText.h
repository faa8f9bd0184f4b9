#pragma once
// Path text shared by File and the path operations: separators, joining, and the
// crossing between wide paths and the UTF-8 names on disk.

#include "Storage/StringT.h"

#include <string>

namespace KV::FilePathText {

inline constexpr bool IsSeparator(char16_t c)
{
    return c == u'/' || c == u'\\';
}

// folder/name, without doubling a separator the folder ends with; the name alone when
// there is no folder (a relative path, not one from the root).
String Join(const String& folder, const String& name);

// The bytes of the name on disk; a byte that is no UTF-8 came in as U+DC80 + byte and
// goes out as itself (DecodeSystemBytes).
std::string ToUtf8(const String& path);
// A name from the system as a wide path, every byte kept.
String FromSystem(const std::string& path);

} // namespace KV::FilePathText
