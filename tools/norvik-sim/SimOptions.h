#pragma once
// The command line of norvik-sim. Every option is in one table, from which both
// the parser and --help are made, so that no option goes undocumented.

#include "KeyboardProtocol.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace NorvikSim {

// How the keyboards' ports show on a JACK server, after the set-ups that users have.
enum class JackLayout
{
    Client, // a client per keyboard, named after its mode, with ports "in" and "out"
    Split,  // a client per direction: "<name> (playback)" with "in", "<name> (capture)" with "out"
    Bridge, // one client "a2j" for every keyboard: "<name> [<n>] (capture): <name> MIDI 1", ...
    Server, // one client "system-midi": "midi_capture_<n>", ..., the keyboard named only in aliases
};

struct SimOptions
{
    KeyboardSettings settings;
    std::string expectedImagePath; // empty: no expected image
    std::string outputPath;        // empty: the received image is not written
    std::string nameSuffix;        // after every port name: a second simulator beside the first
    bool twoKeyboards = false;
    JackLayout jackLayout = JackLayout::Client;
    bool showHelp = false;
};

// Parses the arguments after the program name ("--name value" or "--name=value").
// Returns nothing, with a message in error, when an argument is not understood.
std::optional<SimOptions> ParseSimOptions(std::span<const std::string_view> arguments, std::string& error);

std::string SimHelpText();

} // namespace NorvikSim
