#include "Platform/Network/UdpSocket.h"
#include "System/DebugConsole.h"

namespace KV {

DebugDatagramSender::DebugDatagramSender() = default;

DebugDatagramSender::~DebugDatagramSender() = default;

DebugDatagramSender& DebugDatagramSender::GetProcessSender()
{
    // Never destroyed: the socket stays open until the process ends.
    static DebugDatagramSender* const sender = new DebugDatagramSender();
    return *sender;
}

void DebugDatagramSender::Send(const char* host, int port, std::string_view text)
{
    MutexLock lock(mMutex);
    if (!mSocket)
    {
        std::string address;
        std::string localName;
        const bool found =
            (host && Platform::LookUpIPv4Address(host, address)) ||
            (Platform::GetLocalHostName(localName) && Platform::LookUpIPv4Address(localName, address));
        if (!found)
            address = Platform::GetLoopbackIPv4Address();
        auto socket = std::make_unique<Platform::UdpDatagramSocket>();
        if (!socket->Open(address, port))
            return;
        mSocket = std::move(socket);
        const std::string_view greeting[] = {"*** APPLICATION Launched on ", address, "***\n"};
        for (std::string_view piece : greeting)
            mSocket->Send(piece.data(), piece.size());
    }
    if (!text.empty())
        mSocket->Send(text.data(), text.size());
}

} // namespace KV
