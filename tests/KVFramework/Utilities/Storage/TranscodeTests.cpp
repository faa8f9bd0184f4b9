#include "Storage/Transcode.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

using namespace KV;

namespace {

std::string Bytes(std::initializer_list<int> values)
{
    std::string s;
    for (int v : values)
        s.push_back(static_cast<char>(v));
    return s;
}

std::string Hex(const std::string& bytes)
{
    std::string out;
    char piece[4];
    for (unsigned char b : bytes)
    {
        snprintf(piece, sizeof piece, "%02X ", b);
        out += piece;
    }
    return out;
}

struct Decoded
{
    TranscodeResult result;
    std::u16string units;
    std::ptrdiff_t consumed;
};

Decoded Decode(const std::string& in, TranscodeMode mode, size_t room = 64)
{
    std::vector<char16_t> out(room + 1, u'\x7777'); // one guard unit past the target end
    const char* source = in.data();
    char16_t* target = out.data();
    const TranscodeResult r =
        TranscodeUtf8ToUtf16(source, in.data() + in.size(), target, out.data() + room, mode);
    EXPECT_EQ(out[room], u'\x7777') << "wrote past the target end";
    return {r, std::u16string(out.data(), target), source - in.data()};
}

struct Encoded
{
    TranscodeResult result;
    std::string bytes;
    std::ptrdiff_t consumed;
};

Encoded Encode(const std::u16string& in, TranscodeMode mode, size_t room = 64)
{
    std::vector<char> out(room + 1, '\x77');
    const char16_t* source = in.data();
    char* target = out.data();
    const TranscodeResult r =
        TranscodeUtf16ToUtf8(source, in.data() + in.size(), target, out.data() + room, mode);
    EXPECT_EQ(out[room], '\x77') << "wrote past the target end";
    return {r, std::string(out.data(), target), source - in.data()};
}

// A straightforward reference encoder for the round trip.
void AppendUtf16(std::u16string& s, uint32_t c)
{
    if (c < 0x10000)
        s.push_back(static_cast<char16_t>(c));
    else
    {
        s.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
        s.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    }
}

} // namespace

