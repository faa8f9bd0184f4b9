#pragma once
// One instance of the application per user and unique name. The first instance holds
// a lock file for the rest of its life; while its main window exists it listens on a
// socket beside the lock, and a later instance hands its command line over there and
// ends. A later instance that finds nobody listening (the first has no window yet, or
// no more) carries on by itself.

#include "Platform/Instance/CommandLineListener.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace KV::Platform {

struct SingleInstancePaths
{
    std::string lockFile;
    std::string socket;
};

// The lock file and the socket of the unique name in the private runtime folder; the
// name's characters other than letters, digits, ".", "_" and "-" become "_". Nothing
// when there is no private runtime folder or the name is empty.
std::optional<SingleInstancePaths> GetSingleInstancePaths(std::string_view uniqueName);

enum class InstanceRole
{
    First,      // this process holds the name (or nothing could hold it)
    HandedOver, // another instance listens and was handed the command line: end now
    CarryOn,    // another instance holds the name but listens to nobody: run on
};

// Claims the unique name for this process; the lock, once acquired, is kept until the
// process ends, and a second claim of this process is First again. When the name is
// held elsewhere, the command line (UTF-8) goes to its listener.
InstanceRole ClaimSingleInstance(std::string_view uniqueName, std::string_view commandLine);

// Listens for the command lines of later instances of the unique name, while the
// result lives (see CommandLineListener::Start); null when that cannot be done.
std::unique_ptr<CommandLineListener> ListenForCommandLines(std::string_view uniqueName,
                                                           std::function<void()> wake = {});

} // namespace KV::Platform
