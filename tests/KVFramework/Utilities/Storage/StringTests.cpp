#include "Storage/StringArray.h"
#include "Storage/StringT.h"

#include "DecimalCommaLocale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

namespace KV {
// Failure messages show the text, not the bytes of the handle.
void PrintTo(const String& s, std::ostream* os)
{
    *os << "u\"" << s.ToNarrow().GetText() << "\"";
}
void PrintTo(const NarrowString& s, std::ostream* os)
{
    *os << "\"" << s.GetText() << "\"";
}
} // namespace KV

using namespace KV;

namespace {

std::vector<String> Items(const StringArray& array)
{
    std::vector<String> items;
    for (uint32_t i = 0; i < array.GetCount(); ++i)
        items.push_back(*array.GetAtConst(i));
    return items;
}

uint32_t BufferChars(const String& s)
{
    return s.GetBuffer().GetSize() / sizeof(char16_t);
}

} // namespace

TEST(String, MidTable)
{
    const String text(u"abcdef");
    struct
    {
        int32_t start, count;
        const char16_t* expected;
    } cases[] = {
        {2, 3, u"cde"},
        {-2, 5, u"ef"},
        {4, 100, u"ef"},
        {6, 1, u""},
        {-10, 5, u"a"},
        {-10, 3, u"abcdef"},
        {2, -1, u"cdef"},
        {1, 0, u""},
        {0, 0x7FFFFFFF, u"abcdef"},
        {5, 0x7FFFFFFF, u"f"},
        {0x7FFFFFFF, 0x7FFFFFFF, u""},
        {INT32_MIN, INT32_MAX, u"abcde"},
        {INT32_MIN, -1, u"abcdef"},
        {-1, INT32_MIN, u"f"},
        {3, INT32_MIN, u"def"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(text.Mid(c.start, c.count), String(c.expected))
            << "Mid(" << c.start << ", " << c.count << ")";

    EXPECT_EQ(String(u"abc").MidFrom(1), String(u"bc"));
    EXPECT_EQ(String(u"abc").MidFrom(INT32_MIN), String(u"abc"));
    EXPECT_EQ(String(u"abc").Left(5), String(u"abc"));
    // The whole text is the same buffer, not a copy.
    EXPECT_TRUE(text.Mid(0, 6).SharesBufferWith(text));
}

TEST(String, FromFixedPointAndFromDoubleTables)
{
    struct
    {
        int32_t value, digits;
        const char16_t* expected;
    } fixed[] = {
        {1234, 2, u"12.34"},   {5, 2, u".05"},   {12, 2, u".12"},
        {0, 3, u".000"},       {7, -1, u"7"},    {5, 0, u"5"},
        {-1234, 2, u"-12.34"}, {-5, 2, u"-.05"}, {INT32_MIN, 3, u"-2147483.648"},
    };
    for (const auto& c : fixed)
        EXPECT_EQ(String::FromFixedPoint(c.value, c.digits), String(c.expected))
            << c.value << ", " << c.digits;

    const CDecimalCommaLocale decimalComma;
    ASSERT_TRUE(decimalComma.IsActive()) << "could not build a decimal-comma locale (package locales)";
    struct
    {
        double value;
        int32_t precision;
        const char16_t* expected;
    } doubles[] = {
        {1.5, -1, u"1.500000"},
        {-0.5, 2, u"-0.50"},
        {2.675, 0, u"3"},
        {1e21, 1, u"1000000000000000000000.0"},
        {std::numeric_limits<double>::infinity(), 2, u"inf"},
        {-std::numeric_limits<double>::infinity(), -1, u"-inf"},
        {1.0, 99999, u""}, // a precision beyond any output field formats nothing
    };
    for (const auto& c : doubles)
        EXPECT_EQ(String::FromDouble(c.value, c.precision), String(c.expected))
            << c.value << ", " << c.precision;
}

TEST(String, ToIntAndToDoubleReadTheLeadingNumber)
{
    struct
    {
        const char16_t* text;
        int32_t value;
    } ints[] = {
        {u"", 0},   {u"  -42abc", -42},         {u"+7", 7},
        {u"x9", 0}, {u"4294967296", INT32_MAX}, {u"-4294967296", INT32_MIN},
    };
    for (const auto& c : ints)
        EXPECT_EQ(String(c.text).ToInt(), c.value);

    const CDecimalCommaLocale decimalComma;
    ASSERT_TRUE(decimalComma.IsActive()) << "could not build a decimal-comma locale (package locales)";
    EXPECT_EQ(String(u" 2.5e1 ").ToDouble(), 25.0);
    EXPECT_EQ(String(u"3,75").ToDouble(), 3.0);
    EXPECT_EQ(String(u"pi").ToDouble(), 0.0);
}

TEST(String, SplitTable)
{
    struct
    {
        const char16_t* text;
        std::vector<String> pieces;
    } cases[] = {
        {u"a,b", {u"a", u"b"}}, {u"a,,b", {u"a", u"", u"b"}},
        {u",a", {u"", u"a"}},   {u"a,", {u"a"}},
        {u"", {u""}},           {u"abc", {u"abc"}},
        {u",", {u""}},          {u"a;b,c", {u"a", u"b", u"c"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Items(String(c.text).Split(u",;")), c.pieces) << String(c.text).ToNarrow().GetText();

    // SplitInto replaces what the array held.
    StringArray array;
    array.AddItem(u"old");
    array.AddItem(u"older");
    EXPECT_EQ(String(u"x,y,z").SplitInto(array, u","), 3);
    EXPECT_EQ(Items(array), (std::vector<String>{u"x", u"y", u"z"}));
    EXPECT_EQ(String(u"whole").SplitInto(array, u","), 1);
    EXPECT_EQ(Items(array), std::vector<String>{u"whole"});
}

TEST(String, TrimTable)
{
    struct
    {
        const char16_t* text;
        const char16_t* left;
        const char16_t* right;
        const char16_t* both;
    } cases[] = {
        {u" \tx y\r\n", u"x y\r\n", u" \tx y", u"x y"},
        {u"   ", u"   ", u"", u""}, // a text of blanks only is kept by the left trim
        {u"", u"", u"", u""},
        {u"x", u"x", u"x", u"x"},
        {u"\n\x3000x\x3000", u"\x3000x\x3000", u"\n\x3000x\x3000", u"\x3000x\x3000"},
    };
    for (const auto& c : cases)
    {
        const String text(c.text);
        EXPECT_EQ(text.TrimLeft(), String(c.left));
        EXPECT_EQ(text.TrimRight(), String(c.right));
        EXPECT_EQ(text.Trim(), String(c.both));
    }
    EXPECT_EQ(String(u"xxaxx").TrimLeftChars(u"x"), String(u"axx"));
    EXPECT_EQ(String(u"xxaxx").TrimRightChars(u"x"), String(u"xxa"));
    EXPECT_EQ(String(u"xxaxx").TrimRightChars(u""), String(u"xxaxx"));
    EXPECT_EQ(String(u"xxaxx").TrimLeftChars(nullptr), String(u"xxaxx"));
}

TEST(String, LockGivesAPrivateBufferAndUnlockFitsIt)
{
    String shared(u"shared text");
    String other(shared);
    ASSERT_TRUE(other.SharesBufferWith(shared));

    char16_t* data = shared.Lock(10);
    ASSERT_NE(data, nullptr);
    EXPECT_FALSE(shared.SharesBufferWith(other));
    EXPECT_EQ(other, String(u"shared text"));
    EXPECT_EQ(shared.Lock(5), nullptr) << "a second lock must fail";

    // A copy taken while locked has its own exact buffer.
    data[0] = u'h';
    data[1] = u'i';
    data[2] = 0;
    const String copy(shared);
    String assigned;
    assigned = shared;
    for (const String* s : {&copy, static_cast<const String*>(&assigned)})
    {
        EXPECT_FALSE(s->SharesBufferWith(shared));
        EXPECT_EQ(s->GetLength(), 2);
        EXPECT_EQ(BufferChars(*s), 3u);
    }

    EXPECT_EQ(shared.Unlock(), 0);
    EXPECT_EQ(shared.GetLength(), 2);
    EXPECT_EQ(BufferChars(shared), 3u);
    EXPECT_EQ(shared, String(u"hi"));
    EXPECT_EQ(shared.Unlock(), 1);

    // Lock(0) keeps the present text; unlocking an emptied text shares the empty buffer.
    data = shared.Lock();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::u16string_view(data), u"hi");
    data[0] = 0;
    shared.Unlock();
    EXPECT_TRUE(shared.IsEmpty());
    EXPECT_TRUE(shared.SharesBufferWith(String()));
    EXPECT_EQ(shared.Lock(-1), nullptr);
}

TEST(String, LockedStringIsEditedInPlaceAndGrowsWhenTooSmall)
{
    String s;
    char16_t* data = s.Lock(4);
    ASSERT_NE(data, nullptr);
    // Longer than the locked size: the buffer grows instead of being overrun.
    s.AssignText(u"a text much longer than four characters");
    EXPECT_TRUE(s.IsLocked());
    EXPECT_EQ(s, String(u"a text much longer than four characters"));
    s.Clear();
    EXPECT_TRUE(s.IsEmpty());
    s.Append(u"ab");
    s.Append(s);
    s += u'!';
    s.Insert(0, u">");
    s.Assign(s.Mid(1, 3)); // from a part of its own text
    EXPECT_TRUE(s.IsLocked());
    EXPECT_EQ(s.Unlock(), 0);
    EXPECT_EQ(s, String(u"aba"));
    EXPECT_EQ(BufferChars(s), 4u);
}

TEST(String, AppendingPieceByPieceKeepsCopiesApart)
{
    String built;
    std::u16string expected;
    String snapshot;
    for (int i = 0; i < 300; ++i)
    {
        const String piece = String::FromDouble(i, 0);
        built.Append(piece);
        expected += piece.View();
        if (i == 150)
            snapshot = built; // shares the buffer, which has spare room
        EXPECT_EQ(built.GetLength(), static_cast<int32_t>(expected.size()));
    }
    EXPECT_EQ(std::u16string(built.View()), expected);
    EXPECT_EQ(BufferChars(built), expected.size() + 1); // the text and its terminator, as always
    EXPECT_EQ(snapshot.GetLength(), static_cast<int32_t>(std::u16string(snapshot.View()).size()));
    EXPECT_TRUE(std::u16string(built.View()).starts_with(snapshot.View()));
    EXPECT_LT(snapshot.GetLength(), built.GetLength());
}

TEST(String, InsertRemoveAppendTables)
{
    struct
    {
        int32_t position;
        KVRESULT result;
        const char16_t* expected;
    } inserts[] = {{3, S_OK, u"abcd"},
                   {0, S_OK, u"dabc"},
                   {1, S_OK, u"adbc"},
                   {4, E_INVALIDARG, u"abc"},
                   {-1, E_INVALIDARG, u"abc"}};
    for (const auto& c : inserts)
    {
        String s(u"abc");
        EXPECT_EQ(s.Insert(c.position, u"d"), c.result) << c.position;
        EXPECT_EQ(s, String(c.expected)) << c.position;
    }

    struct
    {
        int32_t position, count;
        bool removed;
        const char16_t* expected;
    } removes[] = {
        {1, 2, true, u"adef"},     {5, 2, false, u"abcdef"},  {0, 6, true, u""},
        {5, 1, true, u"abcde"},    {6, 0, false, u"abcdef"},  {2, 0, true, u"abcdef"},
        {1, -1, false, u"abcdef"}, {-1, 1, false, u"abcdef"}, {1, INT32_MAX, false, u"abcdef"},
    };
    for (const auto& c : removes)
    {
        String s(u"abcdef");
        EXPECT_EQ(s.RemoveRange(c.position, c.count), c.removed) << c.position << ", " << c.count;
        EXPECT_EQ(s, String(c.expected)) << c.position << ", " << c.count;
    }

    String s(u"ab");
    EXPECT_EQ(s.InsertText(1, u"xyz", 2), S_OK);
    EXPECT_EQ(s, String(u"axyb"));
    EXPECT_EQ(s.InsertText(0, u"123", -1), S_OK);
    EXPECT_EQ(s, String(u"123axyb"));
    EXPECT_EQ(s.InsertNarrowText(7, "\xC3\xA9"), S_OK);
    EXPECT_EQ(s.AppendChar(0), S_OK);
    s.AppendNarrowChar('z').AppendNarrowChar('\xE9');
    EXPECT_EQ(s, String(u"123axyb\xE9z"));

    // Appending never changes a string that shares the buffer.
    const String before(s);
    s.Append(s);
    EXPECT_EQ(before, String(u"123axyb\xE9z"));
    EXPECT_EQ(s, before.Concat(before));
    EXPECT_EQ(BufferChars(s), 19u);
}

TEST(String, ComparisonsAndSearch)
{
    const String a(u"ab");
    const String copy(a);
    EXPECT_TRUE(a.Equals(copy));
    EXPECT_TRUE(a.SharesBufferWith(copy));
    EXPECT_TRUE(a.EqualsText(u"ab"));
    EXPECT_FALSE(a.EqualsText(u"abc"));
    EXPECT_TRUE(String().EqualsText(nullptr));
    EXPECT_TRUE(String().EqualsText(u""));
    EXPECT_TRUE(String::GetEmpty().IsEmpty());
    EXPECT_TRUE(String::GetEmpty().SharesBufferWith(String()));
    EXPECT_TRUE(NarrowString::GetEmpty().SharesBufferWith(NarrowString("")));
    EXPECT_TRUE(String(u"\xE9t\xE9").EqualsNarrowText("\xC3\xA9t\xC3\xA9"));
    EXPECT_TRUE(String().EqualsNarrowText("\x80"));
    EXPECT_TRUE(a.NotEqualsNarrowText("abc"));

    EXPECT_TRUE(String(u"ab").IsLess(u"abc"));
    EXPECT_FALSE(String(u"abc").IsLess(u"ab"));
    EXPECT_FALSE(a.IsLess(copy));
    EXPECT_FALSE(a.IsLess(String(u"ab")));
    // Code units, not code points: a surrogate pair sorts before U+FFFD and after U+D7FF.
    const String emoji(u"😀");
    EXPECT_EQ(emoji.GetLength(), 2);
    EXPECT_TRUE(emoji.IsLess(u"\xFFFD"));
    EXPECT_TRUE(String(u"\xD7FF").IsLess(emoji));
    EXPECT_TRUE(NarrowString("\x7F").IsLess(NarrowString("\xC3\xA9")));

    const String hay(u"abcabc");
    struct
    {
        const char16_t* needle;
        int32_t start, at;
    } finds[] = {{u"bc", 0, 1}, {u"bc", 2, 4}, {u"bc", -2, 4}, {u"x", 0, -1},
                 {u"", 0, 0},   {u"", 6, 6},   {u"a", 7, -1},  {u"abc", -100, 0}};
    for (const auto& c : finds)
        EXPECT_EQ(hay.Find(c.needle, c.start), c.at) << c.start;
    EXPECT_EQ(hay.Find(u'c', 3), 5);
    EXPECT_EQ(hay.FindLastChar('a'), 3);
    EXPECT_EQ(hay.FindLastChar('\xE1'), -1);
    EXPECT_EQ(NarrowString("a\xC3\xA9"
                           "a")
                  .Find(NarrowString("a"), 1),
              3);
}

TEST(String, CaseMapsAndReplaceAreLocaleFree)
{
    EXPECT_EQ(String(u"Ab\xE9z-1").ToUpper(), String(u"AB\xE9Z-1"));
    EXPECT_EQ(String(u"Ab\xC9Z").ToLower(), String(u"ab\xC9z"));
    EXPECT_EQ(NarrowString("a\xC3\xA9").ToUpper(), NarrowString("A\xC3\xA9"));

    String s(u"a-b_c");
    EXPECT_EQ(s.ReplaceChars(u"-_", u' '), String(u"a b c"));
    EXPECT_EQ(s.ReplaceChars(u" ", 0), String(u"a b c"));
}

TEST(String, ConversionsBetweenWidthsAreLenient)
{
    EXPECT_EQ(String("\xC3\xA9"), String(u"\xE9"));
    EXPECT_TRUE(String("\x80").IsEmpty());
    EXPECT_EQ(String("ok\xC0\x80tail"), String(u"ok")); // the part before an invalid sequence
    EXPECT_EQ(std::string(String(u"😀\xE9").ToNarrow().GetText()), "\xF0\x9F\x98\x80\xC3\xA9");
    // A lone surrogate passes as its own three bytes.
    EXPECT_EQ(std::string(String(u"a\xD800").ToNarrow().GetText()), "a\xED\xA0\x80");
    EXPECT_EQ(NarrowString(String(u"\xE9")).GetLength(), 2);
    EXPECT_EQ(String(NarrowString("\xE2\x82\xAC")), String(u"\x20AC"));

    String assigned;
    assigned.AssignNarrowText("\xC3\xA9t\xC3\xA9", 3);
    EXPECT_EQ(assigned, String(u"\xE9t"));
    assigned.AssignNarrowText("", 5);
    EXPECT_TRUE(assigned.SharesBufferWith(String()));
    // A piece of a larger buffer, with no 0 after it: nothing past the limit is read.
    const char piece[] = {'a', 'b', 'c'};
    assigned.AssignNarrowText(piece, 3);
    EXPECT_EQ(assigned, String(u"abc"));

    // The buffer conversions report what the converter stopped on and keep the part before.
    RCPtr<LIBuffer> narrow;
    const char16_t pair[] = u"x\xD83D\xDE00";
    EXPECT_EQ(String::EncodeUTF8(narrow, pair, 2), E_FAIL);
    EXPECT_EQ(std::string(static_cast<const char*>(narrow->GetData())), "x");
    EXPECT_EQ(narrow->GetSize(), 2u);
    EXPECT_EQ(String::EncodeUTF8(narrow, pair, -1), S_OK);
    EXPECT_EQ(narrow->GetSize(), 6u);

    RCPtr<LIBuffer> wide;
    EXPECT_EQ(String::DecodeUTF8(wide, "ab\xE2\x82", -1), E_FAIL);
    EXPECT_EQ(std::u16string(static_cast<const char16_t*>(wide->GetData())), u"ab");
    EXPECT_EQ(wide->GetSize(), 6u);
    EXPECT_EQ(String::DecodeUTF8(wide, "ab\xE2\x82\xAC", 5), S_OK);
    EXPECT_EQ(std::u16string(static_cast<const char16_t*>(wide->GetData())), u"ab\x20AC");
}

TEST(String, FormatAssignsTheFormattedText)
{
    String s;
    s.Format(u"ItemControl%d", 12);
    EXPECT_EQ(s, String(u"ItemControl12"));
    s.Format(u"%s|%hs|%0.0f|%d", String(u"wide"), NarrowString("n\xC3\xA9"), 2.5, String(u"x"));
    EXPECT_EQ(s, String(u"wide|n\xE9|2|"));

    // Inside a lock, formatting writes into the locked buffer.
    String locked;
    locked.Lock(2);
    locked.Format(u"%s and more", String(u"text"));
    EXPECT_TRUE(locked.IsLocked());
    locked.Unlock();
    EXPECT_EQ(locked, String(u"text and more"));
}

TEST(StringArray, FindStringAndTextPointer)
{
    StringArray array;
    EXPECT_EQ(array.FindString(u"abc", true), -1);
    array.AddItem(u"ABC");
    array.AddItem(u"abc");
    EXPECT_EQ(array.FindString(u"abc", true), 1);
    EXPECT_EQ(array.FindString(u"abc", false), 0);
    EXPECT_EQ(array.FindString(u"\xC9", false), -1);
    array.AddItem(u"\xE9");
    EXPECT_EQ(array.FindString(u"\xC9", false), -1) << "only ASCII letters fold";

    // Identity: the copy shares the text, an equal text elsewhere does not count.
    const String shared = *array.GetAt(1);
    array.AddItem(shared);
    EXPECT_EQ(array.FindTextPointer(shared.GetText()), 3);
    EXPECT_EQ(array.FindTextPointer(String(u"abc").GetText()), -1);
}
