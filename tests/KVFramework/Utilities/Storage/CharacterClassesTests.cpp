#include "Storage/CharacterClasses.h"

#include <gtest/gtest.h>

using namespace KV;

namespace {

// Under the C locale the standard classification knows only ASCII: the rows beyond it
// show that the answers do not come from there.
TEST(CharacterClasses, SpacesAndPrintableCharactersOfTheWholePlane)
{
    const struct
    {
        char16_t c;
        bool space;
        bool printable;
    } cases[] = {
        {u'a', false, true},    {u' ', true, true},     {u'\t', true, false},   {u'\n', true, false},
        {u'\r', true, false},   {0x0000, false, false}, {0x007F, false, false}, {0x0085, true, false},
        {0x009F, false, false}, {0x00A0, false, true},  {0x00E9, false, true},  {0x1680, true, true},
        {0x2003, true, true},   {0x2007, false, true},  {0x200A, true, true},   {0x2028, true, false},
        {0x2029, true, false},  {0x202F, false, true},  {0x205F, true, true},   {0x3000, true, true},
        {0x4E2D, false, true},  {0xD83D, false, true},  {0xDE00, false, true},  {0xFFFD, false, true},
        {0xFFFE, false, false}, {0xFFFF, false, false},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(IsSpaceCharacter(c.c), c.space) << std::hex << int(c.c);
        EXPECT_EQ(IsPrintableCharacter(c.c), c.printable) << std::hex << int(c.c);
    }
}

} // namespace
