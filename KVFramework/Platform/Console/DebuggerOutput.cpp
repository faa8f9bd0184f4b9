#include "Platform/Console/DebuggerOutput.h"

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace KV::Platform {

void WriteDebuggerOutput(const char* text, size_t size)
{
    while (size > 0)
    {
        const ssize_t written = ::write(STDERR_FILENO, text, size);
        if (written < 0)
        {
            if (errno == EINTR)
                continue;
            return;
        }
        text += written;
        size -= static_cast<size_t>(written);
    }
}

void OpenConsoleStreams()
{
    std::fflush(stdout);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::setvbuf(stderr, nullptr, _IONBF, 0);
}

} // namespace KV::Platform
