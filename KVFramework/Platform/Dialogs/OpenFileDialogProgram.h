#pragma once
// The open-file dialog as a program of the desktop: zenity, else kdialog, started as a
// child process that prints the chosen paths.

#include "Platform/Dialogs/DialogProgram.h"
#include "Platform/Dialogs/FileDialogFilter.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace KV::Platform {

struct OpenFileRequest
{
    std::string title; // UTF-8, as every text here
    std::vector<FileFilter> filters;
    std::string initialFolder; // empty: the program's own choice
    // Added to a chosen name that names no file when the name with it does (the user
    // typed the name without it); empty: none.
    std::string defaultExtension;
    bool multiple = false;
    // The window the dialog belongs to (an X window id): the dialog stays in front of it.
    // 0: none.
    uintptr_t owner = 0;
};

enum class DialogOutcome
{
    Chosen,      // paths holds at least one existing file
    Cancelled,   // the user closed the dialog without a choice
    Unavailable, // neither program is installed
    Failed,      // the program could not run, or answered something else
};

// Starts the first dialog program found on the search path (see DialogProgramRun);
// null when none could be started: outcome then says why (Unavailable or Failed).
std::unique_ptr<DialogProgramRun> StartOpenFileDialog(const OpenFileRequest& request,
                                                      std::function<void()> onEnd, DialogOutcome& outcome);
// Waits for the end of the dialog the request started; chosen: the paths picked, in the
// order the program gave them, empty unless the outcome is Chosen.
DialogOutcome FinishOpenFileDialog(DialogProgramRun& run, const OpenFileRequest& request,
                                   std::vector<std::string>& chosen);

// Runs the dialog and waits for it on the calling thread.
DialogOutcome RunOpenFileDialog(const OpenFileRequest& request, std::vector<std::string>& chosen);

} // namespace KV::Platform
