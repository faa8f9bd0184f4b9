#pragma once
// The open-file dialog as a program of the desktop: zenity, else kdialog, started as a
// child process that prints the chosen paths. The calling thread waits for the dialog,
// as it waits for a modal dialog of its own.

#include "Platform/Dialogs/FileDialogFilter.h"

#include <string>
#include <vector>

namespace KV::Platform {

struct OpenFileRequest
{
    std::string title; // UTF-8, as every text here
    std::vector<FileFilter> filters;
    std::string initialFolder; // empty: the program's own choice
    bool multiple = false;
};

enum class DialogOutcome
{
    Chosen,      // paths holds at least one existing file
    Cancelled,   // the user closed the dialog without a choice
    Unavailable, // neither program is installed
    Failed,      // the program could not run, or answered something else
};

// Runs the first dialog program found on the search path. chosen: the paths picked, in
// the order the program gave them; empty unless the outcome is Chosen.
DialogOutcome RunOpenFileDialog(const OpenFileRequest& request, std::vector<std::string>& chosen);

} // namespace KV::Platform
