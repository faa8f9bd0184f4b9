#pragma once
// IPv4 UDP datagrams to one destination, and the look-ups that find it, on POSIX
// sockets. Addresses are passed as dotted text ("127.0.0.1").

#include <cstddef>
#include <cstdint>
#include <string>

namespace KV::Platform {

// The dotted form of the first IPv4 address of the host (a name or a dotted address);
// false when it has none.
bool LookUpIPv4Address(const std::string& host, std::string& address);
// This computer's own host name; false when the system does not give one.
bool GetLocalHostName(std::string& name);
// The dotted form of the IPv4 loopback address.
std::string GetLoopbackIPv4Address();

// A UDP socket bound to no address of its own, sending every datagram to one
// destination. Closed by its destructor.
class UdpDatagramSocket
{
public:
    UdpDatagramSocket() = default;
    ~UdpDatagramSocket();
    UdpDatagramSocket(const UdpDatagramSocket&) = delete;
    UdpDatagramSocket& operator=(const UdpDatagramSocket&) = delete;

    // Opens the socket for the dotted address and the port (1 to 65535); false, and
    // still closed, when the address is not dotted IPv4, the port is out of range or
    // the system gives no socket.
    bool Open(const std::string& address, int port);
    bool IsOpen() const noexcept { return mDescriptor >= 0; }
    // Sends the bytes as one datagram; false when the system refused them.
    bool Send(const void* data, size_t size);

private:
    int mDescriptor = -1;
    uint32_t mAddress = 0; // network byte order
    uint16_t mPort = 0;    // network byte order
};

} // namespace KV::Platform
