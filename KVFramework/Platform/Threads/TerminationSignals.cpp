#include "Platform/Threads/TerminationSignals.h"

#include <atomic>
#include <csignal>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace KV::Platform {

namespace {

sigset_t TerminationSignalSet()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    return set;
}

} // namespace

void StartTerminationSignalThread(void (*onSignal)(int signal))
{
    static std::atomic<bool> started{false};
    if (!onSignal || started.exchange(true))
        return;
    const sigset_t set = TerminationSignalSet();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    std::thread([set, onSignal] {
        for (;;)
        {
            int signal = 0;
            if (sigwait(&set, &signal) == 0)
                onSignal(signal);
        }
    }).detach();
}

void EndAsEndedBySignal(int signal)
{
    // The default action ends the process with the signal's status; the signal is
    // blocked in this thread, so it is let through here.
    ::signal(signal, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(signal);
    ::_exit(128 + signal);
}

} // namespace KV::Platform
