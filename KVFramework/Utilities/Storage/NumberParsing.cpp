#include "Storage/NumberParsing.h"

#include "Utilities/Storage/CLocale.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace KV {

namespace {

bool IsBlank(char16_t c)
{
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

std::u16string_view SkipBlanks(std::u16string_view text)
{
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    return text.substr(i);
}

// Characters that can occur in a C floating-point number.
bool IsNumberCharacter(char16_t c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'+' ||
           c == u'-' || c == u'.';
}

} // namespace

int32_t ParseLeadingInt(std::u16string_view text)
{
    text = SkipBlanks(text);
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    // Accumulate the magnitude up to one past INT32_MAX, which is INT32_MIN's magnitude.
    constexpr int64_t kLimit = int64_t{INT32_MAX} + 1;
    int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        magnitude = std::min(kLimit, magnitude * 10 + (text[i] - u'0'));
    if (negative)
        return static_cast<int32_t>(-magnitude);
    return static_cast<int32_t>(std::min<int64_t>(magnitude, INT32_MAX));
}

double ParseLeadingDouble(std::u16string_view text)
{
    text = SkipBlanks(text);
    std::string narrow;
    for (size_t i = 0; i < text.size() && IsNumberCharacter(text[i]); ++i)
        narrow += static_cast<char>(text[i]);
    return strtod_l(narrow.c_str(), nullptr, Detail::CLocale());
}

} // namespace KV
