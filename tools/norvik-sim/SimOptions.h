#pragma once
// The command line of norvik-sim. Every option is in one table, from which both
// the parser and --help are made, so that no option goes undocumented.

#include "KeyboardProtocol.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace NorvikSim {

struct SimOptions
{
    KeyboardSettings settings;
    std::string expectedImagePath; // empty: no expected image
    std::string outputPath;        // empty: the received image is not written
    std::string nameSuffix;        // after every port name: a second simulator beside the first
    bool twoKeyboards = false;
    bool showHelp = false;
};

// Parses the arguments after the program name ("--name value" or "--name=value").
// Returns nothing, with a message in error, when an argument is not understood.
std::optional<SimOptions> ParseSimOptions(std::span<const std::string_view> arguments, std::string& error);

std::string SimHelpText();

} // namespace NorvikSim
