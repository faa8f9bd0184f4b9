#include "Storage/Transcode.h"

#include <cstdint>

namespace KV {

namespace {

// Number of bytes that follow each lead byte. Bytes 80..BF are not leads; they get 0
// here and are refused by CheckUtf8Sequence.
constexpr uint8_t FollowingBytes(uint8_t lead)
{
    if (lead < 0xC0)
        return 0;
    if (lead < 0xE0)
        return 1;
    if (lead < 0xF0)
        return 2;
    if (lead < 0xF8)
        return 3;
    if (lead < 0xFC)
        return 4;
    return 5;
}

// Summing the bytes six bits at a time also sums their markers; this removes them.
constexpr uint32_t kMarkerSum[6] = {0x00000000u, 0x00003080u, 0x000E2080u,
                                    0x03C82080u, 0xFA082080u, 0x82082080u};

// Lead-byte marker by sequence length.
constexpr uint8_t kLeadMarker[5] = {0x00, 0x00, 0xC0, 0xE0, 0xF0};

constexpr bool IsHighSurrogate(uint32_t u)
{
    return u >= 0xD800 && u <= 0xDBFF;
}
constexpr bool IsLowSurrogate(uint32_t u)
{
    return u >= 0xDC00 && u <= 0xDFFF;
}

} // namespace

TranscodeResult TranscodeUtf16ToUtf8(const char16_t*& sourceStart, const char16_t* sourceEnd,
                                     char*& targetStart, char* targetEnd, TranscodeMode mode)
{
    TranscodeResult result = TranscodeOk;
    const char16_t* source = sourceStart;
    char* target = targetStart;
    while (source < sourceEnd)
    {
        const char16_t* const characterStart = source;
        uint32_t c = *source++;
        if (IsHighSurrogate(c))
        {
            if (source >= sourceEnd)
            {
                source = characterStart;
                result = TranscodeSourceExhausted;
                break;
            }
            const uint32_t next = *source;
            if (IsLowSurrogate(next))
            {
                c = ((c - 0xD800) << 10) + (next - 0xDC00) + 0x10000;
                ++source;
            }
            else if (mode == TranscodeStrict)
            {
                source = characterStart;
                result = TranscodeSourceIllegal;
                break;
            }
        }
        else if (IsLowSurrogate(c) && mode == TranscodeStrict)
        {
            source = characterStart;
            result = TranscodeSourceIllegal;
            break;
        }

        const int length = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
        if (targetEnd - target < length)
        {
            source = characterStart;
            result = TranscodeTargetExhausted;
            break;
        }
        for (int i = length - 1; i > 0; --i)
            target[i] = static_cast<char>(0x80 | (c >> (6 * (length - 1 - i)) & 0x3F));
        target[0] = static_cast<char>((c >> (6 * (length - 1))) | kLeadMarker[length]);
        target += length;
    }
    sourceStart = source;
    targetStart = target;
    return result;
}

TranscodeResult TranscodeUtf8ToUtf16(const char*& sourceStart, const char* sourceEnd, char16_t*& targetStart,
                                     char16_t* targetEnd, TranscodeMode mode)
{
    TranscodeResult result = TranscodeOk;
    const char* source = sourceStart;
    char16_t* target = targetStart;
    while (source < sourceEnd)
    {
        // Plain ASCII is most of the text: one byte, one unit, nothing to check.
        if (static_cast<uint8_t>(*source) < 0x80)
        {
            if (target >= targetEnd)
            {
                result = TranscodeTargetExhausted;
                break;
            }
            *target++ = static_cast<char16_t>(*source++);
            continue;
        }
        const int following = FollowingBytes(static_cast<uint8_t>(*source));
        if (sourceEnd - source <= following)
        {
            result = TranscodeSourceExhausted;
            break;
        }
        if (!CheckUtf8Sequence(source, following + 1))
        {
            result = TranscodeSourceIllegal;
            break;
        }
        uint32_t c = 0;
        for (int i = 0; i <= following; ++i)
            c = (c << 6) + static_cast<uint8_t>(source[i]);
        c -= kMarkerSum[following];

        if (target >= targetEnd)
        {
            result = TranscodeTargetExhausted;
            break;
        }
        if (c <= 0xFFFF)
        {
            if (c >= 0xD800 && c <= 0xDFFF)
            {
                if (mode == TranscodeStrict)
                {
                    result = TranscodeSourceIllegal;
                    break;
                }
                c = 0xFFFD;
            }
            *target++ = static_cast<char16_t>(c);
        }
        else if (c <= 0x10FFFF)
        {
            if (targetEnd - target < 2)
            {
                result = TranscodeTargetExhausted;
                break;
            }
            c -= 0x10000;
            *target++ = static_cast<char16_t>(0xD800 + (c >> 10));
            *target++ = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        }
        else
        {
            if (mode == TranscodeStrict)
            {
                result = TranscodeSourceIllegal;
                break;
            }
            *target++ = 0xFFFD;
        }
        source += following + 1;
    }
    sourceStart = source;
    targetStart = target;
    return result;
}

bool CheckUtf8Sequence(const char* bytes, std::ptrdiff_t length)
{
    if (length < 1 || length > 4)
        return false;
    const auto* b = reinterpret_cast<const uint8_t*>(bytes);
    if (length == 4 && (b[3] < 0x80 || b[3] > 0xBF))
        return false;
    if (length >= 3 && (b[2] < 0x80 || b[2] > 0xBF))
        return false;
    if (length >= 2)
    {
        // The second byte is a continuation byte after every lead, ED and F4 included,
        // and some leads narrow its range further.
        if (b[1] < 0x80 || b[1] > 0xBF)
            return false;
        switch (b[0])
        {
        case 0xE0: // below A0 would be an overlong form
            if (b[1] < 0xA0)
                return false;
            break;
        case 0xED: // above 9F would be a surrogate
            if (b[1] > 0x9F)
                return false;
            break;
        case 0xF0: // below 90 would be an overlong form
            if (b[1] < 0x90)
                return false;
            break;
        case 0xF4: // above 8F would lie above U+10FFFF
            if (b[1] > 0x8F)
                return false;
            break;
        default:
            break;
        }
    }
    if ((b[0] >= 0x80 && b[0] < 0xC2) || b[0] > 0xF4)
        return false;
    // The bytes must also be exactly the one sequence that the lead byte announces: a
    // lead with too few or too many bytes after it is no well-formed sequence.
    return length == FollowingBytes(b[0]) + 1;
}

namespace {

constexpr char16_t kEscapedByteBase = 0xDC00;

constexpr bool IsEscapedByte(char16_t unit)
{
    return unit >= kEscapedByteBase + 0x80 && unit <= kEscapedByteBase + 0xFF;
}

} // namespace

std::u16string DecodeSystemBytes(std::string_view bytes)
{
    std::u16string text(bytes.size(), u'\0'); // never more units than bytes
    const char* source = bytes.data();
    const char* const end = source + bytes.size();
    char16_t* target = text.data();
    while (source < end)
    {
        if (TranscodeUtf8ToUtf16(source, end, target, text.data() + text.size(), TranscodeStrict) ==
            TranscodeOk)
            break;
        // The conversion stopped at a byte that begins no well-formed sequence.
        *target++ = static_cast<char16_t>(kEscapedByteBase + static_cast<uint8_t>(*source++));
    }
    text.resize(static_cast<size_t>(target - text.data()));
    return text;
}

std::string EncodeSystemBytes(std::u16string_view text)
{
    std::string bytes;
    bytes.reserve(text.size() * 3);
    char buffer[8];
    for (size_t i = 0; i < text.size();)
    {
        if (IsEscapedByte(text[i]))
        {
            bytes += static_cast<char>(text[i++] - kEscapedByteBase);
            continue;
        }
        const bool pair = IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]);
        if (!pair && (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i])))
        {
            // A lone surrogate by its own value, as the lenient mode writes it.
            const uint32_t c = text[i++];
            bytes += static_cast<char>(0xE0 | c >> 12);
            bytes += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            bytes += static_cast<char>(0x80 | (c & 0x3F));
            continue;
        }
        const size_t units = pair ? 2 : 1;
        const char16_t* source = text.data() + i;
        char* target = buffer;
        TranscodeUtf16ToUtf8(source, source + units, target, buffer + sizeof buffer, TranscodeLenient);
        bytes.append(buffer, static_cast<size_t>(target - buffer));
        i += units;
    }
    return bytes;
}

} // namespace KV
