#pragma once
// A JACK client with MIDI ports of our own, on libjack directly.
//
// The product opens one client per process (Shared) that holds every port it opens.
// Messages pass between the server's process callback and our threads through
// lock-free rings: the callback copies what arrived into an input port's ring and
// wakes its listener, and writes what an output port's ring holds into the cycle's
// buffer. The callback never allocates, locks or waits.
//
// Ports are registered only while the client is not active, when it opens: the JACK
// library walks a client's list of ports on its notification thread (latency
// updates, sent whenever any connection changes) without a lock, so registering or
// unregistering a port of an active client can crash it. A client therefore opens
// with a fixed set of ports; taking a port for a device and letting it go again only
// connects and disconnects it. The shared client keeps a pool of unnamed ports for
// that ("in 1", "out 1", ...).
//
// Closing never races the callback: a port is first taken out of the callback's view
// and the callback in progress is waited for, and only then disconnected; the client
// is deactivated (no callback runs afterwards) before it closes.
//
// The shared client takes part in the server's cycles only while one of its ports is
// taken: the server wakes an active client every cycle, hundreds of times a second,
// which is most of an idle updater's CPU. Taking the first port activates it (the server
// connects only active clients); a second after the last port was given back, its own
// thread deactivates it, so that a scan opening and closing ports in turn pays for one
// activation. The server tells only active clients of other clients' ports, so while
// inactive that thread looks at the server's list of ports instead (its shared memory,
// no request) a few times a second.
//
// Connections: JACK puts a new connection into effect from a later cycle than the one
// running when it was made, and a message written before that goes nowhere. The
// client therefore counts its cycles, and a send waits until every connection made so
// far is in effect.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Platform/Midi/MidiDeviceWatchers.h"
#include "Platform/Midi/MidiMessageRing.h"

struct _jack_client;
struct _jack_port;

namespace KV::Platform {

enum class JackPortDirection
{
    Input,  // we receive: other clients' output ports connect to it
    Output, // we send
};

// Told by an input port's process callback about new messages. Runs on the server's
// real-time thread: it must neither lock, allocate nor wait.
class JackInputListener
{
public:
    // Whether messages arriving now are kept; they are dropped otherwise.
    virtual bool AcceptsInput() const noexcept { return true; }
    // Messages were added to the port's ring in this cycle.
    virtual void InputArrived() noexcept = 0;

protected:
    ~JackInputListener() = default;
};

class JackMidiClient;

class JackMidiPort
{
public:
    ~JackMidiPort(); // unregisters, see Close
    JackMidiPort(const JackMidiPort&) = delete;
    JackMidiPort& operator=(const JackMidiPort&) = delete;

    // "client:port", as other clients list it.
    const std::string& FullName() const { return mFullName; }
    JackPortDirection Direction() const { return mDirection; }

    // Output: queues one whole message for the next cycles. Waits while the ring is
    // full or a connection is not in effect yet; false when that lasts longer than
    // `wait`, when the port is closed or the server has gone.
    bool Send(const uint8_t* bytes, size_t size, std::chrono::milliseconds wait = std::chrono::seconds(2));

    // Input: the oldest message received and the steady clock's milliseconds
    // (SteadyMilliseconds) when its cycle ran; false when there is none.
    bool Receive(std::vector<uint8_t>& bytes, uint32_t& steadyMs);
    void DiscardInput();
    // Input messages dropped because the ring was full.
    uint64_t Dropped() const noexcept { return mRing.Dropped(); }

    // Whether a connection made to the port still stands: the server breaks it when
    // the peer's client leaves, and a client that comes back under the same name is
    // not connected again.
    bool IsConnected() const noexcept;

    // Output: waits until what was queued has been written to the server, at most
    // `drain`. Then takes the port out of the callback's view, breaks its connections
    // and gives it back to the client. No listener call starts afterwards. Idempotent.
    void Close(std::chrono::milliseconds drain = std::chrono::milliseconds(200));

private:
    friend class JackMidiClient;
    JackMidiPort(std::shared_ptr<JackMidiClient> client, size_t slot, _jack_port* port, std::string fullName,
                 JackPortDirection direction, JackInputListener* listener, uint64_t quietUntilCycle);

