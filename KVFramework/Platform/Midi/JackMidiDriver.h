#pragma once
// The product's MIDI driver on a JACK server: every device it opens is a port of the
// process's one JACK client (JackMidiClient), connected to the device's port.
//
// What it supports:
// - listing the MIDI ports of other clients by their full names ("client:port"),
//   their outputs as our inputs and their inputs as our outputs;
// - opening up to 16 inputs and 16 outputs at once, each a port of its own on the one
//   client (from its pool, see JackMidiClient), connected when it opens and
//   disconnected when it closes;
// - short and system-exclusive messages both ways, each message whole, in order;
//   input time stamps are the milliseconds since Start at the server cycle that
//   brought the message;
// - sends that return once the message is queued for the server, after the device's
//   connections are in effect, so the first message after opening is not lost;
// - closes that never race the server's callback, and a server that goes away: sends
//   then fail and no more input arrives.

#include "Platform/Midi/MidiDriver.h"

namespace KV::Platform {

// Null, with the reason in `error`, when no JACK server answers.
std::shared_ptr<IMidiDriver> CreateJackMidiDriver(std::string& error);

} // namespace KV::Platform