// UTF-8 side: both modes give the same results, since every sequence that would only
// be rejected by the strict mode is already not well-formed.
TEST(TranscodeUtf8ToUtf16, BoundaryTable)
{
    struct Case
    {
        std::string in;
        TranscodeResult result;
        std::u16string out;
        std::ptrdiff_t consumed;
    } cases[] = {
        {"", TranscodeOk, u"", 0},
        {Bytes({0x41, 0x00, 0x7F}), TranscodeOk, std::u16string(u"A\0\x7F", 3), 3},
        {Bytes({0xC2, 0x80}), TranscodeOk, u"\x0080", 2},
        {Bytes({0xDF, 0xBF}), TranscodeOk, u"\x07FF", 2},
        {Bytes({0xE0, 0xA0, 0x80}), TranscodeOk, u"\x0800", 3},
        {Bytes({0xED, 0x9F, 0xBF}), TranscodeOk, u"\xD7FF", 3},
        {Bytes({0xEE, 0x80, 0x80}), TranscodeOk, u"\xE000", 3},
        {Bytes({0xEF, 0xBF, 0xBF}), TranscodeOk, u"\xFFFF", 3},
        {Bytes({0xF0, 0x90, 0x80, 0x80}), TranscodeOk, u"\xD800\xDC00", 4},
        {Bytes({0xF0, 0x9F, 0x98, 0x80}), TranscodeOk, u"\xD83D\xDE00", 4},
        {Bytes({0xF4, 0x8F, 0xBF, 0xBF}), TranscodeOk, u"\xDBFF\xDFFF", 4},
        // Overlong forms, encoded surrogates, values above U+10FFFF, lone continuation
        // bytes and the old five- and six-byte forms.
        {Bytes({0xC0, 0x80}), TranscodeSourceIllegal, u"", 0},
        {Bytes({0xC1, 0xBF}), TranscodeSourceIllegal, u"", 0},
        {Bytes({0xE0, 0x80, 0x80}), TranscodeSourceIllegal, u"", 0},
        {Bytes({0xE0, 0x9F, 0xBF}), TranscodeSourceIllegal, u"", 0},
        {Bytes({0xF0, 0x8F, 0xBF, 0xBF}), TranscodeSourceIllegal, u"", 0},
        {Bytes({0xED, 0xA0, 0x80}), TranscodeSourceIllegal, u"", 0},
        {Bytes({0xED, 0xBF, 0xBF}), TranscodeSourceIllegal, u"", 0},
        {Bytes({0xF4, 0x90, 0x80, 0x80}), TranscodeSourceIllegal, u"", 0},
        {Bytes({0xF5, 0x80, 0x80, 0x80}), TranscodeSourceIllegal, u"", 0},
        {Bytes({0x80}), TranscodeSourceIllegal, u"", 0},
        {Bytes({0x41, 0xBF, 0x42}), TranscodeSourceIllegal, u"A", 1},
        {Bytes({0xF8, 0x88, 0x80, 0x80, 0x80}), TranscodeSourceIllegal, u"", 0},
        {Bytes({0xFC, 0x84, 0x80, 0x80, 0x80, 0x80}), TranscodeSourceIllegal, u"", 0},
        {Bytes({0xE2, 0x82, 0x00}), TranscodeSourceIllegal, u"", 0},
        {Bytes({0xC3, 0x41}), TranscodeSourceIllegal, u"", 0},
        {Bytes({0xED, 0x52, 0xB9}), TranscodeSourceIllegal, u"", 0},
        {Bytes({0xF4, 0x7F, 0xBF, 0xBF}), TranscodeSourceIllegal, u"", 0},
        // The source ends inside a sequence.
        {Bytes({0x41, 0xE2, 0x82}), TranscodeSourceExhausted, u"A", 1},
        {Bytes({0xF0, 0x9F, 0x98}), TranscodeSourceExhausted, u"", 0},
        {Bytes({0xC3}), TranscodeSourceExhausted, u"", 0},
    };
    for (const Case& c : cases)
        for (TranscodeMode mode : {TranscodeStrict, TranscodeLenient})
        {
            const Decoded d = Decode(c.in, mode);
            EXPECT_EQ(d.result, c.result) << Hex(c.in) << " mode " << mode;
            EXPECT_EQ(d.units, c.out) << Hex(c.in) << " mode " << mode;
            EXPECT_EQ(d.consumed, c.consumed) << Hex(c.in) << " mode " << mode;
        }
}

TEST(TranscodeUtf16ToUtf8, BoundaryTableByMode)
{
    struct Case
    {
        std::u16string in;
        TranscodeResult strictResult;
        std::string strictOut;
        std::ptrdiff_t strictConsumed;
        TranscodeResult lenientResult;
        std::string lenientOut;
        std::ptrdiff_t lenientConsumed;
    } cases[] = {
        {u"", TranscodeOk, "", 0, TranscodeOk, "", 0},
        {u"A\x7F", TranscodeOk, "A\x7F", 2, TranscodeOk, "A\x7F", 2},
        {u"\x0080\x07FF", TranscodeOk, Bytes({0xC2, 0x80, 0xDF, 0xBF}), 2, TranscodeOk,
         Bytes({0xC2, 0x80, 0xDF, 0xBF}), 2},
        {u"\x0800\xFFFF", TranscodeOk, Bytes({0xE0, 0xA0, 0x80, 0xEF, 0xBF, 0xBF}), 2, TranscodeOk,
         Bytes({0xE0, 0xA0, 0x80, 0xEF, 0xBF, 0xBF}), 2},
        {u"\xD83D\xDE00", TranscodeOk, Bytes({0xF0, 0x9F, 0x98, 0x80}), 2, TranscodeOk,
         Bytes({0xF0, 0x9F, 0x98, 0x80}), 2},
        {u"\xDBFF\xDFFF", TranscodeOk, Bytes({0xF4, 0x8F, 0xBF, 0xBF}), 2, TranscodeOk,
         Bytes({0xF4, 0x8F, 0xBF, 0xBF}), 2},
        // A high surrogate without its low half, and a low one without a high one before it.
        {u"\xD800"
         u"A",
         TranscodeSourceIllegal, "", 0, TranscodeOk, Bytes({0xED, 0xA0, 0x80, 0x41}), 2},
        {u"x\xDC00", TranscodeSourceIllegal, "x", 1, TranscodeOk, Bytes({0x78, 0xED, 0xB0, 0x80}), 2},
        {u"\xDE00\xD83D", TranscodeSourceIllegal, "", 0, TranscodeSourceExhausted, Bytes({0xED, 0xB8, 0x80}),
         1},
        // The range ends with a high surrogate.
        {u"A\xD83D", TranscodeSourceExhausted, "A", 1, TranscodeSourceExhausted, "A", 1},
    };
    for (const Case& c : cases)
    {
        const Encoded strict = Encode(c.in, TranscodeStrict);
        EXPECT_EQ(strict.result, c.strictResult) << Hex(c.strictOut);
        EXPECT_EQ(strict.bytes, c.strictOut);
        EXPECT_EQ(strict.consumed, c.strictConsumed) << Hex(c.strictOut);

        const Encoded lenient = Encode(c.in, TranscodeLenient);
        EXPECT_EQ(lenient.result, c.lenientResult) << Hex(c.lenientOut);
        EXPECT_EQ(lenient.bytes, c.lenientOut);
        EXPECT_EQ(lenient.consumed, c.lenientConsumed) << Hex(c.lenientOut);
    }
}

