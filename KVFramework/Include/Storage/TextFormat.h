#pragma once
// Type-safe printf-style formatting of wide text.
//
// Format texts come from string tables, that is from data, so every conversion is
// checked against the argument it consumes: a missing argument, or one of another
// kind than the conversion asks for, formats as empty text instead of reading
// garbage; %n is refused; the output grows as needed and is never cut.
//
// Conversions: %d %i %u %o %x %X (integers), %c (a UTF-16 unit; %hc a 7-bit narrow
// character), %f %F %e %E %g %G %a %A (floating point), %s (wide text; %hs narrow
// UTF-8 text), %p (a pointer), %% (a percent sign), with the usual flags "-+ #0",
// width and precision (digits or *), and the length modifiers hh h l ll L j z t
// I I32 I64 w. Integers print at the width of the argument they were given (hh and
// h narrow them first, as printf would); %u of a negative int is its 32-bit
// complement. Width and precision count UTF-16 units and must not exceed
// kMaxFormatField; a larger one makes the conversion empty. Numbers never depend on
// the user's locale.

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

namespace KV {

inline constexpr int kMaxFormatField = 16383;

class FormatArgument
{
public:
    enum class Kind
    {
        Signed,
        Unsigned,
        Floating,
        WideText,
        NarrowText,
        Pointer,
    };

    template <std::integral T> FormatArgument(T value) : mSize(sizeof(T))
    {
        if constexpr (std::is_signed_v<T>)
        {
            mKind = Kind::Signed;
            mSigned = value;
        }
        else
        {
            mKind = Kind::Unsigned;
            mUnsigned = value;
        }
    }
    template <class T>
    requires std::is_enum_v<T> FormatArgument(T value)
        : FormatArgument(static_cast<std::underlying_type_t<T>>(value))
    {
    }
    FormatArgument(double value) : mKind(Kind::Floating), mFloating(value) {}
    FormatArgument(long double value) : FormatArgument(static_cast<double>(value)) {}

    // A null text pointer formats as empty text.
    FormatArgument(const char16_t* text)
        : mKind(Kind::WideText), mPointer(text), mLength(text ? std::char_traits<char16_t>::length(text) : 0)
    {
    }
    FormatArgument(std::u16string_view text)
        : mKind(Kind::WideText), mPointer(text.data()), mLength(text.size())
    {
    }
    FormatArgument(const std::u16string& text) : FormatArgument(std::u16string_view(text)) {}
    FormatArgument(const char* text)
        : mKind(Kind::NarrowText), mPointer(text), mLength(text ? std::char_traits<char>::length(text) : 0)
    {
    }
    FormatArgument(std::string_view text)
        : mKind(Kind::NarrowText), mPointer(text.data()), mLength(text.size())
    {
    }
    FormatArgument(const std::string& text) : FormatArgument(std::string_view(text)) {}

    // The framework's strings: anything with GetText() and GetLength() of either width.
    template <class S>
    requires requires(const S& s)
    {
        {
            s.GetText()
            } -> std::convertible_to<const char16_t*>;
        s.GetLength();
    }
    FormatArgument(const S& s) : FormatArgument(std::u16string_view(s.GetText(), s.GetLength())) {}
    template <class S>
    requires requires(const S& s)
    {
        {
            s.GetText()
            } -> std::convertible_to<const char*>;
        s.GetLength();
    }
    FormatArgument(const S& s) : FormatArgument(std::string_view(s.GetText(), s.GetLength())) {}

    template <class T>
    requires(!std::is_same_v<std::remove_cv_t<T>, char> && !std::is_same_v<std::remove_cv_t<T>, char16_t>)
        FormatArgument(T* pointer)
        : mKind(Kind::Pointer), mPointer(pointer)
    {
    }
    FormatArgument(std::nullptr_t) : mKind(Kind::Pointer), mPointer(nullptr) {}

    Kind GetKind() const { return mKind; }
    size_t GetSize() const { return mSize; } // bytes of an integer argument
    int64_t GetSigned() const { return mSigned; }
    uint64_t GetUnsigned() const { return mUnsigned; }
    double GetFloating() const { return mFloating; }
    const void* GetPointer() const { return mPointer; }
    std::u16string_view GetWideText() const
    {
        return {static_cast<const char16_t*>(mPointer), mPointer ? mLength : 0};
    }
    std::string_view GetNarrowText() const
    {
        return {static_cast<const char*>(mPointer), mPointer ? mLength : 0};
    }

private:
    Kind mKind;
    size_t mSize = 0;
    union
    {
        int64_t mSigned;
        uint64_t mUnsigned;
        double mFloating;
        const void* mPointer;
    };
    size_t mLength = 0;
};

// Formats `format` with the arguments in order.
std::u16string FormatText(std::u16string_view format, std::span<const FormatArgument> arguments);

} // namespace KV
