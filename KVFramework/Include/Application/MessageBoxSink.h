#pragma once
// Where the application's message boxes go. The window backend shows them as dialogs; a
// run without a display writes them to standard error; tests record them.

#include "Storage/StringT.h"

#include <cstdint>

namespace KV {

// Flags and answers of a message box, with the values the frame's callers pass.
inline constexpr uint32_t kMessageBoxOk = 0x00;
inline constexpr uint32_t kMessageBoxIconError = 0x10;
inline constexpr uint32_t kMessageBoxIconWarning = 0x30;
inline constexpr int32_t kMessageBoxAnswerOk = 1;

class IMessageBoxSink
{
public:
    virtual ~IMessageBoxSink() = default;
    // Shows the text under the caption and returns the answer (kMessageBoxAnswerOk...).
    virtual int32_t ShowMessageBox(const String& text, const String& caption, uint32_t flags) = 0;
};

// Writes the text as one line to standard error and answers OK: the user reads it in the
// terminal the program was started from. The caption is left out, so the line is the
// text alone.
IMessageBoxSink& GetStandardErrorMessageBoxes();

// Writes the text to standard error as GetStandardErrorMessageBoxes does and, where there
// is a display, also shows it in a box there, for a user who started the program from a
// menu and has no terminal to read. The box stays in front of the application's active
// window, whose windows keep painting but take no input until it is closed; the call
// returns then. Window thread.
IMessageBoxSink& GetDesktopMessageBoxes();

} // namespace KV
