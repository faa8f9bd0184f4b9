#pragma once
// The listeners of a driver's device changes (IMidiDriver::WatchDevices): each is
// called in turn by Notify until its handle is dropped. Dropping a handle waits for a
// call of that listener in progress, except from within that very call, so a listener
// never runs once its owner has let go of it.

#include "Platform/Midi/MidiDriver.h"

#include <memory>
#include <mutex>
#include <vector>

namespace KV::Platform {

class MidiDeviceWatchers
{
public:
    std::shared_ptr<void> Add(MidiDevicesChangedCallback callback);
    // Calls every listener on the caller's thread.
    void Notify();

private:
    struct Listener;

    std::mutex mMutex;
    std::vector<std::weak_ptr<Listener>> mListeners;
};

} // namespace KV::Platform
