#pragma once
// The framework's debug streams: an output stream of narrow (UTF-8) or wide (UTF-16)
// text whose buffer collects what is written and, on every flush, hands it on as one
// piece to the debug console it belongs to: to the debugger output (standard error),
// or as one UDP datagram when the console has a port.
//
// A bulk write is cut so that no more than 1023 characters are collected before a
// flush; a surrogate pair of wide text is never cut in two. Every operation of the
// buffer takes the stream lock of its console; a writer that shares a stream with
// other threads holds that lock for its whole line (CDebugLine in DebugConsole.h).
//
// The wide stream carries text only: the standard library formats numbers and
// std::endl for char and wchar_t alone, so wide diagnostics format their numbers into
// the text first and end lines with u'\n'.

#include <sstream>
#include <streambuf>
#include <ostream>

namespace KV {

class DebugConsole;

template <class C> class basic_debugbuf : public std::basic_stringbuf<C>
{
public:
    using typename std::basic_stringbuf<C>::int_type;
    using typename std::basic_stringbuf<C>::traits_type;

    // The most characters that a bulk write collects before it flushes.
    static constexpr std::streamsize kChunk = 1023;

    explicit basic_debugbuf(DebugConsole& console);
    // Flushes what is still collected.
    ~basic_debugbuf() override;
    basic_debugbuf(const basic_debugbuf&) = delete;
    basic_debugbuf& operator=(const basic_debugbuf&) = delete;

protected:
    std::streamsize xsputn(const C* text, std::streamsize count) override;
    int_type overflow(int_type character) override;
    // Hands the collected text on as one piece and empties the buffer. Always 0.
    int sync() override;

private:
    std::streamsize Collected() const { return this->pptr() - this->pbase(); }
    void HandOn();

    DebugConsole& mConsole;
};

template <class C> class basic_dostream : public std::basic_ostream<C>
{
public:
    explicit basic_dostream(DebugConsole& console);
    ~basic_dostream() override;
    basic_dostream(const basic_dostream&) = delete;
    basic_dostream& operator=(const basic_dostream&) = delete;

    basic_debugbuf<C>& GetBuffer() noexcept { return *mBuffer; }

private:
    basic_debugbuf<C>* mBuffer;
};

extern template class basic_debugbuf<char>;
extern template class basic_debugbuf<char16_t>;
extern template class basic_dostream<char>;
extern template class basic_dostream<char16_t>;

} // namespace KV
