#pragma once
// A message box on the display: the text under a caption with an OK button, shown by a
// dialog program of the desktop (zenity, else kdialog) as a child process beside the
// caller's thread, or, where neither program is there, by SDL's own message box, which
// the caller waits for.

#include "Platform/Dialogs/DialogProgram.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace KV::Platform {

enum class MessageKind
{
    Error,
    Warning,
    Information,
};

struct MessageRequest
{
    std::string text; // UTF-8
    std::string caption;
    MessageKind kind = MessageKind::Information;
    // The window the box belongs to (an X window id): the box stays in front of it. 0: none.
    uintptr_t owner = 0;
};

// Whether there is a display to show a box on (the windows open on X: DISPLAY names one).
bool HasDisplay();

// The box as a dialog program; onEnd, when given, is called on the run's thread once the
// user closed it. Null when no program is there or it could not start.
std::unique_ptr<DialogProgramRun> StartMessageDialog(const MessageRequest& request,
                                                     std::function<void()> onEnd);

// SDL's message box; returns when the user closed it. false when it could not be shown.
bool ShowMessageDialogAndWait(const MessageRequest& request);

} // namespace KV::Platform