    const std::shared_ptr<JackMidiClient> mClient;
    const size_t mSlot;
    _jack_port* const mPort;
    // Input from before this cycle may still come from the slot's former connections.
    const uint64_t mQuietUntilCycle;
    const std::string mFullName;
    const JackPortDirection mDirection;
    JackInputListener* const mListener;
    MidiMessageRing mRing{256 * 1024};
    std::mutex mCloseMutex;
    std::atomic<bool> mClosed{false};
};

class JackMidiClient : public std::enable_shared_from_this<JackMidiClient>
{
public:
    struct PortSpec
    {
        std::string name;
        JackPortDirection direction;
        std::vector<std::string> aliases = {}; // other names of the port, at most two
    };

    // The process's client, named `name` on first use and kept until the process ends,
    // with a pool of `ports` unnamed ports each way: how many inputs and outputs can be
    // open at once. Active only while a port is taken (see above). Null with the reason
    // in `error` when no server answers. A client that the server has shut down is not
    // handed out again: the next call opens a new one.
    static std::shared_ptr<JackMidiClient> Shared(const std::string& name, size_t ports, std::string& error);
    // Lets go of the process's client (it closes once its users let go too), for a
    // process that moves to another server: the library holds one server per process.
    static void LetGoOfShared();
    // A client of its own with the given ports (a simulated device, a test's peer),
    // taking part in the server's cycles at once, or only from Activate when `activate`
    // is false (its ports are listed meanwhile, as a device's are while it starts).
    static std::shared_ptr<JackMidiClient> Open(const std::string& name, const std::vector<PortSpec>& ports,
                                                std::string& error, bool activate = true);
    // Lets a client opened inactive take part in the cycles; false when the server refuses.
    bool Activate();
    // Whether a JACK server answers; never starts one. `name` is what the client that
    // asks is called for that moment.
    static bool ServerAnswers(const std::string& name);

    ~JackMidiClient(); // deactivates, then closes
    JackMidiClient(const JackMidiClient&) = delete;
    JackMidiClient& operator=(const JackMidiClient&) = delete;

    // The client's name as the server gave it (it adds a number to a taken name).
    const std::string& Name() const { return mName; }
    // False once the server has shut the client down or gone away. The shared client is
    // alive from its opening, active or not; a client of its own from its activation.
    bool Alive() const noexcept { return mAlive.load(std::memory_order_acquire); }
    // Whether the client takes part in the server's cycles now.
    bool Active() const noexcept { return mActive.load(std::memory_order_acquire); }
    // Whether the server no longer runs the active client's cycles, or left a request to
    // take the client into them or out of them unanswered: a server that was stopped
    // (SIGSTOP) or hangs neither runs them nor answers any request. An inactive client
    // runs no cycles, and is not stalled for that.
    bool CyclesStalled() const noexcept;

    // After the server has shut the client down: lets the library go of that server,
    // which it keeps for every client of the process while any of them is open, so that
    // a new client can reach a server started again. The ports stay, passing nothing.
    void CloseAfterShutdown();

    // Calls `callback` when a MIDI port of another client comes or goes (the shared
    // client only: a client of its own is not told of ports, as the server would hold
    // up every client while one that does not read its notices is told of many), and
    // once when the server shuts the client down (Alive is false by then), until the
    // handle is dropped (see MidiDeviceWatchers). On the library's notification thread,
    // or on the client's own while it is inactive: it must not call the client.
    std::shared_ptr<void> WatchPorts(MidiDevicesChangedCallback callback)
    {
        return mWatchers.Add(std::move(callback));
    }

    // The full names of other clients' MIDI ports that a port of ours in `ours`
    // direction would connect to: their outputs for Input, their inputs for Output.
    std::vector<std::string> ListPeers(JackPortDirection ours) const;

    // The aliases of a port of another client, by its full name; none when it has none
    // or has gone.
    std::vector<std::string> Aliases(const std::string& port) const;

    // Takes a free port of ours (the one called `name`, or any in `direction` when the
    // name is empty) and shows it to the process callback. `listener` (input only, may
    // be null) must outlive the port's Close. Activates the shared client when it is
    // not; a server that does not answer that within a bound fails it. Null with the
    // reason in `error`.
    std::shared_ptr<JackMidiPort> TakePort(JackPortDirection direction, JackInputListener* listener,
                                           std::string& error, const std::string& name = {});
    // Connects our port to the peer named `peer` (a full name); false when the peer
    // has gone or the server refuses.
    bool Connect(const JackMidiPort& ours, const std::string& peer);

