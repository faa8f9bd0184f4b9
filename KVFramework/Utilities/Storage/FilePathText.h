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

std::string ToUtf8(const String& path);

} // namespace KV::FilePathText
