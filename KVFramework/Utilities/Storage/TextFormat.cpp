#include "Storage/TextFormat.h"

#include "Storage/Transcode.h"
#include "Utilities/Storage/CLocale.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

namespace KV {

namespace {

struct Spec
{
    std::string flags;
    int width = -1;     // -1: none
    int precision = -1; // -1: none
    std::u16string_view length;
    char16_t conversion = 0;
    bool valid = true; // false: a field too large, or a conversion we do not know
};

class Formatter
{
public:
    Formatter(std::u16string_view format, std::span<const FormatArgument> arguments)
        : mFormat(format), mArguments(arguments)
    {
    }

    std::u16string Run()
    {
        while (mAt < mFormat.size())
        {
            const size_t percent = mFormat.find(u'%', mAt);
            mOut.append(mFormat.substr(mAt, percent - mAt));
            if (percent == std::u16string_view::npos)
                break;
            mAt = percent + 1;
            Convert(ParseSpec());
        }
        return std::move(mOut);
    }

private:
    const FormatArgument* NextArgument()
    {
        return mNextArgument < mArguments.size() ? &mArguments[mNextArgument++] : nullptr;
    }

    bool Peek(char16_t c) const { return mAt < mFormat.size() && mFormat[mAt] == c; }

    static bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

    // Digits or '*'; a value above kMaxFormatField makes the conversion invalid.
    int ParseField(Spec& spec, bool isWidth)
    {
        if (Peek(u'*'))
        {
            ++mAt;
            const FormatArgument* a = NextArgument();
            if (!a || (a->GetKind() != FormatArgument::Kind::Signed &&
                       a->GetKind() != FormatArgument::Kind::Unsigned))
                return -1; // as if none was given
            int64_t value = a->GetKind() == FormatArgument::Kind::Signed
                                ? a->GetSigned()
                                : static_cast<int64_t>(std::min<uint64_t>(a->GetUnsigned(), INT64_MAX));
            if (value < 0)
            {
                if (!isWidth)
                    return -1; // a negative precision counts as none
                if (spec.flags.find('-') == std::string::npos)
                    spec.flags += '-';
                value = value == INT64_MIN ? INT64_MAX : -value;
            }
            if (value > kMaxFormatField)
            {
                spec.valid = false;
                return -1;
            }
            return static_cast<int>(value);
        }
        int value = 0;
        bool any = false;
        while (mAt < mFormat.size() && IsDigit(mFormat[mAt]))
        {
            any = true;
            if (value <= kMaxFormatField)
                value = value * 10 + (mFormat[mAt] - u'0');
            ++mAt;
        }
        if (value > kMaxFormatField)
            spec.valid = false;
        return any || !isWidth ? value : -1;
    }

    Spec ParseSpec()
    {
        Spec spec;
        while (mAt < mFormat.size() &&
               std::u16string_view(u"-+ #0").find(mFormat[mAt]) != std::u16string_view::npos)
        {
            const char flag = static_cast<char>(mFormat[mAt++]);
            if (spec.flags.find(flag) == std::string::npos)
                spec.flags += flag;
        }
        spec.width = ParseField(spec, true);
        if (Peek(u'.'))
        {
            ++mAt;
            spec.precision = ParseField(spec, false);
        }
        static constexpr std::u16string_view kLengths[] = {u"hh", u"h", u"ll",  u"l",   u"L", u"j",
                                                           u"z",  u"t", u"I64", u"I32", u"I", u"w"};
        for (std::u16string_view length : kLengths)
            if (mFormat.substr(mAt).starts_with(length))
            {
                spec.length = length;
                mAt += length.size();
                break;
            }
        if (mAt < mFormat.size())
            spec.conversion = mFormat[mAt++];
        else
            spec.valid = false;
        return spec;
    }

    void Convert(const Spec& spec)
    {
        if (spec.conversion == u'%')
        {
            mOut += u'%';
            return;
        }
        switch (spec.conversion)
        {
        case u'd':
        case u'i':
        case u'u':
        case u'o':
        case u'x':
        case u'X':
            return Integer(spec, NextArgument());
        case u'f':
        case u'F':
        case u'e':
        case u'E':
        case u'g':
        case u'G':
        case u'a':
        case u'A':
            return Floating(spec, NextArgument());
        case u'c':
            return Character(spec, NextArgument());
        case u's':
            return Text(spec, NextArgument());
        case u'p':
            return Pointer(spec, NextArgument());
        case u'n':
            // Refused: writing through an argument is never wanted from a format that
            // may come from data. Its argument is still consumed so the rest lines up.
            NextArgument();
            return;
        default:
            return; // unknown: nothing written, nothing consumed
        }
    }

    // printf of one number in the "C" locale, the spec narrowed to ASCII; never cut.
    template <class T> void Printf(const Spec& spec, const char* length, char conversion, T value)
    {
        std::string narrow(1, '%');
        narrow += spec.flags;
        if (spec.width >= 0)
            narrow += std::to_string(spec.width);
        if (spec.precision >= 0)
        {
            narrow += '.';
            narrow += std::to_string(spec.precision);
        }
        narrow += length;
        narrow += conversion;

        Detail::CCLocaleScope cLocale;
        char small[128];
        int n = snprintf(small, sizeof small, narrow.c_str(), value);
        if (n < 0)
            return;
        if (static_cast<size_t>(n) < sizeof small)
        {
            mOut.append(small, small + n);
            return;
        }
        std::string large(static_cast<size_t>(n) + 1, '\0');
        n = snprintf(large.data(), large.size(), narrow.c_str(), value);
        if (n > 0)
            mOut.append(large.data(), large.data() + n);
    }

