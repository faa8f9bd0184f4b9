#pragma once
// The process entry of an application on the framework: shows the splash screen while it
// starts when the documents' folder holds a splash image, loads the skins and string
// tables, keeps to one instance per user, makes the application object and runs its
// start-up, ends quietly when the start-up asks for it, opens the main window with its
// root control, runs the message loop and releases everything in order. It returns the
// process's exit status.
//
// What it needs of the outside comes in FrameworkEntry, so that tests run it without a
// display: the window layer (none: no display) and where message boxes go.

#include "Application/ApplicationWindow.h"
#include "Application/ExitStatus.h"
#include "Application/FrameworkApp.h"
#include "Application/MessageBoxSink.h"
#include "Application/StartupError.h"

#include <functional>

namespace KV {

struct FrameworkEntry
{
    using ApplicationFactory = std::function<RCPtr<LFrameworkApp>(
        const RCPtr<LControlFactory>& factory, const RCPtr<LStringTable>& frameworkStringTable,
        const String& commandLine)>;

    ApplicationFactory createApplication;
    // The name that one instance per user holds; empty: no such rule.
    String uniqueInstanceName;
    // Where the documents come from: "::" for the executable's resources, else a folder.
    String resourceFolder{u"::"};
    // The window layer; null when there is no display.
    IWindowFactory* windowFactory = nullptr;
    // Null: standard error.
    IMessageBoxSink* messageBoxes = nullptr;
    // How long the process may take to end once the run's status is known (the
    // application and its services released, the exit handlers run): a service that
    // waits for a system that no longer answers (a stopped MIDI server) cannot hold the
    // process up beyond it, which then ends with that status. 0: no bound (tests that
    // run the entry in their own process).
    Milliseconds endLimit = 0;
};

// locale: the locale identifier of the documents' language, -1 for the user's.
int FrameworkMain(const String& commandLine, int32_t locale, const FrameworkEntry& entry);

} // namespace KV
