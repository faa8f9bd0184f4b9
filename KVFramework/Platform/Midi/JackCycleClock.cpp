#include "Platform/Midi/JackCycleClock.h"

#include "Platform/Midi/RtMidiDriver.h"

#include <jack/jack.h>

#include <cstdio>
#include <thread>

namespace KV::Platform {

namespace {

void Silent(const char*) {}

void ToStandardError(const char* text)
{
    std::fprintf(stderr, "%s\n", text);
}

// The library complains on standard error when no server runs; that is an answer
// here, not an error.
jack_client_t* OpenQuietly(const char* name)
{
    jack_set_error_function(&Silent);
    jack_set_info_function(&Silent);
    jack_status_t status;
    jack_client_t* client = jack_client_open(name, JackNoStartServer, &status);
    jack_set_error_function(&ToStandardError);
    jack_set_info_function(&ToStandardError);
    return client;
}

} // namespace

std::unique_ptr<JackCycleClock> JackCycleClock::Open(std::string& error)
{
    std::unique_ptr<JackCycleClock> clock(new JackCycleClock);
    clock->mClient = OpenQuietly(MIDI_CLIENT_NAME);
    if (clock->mClient == nullptr)
    {
        error = "no JACK server answers";
        return nullptr;
    }
    if (jack_set_process_callback(clock->mClient, &JackCycleClock::OnCycle, clock.get()) != 0 ||
        jack_activate(clock->mClient) != 0)
    {
        error = "the JACK server refused a client";
        return nullptr;
    }
    return clock;
}

JackCycleClock::~JackCycleClock()
{
    if (mClient != nullptr)
        jack_client_close(mClient); // deactivates first: no OnCycle runs afterwards
}

int JackCycleClock::OnCycle(uint32_t, void* self)
{
    static_cast<JackCycleClock*>(self)->mCycles.fetch_add(1, std::memory_order_relaxed);
    return 0;
}

void JackCycleClock::WaitCycles(uint32_t cycles, std::chrono::milliseconds timeout) const
{
    const uint64_t until = mCycles.load(std::memory_order_relaxed) + cycles;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (mCycles.load(std::memory_order_relaxed) < until && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

bool JackServerAnswers()
{
    jack_client_t* client = OpenQuietly("KV MIDI probe");
    if (client != nullptr)
        jack_client_close(client);
    return client != nullptr;
}

} // namespace KV::Platform