TEST(Transcode, FullTargetLeavesNothingOfTheStoppingCharacter)
{
    // UTF-8 to UTF-16: a pair needs two units.
    Decoded d = Decode(Bytes({0x41, 0xF0, 0x9F, 0x98, 0x80}), TranscodeStrict, 2);
    EXPECT_EQ(d.result, TranscodeTargetExhausted);
    EXPECT_EQ(d.units, u"A");
    EXPECT_EQ(d.consumed, 1);
    d = Decode(Bytes({0x41, 0x42}), TranscodeStrict, 1);
    EXPECT_EQ(d.result, TranscodeTargetExhausted);
    EXPECT_EQ(d.consumed, 1);
    d = Decode(Bytes({0xF0, 0x9F, 0x98, 0x80}), TranscodeLenient, 2);
    EXPECT_EQ(d.result, TranscodeOk);
    EXPECT_EQ(d.units, u"\xD83D\xDE00");

    // UTF-16 to UTF-8: three bytes of room for a four-byte character.
    Encoded e = Encode(u"\xE9\xD83D\xDE00", TranscodeStrict, 5);
    EXPECT_EQ(e.result, TranscodeTargetExhausted);
    EXPECT_EQ(e.bytes, Bytes({0xC3, 0xA9}));
    EXPECT_EQ(e.consumed, 1);
    e = Encode(u"\xDC00", TranscodeLenient, 2); // a lone surrogate passes as three bytes
    EXPECT_EQ(e.result, TranscodeTargetExhausted);
    EXPECT_EQ(e.bytes, "");
    e = Encode(u"\xE9\xD83D\xDE00", TranscodeStrict, 6);
    EXPECT_EQ(e.result, TranscodeOk);
}

