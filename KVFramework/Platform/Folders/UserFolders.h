#pragma once
// The folders the framework names by kind: the executable's own folder, and the user's
// data, configuration and documents folders of the XDG conventions.
//
// Every answer is an absolute UTF-8 path without a trailing separator (the root alone
// keeps its "/"), or the empty string when the system gives no such folder. None of
// them creates anything.

#include <string>

namespace KV::Platform {

// The process's current folder; empty when the system cannot say.
std::string GetCurrentFolder();
// The full path of the running executable (/proc/self/exe); empty when unreadable.
std::string GetExecutablePath();
// The folder that holds the executable; the current folder when /proc cannot say,
// so that the answer is always a folder.
std::string GetExecutableFolder();
// $HOME, else the home folder of the user's account entry.
std::string GetHomeFolder();
// $XDG_DATA_HOME, else ~/.local/share.
std::string GetDataHomeFolder();
// $XDG_CONFIG_HOME, else ~/.config.
std::string GetConfigHomeFolder();
// XDG_DOCUMENTS_DIR of the user-dirs.dirs file in the configuration folder, else the
// home folder.
std::string GetDocumentsFolder();

} // namespace KV::Platform
