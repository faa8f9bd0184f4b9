#pragma once
// The folder for the files that tie instances of the application together (the lock
// file and the socket): private to the user, so that no other user can take the lock,
// listen in place of the first instance or send it a command line.

#include <string>

namespace KV::Platform {

// $XDG_RUNTIME_DIR when it is an absolute path to a folder of the user that only the
// user may enter; else the folder that ProvidePrivateFolder gives for /tmp. Empty when
// neither is usable.
std::string GetPrivateRuntimeFolder();

// parent/name, made with mode 0700 when missing. An existing one is used only when it
// is a real folder (not a link) of the effective user with no access for others.
// Empty when that cannot be had.
std::string ProvidePrivateFolder(const std::string& parent, const std::string& name);

// Whether path is a real folder of the effective user that nobody else may enter.
bool IsPrivateFolder(const std::string& path);

} // namespace KV::Platform
