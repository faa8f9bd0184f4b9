#pragma once
// The diagnostic channel: one process-wide DebugConsole with a narrow and a wide debug
// stream and the two targets that writers use, which are those streams until the
// console is opened on standard error.
//
// With a port set, every flush of a debug stream goes out as one UDP datagram of raw
// text (wide text as UTF-8, no header, no terminating zero); the first datagram of the
// process is preceded by a greeting of three datagrams. Without a port the text goes
// to the debugger output, standard error.
//
// Threads: each width has one stream lock. CDebugLine holds it while a line is written
// and flushed, so lines of different threads never interleave; the buffers and the
// datagram sender take it (or their own lock) too, so a flush from elsewhere is safe.

#include "System/DebugStream.h"
#include "System/Mutex.h"

#include <atomic>
#include <cstddef>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

namespace KV {

namespace Platform {
class UdpDatagramSocket;
}

// Sends diagnostic datagrams. The destination is fixed by the first send that opens a
// socket and kept for the life of the sender.
class DebugDatagramSender
{
public:
    DebugDatagramSender();
    ~DebugDatagramSender();
    DebugDatagramSender(const DebugDatagramSender&) = delete;
    DebugDatagramSender& operator=(const DebugDatagramSender&) = delete;

    // The process's sender, never destroyed.
    static DebugDatagramSender& GetProcessSender();

    // On the first use: resolves the host (null or unknown: this computer's own name,
    // else the loopback address), opens the socket and sends the greeting
    // "*** APPLICATION Launched on ", the address, "***\n". Then sends a non-empty
    // text as one datagram. Send failures are ignored; when no socket could be opened
    // nothing is sent and the next call starts over.
    void Send(const char* host, int port, std::string_view text);

private:
    Mutex mMutex;
    std::unique_ptr<Platform::UdpDatagramSocket> mSocket; // null until a socket opened
};

class DebugConsole
{
public:
    // A console whose datagrams go through the process's sender.
    DebugConsole();
    // A console with a sender of its own.
    explicit DebugConsole(DebugDatagramSender& sender);
    ~DebugConsole();
    DebugConsole(const DebugConsole&) = delete;
    DebugConsole& operator=(const DebugConsole&) = delete;

    // The process's console, built on first use and never destroyed; what its streams
    // still hold is flushed when the process exits.
    static DebugConsole& GetInstance();

    // Keeps the host when one is given, and the port. A port from 1 to 65535 sends
    // datagrams; any other sends the text to the debugger output.
    void SetTarget(const char* host, int port);
    // Points the targets at standard error: std::cerr, and a wide stream that writes
    // UTF-8 there. The debug streams receive nothing afterwards.
    void RedirectToStandardError();

    // Whether someone asked for the diagnostics: the console is open on standard error,
    // or a datagram port is set. Otherwise they go to the debugger output, which on this
    // platform is standard error too, where a line meant for a developer would reach a
    // user's script; writers of such lines ask first.
    bool IsRequested();

    std::basic_ostream<char>& GetNarrowTarget() const noexcept { return *mNarrowTarget.load(); }
    std::basic_ostream<char16_t>& GetWideTarget() const noexcept { return *mWideTarget.load(); }
    basic_dostream<char>& GetNarrowStream() noexcept { return mNarrowStream; }
    basic_dostream<char16_t>& GetWideStream() noexcept { return mWideStream; }

    // The stream lock of a width.
    template <class C> Mutex& GetStreamLock() noexcept
    {
        if constexpr (sizeof(C) == 1)
            return mNarrowLock;
        else
            return mWideLock;
    }

    // Hands one flushed piece of text on: a datagram, or the debugger output.
    void Deliver(std::string_view utf8);

private:
    Mutex mNarrowLock;
    Mutex mWideLock;
    Mutex mTargetLock; // host and port
    std::string mHost;
    int mPort = -1;
    DebugDatagramSender& mSender;
    basic_dostream<char> mNarrowStream;
    basic_dostream<char16_t> mWideStream;
    std::unique_ptr<std::basic_ostream<char16_t>> mWideErrorStream; // made when redirected
    std::atomic<std::basic_ostream<char>*> mNarrowTarget;
    std::atomic<std::basic_ostream<char16_t>*> mWideTarget;
};

// Writes one line (or any run of text) to a target of the console while holding its
// stream lock, and flushes the target at the end: one datagram per CDebugLine.
template <class C> class CDebugLine
{
public:
    explicit CDebugLine(DebugConsole& console = DebugConsole::GetInstance())
        : mLock(console.GetStreamLock<C>()), mStream(Target(console))
    {
    }
    ~CDebugLine() { mStream.flush(); }
    CDebugLine(const CDebugLine&) = delete;
    CDebugLine& operator=(const CDebugLine&) = delete;

    template <class T> CDebugLine& operator<<(const T& value)
    {
        mStream << value;
        return *this;
    }
    std::basic_ostream<C>& Stream() noexcept { return mStream; }

private:
    static std::basic_ostream<C>& Target(DebugConsole& console)
    {
        if constexpr (sizeof(C) == 1)
            return console.GetNarrowTarget();
        else
            return console.GetWideTarget();
    }

    MutexLock mLock;
    std::basic_ostream<C>& mStream;
};

// Opens the console of the process: its standard streams unbuffered and synchronised
// with the C streams, and the process console's targets on standard error.
void OpenDebugConsole();
// Sends the text as one datagram through the process's sender.
void SendDebugDatagram(const char* host, int port, const char* text);

} // namespace KV
