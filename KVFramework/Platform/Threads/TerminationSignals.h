#pragma once
// The signals that ask a process to end (SIGTERM, SIGINT, SIGHUP), taken on a thread of
// their own instead of ending the process where it stands: a program then stops its
// work in order (a transfer as a cancel, its MIDI client closed) and ends as usual.

namespace KV::Platform {

// Blocks the three signals in the calling thread, and so in every thread it starts from
// then on, and starts a thread that hands each of them to onSignal as it arrives (on that
// thread). Called once, first thing in the process, before any other thread starts; a
// later call does nothing.
void StartTerminationSignalThread(void (*onSignal)(int signal));

// Ends the process at once with the status of a process that the signal ended, without
// running exit handlers; for a process that does not end in order after a signal.
[[noreturn]] void EndAsEndedBySignal(int signal);

} // namespace KV::Platform
