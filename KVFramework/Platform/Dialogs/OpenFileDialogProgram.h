#pragma once
// The open-file dialog as a program of the desktop: zenity, else kdialog, started as a
// child process that prints the chosen paths. A thread of the run reads what the program
// prints and collects its end, so the thread that started it is free meanwhile: the
// window thread keeps its windows painted while the dialog is open.

#include "Platform/Dialogs/FileDialogFilter.h"

#include <sys/types.h>

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

// One open dialog program. The program's own diagnostics (a toolkit's warnings) are kept
// off the process's standard error.
class OpenFileDialogRun
{
public:
    // Starts the first dialog program found on the search path; onEnd, when given, is
    // called on the run's thread once the program has ended. Null when no program could
    // be started: outcome then says why (Unavailable or Failed).
    static std::unique_ptr<OpenFileDialogRun> Start(const OpenFileRequest& request,
                                                    std::function<void()> onEnd, DialogOutcome& outcome);
    // A program still open is ended.
    ~OpenFileDialogRun();
    OpenFileDialogRun(const OpenFileDialogRun&) = delete;
    OpenFileDialogRun& operator=(const OpenFileDialogRun&) = delete;

    bool HasEnded() const;
    // Waits for the program's end; chosen: the paths picked, in the order the program gave
    // them, empty unless the outcome is Chosen.
    DialogOutcome Finish(std::vector<std::string>& chosen);
    // What the program wrote to its standard error.
    std::string GetDiagnostics() const;

private:
    struct State;
    explicit OpenFileDialogRun(std::shared_ptr<State> state);
    std::shared_ptr<State> mState;
};

// Runs the dialog and waits for it on the calling thread.
DialogOutcome RunOpenFileDialog(const OpenFileRequest& request, std::vector<std::string>& chosen);

} // namespace KV::Platform