    void Integer(const Spec& spec, const FormatArgument* a)
    {
        if (!spec.valid || !a ||
            (a->GetKind() != FormatArgument::Kind::Signed && a->GetKind() != FormatArgument::Kind::Unsigned))
            return;
        // The bits of the value at the argument's own width, narrowed by hh and h.
        size_t size = a->GetSize();
        if (spec.length == u"hh")
            size = 1;
        else if (spec.length == u"h")
            size = std::min<size_t>(size, 2);
        uint64_t bits = a->GetKind() == FormatArgument::Kind::Signed ? static_cast<uint64_t>(a->GetSigned())
                                                                     : a->GetUnsigned();
        const unsigned shift = static_cast<unsigned>(64 - 8 * size);
        // '#' has no meaning for decimal numbers, and printf leaves it undefined there.
        Spec number = spec;
        if (spec.conversion == u'd' || spec.conversion == u'i' || spec.conversion == u'u')
            std::erase(number.flags, '#');
        if (spec.conversion == u'd' || spec.conversion == u'i')
        {
            // Sign-extend from the chosen width.
            const int64_t value =
                shift ? static_cast<int64_t>(bits << shift) >> shift : static_cast<int64_t>(bits);
            Printf(number, "ll", static_cast<char>(spec.conversion), static_cast<long long>(value));
        }
        else
        {
            const uint64_t value = shift ? (bits << shift) >> shift : bits;
            Printf(number, "ll", static_cast<char>(spec.conversion), static_cast<unsigned long long>(value));
        }
    }

    void Floating(const Spec& spec, const FormatArgument* a)
    {
        if (!spec.valid || !a || a->GetKind() != FormatArgument::Kind::Floating)
            return;
        Printf(spec, "", static_cast<char>(spec.conversion), a->GetFloating());
    }

    // Pads a piece of text to the width: on the right with '-', else on the left.
    void Padded(const Spec& spec, std::u16string_view text)
    {
        const size_t width = spec.width > 0 ? static_cast<size_t>(spec.width) : 0;
        const size_t pad = width > text.size() ? width - text.size() : 0;
        const bool left = spec.flags.find('-') != std::string::npos;
        if (!left)
            mOut.append(pad, u' ');
        mOut.append(text);
        if (left)
            mOut.append(pad, u' ');
    }

    void Character(const Spec& spec, const FormatArgument* a)
    {
        if (!spec.valid || !a ||
            (a->GetKind() != FormatArgument::Kind::Signed && a->GetKind() != FormatArgument::Kind::Unsigned))
            return;
        const uint64_t bits = a->GetKind() == FormatArgument::Kind::Signed
                                  ? static_cast<uint64_t>(a->GetSigned())
                                  : a->GetUnsigned();
        char16_t unit;
        if (spec.length == u"h" || spec.length == u"hh")
        {
            // A narrow character is a one-byte UTF-8 text: only 7-bit values are text.
            const unsigned byte = static_cast<unsigned>(bits & 0xFF);
            if (byte > 0x7F)
                return;
            unit = static_cast<char16_t>(byte);
        }
        else
            unit = static_cast<char16_t>(bits & 0xFFFF);
        Padded(spec, std::u16string_view(&unit, 1));
    }

    void Text(const Spec& spec, const FormatArgument* a)
    {
        if (!spec.valid || !a)
            return;
        const bool narrow = spec.length == u"h" || spec.length == u"hh";
        std::u16string decoded;
        std::u16string_view text;
        if (narrow && a->GetKind() == FormatArgument::Kind::NarrowText)
        {
            // Lenient UTF-8: the text converted before an invalid sequence.
            const std::string_view bytes = a->GetNarrowText();
            decoded.resize(bytes.size());
            const char* source = bytes.data();
            char16_t* target = decoded.data();
            TranscodeUtf8ToUtf16(source, bytes.data() + bytes.size(), target, decoded.data() + decoded.size(),
                                 TranscodeLenient);
            decoded.resize(static_cast<size_t>(target - decoded.data()));
            text = decoded;
        }
        else if (!narrow && a->GetKind() == FormatArgument::Kind::WideText)
            text = a->GetWideText();
        else
            return;
        // Text stops at its first 0, as a C string would.
        text = text.substr(0, text.find(u'\0'));
        if (spec.precision >= 0)
            text = text.substr(0, static_cast<size_t>(spec.precision));
        Padded(spec, text);
    }

    void Pointer(const Spec& spec, const FormatArgument* a)
    {
        if (!spec.valid || !a)
            return;
        const FormatArgument::Kind kind = a->GetKind();
        if (kind != FormatArgument::Kind::Pointer && kind != FormatArgument::Kind::WideText &&
            kind != FormatArgument::Kind::NarrowText)
            return;
        // All digits of the address, upper-case, the same on every run-time library.
        char digits[2 * sizeof(void*) + 1];
        snprintf(digits, sizeof digits, "%0*llX", static_cast<int>(2 * sizeof(void*)),
                 static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(a->GetPointer())));
        const std::u16string wide(digits, digits + 2 * sizeof(void*));
        Padded(spec, wide);
    }

    std::u16string_view mFormat;
    std::span<const FormatArgument> mArguments;
    size_t mAt = 0;
    size_t mNextArgument = 0;
    std::u16string mOut;
};

} // namespace

std::u16string FormatText(std::u16string_view format, std::span<const FormatArgument> arguments)
{
    return Formatter(format, arguments).Run();
}

} // namespace KV
