#pragma once
// What reaches norvik-sim's main loop from its other threads: MIDI messages from
// the RtMidi callbacks, lines of standard input and signals. The main loop alone
// drives the keyboards, so the keyboard's protocol needs no lock.

#include "FirmwareImage.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>

namespace NorvikSim {

struct Incoming
{
    enum class Kind
    {
        Midi,
        Command, // a line of standard input
        PowerCycle,
        Quit
    };
    Kind kind;
    std::size_t keyboard = 0;     // Midi: which keyboard's ports
    std::uint64_t generation = 0; // Midi: which opening of those ports
    Bytes bytes;
    std::string text;
};

class IncomingQueue
{
public:
    void Push(Incoming item);
    // Waits until something is queued or the deadline has passed; returns all that
    // is queued, oldest first.
    std::deque<Incoming> WaitAndTakeAll(std::chrono::steady_clock::time_point deadline);

private:
    std::mutex mMutex;
    std::condition_variable mReady;
    std::deque<Incoming> mItems;
};

} // namespace NorvikSim
