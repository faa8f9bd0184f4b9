#include "Platform/Midi/MidiLibraryLog.h"

#include "Platform/Console/DebuggerOutput.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace KV::Platform {

namespace {

bool DebugLogWanted() noexcept
{
    static const bool wanted = [] {
        const char* value = std::getenv("KV_MIDI_DEBUG");
        return value != nullptr && *value != '\0' && std::strcmp(value, "0") != 0;
    }();
    return wanted;
}

} // namespace

void LogMidiLibraryMessage(const char* library, const char* text) noexcept
{
    if (!DebugLogWanted() || text == nullptr)
        return;
    // One write per line, so that lines of several threads do not mix.
    char line[1024];
    const int length = std::snprintf(line, sizeof line, "MIDI (%s): %s\n", library, text);
    if (length > 0)
        WriteDebuggerOutput(line, std::min(static_cast<size_t>(length), sizeof line - 1));
}

} // namespace KV::Platform
