#include "Platform/Midi/JackMidiClient.h"

#include "Platform/Midi/MidiLibraryLog.h"

#include <jack/jack.h>
#include <jack/midiport.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>
#include <utility>

namespace KV::Platform {

namespace {

// How long a process that ends waits for the server to take its client out of the
// cycles. A synchronous server that waits for a client which does not finish its cycle
// answers only after ten times its cycle time-out; the process ends without that.
constexpr auto EXIT_DEACTIVATION_WAIT = std::chrono::seconds(5);
// How long it then waits for the close, which takes the server a cycle or two. Closing
// stops the library's notification thread first: a server that meanwhile sends this
// client a notification it must answer (another client's ports coming or going, a
// keyboard that reboots as the update ends) waits out a socket time-out for each, and a
// synchronous server has been seen to stop its cycles for good after that. A process
// that ends instead closes its connection, which the server notices at once.
constexpr auto EXIT_CLOSE_WAIT = std::chrono::milliseconds(500);

// A new connection is in effect once the server has begun a cycle after it; one more
// allows for the cycle that was already running.
constexpr uint64_t CONNECTION_CYCLES = 3;
constexpr auto POLL = std::chrono::milliseconds(1);

// How long a connection refused to a port that is listed is tried again: its client
// registers its ports before it becomes active, and the server refuses connections to
// an inactive client.
constexpr auto INACTIVE_PEER_WAIT = std::chrono::seconds(2);
constexpr auto CONNECT_RETRY_PAUSE = std::chrono::milliseconds(10);

// How long the shared client stays active after its last port was given back: a scan
// opens and closes a keyboard's ports in turn, and pays for one activation.
constexpr auto DEACTIVATION_GRACE = std::chrono::milliseconds(1500);
// How often the inactive shared client looks at the server's list of ports: a keyboard
// plugged in is seen within this.
constexpr auto PORT_LIST_POLL = std::chrono::milliseconds(300);

void LogJackError(const char* text)
{
    LogMidiLibraryMessage("JACK", text);
}

// The library prints to standard error unless told otherwise, and its functions are
// process-wide: set once, before the first client opens.
void RouteLibraryMessages()
{
    static const bool routed = [] {
        jack_set_error_function(&LogJackError);
        jack_set_info_function(&LogJackError);
        return true;
    }();
    (void)routed;
}

std::string DescribeOpenFailure(jack_status_t status)
{
    if (status & JackServerFailed)
    {
        const char* server = std::getenv("JACK_DEFAULT_SERVER");
        return server != nullptr && *server != '\0'
                   ? std::string("no JACK server named \"") + server + "\" is running"
                   : std::string("no JACK server is running");
    }
    if (status & JackVersionError)
        return "the JACK server speaks another protocol version than this program's JACK library";
    if (status & JackShmFailure)
        return "the JACK server's shared memory cannot be reached";
    return "the JACK server refused a new client";
}

// How long the opening of a client may wait for the server's answer. A server that was
// stopped (SIGSTOP) answers never, and jack_client_open waits for it without a bound.
constexpr std::chrono::milliseconds kOpenAnswerLimit{10000};

// The opening of a client on a thread of its own, waited for within the limit. When the
// limit passes, the opening is left to go on alone; a client it still opens is closed
// again at once. Null with timedOut set then.
jack_client_t* OpenClient(const std::string& name, jack_status_t& status, bool& timedOut)
{
    RouteLibraryMessages();
    struct Opening
    {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        bool abandoned = false;
        jack_client_t* client = nullptr;
        jack_status_t status{};
    };
    auto opening = std::make_shared<Opening>();
    std::thread([opening, name] {
        jack_status_t opened{};
        jack_client_t* client = jack_client_open(name.c_str(), JackNoStartServer, &opened);
        std::lock_guard lock(opening->mutex);
        if (opening->abandoned)
        {
            if (client != nullptr)
                jack_client_close(client);
            return;
        }
        opening->client = client;
        opening->status = opened;
        opening->finished = true;
        opening->done.notify_all();
    }).detach();
    std::unique_lock lock(opening->mutex);
    timedOut = !opening->done.wait_for(lock, kOpenAnswerLimit, [&] { return opening->finished; });
    if (timedOut)
    {
        opening->abandoned = true;
        return nullptr;
    }
    status = opening->status;
    return opening->client;
}

} // namespace

uint32_t SteadyMilliseconds() noexcept
{
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

// ---- JackMidiClient ----

struct JackMidiClient::PortTable
{
    std::vector<JackMidiPort*> ports;
};

// A request to the server on a thread of its own, so that its caller can stop waiting
// for a server that answers never.
struct JackMidiClient::ServerRequest
{
    std::mutex mutex;
    std::condition_variable done;
    bool answered = false;
    int result = 0;

    static std::shared_ptr<ServerRequest> Start(jack_client_t* client, bool activate)
    {
        auto request = std::make_shared<ServerRequest>();
        std::thread([request, client, activate] {
            const int result = activate ? jack_activate(client) : jack_deactivate(client);
            std::lock_guard lock(request->mutex);
            request->result = result;
            request->answered = true;
            request->done.notify_all();
        }).detach();
        return request;
    }

    bool Wait(std::chrono::milliseconds limit)
    {
        std::unique_lock lock(mutex);
        return done.wait_for(lock, limit, [&] { return answered; });
    }
};

std::shared_ptr<JackMidiClient> JackMidiClient::Create(const std::string& name,
                                                       const std::vector<PortSpec>& ports, bool watchPorts,
                                                       std::string& error, bool activate)
{
    std::shared_ptr<JackMidiClient> client(new JackMidiClient);
    jack_status_t status{};
    bool timedOut = false;
    client->mClient = OpenClient(name, status, timedOut);
    if (client->mClient == nullptr)
    {
        error =
            timedOut ? "the JACK server does not answer (it may be stopped)" : DescribeOpenFailure(status);
        return nullptr;
    }
    client->mName = jack_get_client_name(client->mClient);
    client->mTable.store(new PortTable);
    // Every port is registered now, before activation: see the header.
    for (const PortSpec& spec : ports)
    {
        jack_port_t* port = jack_port_register(
            client->mClient, spec.name.c_str(), JACK_DEFAULT_MIDI_TYPE,
            spec.direction == JackPortDirection::Input ? JackPortIsInput : JackPortIsOutput, 0);
        if (port == nullptr)
        {
            error = "the JACK server refused the port \"" + spec.name + "\"";
            return nullptr;
        }
        for (const std::string& alias : spec.aliases)
            jack_port_set_alias(port, alias.c_str());
        client->mSlots.push_back({port, spec.name, spec.direction});
    }
    jack_on_info_shutdown(
        client->mClient, [](jack_status_t, const char* reason, void* self) { OnShutdown(reason, self); },
        client.get());
    // Only a client that is told of other clients' ports receives a notice per port that
    // comes or goes (see ~JackMidiClient for why that matters).
    if (watchPorts)
        jack_set_port_registration_callback(client->mClient, &JackMidiClient::OnPortRegistration,
                                            client.get());
    if (jack_set_process_callback(client->mClient, &JackMidiClient::OnProcess, client.get()) != 0 ||
        (activate && !client->Activate()))
    {
        error = "the JACK server did not start a new client";
        return nullptr;
    }
    error.clear();
    return client;
}

bool JackMidiClient::Activate()
{
    std::lock_guard lock(mMutex);
    if (mClient == nullptr || jack_activate(mClient) != 0)
        return false;
    mActive.store(true, std::memory_order_release);
    MarkAlive();
    return true;
}

void JackMidiClient::MarkAlive() noexcept
{
    // Sequentially consistent with OnShutdown's stores: a shutdown that this does not
    // see clears the flag after it.
    mAlive.store(true);
    if (mShutDown.load())
        mAlive.store(false);
}

bool JackMidiClient::ChangeActivation(bool activate, std::string& error)
{
    if (activate)
        // Cycles are counted as stalled from the last one; the first comes a moment
        // after the activation.
        mLastCycleAt.store(SteadyMilliseconds(), std::memory_order_relaxed);
    const std::shared_ptr<ServerRequest> request = ServerRequest::Start(mClient, activate);
    if (!request->Wait(kOpenAnswerLimit))
    {
        mUnanswered = request;
        mUnansweredActivates = activate;
        mServerSilent.store(true, std::memory_order_release);
        error = "the JACK server does not answer (it may be stopped)";
        return false;
    }
    // Deactivated whatever the answer: the library no longer runs its callbacks.
    mActive.store(activate && request->result == 0, std::memory_order_release);
    if (activate && request->result != 0)
    {
        error = "the JACK server did not take the client into its cycles";
        return false;
    }
    return true;
}

void JackMidiClient::TakeLateAnswer()
{
    if (!mUnanswered || !mUnanswered->Wait(std::chrono::milliseconds(0)))
        return;
    if (mUnansweredActivates)
        mLastCycleAt.store(SteadyMilliseconds(), std::memory_order_relaxed);
    mActive.store(mUnansweredActivates && mUnanswered->result == 0, std::memory_order_release);
    mUnanswered.reset();
    mIdleSince = std::chrono::steady_clock::now();
    mServerSilent.store(false, std::memory_order_release);
}

std::vector<std::string> JackMidiClient::MidiPorts() const
{
    std::vector<std::string> names;
    if (const char** ports = jack_get_ports(mClient, nullptr, JACK_DEFAULT_MIDI_TYPE, 0))
    {
        for (const char** name = ports; *name != nullptr; ++name)
            names.emplace_back(*name);
        jack_free(ports);
    }
    return names;
}

void JackMidiClient::Keep()
{
    std::unique_lock lock(mMutex);
    // What the server listed when the client last had no notices of ports.
    std::vector<std::string> listed;
    if (Reachable())
        listed = MidiPorts();
    bool told = false; // notices come: the client is active
    while (!mKeeperStop)
    {
        if (!Reachable() || mStopped.load())
        {
            // Shut down (OnShutdown told the watchers), or the process is ending.
            mKeeperWake.wait(lock, [&] { return mKeeperStop; });
            break;
        }
        if (mServerSilent.load())
        {
            mKeeperWake.wait_for(lock, PORT_LIST_POLL);
            TakeLateAnswer();
            continue;
        }
        bool changed = false;
        if (mActive.load())
        {
            if (!told)
            {
                // Notices come from the activation on; what changed before is seen here.
                told = true;
                changed = MidiPorts() != listed;
            }
            else if (mTaken > 0)
                mKeeperWake.wait(lock);
            else if (const auto until = mIdleSince + DEACTIVATION_GRACE;
                     std::chrono::steady_clock::now() < until)
                mKeeperWake.wait_until(lock, until);
            else
            {
                // Listed while notices still come: a change from here on is either told
                // or differs from this list.
                listed = MidiPorts();
                told = false;
                std::string error;
                if (!ChangeActivation(false, error))
                    LogMidiLibraryMessage("JACK", "the server did not take the client out of its cycles");
            }
        }
        else
        {
            told = false;
            mKeeperWake.wait_for(lock, PORT_LIST_POLL);
            if (mKeeperStop || mActive.load() || !Reachable() || mStopped.load())
                continue;
            std::vector<std::string> now = MidiPorts();
            changed = now != listed;
            listed = std::move(now);
        }
        if (changed)
        {
            lock.unlock();
            try
            {
                mWatchers.Notify();
            }
            catch (...)
            {
                // A listener that could not queue the news: it learns at its next look.
            }
            lock.lock();
        }
    }
}

void JackMidiClient::StopKeeper()
{
    {
        std::lock_guard lock(mMutex);
        mKeeperStop = true;
    }
    mKeeperWake.notify_all();
    if (mKeeper.joinable())
        mKeeper.join();
}

namespace {

struct KeptClient
{
    std::string server, name;
    size_t ports = 0;
    std::shared_ptr<JackMidiClient> client;
};

// Never destroyed: users may still let go of the client while the process exits.
std::mutex& KeptClientLock()
{
    static auto* const mutex = new std::mutex;
    return *mutex;
}

KeptClient& Kept()
{
    static auto* const kept = new KeptClient;
    return *kept;
}

} // namespace

void JackMidiClient::LetGoOfShared()
{
    std::shared_ptr<JackMidiClient> former;
    std::lock_guard lock(KeptClientLock());
    former = std::exchange(Kept().client, nullptr);
}

std::shared_ptr<JackMidiClient> JackMidiClient::Shared(const std::string& name, size_t ports,
                                                       std::string& error)
{
    // The client is kept until the process ends, and closed only then: its users come
    // and go (a restarted engine opens the MIDI service anew), and each close and open
    // disturbs every other client of the server.
    const char* serverVariable = std::getenv("JACK_DEFAULT_SERVER");
    const std::string server = serverVariable != nullptr ? serverVariable : "";
    KeptClient* const shared = &Kept();
    std::lock_guard lock(KeptClientLock());
    if (shared->client && shared->client->Alive() && shared->server == server && shared->name == name &&
        shared->ports == ports)
        return shared->client;
    std::vector<PortSpec> pool;
    for (size_t i = 1; i <= ports; ++i)
    {
        pool.push_back({"in " + std::to_string(i), JackPortDirection::Input});
        pool.push_back({"out " + std::to_string(i), JackPortDirection::Output});
    }
    std::shared_ptr<JackMidiClient> client = Create(name, pool, true, error, false);
    if (!client)
        return nullptr;
    client->mOnDemand = true;
    client->mIdleSince = std::chrono::steady_clock::now();
    client->MarkAlive();
    client->mKeeper = std::thread([raw = client.get()] { raw->Keep(); });
    // Another server or name is only ever asked for by tests; the former client goes
    // once its users let go of it.
    *shared = {server, name, ports, client};
    // A client still open at exit would run its callback while the libraries' own
    // statics are destroyed: stop and close it before that.
    static const bool atExit = [] {
        on_exit(
            [](int status, void*) {
                std::shared_ptr<JackMidiClient> open;
                {
                    std::lock_guard exiting(KeptClientLock());
                    open = Kept().client;
                }
                if (open)
                    open->EndForExit(status);
            },
            nullptr);
        return true;
    }();
    (void)atExit;
    return client;
}

std::shared_ptr<JackMidiClient> JackMidiClient::Open(const std::string& name,
                                                     const std::vector<PortSpec>& ports, std::string& error,
                                                     bool activate)
{
    return Create(name, ports, false, error, activate);
}

bool JackMidiClient::ServerAnswers(const std::string& name)
{
    jack_status_t status{};
    bool timedOut = false;
    jack_client_t* client = OpenClient(name, status, timedOut);
    if (client != nullptr)
        jack_client_close(client);
    return client != nullptr;
}

JackMidiClient::~JackMidiClient()
{
    StopKeeper();
    // A server that left a request unanswered is not asked again: the process's end
    // closes the connection.
    if (mClient != nullptr && !mServerSilent.load())
    {
        // A client that the server shut down is only closed, as CloseAfterShutdown does:
        // the library's deactivation reads the gone server's memory.
        if (!mShutDown.load())
        {
            // No callback runs once deactivation has returned.
            jack_deactivate(mClient);
            // Closing stops the library's notification thread before the server has
            // taken the request, and the server writes its notifications into a client's
            // socket without a time-out: were it still telling this client of ports,
            // another client leaving meanwhile with many ports could fill that socket,
            // and the server would wait for ever on a client that is waiting for it. An
            // inactive client may drop its callbacks.
            jack_set_port_registration_callback(mClient, nullptr, nullptr);
        }
        jack_client_close(mClient);
    }
    delete mTable.load();
}

void JackMidiClient::CloseAfterShutdown()
{
    std::lock_guard lock(mMutex);
    // A request still under way on the client keeps it open.
    if (!mShutDown.load() || mClient == nullptr || mServerSilent.load())
        return;
    jack_client_close(mClient);
    mClient = nullptr;
}

void JackMidiClient::EndForExit(int status)
{
    if (!Alive())
        return;
    // Sequentially consistent with the callback's flag, as in Show: either this sees the
    // cycle in progress and waits for it, or that cycle sees the stop. The keeper neither
    // activates nor deactivates from here on.
    mStopped.store(true);
    WaitOutOfCycle();
    // A server that left a request unanswered answers no other. Checked without the
    // client's lock: a thread that waits for a stalled server may hold it.
    if (mServerSilent.load())
        return;
    // A client that vanishes while it takes part in the cycles holds up a synchronous
    // server, so it is deactivated first; but a server that does not answer must not keep
    // the process from ending (its end closes the connection, which the server notices).
    // Under the client's lock: no other thread of ours calls the library on it meanwhile
    // or after, as the close leaves it unreachable.
    struct Ending
    {
        std::mutex lock;
        std::condition_variable changed;
        bool deactivated = false;
        bool closed = false;
    };
    const auto ending = std::make_shared<Ending>();
    std::thread([this, ending] {
        std::lock_guard clientLock(mMutex);
        // An inactive client holds up nothing (and the library would not ask the server).
        if (mActive.load())
            jack_deactivate(mClient);
        {
            std::lock_guard lock(ending->lock);
            ending->deactivated = true;
        }
        ending->changed.notify_all();
        jack_set_port_registration_callback(mClient, nullptr, nullptr);
        mAlive.store(false, std::memory_order_release);
        jack_client_close(mClient);
        mClient = nullptr;
        {
            std::lock_guard lock(ending->lock);
            ending->closed = true;
        }
        ending->changed.notify_all();
    }).detach();
    std::unique_lock lock(ending->lock);
    if (!ending->changed.wait_for(lock, EXIT_DEACTIVATION_WAIT, [&] { return ending->deactivated; }))
    {
        LogMidiLibraryMessage("JACK", "the server did not take the client out of its cycles; ending anyway");
        return;
    }
    if (!ending->changed.wait_for(lock, EXIT_CLOSE_WAIT, [&] { return ending->closed; }))
    {
        std::fflush(nullptr);
        std::_Exit(status);
    }
}

int JackMidiClient::OnProcess(uint32_t frames, void* self) noexcept
{
    static_cast<JackMidiClient*>(self)->Process(frames);
    return 0;
}

void JackMidiClient::OnShutdown(const char* reason, void* self) noexcept
{
    auto* client = static_cast<JackMidiClient*>(self);
    client->mShutDown.store(true);
    client->mAlive.store(false, std::memory_order_release);
    LogMidiLibraryMessage("JACK", reason);
    try
    {
        client->mWatchers.Notify();
    }
    catch (...)
    {
        // A listener that could not queue the news: it learns from Alive.
    }
}

void JackMidiClient::OnPortRegistration(uint32_t id, int, void* self) noexcept
{
    auto* client = static_cast<JackMidiClient*>(self);
    // Only other clients' MIDI ports make devices; a port already gone again may have
    // been one. Ours are told of at each activation.
    const jack_port_t* port = jack_port_by_id(client->mClient, id);
    if (port != nullptr && (std::strcmp(jack_port_type(port), JACK_DEFAULT_MIDI_TYPE) != 0 ||
                            jack_port_is_mine(client->mClient, port)))
        return;
    try
    {
        client->mWatchers.Notify();
    }
    catch (...)
    {
    }
}

void JackMidiClient::Process(uint32_t frames) noexcept
{
    // Sequentially consistent with Show's exchange and wait: either Show sees this
    // flag, or this cycle reads the new table.
    mInCycle.store(true);
    if (mStopped.load())
    {
        mInCycle.store(false, std::memory_order_release);
        return;
    }
    const PortTable* table = mTable.load();
    for (JackMidiPort* port : table->ports)
    {
        void* buffer = jack_port_get_buffer(port->mPort, frames);
        if (buffer == nullptr)
            continue;
        if (port->mDirection == JackPortDirection::Input)
        {
            const bool accepts = (port->mListener == nullptr || port->mListener->AcceptsInput()) &&
                                 mCycles.load(std::memory_order_relaxed) >= port->mQuietUntilCycle;
            const uint32_t count = jack_midi_get_event_count(buffer);
            if (!accepts || count == 0)
                continue;
            const uint32_t now = SteadyMilliseconds();
            bool arrived = false;
            for (uint32_t i = 0; i < count; ++i)
            {
                jack_midi_event_t event;
                if (jack_midi_event_get(&event, buffer, i) == 0 && event.size != 0)
                    arrived =
                        port->mRing.Push(event.buffer, static_cast<uint32_t>(event.size), now) || arrived;
            }
            if (arrived && port->mListener != nullptr)
                port->mListener->InputArrived();
            continue;
        }
        jack_midi_clear_buffer(buffer);
        uint32_t size = 0;
        while (port->mRing.Front(size))
        {
            jack_midi_data_t* room = jack_midi_event_reserve(buffer, 0, size);
            if (room == nullptr)
            {
                // A message larger than an empty cycle's buffer can never go: drop it
                // rather than block the port. Otherwise it waits for the next cycle.
                if (jack_midi_get_event_count(buffer) == 0)
                    port->mRing.Drop();
                break;
            }
            port->mRing.PopInto(room);
        }
    }
    mCycles.fetch_add(1, std::memory_order_release);
    mLastCycleAt.store(SteadyMilliseconds(), std::memory_order_relaxed);
    mInCycle.store(false, std::memory_order_release);
}

bool JackMidiClient::CyclesStalled() const noexcept
{
    // An active client runs a cycle every few milliseconds; none for this long means a
    // server that no longer runs (stopped, or hung).
    constexpr uint32_t kStallLimit = 2000;
    if (!mAlive.load(std::memory_order_acquire))
        return false;
    if (mServerSilent.load(std::memory_order_acquire))
        return true;
    return mActive.load(std::memory_order_acquire) && mCycles.load(std::memory_order_acquire) > 0 &&
           SteadyMilliseconds() - mLastCycleAt.load(std::memory_order_relaxed) > kStallLimit;
}

void JackMidiClient::WaitOutOfCycle() const noexcept
{
    while (mInCycle.load())
        std::this_thread::yield();
}

void JackMidiClient::Show(JackMidiPort* port, bool visible)
{
    const PortTable* old = mTable.load();
    auto* table = new PortTable(*old);
    auto& ports = table->ports;
    ports.erase(std::remove(ports.begin(), ports.end(), port), ports.end());
    if (visible)
        ports.push_back(port);
    mTable.store(table);
    WaitOutOfCycle();
    delete old;
}

std::vector<std::string> JackMidiClient::ListPeers(JackPortDirection ours) const
{
    std::vector<std::string> names;
    std::lock_guard lock(mMutex);
    // The server's shared memory of a server that went away is not read.
    if (!Reachable())
        return names;
    const char** ports =
        jack_get_ports(mClient, nullptr, JACK_DEFAULT_MIDI_TYPE,
                       ours == JackPortDirection::Input ? JackPortIsOutput : JackPortIsInput);
    if (ports == nullptr)
        return names;
    // A full port name starts with its client's unique name, so our own ports are told
    // apart by name. Looking each port up by name instead walks every port slot of the
    // server's shared memory once per listed port: most of a scan's time.
    const std::string own = mName + ':';
    for (const char** name = ports; *name != nullptr; ++name)
        if (!std::string_view(*name).starts_with(own))
            names.emplace_back(*name);
    jack_free(ports);
    return names;
}

std::vector<std::string> JackMidiClient::Aliases(const std::string& port) const
{
    std::vector<std::string> aliases;
    std::lock_guard lock(mMutex);
    if (!Reachable())
        return aliases;
    const jack_port_t* found = jack_port_by_name(mClient, port.c_str());
    if (found == nullptr)
        return aliases;
    const int size = jack_port_name_size();
    std::vector<char> first(static_cast<size_t>(size)), second(static_cast<size_t>(size));
    char* names[2] = {first.data(), second.data()};
    const int count = jack_port_get_aliases(found, names);
    for (int i = 0; i < count && i < 2; ++i)
        aliases.emplace_back(names[i]);
    return aliases;
}

std::shared_ptr<JackMidiPort> JackMidiClient::TakePort(JackPortDirection direction,
                                                       JackInputListener* listener, std::string& error,
                                                       const std::string& name)
{
    std::lock_guard lock(mMutex);
    if (!Reachable())
    {
        error = "the JACK server has gone away";
        return nullptr;
    }
    for (size_t i = 0; i < mSlots.size(); ++i)
    {
        Slot& slot = mSlots[i];
        if (slot.taken || slot.direction != direction || (!name.empty() && slot.name != name))
            continue;
        // The server connects only active clients. The keeper may have it deactivated
        // by now: that is seen here, under the same lock.
        if (mOnDemand && !mActive.load())
        {
            if (mServerSilent.load())
            {
                error = "the JACK server does not answer (it may be stopped)";
                return nullptr;
            }
            if (mStopped.load())
            {
                error = "the process is ending";
                return nullptr;
            }
            if (!ChangeActivation(true, error))
                return nullptr;
            mKeeperWake.notify_all();
        }
        ++mTaken;
        const uint64_t quietUntil =
            slot.used ? mCycles.load(std::memory_order_acquire) + CONNECTION_CYCLES : 0;
        slot.taken = slot.used = true;
        std::shared_ptr<JackMidiPort> taken(
            new JackMidiPort(shared_from_this(), i, slot.port, jack_port_name(slot.port), direction,
                             direction == JackPortDirection::Input ? listener : nullptr, quietUntil));
        Show(taken.get(), true);
        return taken;
    }
    error = name.empty() ? "all MIDI ports of the JACK client are in use" : "no free port \"" + name + "\"";
    return nullptr;
}

void JackMidiClient::Release(size_t slot)
{
    // Under mMutex. Its connections go; a later user ignores what they still bring.
    if (Reachable())
        jack_port_disconnect(mClient, mSlots[slot].port);
    mSlots[slot].taken = false;
    if (--mTaken == 0 && mOnDemand)
    {
        mIdleSince = std::chrono::steady_clock::now();
        mKeeperWake.notify_all();
    }
}

bool JackMidiClient::Connect(const JackMidiPort& ours, const std::string& peer)
{
    const bool input = ours.Direction() == JackPortDirection::Input;
    const std::string& source = input ? peer : ours.FullName();
    const std::string& destination = input ? ours.FullName() : peer;
    // A device's client lists its ports a moment before it takes part in the cycles, and
    // the server refuses connections to a client that does not yet: while the port is
    // there, try again for a short while.
    const auto deadline = std::chrono::steady_clock::now() + INACTIVE_PEER_WAIT;
    for (;;)
    {
        {
            std::lock_guard lock(mMutex);
            if (!Reachable())
                return false;
            const int result = jack_connect(mClient, source.c_str(), destination.c_str());
            if (result == 0 || result == EEXIST)
            {
                mConnectionsEffective.store(mCycles.load(std::memory_order_acquire) + CONNECTION_CYCLES,
                                            std::memory_order_release);
                return true;
            }
            if (jack_port_by_name(mClient, peer.c_str()) == nullptr)
                return false; // gone
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(CONNECT_RETRY_PAUSE);
    }
}

bool JackMidiClient::WaitForConnections(std::chrono::steady_clock::time_point deadline) const
{
    const uint64_t effective = mConnectionsEffective.load(std::memory_order_acquire);
    while (mCycles.load(std::memory_order_acquire) < effective)
    {
        if (!Alive() || std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(POLL);
    }
    return true;
}

void JackMidiClient::WaitCycles(uint32_t cycles, std::chrono::milliseconds timeout) const
{
    const uint64_t until = mCycles.load(std::memory_order_acquire) + cycles;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (mCycles.load(std::memory_order_acquire) < until && Alive() &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(POLL);
}

// ---- JackMidiPort ----

JackMidiPort::JackMidiPort(std::shared_ptr<JackMidiClient> client, size_t slot, _jack_port* port,
                           std::string fullName, JackPortDirection direction, JackInputListener* listener,
                           uint64_t quietUntilCycle)
    : mClient(std::move(client)), mSlot(slot), mPort(port), mQuietUntilCycle(quietUntilCycle),
      mFullName(std::move(fullName)), mDirection(direction), mListener(listener)
{
}

JackMidiPort::~JackMidiPort()
{
    Close(std::chrono::milliseconds(0));
}

bool JackMidiPort::Send(const uint8_t* bytes, size_t size, std::chrono::milliseconds wait)
{
    if (mDirection != JackPortDirection::Output || size == 0 || mClosed.load(std::memory_order_acquire))
        return false;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    if (!mClient->WaitForConnections(deadline))
        return false;
    while (!mRing.Push(bytes, static_cast<uint32_t>(size), 0))
    {
        if (!mClient->Alive() || std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(POLL);
    }
    return mClient->Alive();
}

bool JackMidiPort::Receive(std::vector<uint8_t>& bytes, uint32_t& steadyMs)
{
    return mRing.Pop(bytes, steadyMs);
}

bool JackMidiPort::IsConnected() const noexcept
{
    if (mClosed.load(std::memory_order_acquire))
        return false;
    std::lock_guard lock(mClient->mMutex); // the client is not closed meanwhile
    return mClient->Alive() && mClient->Reachable() && jack_port_connected(mPort) > 0;
}

void JackMidiPort::DiscardInput()
{
    uint32_t size = 0;
    while (mRing.Front(size))
        mRing.Drop();
}

void JackMidiPort::Close(std::chrono::milliseconds drain)
{
    std::lock_guard lock(mCloseMutex);
    if (mClosed.exchange(true))
        return;
    if (mDirection == JackPortDirection::Output && drain.count() > 0)
    {
        // The cycle that takes the last message must also end before the port goes,
        // so that the connected clients read it.
        const auto deadline = std::chrono::steady_clock::now() + drain;
        while (!mRing.Empty() && mClient->Alive() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(POLL);
        mClient->WaitCycles(1, std::chrono::duration_cast<std::chrono::milliseconds>(
                                   deadline - std::chrono::steady_clock::now()));
    }
    std::lock_guard clientLock(mClient->mMutex);
    mClient->Show(this, false);
    mClient->Release(mSlot);
}

} // namespace KV::Platform
