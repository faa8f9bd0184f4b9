#include "System/DebugConsole.h"

#include "Platform/Console/DebuggerOutput.h"
#include "Storage/Transcode.h"

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <streambuf>

namespace KV {

namespace {

constexpr int kHighestPort = 65535;

// Wide text straight to standard error as UTF-8, unbuffered. The first half of a
// surrogate pair waits for its second half, which may come with the next write.
class CWideErrorBuffer final : public std::basic_streambuf<char16_t>
{
protected:
    std::streamsize xsputn(const char16_t* text, std::streamsize count) override
    {
        if (count <= 0)
            return 0;
        std::u16string pending;
        if (mLeadingHalf)
            pending.push_back(mLeadingHalf);
        pending.append(text, static_cast<size_t>(count));
        mLeadingHalf = 0;
        if (pending.back() >= 0xD800 && pending.back() <= 0xDBFF)
        {
            mLeadingHalf = pending.back();
            pending.pop_back();
        }
        std::string utf8(pending.size() * 3, '\0');
        const char16_t* source = pending.data();
        char* target = utf8.data();
        TranscodeUtf16ToUtf8(source, pending.data() + pending.size(), target, utf8.data() + utf8.size(),
                             TranscodeLenient);
        Platform::WriteDebuggerOutput(utf8.data(), static_cast<size_t>(target - utf8.data()));
        return count;
    }

    int_type overflow(int_type character) override
    {
        if (traits_type::eq_int_type(character, traits_type::eof()))
            return traits_type::not_eof(character);
        const char16_t unit = traits_type::to_char_type(character);
        xsputn(&unit, 1);
        return character;
    }

private:
    char16_t mLeadingHalf = 0;
};

class CWideErrorStream final : public std::basic_ostream<char16_t>
{
public:
    CWideErrorStream() : std::basic_ostream<char16_t>(nullptr) { init(&mBuffer); }

private:
    CWideErrorBuffer mBuffer;
};

} // namespace

DebugConsole::DebugConsole() : DebugConsole(DebugDatagramSender::GetProcessSender()) {}

DebugConsole::DebugConsole(DebugDatagramSender& sender)
    : mSender(sender), mNarrowStream(*this), mWideStream(*this), mNarrowTarget(&mNarrowStream),
      mWideTarget(&mWideStream)
{
}

DebugConsole::~DebugConsole() = default;

DebugConsole& DebugConsole::GetInstance()
{
    // Never destroyed: any thread may still write while the process ends. What the
    // streams hold at exit goes out all the same.
    static DebugConsole* const instance = [] {
        auto* console = new DebugConsole();
        std::atexit([] {
            DebugConsole& self = GetInstance();
            self.mNarrowStream.flush();
            self.mWideStream.flush();
        });
        return console;
    }();
    return *instance;
}

void DebugConsole::SetTarget(const char* host, int port)
{
    MutexLock lock(mTargetLock);
    if (host)
        mHost = host;
    mPort = port;
}

bool DebugConsole::IsRequested()
{
    if (mNarrowTarget.load() != &mNarrowStream)
        return true;
    MutexLock lock(mTargetLock);
    return mPort > 0 && mPort <= kHighestPort;
}

void DebugConsole::RedirectToStandardError()
{
    MutexLock narrowLock(mNarrowLock);
    MutexLock wideLock(mWideLock);
    if (!mWideErrorStream)
        mWideErrorStream = std::make_unique<CWideErrorStream>();
    mNarrowTarget.store(&std::cerr);
    mWideTarget.store(mWideErrorStream.get());
}

void DebugConsole::Deliver(std::string_view utf8)
{
    std::string host;
    int port = 0;
    {
        MutexLock lock(mTargetLock);
        host = mHost;
        port = mPort;
    }
    // A port beyond 16 bits would be cut to some other port: such text goes to the
    // debugger output like text without a port.
    if (port > 0 && port <= kHighestPort)
        mSender.Send(host.empty() ? nullptr : host.c_str(), port, utf8);
    else
        Platform::WriteDebuggerOutput(utf8.data(), utf8.size());
}

void OpenDebugConsole()
{
    Platform::OpenConsoleStreams();
    std::ios_base::sync_with_stdio(true);
    DebugConsole::GetInstance().RedirectToStandardError();
}

void SendDebugDatagram(const char* host, int port, const char* text)
{
    DebugDatagramSender::GetProcessSender().Send(host, port,
                                                 text ? std::string_view(text) : std::string_view());
}

} // namespace KV