    // Returns once `cycles` more process cycles have run, or after `timeout`.
    void WaitCycles(uint32_t cycles, std::chrono::milliseconds timeout) const;

private:
    friend class JackMidiPort;
    struct PortTable; // what the process callback sees: an immutable list of ports

    struct Slot
    {
        _jack_port* port = nullptr;
        std::string name;
        JackPortDirection direction = JackPortDirection::Input;
        bool taken = false;
        bool used = false; // taken before: its former connections may still be in effect
    };

    JackMidiClient() = default;
    // Sets Alive unless the server has shut the client down meanwhile.
    void MarkAlive() noexcept;
    static std::shared_ptr<JackMidiClient> Create(const std::string& name, const std::vector<PortSpec>& ports,
                                                  bool watchPorts, std::string& error, bool activate = true);
    void Release(size_t slot);
    static int OnProcess(uint32_t frames, void* self) noexcept;
    static void OnShutdown(const char* reason, void* self) noexcept;
    static void OnPortRegistration(uint32_t port, int registered, void* self) noexcept;
    // At the process's end, which `status` it ends with: no callback of ours runs any
    // more, and the client is taken out of the server's cycles and closed, neither
    // waited for beyond a bound.
    void EndForExit(int status);
    void Process(uint32_t frames) noexcept;

    // The shared client's own thread: deactivates it once no port has been taken for a
    // while, and looks for changes of the ports while it is inactive.
    void Keep();
    void StopKeeper();
    // Asks the server to take the client into its cycles or out of them (under mMutex),
    // waiting for the answer within a bound. Without an answer by then the client is
    // stalled (mServerSilent) until the keeper sees the answer come.
    bool ChangeActivation(bool activate, std::string& error);
    void TakeLateAnswer(); // under mMutex
    // Every MIDI port's full name, ours included (under mMutex, Reachable).
    std::vector<std::string> MidiPorts() const;

    // Publishes the table with `port` added or removed, then waits until no callback
    // can still see the old table.
    void Show(JackMidiPort* port, bool visible);
    void WaitOutOfCycle() const noexcept;
    // Waits until every connection made so far is in effect; false after `deadline`.
    bool WaitForConnections(std::chrono::steady_clock::time_point deadline) const;

    // Whether the server can still be asked (under mMutex): not shut down, not closed.
    bool Reachable() const noexcept { return mClient != nullptr && !mShutDown.load(); }

    _jack_client* mClient = nullptr; // null once closed after a shutdown
    std::string mName;
    std::atomic<bool> mAlive{false};    // see Alive
    std::atomic<bool> mShutDown{false}; // by the server
    std::atomic<bool> mActive{false};
    // A request to activate or deactivate went beyond its bound: the client's state is the
    // server's to tell when it answers.
    std::atomic<bool> mServerSilent{false};
    MidiDeviceWatchers mWatchers;

    mutable std::mutex mMutex; // our calls to the server, the slots and the table's writers
    std::vector<Slot> mSlots;  // registered before activation, never unregistered
    std::atomic<PortTable*> mTable{nullptr};
    std::atomic<bool> mInCycle{false};
    std::atomic<bool> mStopped{false}; // the process is ending: the callback does nothing
    std::atomic<uint64_t> mCycles{0};
    std::atomic<uint32_t> mLastCycleAt{0};          // SteadyMilliseconds at the end of the last cycle
    std::atomic<uint64_t> mConnectionsEffective{0}; // the cycle from which all are in effect

    // The shared client's activation on demand, under mMutex.
    bool mOnDemand = false;
    size_t mTaken = 0;
    std::chrono::steady_clock::time_point mIdleSince; // when the last taken port was given back
    struct ServerRequest;
    std::shared_ptr<ServerRequest> mUnanswered; // the request that went beyond its bound
    bool mUnansweredActivates = false;
    std::condition_variable mKeeperWake;
    bool mKeeperStop = false;
    std::thread mKeeper;
};

// The steady clock in milliseconds, wrapping; what JackMidiPort::Receive stamps.
uint32_t SteadyMilliseconds() noexcept;

} // namespace KV::Platform
