#include "Storage/CharacterClasses.h"

#include <algorithm>
#include <iterator>

namespace KV {

namespace {

struct CharacterRange
{
    char16_t first;
    char16_t last;
};

// Sorted and disjoint.
constexpr CharacterRange kSpaces[] = {
    {0x0009, 0x000D}, {0x0020, 0x0020}, {0x0085, 0x0085}, {0x1680, 0x1680}, {0x2000, 0x2006},
    {0x2008, 0x200A}, {0x2028, 0x2029}, {0x205F, 0x205F}, {0x3000, 0x3000},
};

constexpr CharacterRange kNotPrintable[] = {
    {0x0000, 0x001F},
    {0x007F, 0x009F},
    {0x2028, 0x2029},
    {0xFFFE, 0xFFFF},
};

template <size_t N> bool InRanges(const CharacterRange (&ranges)[N], char16_t c) noexcept
{
    const auto* after =
        std::upper_bound(std::begin(ranges), std::end(ranges), c,
                         [](char16_t value, const CharacterRange& range) { return value < range.first; });
    return after != std::begin(ranges) && c <= std::prev(after)->last;
}

} // namespace

bool IsSpaceCharacter(char16_t c) noexcept
{
    return InRanges(kSpaces, c);
}

bool IsPrintableCharacter(char16_t c) noexcept
{
    return !InRanges(kNotPrintable, c);
}

} // namespace KV
