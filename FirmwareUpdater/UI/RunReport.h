#pragma once
// What a run of the updater without its window tells the user, and the process's exit
// status for each outcome:
//   0 the whole image was sent and the keyboard confirmed it, or no update was needed
//   2 the keyboard was switched into its update mode: switch it off and on, run again
//   3 the update failed          4 the update was cancelled
//   5 the update did not end within the wait
//   6 the run needs the window (no keyboard, no image, several keyboards), which this
//     build does not have
//   7 the whole image was sent, but the keyboard confirmed neither the last record nor
//     its return with the new firmware
// The run's report goes to the first stream (standard output), what went wrong to the
// second (standard error).

#include "UpdateProcessor.h"

#include <cstdio>

namespace RunReport {

// What stopped a transfer, in words that follow "because" or "What happened:" ("the
// keyboard asked to stop the update"); null when the engine knows no more than its reason
// code says.
const char* TransferFailureText(LUpdateEngineInterface::TransferFailure failure);

// Prints what happened in a run that ended without a window and returns its status.
int ReportSilentEnd(LUpdateProcessor& processor, std::FILE* out, std::FILE* err);

// Prints the keyboard's and the image's state for a run that needs the window.
int ReportWindowNeeded(LUpdateProcessor& processor, std::FILE* out, std::FILE* err);

} // namespace RunReport
