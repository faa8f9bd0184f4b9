// Message boxes on the display.
//  [x] zenity, else kdialog, beside the caller   [x] kept in front of the owner window
//  [x] error, warning and information looks       [x] SDL's box where no program is there
//  [ ] buttons other than OK

#include "Platform/Dialogs/MessageDialog.h"

#include "Platform/Window/SdlVideo.h"
#include "System/DebugConsole.h"

#include <SDL.h>

#include <cstdlib>

namespace KV::Platform {

namespace {

std::vector<std::string> ZenityArguments(const MessageRequest& request)
{
    const char* kind = request.kind == MessageKind::Error     ? "--error"
                       : request.kind == MessageKind::Warning ? "--warning"
                                                              : "--info";
    std::vector<std::string> arguments{"zenity", kind, "--no-markup", "--title=" + request.caption,
                                       "--text=" + request.text};
    AddOwnerArguments(DialogProgram::Zenity, request.owner, arguments);
    return arguments;
}

std::vector<std::string> KDialogArguments(const MessageRequest& request)
{
    std::vector<std::string> arguments{"kdialog", "--title", request.caption};
    AddOwnerArguments(DialogProgram::KDialog, request.owner, arguments);
    arguments.emplace_back(request.kind == MessageKind::Error     ? "--error"
                           : request.kind == MessageKind::Warning ? "--sorry"
                                                                  : "--msgbox");
    arguments.push_back(request.text);
    return arguments;
}

} // namespace

bool HasDisplay()
{
    const char* display = std::getenv("DISPLAY");
    return display && *display;
}

std::unique_ptr<DialogProgramRun> StartMessageDialog(const MessageRequest& request,
                                                     std::function<void()> onEnd)
{
    if (std::string program = FindProgram("zenity"); !program.empty())
        return DialogProgramRun::Start(program, ZenityArguments(request), std::move(onEnd));
    if (std::string program = FindProgram("kdialog"); !program.empty())
        return DialogProgramRun::Start(program, KDialogArguments(request), std::move(onEnd));
    return nullptr;
}

bool ShowMessageDialogAndWait(const MessageRequest& request)
{
    const uint32_t flags = request.kind == MessageKind::Error     ? SDL_MESSAGEBOX_ERROR
                           : request.kind == MessageKind::Warning ? SDL_MESSAGEBOX_WARNING
                                                                  : SDL_MESSAGEBOX_INFORMATION;
    // SDL's box needs its video, also before (or without) a window of the process.
    SdlVideoUse video;
    if (video.IsStarted() &&
        SDL_ShowSimpleMessageBox(flags, request.caption.c_str(), request.text.c_str(), nullptr) == 0)
        return true;
    CDebugLine<char>() << "No message box: " << SDL_GetError() << "\n";
    return false;
}

} // namespace KV::Platform
