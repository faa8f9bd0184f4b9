#pragma once
// Character classes of UTF-16 code units, from the framework's own tables, so that text
// editing behaves the same whatever locale the process runs under.

namespace KV {

// White space: the blanks and line breaks of Unicode, less the no-break spaces, which
// join the words on either side of them.
bool IsSpaceCharacter(char16_t c) noexcept;

// Characters that may stand in a line of text: everything but the control characters,
// the line and paragraph separators and the two non-characters at the end of the plane.
// Surrogates count as printable, since a character beyond the plane is typed as a pair.
bool IsPrintableCharacter(char16_t c) noexcept;

} // namespace KV
