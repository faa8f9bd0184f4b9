#pragma once
// The "-DEBUG_CONSOLE" option of the command line (any letter case, at the start of a
// word): alone it opens the debug console; "-DEBUG_CONSOLE:PORT" or
// "-DEBUG_CONSOLE:PORT:HOST" sends the debug output as datagrams to that port (1-65535)
// of the host (this computer without one). Only the option's own argument is read: what
// follows the next blank belongs to other options.

#include "Storage/StringT.h"

#include <string>

namespace KV {

struct DebugConsoleOption
{
    enum class Kind
    {
        None,    // no option, or a port that is not a number of 1-65535
        Console, // the option alone
        Target,  // port, and host when one is given
    };
    Kind kind = Kind::None;
    int port = 0;
    std::string host; // upper case, as the command line is read; empty for none
};

DebugConsoleOption ParseDebugConsoleOption(const String& commandLine);

// Applies the option to the process's debug console.
void ApplyDebugConsoleOption(const DebugConsoleOption& option);

} // namespace KV
