#include "Platform/Instance/CommandLineListener.h"

#include "Platform/Instance/HandOverMessage.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace KV::Platform {

namespace {

// How long one sender may take to deliver its message, so that a sender that stalls
// keeps the next one waiting no longer than this.
constexpr int kMessageTimeoutMs = 2000;

class Descriptor
{
public:
    explicit Descriptor(int value = -1) noexcept : mValue(value) {}
    ~Descriptor() { Reset(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int Get() const noexcept { return mValue; }
    void Reset(int value = -1) noexcept
    {
        if (mValue >= 0)
            ::close(mValue);
        mValue = value;
    }

private:
    int mValue;
};

bool MakeAddress(const std::string& path, sockaddr_un& address)
{
    address = {};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof(address.sun_path))
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

int NewSocket()
{
    return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
}

int Connect(int descriptor, const sockaddr_un& address)
{
    int result;
    while ((result = ::connect(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof(address))) !=
               0 &&
           errno == EINTR)
    {
    }
    return result;
}

// Binds to the path; a socket file whose listener is gone is replaced, a live one kept.
bool BindReplacingStale(int descriptor, const std::string& path, const sockaddr_un& address)
{
    const auto* raw = reinterpret_cast<const sockaddr*>(&address);
    if (::bind(descriptor, raw, sizeof(address)) == 0)
        return true;
    if (errno != EADDRINUSE)
        return false;
    Descriptor probe(NewSocket());
    if (probe.Get() < 0 || Connect(probe.Get(), address) == 0 || errno != ECONNREFUSED)
        return false;
    struct stat status
    {
    };
    if (::lstat(path.c_str(), &status) != 0 || !S_ISSOCK(status.st_mode) || ::unlink(path.c_str()) != 0)
        return false;
    return ::bind(descriptor, raw, sizeof(address)) == 0;
}

bool IsFromThisUser(int connection)
{
    ucred credentials{};
    socklen_t size = sizeof(credentials);
    return ::getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0 &&
           credentials.uid == ::geteuid();
}

} // namespace

struct CommandLineListener::State
{
    std::string path;
    dev_t device = 0;
    ino_t inode = 0;
    Descriptor listening;
    Descriptor stopRead;
    Descriptor stopWrite;
    std::function<void()> wake;
    std::thread thread;

    std::mutex lock;
    std::deque<std::string> received;

    void Run();
    // Reads one message from the connection, within the time-out; false when the
    // listener is stopped meanwhile.
    bool Serve(int connection);
    void Deliver(std::string text);
};

void CommandLineListener::State::Run()
{
    for (;;)
    {
        pollfd waits[2] = {{stopRead.Get(), POLLIN, 0}, {listening.Get(), POLLIN, 0}};
        if (::poll(waits, 2, -1) < 0)
        {
            if (errno == EINTR)
                continue;
            return;
        }
        if (waits[0].revents != 0)
            return;
        if (waits[1].revents == 0)
            continue;
        Descriptor connection(::accept4(listening.Get(), nullptr, nullptr, SOCK_CLOEXEC));
        if (connection.Get() < 0)
            continue;
        if (IsFromThisUser(connection.Get()) && !Serve(connection.Get()))
            return;
    }
}

bool CommandLineListener::State::Serve(int connection)
{
    HandOverReader reader;
    bool fed = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kMessageTimeoutMs);
    char buffer[4096];
    while (reader.GetState() == HandOverReader::State::NeedMore)
    {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return true;
        pollfd waits[2] = {{stopRead.Get(), POLLIN, 0}, {connection, POLLIN, 0}};
        if (::poll(waits, 2, static_cast<int>(left.count())) < 0)
        {
            if (errno == EINTR)
                continue;
            return true;
        }
        if (waits[0].revents != 0)
            return false;
        if (waits[1].revents == 0)
            continue;
        const ssize_t count = ::recv(connection, buffer, std::min(sizeof(buffer), reader.GetWanted()), 0);
        if (count < 0 && errno == EINTR)
            continue;
        if (count == 0 && !fed)
        {
            // A later instance with an empty command line sends nothing, but it came: the
            // window is still brought to the front for it.
            Deliver(std::string());
            return true;
        }
        if (count <= 0)
            return true; // the sender went away before the message was whole
        fed = true;
        reader.Feed(buffer, static_cast<size_t>(count));
    }
    if (reader.GetState() == HandOverReader::State::Complete)
        Deliver(reader.GetText());
    return true;
}

void CommandLineListener::State::Deliver(std::string text)
{
    {
        std::lock_guard<std::mutex> guard(lock);
        received.push_back(std::move(text));
    }
    if (wake)
        wake();
}

std::unique_ptr<CommandLineListener> CommandLineListener::Start(const std::string& path,
                                                                std::function<void()> wake)
{
    sockaddr_un address;
    if (!MakeAddress(path, address))
        return nullptr;
    auto state = std::make_unique<State>();
    state->path = path;
    state->wake = std::move(wake);
    state->listening.Reset(NewSocket());
    if (state->listening.Get() < 0 || !BindReplacingStale(state->listening.Get(), path, address))
        return nullptr;
    struct stat status
    {
    };
    int pipeEnds[2];
    if (::chmod(path.c_str(), 0600) != 0 || ::stat(path.c_str(), &status) != 0 ||
        ::listen(state->listening.Get(), 8) != 0 || ::pipe2(pipeEnds, O_CLOEXEC) != 0)
    {
        ::unlink(path.c_str());
        return nullptr;
    }
    state->device = status.st_dev;
    state->inode = status.st_ino;
    state->stopRead.Reset(pipeEnds[0]);
    state->stopWrite.Reset(pipeEnds[1]);
    State* running = state.get();
    state->thread = std::thread([running] { running->Run(); });
    return std::unique_ptr<CommandLineListener>(new CommandLineListener(std::move(state)));
}

CommandLineListener::CommandLineListener(std::unique_ptr<State> state) : mState(std::move(state)) {}

CommandLineListener::~CommandLineListener()
{
    const char stop = 1;
    while (::write(mState->stopWrite.Get(), &stop, 1) < 0 && errno == EINTR)
    {
    }
    mState->thread.join();
    // Another listener may have taken the path over after ours went stale.
    struct stat status
    {
    };
    if (::stat(mState->path.c_str(), &status) == 0 && status.st_dev == mState->device &&
        status.st_ino == mState->inode)
        ::unlink(mState->path.c_str());
}

bool CommandLineListener::TakeCommandLine(std::string& text)
{
    std::lock_guard<std::mutex> guard(mState->lock);
    if (mState->received.empty())
        return false;
    text = std::move(mState->received.front());
    mState->received.pop_front();
    return true;
}

HandOverResult HandOverCommandLine(const std::string& path, std::string_view text)
{
    sockaddr_un address;
    if (!MakeAddress(path, address))
        return HandOverResult::NoListener;
    Descriptor connection(NewSocket());
    if (connection.Get() < 0 || Connect(connection.Get(), address) != 0)
        return HandOverResult::NoListener;
    if (text.empty())
        return HandOverResult::Delivered;
    std::string message;
    if (!EncodeHandOver(text, message))
        return HandOverResult::Failed;
    const timeval timeout{kMessageTimeoutMs / 1000, 0};
    ::setsockopt(connection.Get(), SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof(timeout));
    size_t sent = 0;
    while (sent < message.size())
    {
        const ssize_t count =
            ::send(connection.Get(), message.data() + sent, message.size() - sent, MSG_NOSIGNAL);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return HandOverResult::Failed;
        sent += static_cast<size_t>(count);
    }
    return HandOverResult::Delivered;
}

} // namespace KV::Platform
