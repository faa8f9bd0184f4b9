#pragma once
// The value syntaxes of the attributes of skin and string-table documents. Words are
// compared exactly, letter case included; numbers never depend on the user's locale.

#include "Storage/StringT.h"

#include <cstdint>
#include <map>
#include <optional>

namespace KV::SkinValueSyntax {

using Attributes = std::map<String, String>;

// The attribute's value; null when the element does not have it.
const String* Find(const Attributes& attributes, const char16_t* name);

// True exactly for "True".
bool ToBool(const String& value);
// Optional blanks and sign, decimal digits up to the first other character; 0 without.
int32_t ToDecimalInt(const String& value);
// "0x" (lower-case x) and up to four hexadecimal digits, reading stopping at the first
// other character; otherwise decimal as ToDecimalInt.
int32_t ToHexOrDecimalInt(const String& value);
// The leading number as a 32-bit float; 0 when there is none, and for a number that is
// not finite as a float (an infinity, a NaN, or beyond the float range).
float ToFloat(const String& value);
// A decimal int kept as a double: a fraction in the text is dropped.
double ToWholePixels(const String& value);

// The same, for an attribute that may be missing.
std::optional<bool> FindBool(const Attributes& attributes, const char16_t* name);
std::optional<int32_t> FindDecimalInt(const Attributes& attributes, const char16_t* name);
std::optional<int32_t> FindHexOrDecimalInt(const Attributes& attributes, const char16_t* name);
std::optional<float> FindFloat(const Attributes& attributes, const char16_t* name);
std::optional<double> FindWholePixels(const Attributes& attributes, const char16_t* name);

} // namespace KV::SkinValueSyntax
