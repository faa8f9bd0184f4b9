#include "Storage/StringT.h"

#include "Storage/NumberParsing.h"
#include "Storage/StringArray.h"
#include "Storage/Transcode.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>

namespace KV {

namespace {

template <class C> size_t BoundedLength(const C* text, size_t limit)
{
    size_t n = 0;
    while (n < limit && text[n] != 0)
        ++n;
    return n;
}

template <class C> size_t TextLength(const C* text)
{
    return std::char_traits<C>::length(text);
}

// Buffer sizes are 32-bit; a text that cannot fit is an allocation failure.
uint32_t BufferBytes(uint64_t count, size_t unit)
{
    const uint64_t bytes = count * unit;
    if (bytes > std::numeric_limits<uint32_t>::max())
        ThrowBadAlloc();
    return static_cast<uint32_t>(bytes);
}

template <class C> RCPtr<LIBuffer> NewBuffer(uint64_t chars)
{
    return LStringBuffer::Create(BufferBytes(chars, sizeof(C)), 0, true);
}

// One buffer holding only the terminator per width, shared by every empty string. It
// is never freed: strings on other threads may still hold it while the process exits.
template <class C> const RCPtr<LIBuffer>& EmptyBuffer()
{
    static const RCPtr<LIBuffer>* const empty = new RCPtr<LIBuffer>(NewBuffer<C>(1));
    return *empty;
}

// A null set is an empty one.
template <class C> bool InSet(C c, const C* set)
{
    for (; set && *set; ++set)
        if (*set == c)
            return true;
    return false;
}

template <class C> C AsciiUpper(C c)
{
    return c >= C('a') && c <= C('z') ? static_cast<C>(c - ('a' - 'A')) : c;
}
template <class C> C AsciiLower(C c)
{
    return c >= C('A') && c <= C('Z') ? static_cast<C>(c + ('a' - 'A')) : c;
}

} // namespace

template <class C, class O> StringT<C, O>::StringT() noexcept : mBuffer(EmptyBuffer<C>()) {}

template <class C, class O> const StringT<C, O>& StringT<C, O>::GetEmpty() noexcept
{
    // Never destroyed, like the buffer it shares.
    static const StringT* const empty = new StringT();
    return *empty;
}

template <class C, class O> StringT<C, O>::StringT(C character)
{
    if (character == 0)
        MakeEmpty();
    else
        SetExact(&character, 1);
}

template <class C, class O> StringT<C, O>::StringT(const StringT& other)
{
    if (other.IsLocked())
        SetExact(other.GetText(), static_cast<size_t>(other.GetLength()));
    else
        mBuffer = other.mBuffer;
}

template <class C, class O>
StringT<C, O>::StringT(StringT&& other) noexcept : mBuffer(std::move(other.mBuffer))
{
    other.MakeEmpty();
}

template <class C, class O> StringT<C, O>::StringT(const C* text)
{
    MakeEmpty();
    AssignText(text, kWholeText);
}

template <class C, class O> StringT<C, O>::StringT(const O* text)
{
    if constexpr (kWide)
        DecodeUTF8(mBuffer, text, -1);
    else
        EncodeUTF8(mBuffer, text, -1);
}

template <class C, class O> StringT<C, O>::StringT(const OtherString& other) : StringT(other.GetText()) {}

template <class C, class O> StringT<C, O>& StringT<C, O>::operator=(StringT&& other)
{
    if (this != &other)
    {
        if (IsLocked())
        {
            // The locked buffer stays ours: its writer still holds a pointer into it.
            AssignText(other.GetText(), other.GetLength());
        }
        else
        {
            mBuffer = std::move(other.mBuffer);
            other.MakeEmpty();
        }
    }
    return *this;
}

template <class C, class O> void StringT<C, O>::MakeEmpty() noexcept
{
    mBuffer = EmptyBuffer<C>();
}

template <class C, class O> void StringT<C, O>::SetExact(const C* text, size_t length)
{
    if (length == 0)
    {
        MakeEmpty();
        return;
    }
    RCPtr<LIBuffer> buffer = NewBuffer<C>(uint64_t{length} + 1);
    std::memcpy(buffer->GetData(), text, length * sizeof(C));
    mBuffer = std::move(buffer);
}

template <class C, class O> StringT<C, O>& StringT<C, O>::Assign(const StringT& other)
{
    if (this == &other)
        return *this;
    if (IsLocked())
        return AssignText(other.GetText(), other.GetLength());
    if (other.IsLocked())
    {
        // A copy of the text, not of the whole locked buffer: an unlocked buffer always
        // holds exactly its text.
        SetExact(other.GetText(), static_cast<size_t>(other.GetLength()));
        return *this;
    }
    mBuffer = other.mBuffer;
    return *this;
}

template <class C, class O> StringT<C, O>& StringT<C, O>::AssignText(const C* text, int32_t limit)
{
    const size_t n =
        text && limit != 0 ? BoundedLength(text, limit < 0 ? SIZE_MAX : static_cast<size_t>(limit)) : 0;
    if (!IsLocked())
    {
        SetExact(text, n);
        return *this;
    }
    if (n == 0)
    {
        Data()[0] = 0;
        return *this;
    }
    // The text may lie in this very buffer, which growing can move.
    const C* const begin = Data();
    const C* const end = begin + BufferChars();
    std::basic_string<C> held;
    if (text >= begin && text < end)
    {
        held.assign(text, n);
        text = held.data();
    }
    if (n + 1 > BufferChars())
        Buffer()->SetSize(BufferBytes(uint64_t{n} + 1, sizeof(C)));
    std::memmove(Data(), text, n * sizeof(C));
    Data()[n] = 0;
    return *this;
}

template <class C, class O> StringT<C, O>& StringT<C, O>::AssignNarrowText(const O* text, int32_t limit)
{
    // Bounded: a text cut to `limit` need not end with a 0 (pieces of a larger buffer).
    const size_t n = text && limit != 0 ? BoundedLength(text, limit < 0 ? SIZE_MAX : size_t(limit)) : 0;
    if (n == 0)
        return Clear();
    const std::basic_string<O> cut(text, n);
    StringT converted(cut.c_str());
    return Assign(converted);
}

template <class C, class O> StringT<C, O>& StringT<C, O>::Clear()
{
    if (IsLocked())
        Data()[0] = 0;
    else
        MakeEmpty();
    return *this;
}

template <class C, class O> C* StringT<C, O>::Lock(int32_t n)
{
    if (IsLocked() || n < 0)
        return nullptr;
    const uint32_t chars = n == 0 ? static_cast<uint32_t>(GetLength()) + 1 : static_cast<uint32_t>(n);
    const uint32_t bytes = BufferBytes(chars, sizeof(C));
    if (mBuffer->GetRefCount() > 1)
    {
        RCPtr<LIBuffer> copy = mBuffer->CreateResizedCopy(bytes, 0);
        if (!copy)
            ThrowException<std::runtime_error>("", KV_HERE, false,
                                               kWide ? "KV::StringT<char16_t,char>::Lock"
                                                     : "KV::StringT<char,char16_t>::Lock");
        mBuffer = std::move(copy);
    }
    mBuffer->SetUnshareable(true);
    const uint32_t oldBytes = Buffer()->GetSize();
    Buffer()->SetSize(bytes);
    // Characters beyond the old text are cleared, so what the caller does not write reads as 0.
    if (bytes > oldBytes)
        std::memset(Buffer()->Data() + oldBytes, 0, bytes - oldBytes);
    Data()[chars - 1] = 0;
    return Data();
}

template <class C, class O> int32_t StringT<C, O>::Unlock()
{
    if (!IsLocked())
        return S_FALSE;
    const int32_t length = GetLength();
    if (length == 0)
    {
        MakeEmpty();
        return S_OK;
    }
    mBuffer->SetUnshareable(false);
    Buffer()->SetSize(BufferBytes(uint64_t(length) + 1, sizeof(C)));
    return S_OK;
}

template <class C, class O> int32_t StringT<C, O>::GetLength() const noexcept
{
    const uint32_t chars = BufferChars();
    if (!IsLocked())
        return static_cast<int32_t>(chars - 1);
    return static_cast<int32_t>(BoundedLength(Data(), chars));
}

template <class C, class O> bool StringT<C, O>::EqualsText(const C* text) const
{
    if (!text || text[0] == 0)
        return IsEmpty();
    return View() == std::basic_string_view<C>(text);
}

template <class C, class O> bool StringT<C, O>::Equals(const StringT& other) const
{
    return SharesBufferWith(other) || View() == other.View();
}

template <class C, class O> bool StringT<C, O>::EqualsIgnoringCase(const StringT& other) const
{
    return SharesBufferWith(other) ||
           std::ranges::equal(View(), other.View(), [](C a, C b) { return AsciiLower(a) == AsciiLower(b); });
}

template <class C, class O> bool StringT<C, O>::EqualsNarrowText(const O* text) const
{
    const StringT converted(text);
    return SharesBufferWith(converted) || Equals(converted);
}

template <class C, class O> bool StringT<C, O>::IsLess(const StringT& other) const
{
    // char_traits compare code units as unsigned numbers for both widths.
    return !SharesBufferWith(other) && View() < other.View();
}

template <class C, class O> int32_t StringT<C, O>::Find(const StringT& needle, int32_t start) const
{
    const int64_t length = GetLength();
    int64_t from = start;
    if (from < 0)
        from = std::max<int64_t>(0, from + length);
    if (from > length)
        return -1;
    const std::basic_string_view<C> text = View();
    const std::basic_string_view<C> wanted = needle.View();
    if (wanted.empty())
        return static_cast<int32_t>(from);
    // Skip to each occurrence of the first unit with the traits' search, then compare the rest.
    const C* const end = text.data() + text.size();
    for (const C* at = text.data() + from; end - at >= static_cast<std::ptrdiff_t>(wanted.size()); ++at)
    {
        at = std::char_traits<C>::find(at, static_cast<size_t>(end - at) - wanted.size() + 1, wanted[0]);
        if (!at)
            break;
        if (std::char_traits<C>::compare(at + 1, wanted.data() + 1, wanted.size() - 1) == 0)
            return static_cast<int32_t>(at - text.data());
    }
    return -1;
}

template <class C, class O> int32_t StringT<C, O>::Find(C character, int32_t start) const
{
    return Find(StringT(character), start);
}

template <class C, class O> int32_t StringT<C, O>::FindLastChar(char character) const
{
    const auto byte = static_cast<unsigned char>(character);
    if (byte == 0 || byte > 0x7F)
        return -1;
    const size_t at = View().rfind(static_cast<C>(byte));
    return at == std::basic_string_view<C>::npos ? -1 : static_cast<int32_t>(at);
}

template <> int32_t String::ToInt() const
{
    return ParseLeadingInt(View());
}

template <> double String::ToDouble() const
{
    return ParseLeadingDouble(View());
}

template <class C, class O> StringT<C, O> StringT<C, O>::FromView(std::basic_string_view<C> text)
{
    StringT result;
    result.SetExact(text.data(), text.size());
    return result;
}

template <class C, class O> StringT<C, O> StringT<C, O>::Mid(int32_t start, int32_t count) const
{
    const int64_t length = GetLength();
    int64_t from = start;
    int64_t n = count;
    if (from < 0)
    {
        from += length;
        if (from < 0)
        {
            n += from; // the part before the beginning is lost
            from = 0;
        }
    }
    if (from >= length || n == 0)
        return StringT();
    // Compared without adding, so that no sum can wrap: a negative count reaches to the end.
    if (n < 0 || n > length - from)
        n = length - from;
    if (from == 0 && n == length && !IsLocked())
        return *this;
    return FromView(View().substr(static_cast<size_t>(from), static_cast<size_t>(n)));
}

template <class C, class O> StringT<C, O> StringT<C, O>::MidFrom(int32_t start) const
{
    // Mid's own rules, with a count that always reaches to the end.
    return Mid(start, -1);
}

template <class C, class O> StringT<C, O> StringT<C, O>::Concat(const StringT& other) const
{
    StringT result(*this);
    result.Append(other);
    return result;
}

template <class C, class O> StringT<C, O> StringT<C, O>::ToUpper() const
{
    std::basic_string<C> text(View());
    for (C& c : text)
        c = AsciiUpper(c);
    return FromView(text);
}

template <class C, class O> StringT<C, O> StringT<C, O>::ToLower() const
{
    std::basic_string<C> text(View());
    for (C& c : text)
        c = AsciiLower(c);
    return FromView(text);
}

template <class C, class O> StringT<C, O> StringT<C, O>::TrimLeftChars(const C* set) const
{
    const auto text = View();
    for (size_t i = 0; i < text.size(); ++i)
        if (!InSet(text[i], set))
            return i == 0 ? *this : FromView(text.substr(i));
    return *this;
}

template <class C, class O> StringT<C, O> StringT<C, O>::TrimRightChars(const C* set) const
{
    const auto text = View();
    size_t end = text.size();
    while (end > 0 && InSet(text[end - 1], set))
        --end;
    return end == text.size() ? *this : FromView(text.substr(0, end));
}

template <> StringArray String::Split(const char16_t* delimiters) const
{
    StringArray pieces;
    SplitInto(pieces, delimiters);
    return pieces;
}

template <class C, class O>
int32_t StringT<C, O>::SplitInto(IArray<StringT>& array, const C* delimiters) const
{
    auto rest = View();
    const auto isDelimiter = [delimiters](C c) { return InSet(c, delimiters); };
    if (std::none_of(rest.begin(), rest.end(), isDelimiter))
    {
        array.SetCount(1);
        *array.GetAt(0) = *this;
        return static_cast<int32_t>(array.GetCount());
    }
    array.Clear();
    while (!rest.empty())
    {
        const auto at = std::find_if(rest.begin(), rest.end(), isDelimiter);
        const size_t pieceLength = static_cast<size_t>(at - rest.begin());
        array.AddItem(FromView(rest.substr(0, pieceLength)));
        rest = at == rest.end() ? rest.substr(rest.size()) : rest.substr(pieceLength + 1);
    }
    return static_cast<int32_t>(array.GetCount());
}

template <class C, class O> StringT<C, O>& StringT<C, O>::Append(const StringT& other)
{
    if (&other == this)
    {
        // Our own text must stay readable while the buffer grows.
        const StringT copy(other);
        return Append(copy);
    }
    // An unlocked buffer holds exactly its text and terminator: the lengths come from the
    // sizes, with no scan for the terminator.
    const uint64_t added =
        static_cast<uint64_t>(other.IsLocked() ? other.GetLength() : other.BufferChars() - 1);
    if (added == 0)
        return *this;
    LStringBuffer* const buffer = Buffer();
    if (!buffer->IsShareable())
    {
        const uint64_t length = static_cast<uint64_t>(GetLength());
        const uint32_t total = BufferBytes(length + added + 1, sizeof(C)) / sizeof(C);
        if (total > BufferChars())
            buffer->SetSize(total * sizeof(C));
        std::memcpy(Data() + length, other.GetText(), added * sizeof(C));
        Data()[length + added] = 0;
        return *this;
    }
    const uint64_t length = BufferChars() - 1;
    const uint32_t totalBytes = BufferBytes(length + added + 1, sizeof(C));
    // A shared buffer is copied at the final size. One that no other string holds grows
    // in place, doubling when it must move, so that text appended piece by piece costs
    // amortised constant time.
    if (buffer->GetRefCount() > 1)
    {
        RCPtr<LIBuffer> copy = LStringBuffer::Create(totalBytes, 0, false);
        std::memcpy(copy->GetData(), buffer->Data(), length * sizeof(C));
        mBuffer = std::move(copy);
    }
    else
        buffer->GrowSize(totalBytes);
    C* const data = Data();
    std::memcpy(data + length, other.GetText(), added * sizeof(C));
    data[length + added] = 0;
    return *this;
}

template <class C, class O> KVRESULT StringT<C, O>::Insert(int32_t position, const StringT& other)
{
    const int32_t length = GetLength();
    if (position < 0 || position > length)
        return E_INVALIDARG;
    if (position == length)
    {
        Append(other);
        return S_OK;
    }
    StringT joined = position == 0 ? StringT(other) : Mid(0, position);
    joined.Append(position == 0 ? *this : other);
    if (position != 0)
        joined.Append(MidFrom(position));
    Assign(joined);
    return S_OK;
}

template <class C, class O> KVRESULT StringT<C, O>::InsertText(int32_t position, const C* text, int32_t count)
{
    if (position < 0 || position > GetLength())
        return E_INVALIDARG;
    StringT inserted;
    inserted.AssignText(text, count < 0 ? kWholeText : count);
    return Insert(position, inserted);
}

template <class C, class O> KVRESULT StringT<C, O>::InsertNarrowText(int32_t position, const O* text)
{
    if (position < 0 || position > GetLength())
        return E_INVALIDARG;
    return Insert(position, StringT(text));
}

template <class C, class O> KVRESULT StringT<C, O>::AppendChar(C character)
{
    if (character == 0)
        return S_OK;
    return InsertText(GetLength(), &character, 1);
}

template <> String& String::AppendNarrowChar(char character)
{
    const char text[2] = {character, 0};
    InsertNarrowText(GetLength(), text);
    return *this;
}

template <class C, class O> bool StringT<C, O>::RemoveRange(int32_t position, int32_t count)
{
    const int32_t length = GetLength();
    if (position < 0 || position >= length || count < 0 || count > length - position)
        return false;
    StringT joined = Mid(0, position);
    joined.Append(MidFrom(position + count));
    Assign(joined);
    return true;
}

template <class C, class O> StringT<C, O>& StringT<C, O>::ReplaceChars(const C* set, C replacement)
{
    if (replacement == 0)
        return *this;
    std::basic_string<C> text(View());
    for (C& c : text)
        if (InSet(c, set))
            c = replacement;
    return AssignText(text.c_str(), static_cast<int32_t>(text.size()));
}

template <> String& String::AssignFormatted(const char16_t* format, std::span<const FormatArgument> arguments)
{
    const std::u16string text =
        FormatText(format ? std::u16string_view(format) : std::u16string_view(), arguments);
    if (text.size() > static_cast<size_t>(kWholeText))
        ThrowBadAlloc();
    return AssignText(text.c_str(), static_cast<int32_t>(text.size()));
}

template <> String String::FromFixedPoint(int32_t value, int32_t digits)
{
    StringT text;
    text.Format(u"%d", value);
    if (digits <= 0)
        return text;
    // The sign stays in front of the digits: (-5, 2) gives "-.05".
    std::u16string number(text.View());
    const bool negative = !number.empty() && number[0] == u'-';
    if (negative)
        number.erase(0, 1);
    if (number.size() < static_cast<size_t>(digits))
        number.insert(0, static_cast<size_t>(digits) - number.size(), u'0');
    number.insert(number.size() - static_cast<size_t>(digits), 1, u'.');
    if (negative)
        number.insert(0, 1, u'-');
    return FromView(number);
}

template <> String String::FromDouble(double value, int32_t precision)
{
    StringT text;
    if (precision < 0)
        return text.Format(u"%lf", value);
    StringT format;
    format.Format(u"%%.%dlf", precision);
    return text.Format(format.GetText(), value);
}

template <> NarrowString String::ToNarrow() const
{
    return OtherString(*this);
}

template <class C, class O>
KVRESULT StringT<C, O>::EncodeUTF8(RCPtr<LIBuffer>& narrow, const char16_t* text, int32_t length)
{
    if (!text || text[0] == 0 || length == 0)
    {
        narrow = EmptyBuffer<char>();
        return S_OK;
    }
    const size_t units = length < 0 ? TextLength(text) + 1 : static_cast<size_t>(length);
    // At most three bytes for each unit: a pair of units makes four.
    RCPtr<LIBuffer> buffer = NewBuffer<char>(3 * uint64_t{units} + 1);
    char* const begin = static_cast<char*>(buffer->GetData());
    const char16_t* source = text;
    char* target = begin;
    const TranscodeResult result =
        TranscodeUtf16ToUtf8(source, text + units, target, begin + buffer->GetSize() - 1, TranscodeLenient);
    *target = 0;
    const size_t converted = TextLength(begin);
    if (converted == 0)
        narrow = EmptyBuffer<char>();
    else
    {
        buffer->SetSize(static_cast<uint32_t>(converted) + 1);
        narrow = std::move(buffer);
    }
    return result == TranscodeOk ? S_OK : E_FAIL;
}

template <class C, class O>
KVRESULT StringT<C, O>::DecodeUTF8(RCPtr<LIBuffer>& wide, const char* text, int32_t length)
{
    if (!text || text[0] == 0 || length == 0)
    {
        wide = EmptyBuffer<char16_t>();
        return S_OK;
    }
    const size_t bytes = length < 0 ? TextLength(text) + 1 : static_cast<size_t>(length);
    // At most one unit for each byte: four bytes make two units.
    RCPtr<LIBuffer> buffer = NewBuffer<char16_t>(uint64_t{bytes} + 1);
    char16_t* const begin = static_cast<char16_t*>(buffer->GetData());
    const char* source = text;
    char16_t* target = begin;
    const TranscodeResult result =
        TranscodeUtf8ToUtf16(source, text + bytes, target, begin + bytes, TranscodeLenient);
    *target = 0;
    const size_t converted = TextLength(begin);
    if (converted == 0)
        wide = EmptyBuffer<char16_t>();
    else
    {
        buffer->SetSize(static_cast<uint32_t>((converted + 1) * sizeof(char16_t)));
        wide = std::move(buffer);
    }
    return result == TranscodeOk ? S_OK : E_FAIL;
}

template class StringT<char16_t, char>;
template class StringT<char, char16_t>;

} // namespace KV
