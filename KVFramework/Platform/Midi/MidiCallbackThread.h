#pragma once
// The one thread on which a driver runs the callbacks of all its devices.
//
// Each open device registers as a target and is asked in turn to deliver one
// callback's worth of its pending input or completions (Pump). Waking the thread is
// lock-free, so an audio server's thread may do it.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace KV::Platform {

class MidiCallbackTarget
{
public:
    // Runs at most one callback; answers whether anything was done. Called only on
    // the callback thread, and never again once the target has been removed.
    virtual bool Pump() = 0;

protected:
    ~MidiCallbackTarget() = default;
};

class MidiCallbackThread
{
public:
    MidiCallbackThread();
    ~MidiCallbackThread();
    MidiCallbackThread(const MidiCallbackThread&) = delete;
    MidiCallbackThread& operator=(const MidiCallbackThread&) = delete;

    void Add(MidiCallbackTarget* target);
    // After this returns, no Pump of the target starts; a Pump that is running is
    // waited for, unless the caller is that Pump's own callback.
    void Remove(MidiCallbackTarget* target);
    // Tells the thread that some target may have work. Lock-free.
    void Wake() noexcept;
    // Tells the thread of work that may wait a little (at most WAKE_LATER_WAIT_MS): a
    // thread that sleeps is woken at once, and then dozes for that long between passes
    // while such work keeps coming, instead of being woken for each piece. Lock-free.
    void WakeLater() noexcept;
    static constexpr uint32_t WAKE_LATER_WAIT_MS = 10;

    bool IsCurrentThread() const;

private:
    // Shared with the thread, which may outlive this object when the last owner
    // goes away inside a callback.
    struct State
    {
        std::mutex mutex;
        std::condition_variable idle;
        std::vector<MidiCallbackTarget*> targets;
        MidiCallbackTarget* running = nullptr;
        bool changed = false;
        bool stop = false;
        // Awake, Woken, Asleep or Dozing. Wakes that come while the thread works fold
        // into one pass, and only a sleeping thread costs a system call to wake.
        std::atomic<uint32_t> wake{0};
        // Work announced by WakeLater since the last pass began.
        std::atomic<bool> later{false};
    };

    static void Run(const std::shared_ptr<State>& state);
    static bool Sleep(State& state, bool doze);

    std::shared_ptr<State> mState;
    std::thread mThread;
};

} // namespace KV::Platform