TEST(CheckUtf8Sequence, AcceptsExactlyOneWellFormedSequence)
{
    struct Case
    {
        std::string bytes;
        std::ptrdiff_t length;
        bool ok;
    } cases[] = {
        {"A", 1, true},
        {Bytes({0xC3, 0xA9}), 2, true},
        {Bytes({0xE2, 0x82, 0xAC}), 3, true},
        {Bytes({0xF4, 0x8F, 0xBF, 0xBF}), 4, true},
        {"", 0, false},
        {Bytes({0xF8, 0x88, 0x80, 0x80, 0x80}), 5, false},
        // The length must be the one that the lead byte announces.
        {Bytes({0xC3, 0xA9}), 1, false},
        {Bytes({0xE2, 0x82, 0xAC}), 2, false},
        {Bytes({0x41, 0x80}), 2, false},
        {Bytes({0xC3, 0xA9, 0x80}), 3, false},
        {Bytes({0xE2, 0x82, 0x41}), 3, false},
        {Bytes({0xF0, 0x9F, 0x98, 0xC0}), 4, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckUtf8Sequence(c.bytes.data(), c.length), c.ok)
            << Hex(c.bytes) << " length " << c.length;
}

TEST(Transcode, RandomCodePointsRoundTripInBothModes)
{
    std::mt19937 random(20261210);
    std::uniform_int_distribution<uint32_t> plane(0, 3);
    for (int round = 0; round < 200; ++round)
    {
        std::u16string text;
        const int count = round % 40;
        for (int i = 0; i < count; ++i)
        {
            const uint32_t limit = plane(random) == 0 ? 0x7F : plane(random) == 1 ? 0xFFFF : 0x10FFFF;
            uint32_t c = std::uniform_int_distribution<uint32_t>(1, limit)(random);
            if (c >= 0xD800 && c <= 0xDFFF)
                c -= 0x800;
            AppendUtf16(text, c);
        }
        for (TranscodeMode mode : {TranscodeStrict, TranscodeLenient})
        {
            const Encoded e = Encode(text, mode, 4 * text.size());
            ASSERT_EQ(e.result, TranscodeOk);
            const Decoded d = Decode(e.bytes, mode, text.size());
            ASSERT_EQ(d.result, TranscodeOk);
            EXPECT_EQ(d.units, text);
        }
    }
}

TEST(Transcode, RandomBytesDecodeToAPrefixThatEncodesBackUnchanged)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 2000; ++round)
    {
        std::string bytes;
        for (int i = 0; i < round % 12; ++i)
            bytes.push_back(static_cast<char>(round % 3 == 0 ? byte(random) : 0x80 | (byte(random) & 0x7F)));
        if (round % 2)
            bytes.insert(0, Bytes({0xE2, 0x82, 0xAC}));
        const Decoded d = Decode(bytes, TranscodeStrict, 2 * bytes.size());
        ASSERT_NE(d.result, TranscodeTargetExhausted);
        const Encoded e = Encode(d.units, TranscodeStrict, 4 * d.units.size());
        ASSERT_EQ(e.result, TranscodeOk);
        EXPECT_EQ(e.bytes, bytes.substr(0, d.consumed)) << Hex(bytes);
    }
}

TEST(SystemBytes, EveryByteGoesThroughAWideStringUnchanged)
{
    struct Case
    {
        std::string bytes;
        std::u16string text;
    };
    const Case cases[] = {
        {"image.led", u"image.led"},
        {Bytes({'a', 0xFF, 'b'}), std::u16string{u'a', 0xDCFF, u'b'}},       // a stray byte
        {Bytes({0xC3, 0xA9, 0xE9}), std::u16string{0xE9, 0xDCE9}},           // Latin-1 after UTF-8
        {Bytes({0xE2, 0x82}), std::u16string{0xDCE2, 0xDC82}},               // cut off
        {Bytes({0xED, 0xB3, 0xBF}), std::u16string{0xDCED, 0xDCB3, 0xDCBF}}, // an encoded surrogate
        {Bytes({0xC0, 0xAF}), std::u16string{0xDCC0, 0xDCAF}},               // overlong
        {Bytes({0xF0, 0x9F, 0x8E, 0xB9, 0x80}),
         std::u16string{0xD83C, 0xDFB9, 0xDC80}}, // a pair, then a stray
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(Hex(c.bytes));
        EXPECT_EQ(DecodeSystemBytes(c.bytes), c.text);
        EXPECT_EQ(EncodeSystemBytes(c.text), c.bytes);
    }
    // Lone surrogates that stand for no byte keep their own values.
    EXPECT_EQ(EncodeSystemBytes(std::u16string{0xD800, u'x', 0xDC41}),
              Bytes({0xED, 0xA0, 0x80, 'x', 0xED, 0xB1, 0x81}));

    std::mt19937 random(11);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 2000; ++round)
    {
        std::string bytes;
        for (int i = 0; i < round % 16; ++i)
            bytes.push_back(static_cast<char>(byte(random)));
        ASSERT_EQ(EncodeSystemBytes(DecodeSystemBytes(bytes)), bytes) << Hex(bytes);
    }
}
