#include "RunReport.h"

#include "Application/FrameworkApp.h"
#include "Storage/File.h"
#include "Storage/Transcode.h"

#include <string>

using Engine = LUpdateEngineInterface;

namespace RunReport {
namespace {

// Paths are printed as the bytes of the name on disk, also where they are no UTF-8.
std::string Narrow(const KV::String& text)
{
    return KV::EncodeSystemBytes(text.View());
}

const char* ReasonText(int32_t reason)
{
    switch (reason)
    {
    case Engine::ReasonDriverTooOld:
        return "the MIDI driver is too old";
    case Engine::ReasonSystemFailure:
        return "a system failure";
    case Engine::ReasonImageUnreadable:
        return "the firmware image could not be read";
    case Engine::ReasonDeviceUnreachable:
        return "the keyboard could not be reached or did not answer";
    default:
        return "no particular reason";
    }
}

// Why the image at the path cannot be used, as the end of a sentence.
const char* ImageProblemText(const KV::String& path)
{
    if (KV::File::IsRegularFile(path))
        return "it must hold whole records in hexadecimal text";
    return "it is not a regular file (a named pipe or a device is never read)";
}

void PrintVersions(Engine& engine, std::FILE* out)
{
    KV::String device, image, path;
    engine.GetDeviceFirmwareVersionText(device);
    engine.GetFirmwareFileVersionText(image);
    engine.GetFirmwareFilePath(path);
    std::fprintf(out, "Keyboard firmware: %s\nFirmware image: %s (%s)\n", Narrow(device).c_str(),
                 Narrow(path).c_str(), Narrow(image).c_str());
}

} // namespace

const char* TransferFailureText(Engine::TransferFailure failure)
{
    switch (failure)
    {
    case Engine::TransferFailure::PortsUnavailable:
        return "the keyboard's update-mode ports could not be opened";
    case Engine::TransferFailure::ImageUnreadable:
        return "the firmware image could not be read";
    case Engine::TransferFailure::SessionNotAcknowledged:
        return "the keyboard did not answer the start of the transfer";
    case Engine::TransferFailure::SendFailed:
        return "a message could not be sent to the keyboard: the MIDI connection failed";
    case Engine::TransferFailure::RecordNotAcknowledged:
        return "the keyboard did not answer: a record was not acknowledged in time";
    case Engine::TransferFailure::CancelledByKeyboard:
        return "the keyboard asked to stop the update";
    case Engine::TransferFailure::MidiSystemGone:
        return "the MIDI system went away (its server stopped or shut the updater's connection down)";
    case Engine::TransferFailure::KeyboardInUse:
        return "another updater is talking to this keyboard; nothing was sent to it, try again when "
               "that one has ended";
    case Engine::TransferFailure::None:
        break;
    }
    return nullptr;
}

int ReportSilentEnd(LUpdateProcessor& processor, std::FILE* out, std::FILE* err)
{
    Engine& engine = *processor.GetUpdateEngine();
    PrintVersions(engine, out);
    const char* failure = TransferFailureText(engine.GetTransferFailure());
    switch (processor.GetSilentOutcome())
    {
    case LUpdateProcessor::SilentOutcome::Succeeded:
        std::fprintf(out, "The firmware update is complete: the keyboard confirmed the whole image.\n");
        return 0;
    case LUpdateProcessor::SilentOutcome::NoUpdateNeeded:
        std::fprintf(out, "No update is needed.\n");
        return 0;
    case LUpdateProcessor::SilentOutcome::SwitchedToUpdateMode:
        std::fprintf(out, "The keyboard was switched into its update mode. Switch it off and on, "
                          "then run the updater again.\n");
        return 2;
    case LUpdateProcessor::SilentOutcome::ImageUnreadable:
    {
        KV::String path;
        engine.GetFirmwareFilePath(path);
        std::fprintf(err,
                     "The firmware update did not start: the firmware image could not be read (%s). "
                     "Nothing was sent to the keyboard.\n",
                     ImageProblemText(path));
        return 3;
    }
    case LUpdateProcessor::SilentOutcome::Cancelled:
        if (processor.WasStopped())
            std::fprintf(err,
                         "The firmware update was cancelled: the updater was asked to end (signal %d).\n",
                         KV::LFrameworkApp::GetTerminationSignal());
        else if (failure)
            std::fprintf(err, "The firmware update was cancelled: %s.\n", failure);
        else
            std::fprintf(err, "The firmware update was cancelled.\n");
        return 4;
    case LUpdateProcessor::SilentOutcome::TimedOut:
        std::fprintf(err, "The firmware update did not end in time and was stopped.\n");
        return 5;
    case LUpdateProcessor::SilentOutcome::Unconfirmed:
        std::fprintf(err, "The whole image was sent, but the keyboard confirmed neither its last record "
                          "nor its return with the new firmware. Check the keyboard's firmware version.\n");
        return 7;
    case LUpdateProcessor::SilentOutcome::Failed:
    case LUpdateProcessor::SilentOutcome::None:
        break;
    }
    int32_t reason = Engine::ReasonNone;
    engine.GetCannotUpdateReason(reason);
    std::fprintf(err, "The firmware update failed: %s.\n", failure ? failure : ReasonText(reason));
    return 3;
}

int ReportWindowNeeded(LUpdateProcessor& processor, std::FILE* out, std::FILE* err)
{
    Engine& engine = *processor.GetUpdateEngine();
    switch (engine.GetDeviceState())
    {
    case Engine::DeviceStateNoDevice:
        std::fprintf(err, "No keyboard was found.\n");
        break;
    case Engine::DeviceStateNoneSelected:
        std::fprintf(err, "Several keyboards were found.\n");
        break;
    case Engine::DeviceStateCannotUpdate:
    {
        int32_t reason = Engine::ReasonNone;
        engine.GetCannotUpdateReason(reason);
        std::fprintf(err, "The keyboard cannot be updated: %s.\n", ReasonText(reason));
        break;
    }
    case Engine::DeviceStateNormalFirmware:
        std::fprintf(out, "The keyboard runs its normal firmware.\n");
        break;
    case Engine::DeviceStateEnteringUpdateMode:
        std::fprintf(out, "The keyboard was switched into its update mode. Switch it off and on, "
                          "then run the updater again.\n");
        break;
    case Engine::DeviceStateReadyForUpdate:
        std::fprintf(out, "The keyboard is in its update mode.\n");
        break;
    default:
        std::fprintf(out, "Keyboard state: %d.\n", static_cast<int>(engine.GetDeviceState()));
        break;
    }
    KV::String path;
    engine.GetFirmwareFilePath(path);
    if (path.IsEmpty())
        std::fprintf(err, "No firmware image was named: the image's path on the command line is empty.\n");
    else if (engine.GetFirmwareFileState() < Engine::FileStateVersionUnknown)
        std::fprintf(err, "The firmware image was not found: %s\n", Narrow(path).c_str());
    else if (processor.IsImageUnreadable())
        std::fprintf(err, "The firmware image could not be read (%s): %s\n", ImageProblemText(path),
                     Narrow(path).c_str());
    PrintVersions(engine, out);
    std::fprintf(err, "This run needs the updater's window, which is not available.\n");
    return 6;
}

} // namespace RunReport
