#pragma once
// The text form of a settings file:
//
//   top-level-key=value
//   list[]=first item
//   list[]=second item
//
//   [Node/Child]
//   key=value
//
// Lines are trimmed of blanks; lines opening with ";" or "#" are comments. A value keeps
// line breaks and backslashes as "\n", "\r" and "\\"; a value that begins or ends with
// blanks, or begins with a quote, is written between quotes. Comments are not kept
// when the file is written again.

#include "IniDocument.h"

#include <optional>
#include <string>
#include <string_view>

namespace KV::IniFile {

// Nothing when the text is not a settings file: a line that is neither blank, a comment,
// a node nor "name=value", an invalid name, or a zero byte.
std::optional<Document> ParseIniText(std::string_view text);
std::string WriteIniText(const Document& document);

} // namespace KV::IniFile
