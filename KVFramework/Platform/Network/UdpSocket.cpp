#include "Platform/Network/UdpSocket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace KV::Platform {

namespace {

std::string DottedText(in_addr address)
{
    char text[INET_ADDRSTRLEN] = {};
    if (!::inet_ntop(AF_INET, &address, text, sizeof text))
        return std::string();
    return text;
}

} // namespace

bool LookUpIPv4Address(const std::string& host, std::string& address)
{
    if (host.empty())
        return false;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found)
        return false;
    bool ok = false;
    for (const addrinfo* entry = found; entry && !ok; entry = entry->ai_next)
    {
        if (entry->ai_family != AF_INET || !entry->ai_addr)
            continue;
        address = DottedText(reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr);
        ok = !address.empty();
    }
    ::freeaddrinfo(found);
    return ok;
}

bool GetLocalHostName(std::string& name)
{
    char text[256] = {};
    if (::gethostname(text, sizeof text - 1) != 0 || text[0] == 0)
        return false;
    name = text;
    return true;
}

std::string GetLoopbackIPv4Address()
{
    in_addr loopback{};
    loopback.s_addr = htonl(INADDR_LOOPBACK);
    return DottedText(loopback);
}

UdpDatagramSocket::~UdpDatagramSocket()
{
    if (mDescriptor >= 0)
        ::close(mDescriptor);
}

bool UdpDatagramSocket::Open(const std::string& address, int port)
{
    if (mDescriptor >= 0 || port < 1 || port > 65535)
        return false;
    in_addr destination{};
    if (::inet_pton(AF_INET, address.c_str(), &destination) != 1)
        return false;
    mDescriptor = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (mDescriptor < 0)
        return false;
    mAddress = destination.s_addr;
    mPort = htons(static_cast<uint16_t>(port));
    return true;
}

bool UdpDatagramSocket::Send(const void* data, size_t size)
{
    if (mDescriptor < 0)
        return false;
    sockaddr_in destination{};
    destination.sin_family = AF_INET;
    destination.sin_addr.s_addr = mAddress;
    destination.sin_port = mPort;
    for (;;)
    {
        const ssize_t sent = ::sendto(mDescriptor, data, size, MSG_NOSIGNAL,
                                      reinterpret_cast<const sockaddr*>(&destination), sizeof destination);
        if (sent >= 0)
            return static_cast<size_t>(sent) == size;
        if (errno != EINTR)
            return false;
    }
}

} // namespace KV::Platform
