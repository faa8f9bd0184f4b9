#pragma once
// Conversion between UTF-16 (the wide strings) and UTF-8 (the narrow strings).
//
// Both converters work on raw ranges of code units. Source and target starts are
// passed by reference: on return the source stands after the last character
// converted (at the start of the character that stopped the conversion) and the
// target after the last unit written. A character that stops the conversion leaves
// nothing of itself in the target. The converters never throw, keep no state and
// never write at or past the target end.

#include <cstddef>
#include <string>
#include <string_view>

namespace KV {

enum TranscodeResult
{
    TranscodeOk = 0,              // the whole source was converted
    TranscodeSourceExhausted = 1, // the source ends inside a character
    TranscodeTargetExhausted = 2, // the next character does not fit the target
    TranscodeSourceIllegal = 3,   // the source holds a sequence that the mode rejects
};

enum TranscodeMode
{
    TranscodeStrict = 0,  // only valid code points pass
    TranscodeLenient = 1, // lone surrogates of UTF-16 pass as their own values
};

TranscodeResult TranscodeUtf16ToUtf8(const char16_t*& sourceStart, const char16_t* sourceEnd,
                                     char*& targetStart, char* targetEnd, TranscodeMode mode);

TranscodeResult TranscodeUtf8ToUtf16(const char*& sourceStart, const char* sourceEnd, char16_t*& targetStart,
                                     char16_t* targetEnd, TranscodeMode mode);

// True when the `length` bytes form one well-formed UTF-8 sequence: no lone
// continuation byte, no overlong form, no encoded surrogate, nothing above U+10FFFF.
bool CheckUtf8Sequence(const char* bytes, std::ptrdiff_t length);

// Text the system hands over as bytes (command-line arguments, file names) is UTF-8 as a
// rule, but a Linux file name may hold any bytes. Decoding keeps every byte: a byte that
// is no part of a well-formed sequence becomes the lone low surrogate U+DC80 + byte (from
// DC80 to DCFF), which no well-formed text holds; encoding turns each such unit back into
// its byte, so a name goes through a wide string unchanged. Other lone surrogates are
// encoded by their own values, as the lenient mode does.
std::u16string DecodeSystemBytes(std::string_view bytes);
std::string EncodeSystemBytes(std::u16string_view text);

} // namespace KV
