#include "System/DebugStream.h"

#include "Storage/Transcode.h"
#include "System/DebugConsole.h"

#include <algorithm>
#include <string>

namespace KV {

namespace {

std::string ToUtf8(const std::string& text)
{
    return text;
}

std::string ToUtf8(const std::u16string& text)
{
    // Each UTF-16 unit gives at most three bytes.
    std::string utf8(text.size() * 3, '\0');
    const char16_t* source = text.data();
    char* target = utf8.data();
    TranscodeUtf16ToUtf8(source, text.data() + text.size(), target, utf8.data() + utf8.size(),
                         TranscodeLenient);
    utf8.resize(static_cast<size_t>(target - utf8.data()));
    return utf8;
}

template <class C> bool IsLeadingHalfOfPair(C character)
{
    if constexpr (sizeof(C) == 1)
        return false;
    else
        return character >= 0xD800 && character <= 0xDBFF;
}

} // namespace

template <class C>
basic_debugbuf<C>::basic_debugbuf(DebugConsole& console)
    : std::basic_stringbuf<C>(std::ios_base::out), mConsole(console)
{
}

template <class C> basic_debugbuf<C>::~basic_debugbuf()
{
    MutexLock lock(mConsole.GetStreamLock<C>());
    if (Collected() > 0)
        HandOn();
}

template <class C> std::streamsize basic_debugbuf<C>::xsputn(const C* text, std::streamsize count)
{
    if (count <= 0)
        return 0;
    MutexLock lock(mConsole.GetStreamLock<C>());
    std::streamsize written = 0;
    while (written < count)
    {
        if (Collected() >= kChunk)
            HandOn();
        std::streamsize take = std::min(kChunk - Collected(), count - written);
        // A pair of surrogates stays in one piece: its first half waits for the next.
        if (written + take < count && IsLeadingHalfOfPair(text[written + take - 1]))
        {
            if (take == 1)
            {
                HandOn();
                continue;
            }
            --take;
        }
        written += std::basic_stringbuf<C>::xsputn(text + written, take);
    }
    return written;
}

template <class C> typename basic_debugbuf<C>::int_type basic_debugbuf<C>::overflow(int_type character)
{
    MutexLock lock(mConsole.GetStreamLock<C>());
    return std::basic_stringbuf<C>::overflow(character);
}

template <class C> int basic_debugbuf<C>::sync()
{
    MutexLock lock(mConsole.GetStreamLock<C>());
    HandOn();
    return 0;
}

template <class C> void basic_debugbuf<C>::HandOn()
{
    const std::basic_string<C> text(this->pbase(), this->pptr());
    this->str(std::basic_string<C>());
    mConsole.Deliver(ToUtf8(text));
}

template <class C>
basic_dostream<C>::basic_dostream(DebugConsole& console)
    : std::basic_ostream<C>(nullptr), mBuffer(new basic_debugbuf<C>(console))
{
    this->init(mBuffer);
}

template <class C> basic_dostream<C>::~basic_dostream()
{
    delete mBuffer;
}

template class basic_debugbuf<char>;
template class basic_debugbuf<char16_t>;
template class basic_dostream<char>;
template class basic_dostream<char16_t>;

} // namespace KV
