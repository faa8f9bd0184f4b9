#include "Platform/Midi/MidiDeviceWatchers.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace KV::Platform {

struct MidiDeviceWatchers::Listener
{
    MidiDevicesChangedCallback callback;
    std::mutex calling; // held while the callback runs
    std::atomic<std::thread::id> caller{};
    bool dropped = false; // under `calling`
};

std::shared_ptr<void> MidiDeviceWatchers::Add(MidiDevicesChangedCallback callback)
{
    auto listener = std::make_shared<Listener>();
    listener->callback = std::move(callback);
    {
        std::lock_guard lock(mMutex);
        std::erase_if(mListeners, [](const std::weak_ptr<Listener>& l) { return l.expired(); });
        mListeners.push_back(listener);
    }
    // The handle owns the listener; its deleter lets the listener go only once no call
    // of it runs any more.
    return std::shared_ptr<void>(new int(0), [listener](int* handle) {
        delete handle;
        if (listener->caller.load() == std::this_thread::get_id())
        {
            listener->dropped = true; // within its own call, which holds `calling`
            return;
        }
        std::lock_guard lock(listener->calling);
        listener->dropped = true;
    });
}

void MidiDeviceWatchers::Notify()
{
    std::vector<std::shared_ptr<Listener>> listeners;
    {
        std::lock_guard lock(mMutex);
        for (const auto& weak : mListeners)
            if (auto listener = weak.lock())
                listeners.push_back(std::move(listener));
    }
    for (const auto& listener : listeners)
    {
        std::lock_guard lock(listener->calling);
        if (listener->dropped)
            continue;
        listener->caller.store(std::this_thread::get_id());
        listener->callback();
        listener->caller.store(std::thread::id{});
    }
}

} // namespace KV::Platform
