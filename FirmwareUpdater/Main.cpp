// The updater's process entry: the framework's entry with the updater's application
// object and, where there is a display, the window layer. A run that needs the window
// and finds no display reports what it found and ends with status 6.

#include "Application.h"
#include "CommandLine.h"

#include "Application/FrameworkMain.h"
#include "Application/MainWindowFactory.h"
#include "Application/Version.h"

int main(int argc, char* argv[])
{
    // Before any thread starts: every thread then leaves these signals to the one that
    // takes them, so a transfer stops as a cancel and the MIDI client closes.
    KV::LFrameworkApp::WatchTerminationSignals();
    KV::FrameworkEntry entry;
    entry.createApplication = [](const KV::RCPtr<KV::LControlFactory>& factory,
                                 const KV::RCPtr<KV::LStringTable>& frameworkStringTable,
                                 const KV::String& commandLine) -> KV::RCPtr<KV::LFrameworkApp> {
        return LApplication::Create(factory, frameworkStringTable, commandLine);
    };
    entry.uniqueInstanceName = LApplication::GetUniqueInstanceName();
    // The display is looked for only when a run comes to need the window, so the silent
    // runs never touch the window system.
    const KV::Version version;
    KV::OSWindowFactory windows(version.GetCompanyName(), version.GetProductName(), entry.uniqueInstanceName);
    entry.windowFactory = &windows;
    // Once the run has said how it ended, a MIDI server that stopped answering cannot keep
    // the process from ending with that status.
    entry.endLimit = 5000;
    // Failures are shown on the display as well, for a user who started the updater from a
    // menu; a silent run, which a script starts, only writes them.
    const KV::String commandLine = CommandLine::Join(argc, argv);
    KV::String value;
    if (!CommandLine::FindOption(commandLine, KV::String(u"-SILENT"), value))
        entry.messageBoxes = &KV::GetDesktopMessageBoxes();
    return KV::FrameworkMain(commandLine, -1, entry);
}
