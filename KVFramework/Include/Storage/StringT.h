#pragma once
// Copy-on-write strings: StringT<char16_t,char> holds UTF-16 text (String), and
// StringT<char,char16_t> holds UTF-8 text (NarrowString).
//
// A string is a handle on a reference-counted character buffer that ends with a 0.
// Copies share the buffer; an operation that changes the text builds a new buffer, so
// a shared buffer is never written. To write characters directly, Lock the string,
// write into the buffer it returns, and Unlock it. While locked, the buffer is marked
// not shareable: any copy taken meanwhile gets its own buffer, and the ordinary
// assigning operations write into the locked buffer in place.
//
// Unlocked, a buffer holds exactly the text and its terminator, so the length is known
// from its size; locked, the text ends at the first 0. Positions and lengths count code
// units of the string's own width. Every crossing between the widths converts leniently:
// text with an invalid sequence gives the part converted before it.

#include "KVResult.h"
#include "ObjectBase/RCPtr.h"
#include "Storage/Buffer.h"
#include "Storage/IArray.h"
#include "Storage/TextFormat.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <type_traits>

namespace KV {

template <class C, class O> class StringArrayT;

template <class C, class O> class StringT
{
    static_assert((std::is_same_v<C, char16_t> && std::is_same_v<O, char>) ||
                      (std::is_same_v<C, char> && std::is_same_v<O, char16_t>),
                  "strings are UTF-16 with UTF-8 as the other width, or the reverse");

public:
    using Char = C;
    using OtherChar = O;
    using OtherString = StringT<O, C>;
    static constexpr bool kWide = std::is_same_v<C, char16_t>;

    // A limit that stands for the whole text.
    static constexpr int32_t kWholeText = 2147483646;

    StringT() noexcept;
    // A ready-made empty string of this width, for results and arguments that are empty.
    static const StringT& GetEmpty() noexcept;
    // A string of one character; 0 gives the empty string.
    explicit StringT(C character);
    StringT(const StringT& other);
    // The other string is left empty.
    StringT(StringT&& other) noexcept;
    StringT(const C* text);
    // From text of the other width: UTF-8 decoded into a wide string, or UTF-16 encoded
    // into a narrow one.
    explicit StringT(const O* text);
    explicit StringT(const OtherString& other);
    virtual ~StringT() = default;

    StringT& operator=(const StringT& other) { return Assign(other); }
    // Not noexcept: a locked string copies the text into its own buffer, which may grow.
    StringT& operator=(StringT&& other);
    StringT& operator=(const C* text) { return AssignText(text, kWholeText); }

    // Unlocked: shares the other's buffer (an exact copy of its text when the other is
    // locked). Locked: copies the other's text into the locked buffer.
    StringT& Assign(const StringT& other);
    // At most `limit` characters of the text, up to its first 0; a negative limit means
    // the whole text. A locked buffer that is too small is grown.
    StringT& AssignText(const C* text, int32_t limit = kWholeText);
    // Text of the other width, cut to `limit` units, then converted.
    StringT& AssignNarrowText(const O* text, int32_t limit = kWholeText);
    StringT& Clear();

    // Prepares the buffer for writing n characters including the terminator (0: the
    // present length + 1) and returns its first character. The buffer becomes this
    // string's alone; the present text is kept as far as it fits; character n - 1 is 0.
    // Null when already locked, or for a negative n.
    C* Lock(int32_t n = 0);
    // Fits the buffer to the text written: 0, or 1 when the string was not locked.
    int32_t Unlock();
    bool IsLocked() const noexcept { return !Buffer()->IsShareable(); }

    int32_t GetLength() const noexcept;
    const C* GetText() const noexcept { return Data(); }
    bool IsEmpty() const noexcept { return GetText()[0] == 0; }
    std::basic_string_view<C> View() const noexcept { return {GetText(), static_cast<size_t>(GetLength())}; }

    // The same characters and length as the text; a null or empty text equals the empty string.
    bool EqualsText(const C* text) const;
    bool Equals(const StringT& other) const;
    bool NotEquals(const StringT& other) const { return !Equals(other); }
    // Equal when ASCII letters are compared without case; other characters exactly.
    bool EqualsIgnoringCase(const StringT& other) const;
    bool EqualsNarrowText(const O* text) const;
    bool NotEqualsNarrowText(const O* text) const { return !EqualsNarrowText(text); }
    // Ordinal order of the code units taken as unsigned numbers; a proper prefix is less.
    bool IsLess(const StringT& other) const;

    bool operator==(const StringT& other) const { return Equals(other); }
    bool operator==(const C* text) const { return EqualsText(text); }
    bool operator<(const StringT& other) const { return IsLess(other); }

    // The first occurrence at or after start (a negative start counts from the end);
    // -1 when none. An empty needle is found at the start.
    int32_t Find(const StringT& needle, int32_t start = 0) const;
    int32_t Find(C character, int32_t start = 0) const;
    // The last occurrence of a 7-bit character; -1 when none (also for bytes above 0x7F).
    int32_t FindLastChar(char character) const;

    // ToInt, ToDouble, Split, AppendNarrowChar, Format, FromFixedPoint, FromDouble and
    // ToNarrow belong to the wide string alone (see the specialisations after the class).

    // Optional blanks and sign, decimal digits; 0 without digits; clamped to 32 bits.
    int32_t ToInt() const;
    // The leading floating-point number, '.' as the decimal point whatever the locale.
    double ToDouble() const;

    // `count` characters from `start`. A negative start counts from the end; when it
    // still lies before the beginning, the count shrinks by that much. A negative count,
    // or one past the end, reaches to the end; a start at or past the end gives "".
    StringT Mid(int32_t start, int32_t count) const;
    StringT MidFrom(int32_t start) const;
    StringT Left(int32_t count) const { return Mid(0, count); }
    StringT Concat(const StringT& other) const;
    // Case maps of the ASCII letters only: the results never depend on the locale.
    StringT ToUpper() const;
    StringT ToLower() const;

    // Blank, tab, carriage return and line feed.
    static constexpr C kBlanks[] = {C(' '), C('\t'), C('\r'), C('\n'), C(0)};
    // From the first character outside the set; a text of set characters only is
    // returned unchanged (Trim then removes it from the right).
    StringT TrimLeftChars(const C* set) const;
    StringT TrimRightChars(const C* set) const;
    StringT TrimLeft() const { return TrimLeftChars(kBlanks); }
    StringT TrimRight() const { return TrimRightChars(kBlanks); }
    StringT Trim() const { return TrimLeft().TrimRight(); }

    // The pieces between delimiters: adjacent delimiters give empty pieces, a leading
    // one an empty first piece, a trailing one no piece; no delimiter gives the whole text.
    StringArrayT<C, O> Split(const C* delimiters) const;
    // The same into an existing array; returns its count.
    int32_t SplitInto(IArray<StringT>& array, const C* delimiters) const;

    StringT& Append(const StringT& other);
    // E_INVALIDARG and no change for a position past the length; else S_OK.
    KVRESULT Insert(int32_t position, const StringT& other);
    // The first `count` characters of the text (a negative count: the whole text).
    KVRESULT InsertText(int32_t position, const C* text, int32_t count = kWholeText);
    KVRESULT InsertNarrowText(int32_t position, const O* text);
    // A character 0 appends nothing.
    KVRESULT AppendChar(C character);
    StringT& operator+=(C character)
    {
        AppendChar(character);
        return *this;
    }
    StringT& operator+=(const StringT& other) { return Append(other); }
    // A byte above 0x7F is no text on its own and appends nothing.
    StringT& AppendNarrowChar(char character);
    // false and no change unless the range lies inside the text.
    bool RemoveRange(int32_t position, int32_t count);
    // Every character of the set becomes the replacement; a replacement 0 changes nothing.
    StringT& ReplaceChars(const C* set, C replacement);

    // printf-style formatting (see Storage/TextFormat.h): %s takes wide text, %hs UTF-8.
    template <class... Args>
    StringT& Format(const C* format, const Args&... args) requires std::is_same_v<C, char16_t>
    {
        const std::array<FormatArgument, sizeof...(Args)> arguments{FormatArgument(args)...};
        return AssignFormatted(format, arguments);
    }
    // An integer carrying `digits` decimal places: (1234, 2) "12.34", (5, 2) ".05".
    static StringT FromFixedPoint(int32_t value, int32_t digits);
    // "%lf" for a negative precision, else "%.<precision>lf".
    static StringT FromDouble(double value, int32_t precision);

    // The UTF-8 form of this text.
    OtherString ToNarrow() const;

    // Conversions of whole buffers, lenient. A negative length means the whole text and
    // its terminator. The buffer receives the text converted before any failing unit;
    // E_FAIL when there was one, else S_OK.
    static KVRESULT EncodeUTF8(RCPtr<LIBuffer>& narrow, const char16_t* text, int32_t length);
    static KVRESULT DecodeUTF8(RCPtr<LIBuffer>& wide, const char* text, int32_t length);

    // The buffer itself, for tests of sharing and sizes.
    const LIBuffer& GetBuffer() const noexcept { return *mBuffer; }
    bool SharesBufferWith(const StringT& other) const noexcept { return mBuffer == other.mBuffer; }

private:
    LStringBuffer* Buffer() const noexcept { return static_cast<LStringBuffer*>(mBuffer.Get()); }
    C* Data() const noexcept { return reinterpret_cast<C*>(Buffer()->Data()); }
    uint32_t BufferChars() const noexcept { return Buffer()->GetSize() / sizeof(C); }

    // The string sharing the static empty buffer of this width.
    void MakeEmpty() noexcept;
    // A new unlocked buffer holding exactly these characters.
    void SetExact(const C* text, size_t length);
    StringT& AssignFormatted(const C* format, std::span<const FormatArgument> arguments);
    static StringT FromView(std::basic_string_view<C> text);

    RCPtr<LIBuffer> mBuffer;
};

using String = StringT<char16_t, char>;
using NarrowString = StringT<char, char16_t>;

// The ToString function of a wrapped string: a copy of it.
inline String StringToString(const String& text)
{
    return text;
}

// The operations of the wide string alone.
template <> int32_t String::ToInt() const;
template <> double String::ToDouble() const;
template <> StringArrayT<char16_t, char> String::Split(const char16_t* delimiters) const;
template <> String& String::AppendNarrowChar(char character);
template <>
String& String::AssignFormatted(const char16_t* format, std::span<const FormatArgument> arguments);
template <> String String::FromFixedPoint(int32_t value, int32_t digits);
template <> String String::FromDouble(double value, int32_t precision);
template <> NarrowString String::ToNarrow() const;

template <> int32_t NarrowString::ToInt() const = delete;
template <> double NarrowString::ToDouble() const = delete;
template <> NarrowString& NarrowString::AppendNarrowChar(char character) = delete;
template <>
NarrowString& NarrowString::AssignFormatted(const char* format,
                                            std::span<const FormatArgument> arguments) = delete;
template <> NarrowString NarrowString::FromFixedPoint(int32_t value, int32_t digits) = delete;
template <> NarrowString NarrowString::FromDouble(double value, int32_t precision) = delete;
template <> String NarrowString::ToNarrow() const = delete;

extern template class StringT<char16_t, char>;
extern template class StringT<char, char16_t>;

} // namespace KV
