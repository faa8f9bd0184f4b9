// The updater's process entry: the application object, the update processor with the
// command line, and the exit status of a run that ends without a window.

#include "CommandLine.h"
#include "RunReport.h"
#include "UpdateProcessor.h"

#include "Application/FrameworkApp.h"
#include "Midi/MidiComm.h"

#include <cstdio>
#include <exception>
#include <string>

int main(int argc, char* argv[])
{
    const KV::String commandLine = CommandLine::Join(argc, argv);
    KV::RCPtr<KV::LFrameworkApp> app(new KV::LFrameworkApp());
    if (KV_FAILED(app->RunApplicationStartup()))
    {
        std::fprintf(stderr, "The updater could not start.\n");
        return 1;
    }

    // Without a MIDI system no keyboard can be found: say what is missing instead.
    std::string problem;
    if (!KV::LMidiCommInterface::CheckSystem(problem))
    {
        std::fprintf(stderr, "The updater could not start: %s.\n", problem.c_str());
        app->ReleaseServices();
        return 1;
    }

    int status = 1;
    {
        KV::RCPtr<LUpdateProcessor> processor = LUpdateProcessor::Create();
        KV::String folder;
        app->GetFolder(folder, KV::LFrameworkApp::FOLDER_EXECUTABLE);
        processor->SetExecutableFolder(folder);
        try
        {
            const KVRESULT result = processor->Initialize(commandLine);
            // A transfer that was started for the window runs to its end all the same.
            if (IsQuietExitResult(result) || processor->FinishStartedUpdate())
                status = RunReport::ReportSilentEnd(*processor, stdout, stderr);
            else
                status = RunReport::ReportWindowNeeded(*processor, stdout, stderr);
        }
        catch (const std::exception& e)
        {
            std::fprintf(stderr, "The updater could not start: %s\n", e.what());
            status = 1;
        }
    }
    app->ReleaseServices();
    return status;
}
