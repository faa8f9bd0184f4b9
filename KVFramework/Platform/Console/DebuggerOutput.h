#pragma once
// Where diagnostic text goes when no debugger listens: standard error. A process
// started from a terminal shows it there; a desktop session keeps it in its log.

#include <cstddef>

namespace KV::Platform {

// Writes the bytes to standard error, all of them unless the descriptor fails. Each
// call is one write as far as the system allows, so texts of concurrent callers do
// not mix below the size of a pipe's atomic write.
void WriteDebuggerOutput(const char* text, size_t size);
// Makes the standard output unbuffered as standard error already is, so that the
// program's text and diagnostic text appear on the terminal in the order written.
void OpenConsoleStreams();

} // namespace KV::Platform
