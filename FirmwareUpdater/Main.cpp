// The updater's process entry: the framework's entry with the updater's application
// object. Until the window layer is part of the updater, every run has no display: a run
// that needs the window reports what it found and ends with status 6.

#include "Application.h"
#include "CommandLine.h"

#include "Application/FrameworkMain.h"

int main(int argc, char* argv[])
{
    KV::FrameworkEntry entry;
    entry.createApplication = [](const KV::RCPtr<KV::LControlFactory>& factory,
                                 const KV::RCPtr<KV::LStringTable>& frameworkStringTable,
                                 const KV::String& commandLine) -> KV::RCPtr<KV::LFrameworkApp> {
        return LApplication::Create(factory, frameworkStringTable, commandLine);
    };
    entry.uniqueInstanceName = LApplication::GetUniqueInstanceName();
    return KV::FrameworkMain(CommandLine::Join(argc, argv), -1, entry);
}
