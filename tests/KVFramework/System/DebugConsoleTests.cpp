#include "System/DebugConsole.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using namespace KV;

namespace {

// A UDP socket on the loopback address that collects what the debug streams send.
class LoopbackReceiver
{
public:
    LoopbackReceiver()
    {
        mSocket = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (mSocket < 0 || ::bind(mSocket, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
            ::getsockname(mSocket, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            throw std::runtime_error("no loopback socket");
        mPort = ntohs(address.sin_port);
    }
    ~LoopbackReceiver() { ::close(mSocket); }

    int GetPort() const { return mPort; }

    // The next datagram, or nothing after a time-out that only a broken sender reaches.
    std::optional<std::string> Receive()
    {
        pollfd wait{mSocket, POLLIN, 0};
        if (::poll(&wait, 1, 20000) != 1)
            return std::nullopt;
        std::string datagram(65536, '\0');
        const ssize_t size = ::recv(mSocket, datagram.data(), datagram.size(), 0);
        if (size < 0)
            return std::nullopt;
        datagram.resize(static_cast<size_t>(size));
        return datagram;
    }

    std::vector<std::string> Receive(size_t count)
    {
        std::vector<std::string> datagrams;
        while (datagrams.size() < count)
        {
            std::optional<std::string> datagram = Receive();
            if (!datagram)
                break;
            datagrams.push_back(*datagram);
        }
        return datagrams;
    }

private:
    int mSocket = -1;
    int mPort = 0;
};

// Standard error goes to a temporary file while the object lives.
class CapturedStandardError
{
public:
    CapturedStandardError() : mFile(std::tmpfile())
    {
        std::fflush(stderr);
        mSaved = ::dup(STDERR_FILENO);
        ::dup2(::fileno(mFile), STDERR_FILENO);
    }
    ~CapturedStandardError()
    {
        Restore();
        std::fclose(mFile);
    }
    std::string Text()
    {
        Restore();
        std::string text;
        std::rewind(mFile);
        for (int c; (c = std::fgetc(mFile)) != EOF;)
            text.push_back(static_cast<char>(c));
        return text;
    }

private:
    void Restore()
    {
        if (mSaved < 0)
            return;
        std::fflush(stderr);
        ::dup2(mSaved, STDERR_FILENO);
        ::close(mSaved);
        mSaved = -1;
    }

    std::FILE* mFile;
    int mSaved = -1;
};

const std::vector<std::string> kGreeting = {"*** APPLICATION Launched on ", "127.0.0.1", "***\n"};

// A console of its own with a sender of its own, aimed at a fresh loopback receiver.
class DebugDatagrams : public ::testing::Test
{
protected:
    DebugDatagrams() { mConsole.SetTarget("127.0.0.1", mReceiver.GetPort()); }

    LoopbackReceiver mReceiver;
    DebugDatagramSender mSender;
    DebugConsole mConsole{mSender};
};

std::string Letters(size_t count)
{
    std::string text;
    for (size_t i = 0; i < count; ++i)
        text.push_back(static_cast<char>('a' + i % 26));
    return text;
}

TEST_F(DebugDatagrams, ABulkWriteIsCutInto1023CharacterDatagramsAfterOneGreeting)
{
    const std::string text = Letters(3000);
    mConsole.GetNarrowTarget().write(text.data(), static_cast<std::streamsize>(text.size()));
    mConsole.GetNarrowTarget().flush();

    std::vector<std::string> expected = kGreeting;
    expected.insert(expected.end(), {text.substr(0, 1023), text.substr(1023, 1023), text.substr(2046)});
    EXPECT_EQ(mReceiver.Receive(expected.size()), expected);

    // Later flushes send their text only; an empty flush sends nothing.
    mConsole.GetNarrowTarget().flush();
    mConsole.GetNarrowTarget() << "next line\n" << std::flush;
    EXPECT_EQ(mReceiver.Receive(1), std::vector<std::string>{"next line\n"});
}

TEST_F(DebugDatagrams, AnEmptyFirstFlushSendsTheGreetingAlone)
{
    mConsole.GetNarrowTarget().flush();
    mConsole.GetNarrowTarget() << "first text" << std::flush;
    std::vector<std::string> expected = kGreeting;
    expected.push_back("first text");
    EXPECT_EQ(mReceiver.Receive(expected.size()), expected);
}

TEST_F(DebugDatagrams, WideTextGoesOutAsUtf8WithoutCuttingASurrogatePair)
{
    std::basic_ostream<char16_t>& wide = mConsole.GetWideTarget();
    wide << u"Gr\u00FC\u00DFe \U0001F3B9\n" << std::flush;
    EXPECT_EQ(mReceiver.Receive(4).back(), "Gr\xC3\xBC\xC3\x9F"
                                           "e \xF0\x9F\x8E\xB9\n");

    // 3000 units in 1023, 1023 and 954, as for narrow text.
    const std::string letters = Letters(3000);
    const std::u16string units(letters.begin(), letters.end());
    wide.write(units.data(), static_cast<std::streamsize>(units.size()));
    wide.flush();
    EXPECT_EQ(mReceiver.Receive(3),
              (std::vector<std::string>{letters.substr(0, 1023), letters.substr(1023, 1023),
                                        letters.substr(2046)}));

    // A pair that would straddle the 1023rd unit moves whole into the next datagram.
    const std::u16string straddling = std::u16string(1022, u'x') + u"\U0001F3B9" + u"end";
    wide.write(straddling.data(), static_cast<std::streamsize>(straddling.size()));
    wide.flush();
    EXPECT_EQ(mReceiver.Receive(2), (std::vector<std::string>{std::string(1022, 'x'), "\xF0\x9F\x8E\xB9"
                                                                                      "end"}));
}

TEST_F(DebugDatagrams, LinesOfSeveralThreadsNeverMix)
{
    constexpr int kThreads = 3;
    constexpr int kLines = 30;
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t)
        writers.emplace_back([this, t] {
            for (int i = 0; i < kLines; ++i)
                CDebugLine<char>(mConsole) << "thread " << t << " line " << i << '\n';
        });
    std::vector<std::string> received = mReceiver.Receive(kGreeting.size() + kThreads * kLines);
    for (std::thread& writer : writers)
        writer.join();

    ASSERT_EQ(received.size(), kGreeting.size() + kThreads * kLines);
    EXPECT_EQ(std::vector<std::string>(received.begin(), received.begin() + 3), kGreeting);
    int next[kThreads] = {};
    for (size_t i = kGreeting.size(); i < received.size(); ++i)
    {
        int thread = -1;
        int line = -1;
        char end = 0;
        ASSERT_EQ(std::sscanf(received[i].c_str(), "thread %d line %d%c", &thread, &line, &end), 3)
            << received[i];
        ASSERT_TRUE(thread >= 0 && thread < kThreads) << received[i];
        EXPECT_EQ(line, next[thread]++) << received[i];
        EXPECT_EQ(received[i], "thread " + std::to_string(thread) + " line " + std::to_string(line) + "\n");
    }
}

TEST(DebugOutput, WithoutAUsablePortAFlushedLineGoesToStandardErrorOnce)
{
    for (int port : {-1, 0, 70000})
    {
        DebugDatagramSender sender;
        DebugConsole console(sender);
        console.SetTarget("127.0.0.1", port);
        CapturedStandardError captured;
        console.GetNarrowTarget() << "narrow line\n" << std::flush;
        console.GetWideTarget() << u"wide \u00E9 line\n" << std::flush;
        EXPECT_EQ(captured.Text(), "narrow line\nwide \xC3\xA9 line\n") << port;
    }
}

TEST(DebugOutput, RequestedOnlyWithAPortOrOpenOnStandardError)
{
    DebugDatagramSender sender;
    for (int port : {-1, 0, 70000})
    {
        DebugConsole console(sender);
        console.SetTarget(nullptr, port);
        EXPECT_FALSE(console.IsRequested()) << port;
    }
    DebugConsole withPort(sender);
    withPort.SetTarget(nullptr, 5000);
    EXPECT_TRUE(withPort.IsRequested());
    DebugConsole opened(sender);
    opened.RedirectToStandardError();
    EXPECT_TRUE(opened.IsRequested());
}

TEST(DebugOutput, TextStillCollectedGoesOutWhenTheConsoleEnds)
{
    CapturedStandardError captured;
    {
        DebugDatagramSender sender;
        DebugConsole console(sender);
        console.GetNarrowTarget() << "unflushed";
    }
    EXPECT_EQ(captured.Text(), "unflushed");
}

TEST(DebugOutput, OpenDebugConsoleWritesStraightToStandardError)
{
    DebugConsole& console = DebugConsole::GetInstance();
    OpenDebugConsole();
    EXPECT_EQ(&console.GetNarrowTarget(), &std::cerr);

    CapturedStandardError captured;
    CDebugLine<char>() << "narrow\n";
    CDebugLine<char16_t>() << u"wide \U0001F3B9\n";
    EXPECT_EQ(captured.Text(), "narrow\nwide \xF0\x9F\x8E\xB9\n");
    EXPECT_TRUE(console.GetNarrowStream().GetBuffer().str().empty());
    EXPECT_TRUE(console.GetWideStream().GetBuffer().str().empty());
}

} // namespace
