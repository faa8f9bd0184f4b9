#pragma once
// Reading numbers at the start of wide text, independent of the user's locale.

#include <cstdint>
#include <string_view>

namespace KV {

// Optional blanks (space, tab, line breaks), an optional sign and decimal digits up
// to the first other character; 0 when there are none. A value beyond 32 bits is
// clamped to INT32_MIN or INT32_MAX.
int32_t ParseLeadingInt(std::u16string_view text);

// Optional blanks, then the longest prefix that reads as a C floating-point number
// (decimal or hexadecimal, with exponent, "inf", "nan"), always with '.' as the
// decimal point; 0 when there is none. Overflow gives plus or minus infinity.
double ParseLeadingDouble(std::u16string_view text);

} // namespace KV
