#include "RunReport.h"

#include <string>

using Engine = LUpdateEngineInterface;

namespace RunReport {
namespace {

std::string Narrow(const KV::String& text)
{
    return std::string(KV::NarrowString(text).GetText());
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

int ReportSilentEnd(LUpdateProcessor& processor, std::FILE* out)
{
    Engine& engine = *processor.GetUpdateEngine();
    PrintVersions(engine, out);
    int32_t reason = Engine::ReasonNone;
    switch (processor.GetSilentOutcome())
    {
    case LUpdateProcessor::SilentOutcome::Succeeded:
        std::fprintf(out, "The firmware update is complete: the whole image was sent to the keyboard.\n");
        return 0;
    case LUpdateProcessor::SilentOutcome::NoUpdateNeeded:
        std::fprintf(out, "No update is needed.\n");
        return 0;
    case LUpdateProcessor::SilentOutcome::SwitchedToUpdateMode:
        std::fprintf(out, "The keyboard was switched into its update mode. Switch it off and on, "
                          "then run the updater again.\n");
        return 2;
    case LUpdateProcessor::SilentOutcome::Cancelled:
        std::fprintf(out, "The firmware update was cancelled.\n");
        return 4;
    case LUpdateProcessor::SilentOutcome::TimedOut:
        std::fprintf(out, "The firmware update did not end in time and was stopped.\n");
        return 5;
    case LUpdateProcessor::SilentOutcome::Failed:
    case LUpdateProcessor::SilentOutcome::None:
        break;
    }
    engine.GetCannotUpdateReason(reason);
    std::fprintf(out, "The firmware update failed: %s.\n", ReasonText(reason));
    return 3;
}

int ReportWindowNeeded(LUpdateProcessor& processor, std::FILE* out)
{
    Engine& engine = *processor.GetUpdateEngine();
    switch (engine.GetDeviceState())
    {
    case Engine::DeviceStateNoDevice:
        std::fprintf(out, "No keyboard was found.\n");
        break;
    case Engine::DeviceStateNoneSelected:
        std::fprintf(out, "Several keyboards were found.\n");
        break;
    case Engine::DeviceStateCannotUpdate:
    {
        int32_t reason = Engine::ReasonNone;
        engine.GetCannotUpdateReason(reason);
        std::fprintf(out, "The keyboard cannot be updated: %s.\n", ReasonText(reason));
        break;
    }
    case Engine::DeviceStateNormalFirmware:
        std::fprintf(out, "The keyboard runs its normal firmware.\n");
        break;
    case Engine::DeviceStateReadyForUpdate:
        std::fprintf(out, "The keyboard is in its update mode.\n");
        break;
    default:
        std::fprintf(out, "Keyboard state: %d.\n", static_cast<int>(engine.GetDeviceState()));
        break;
    }
    if (engine.GetFirmwareFileState() < Engine::FileStateVersionUnknown)
    {
        KV::String path;
        engine.GetFirmwareFilePath(path);
        std::fprintf(out, "The firmware image was not found: %s\n", Narrow(path).c_str());
    }
    PrintVersions(engine, out);
    std::fprintf(out, "This run needs the updater's window, which is not available.\n");
    return 6;
}

} // namespace RunReport
