#pragma once
// What the MIDI libraries say on their own (JACK's error and information texts,
// RtMidi's warnings). None of it goes to the terminal by itself: a failure that
// matters is reported by the driver in its own words, and the libraries' texts go to
// the debugger output only when the environment variable KV_MIDI_DEBUG is set (to
// anything but empty or "0"), each line marked with the library's name.

namespace KV::Platform {

// May be called on any thread, an audio server's included (it then writes directly,
// without a lock).
void LogMidiLibraryMessage(const char* library, const char* text) noexcept;

} // namespace KV::Platform
