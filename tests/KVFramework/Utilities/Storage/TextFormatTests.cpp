#include "Storage/NumberParsing.h"
#include "Storage/TextFormat.h"

#include "DecimalCommaLocale.h"

#include <gtest/gtest.h>

#include <array>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

using namespace KV;

namespace {

template <class... Args> std::u16string F(std::u16string_view format, const Args&... args)
{
    const std::array<FormatArgument, sizeof...(Args)> list{FormatArgument(args)...};
    return FormatText(format, list);
}

// Stands in for the framework's string classes: text and length, no terminator needed.
struct Piece
{
    const char16_t* GetText() const { return text; }
    int GetLength() const { return length; }
    const char16_t* text;
    int length;
};

struct Case
{
    std::u16string actual;
    std::u16string expected;
};

void Check(std::initializer_list<Case> cases)
{
    int row = 0;
    for (const Case& c : cases)
        EXPECT_EQ(c.actual, c.expected) << "row " << row++;
}

} // namespace

TEST(FormatText, ConversionsFlagsWidthAndPrecision)
{
    const int32_t minusOne = -1;
    Check({
        {F(u"plain %% text"), u"plain % text"},
        {F(u"%d|%i|%5d|%-5d|%05d|%+d|% d", 42, -7, 42, 42, 42, 42, 42), u"42|-7|   42|42   |00042|+42| 42"},
        {F(u"%u %x %X %o %#x %#o %#d", minusOne, 255, 255, 8, 255, 8, 5), u"4294967295 ff FF 10 0xff 010 5"},
        {F(u"%d %u", INT64_MIN, UINT64_MAX), u"-9223372036854775808 18446744073709551615"},
        {F(u"%hd %hhu %hx", 70000, 300, -1), u"4464 44 ffff"},
        {F(u"%ld %lld %I64d %zu", 1, 2LL, int64_t{3}, size_t{4}), u"1 2 3 4"},
        {F(u"%*d|%-*d|%.*f", 4, 7, 4, 7, 2, 3.14159), u"   7|7   |3.14"},
        {F(u"%*d", -3, 1), u"1  "},
        {F(u"%.3d|%.0d", 5, 0), u"005|"},
        {F(u"%f|%.2f|%e|%g|%.1lf", 1.5, -0.125, 1234.5, 0.0001, 2.25),
         u"1.500000|-0.12|1.234500e+03|0.0001|2.2"},
        {F(u"%f %f", std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()),
         u"inf -inf"},
        {F(u"%.0f|%8.3f|%-8.1f|", 2.5, 3.14159, 1.0), u"2|   3.142|1.0     |"},
        {F(u"%c%c%hc", u'\x20AC', 'A', 'b'), u"\x20AC"
                                             u"Ab"},
        {F(u"[%s][%5s][%-5s][%.2s]", u"abc", u"ab", u"ab", u"abc"), u"[abc][   ab][ab   ][ab]"},
        {F(u"[%s|%ls]", std::u16string(u"x"), std::u16string_view(u"y")), u"[x|y]"},
        {F(u"[%hs|%hs|%.1hs]", "caf\xC3\xA9", std::string("ok"), "xyz"), u"[caf\xE9|ok|x]"},
        {F(u"[%s]", Piece{u"abcdef", 3}), u"[abc]"},
    });
}

TEST(FormatText, MissingMismatchedAndRefusedConversionsGiveEmptyText)
{
    int target = 0;
    Check({
        {F(u"a%db%sc"), u"abc"},                                    // no arguments at all
        {F(u"%d|%d", 1), u"1|"},                                    // one missing
        {F(u"[%d]", 1.5), u"[]"},                                   // double for an integer
        {F(u"[%f]", 3), u"[]"},                                     // integer for a double
        {F(u"[%s]", "narrow"), u"[]"},                              // narrow text for wide %s
        {F(u"[%hs]", u"wide"), u"[]"},                              // wide text for narrow %hs
        {F(u"[%s]", 5), u"[]"},                                     // integer for text
        {F(u"[%d]", u"text"), u"[]"},                               // text for an integer
        {F(u"[%s]", static_cast<const char16_t*>(nullptr)), u"[]"}, // null text
        {F(u"[%hc]", 0xE9), u"[]"},                                 // no 8-bit narrow character
        {F(u"a%nb%d", &target, 5), u"ab5"},                         // %n refused, its argument skipped
        {F(u"[%y][%d]", 5), u"[][5]"},                              // unknown conversion consumes nothing
        {F(u"end %"), u"end "},                                     // a lone percent at the end
        {F(u"[%99999d][%.99999f][%d]", 1, 2.0, 3), u"[][][3]"},     // fields beyond the limit
        {F(u"[%*d]", 1.5, 7), u"[7]"}, // a width that is no integer counts as none
    });
    EXPECT_EQ(target, 0);
}

TEST(FormatText, OutputIsNeverCut)
{
    const std::u16string big(20000, u'x');
    EXPECT_EQ(F(u"%s!", big), big + u"!");
    const std::u16string wide = F(u"%.300f", 1e300);
    EXPECT_EQ(wide.size(), 301u + 1u + 300u);
    EXPECT_EQ(wide.substr(0, 2), u"10");
    EXPECT_EQ(F(u"%16383d", 1).size(), 16383u);
}

TEST(FormatText, PointerIsAllItsDigitsInUpperCase)
{
    const void* p = reinterpret_cast<const void*>(uintptr_t{0xABCDEF});
    std::u16string expected(2 * sizeof(void*) - 6, u'0');
    expected += u"ABCDEF";
    EXPECT_EQ(F(u"%p", p), expected);
    EXPECT_EQ(F(u"%p", nullptr), std::u16string(2 * sizeof(void*), u'0'));
}

TEST(NumberParsing, LeadingIntTable)
{
    struct
    {
        std::u16string_view text;
        int32_t value;
    } cases[] = {
        {u"", 0},
        {u"abc", 0},
        {u"42", 42},
        {u"  \t\r\n-17xyz", -17},
        {u"+8", 8},
        {u"- 8", 0},
        {u"12.9", 12},
        {u"2147483647", INT32_MAX},
        {u"2147483648", INT32_MAX},
        {u"99999999999999999999999", INT32_MAX},
        {u"-2147483648", INT32_MIN},
        {u"-2147483649", INT32_MIN},
        {u"00000000000000000000000012", 12},
        {u"\x0663", 0}, // digits of other scripts are not decimal digits here
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseLeadingInt(c.text), c.value) << std::string(c.text.begin(), c.text.end());
}

TEST(NumberParsing, LeadingDoubleTableIgnoresTheUserLocale)
{
    const CDecimalCommaLocale decimalComma;
    ASSERT_TRUE(decimalComma.IsActive()) << "could not build a decimal-comma locale (package locales)";
    struct
    {
        std::u16string_view text;
        double value;
    } cases[] = {
        {u"", 0.0},    {u"x1", 0.0},  {u"1.5", 1.5},   {u"  -0.25e2rest", -25.0},
        {u"1,5", 1.0}, {u"+.5", 0.5}, {u"0x10", 16.0}, {u"1e400", std::numeric_limits<double>::infinity()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseLeadingDouble(c.text), c.value) << std::string(c.text.begin(), c.text.end());
    EXPECT_TRUE(std::isnan(ParseLeadingDouble(u"nan")));
    EXPECT_EQ(F(u"%.2f|%g", 1.25, 0.5), u"1.25|0.5");
}
