// norvik-sim: a Norvik keyboard simulated on the system's MIDI ports. See --help.

#include "FirmwareImage.h"
#include "KeyboardProtocol.h"
#include "SystemKeyboardLink.h"
#include "SimOptions.h"

#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <pthread.h>
#include <sstream>
#include <thread>
#include <unistd.h>

using namespace NorvikSim;

namespace {

constexpr int ExitMatched = 0;
constexpr int ExitNotMatched = 1;
constexpr int ExitFailure = 2;
constexpr std::chrono::seconds ShutdownLimit{5};

struct Keyboard
{
    std::unique_ptr<SystemKeyboardLink> link;
    std::unique_ptr<KeyboardProtocol> protocol;
    std::string outputPath;
};

sigset_t HandledSignals()
{
    sigset_t signals;
    sigemptyset(&signals);
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGUSR1})
        sigaddset(&signals, signal);
    return signals;
}

// Signals are taken by one thread with sigwait, so that nothing runs inside a handler.
void WatchSignals(IncomingQueue& queue)
{
    const sigset_t signals = HandledSignals();
    for (;;)
    {
        int signal = 0;
        if (sigwait(&signals, &signal) != 0)
            continue;
        queue.Push(
            Incoming{signal == SIGUSR1 ? Incoming::Kind::PowerCycle : Incoming::Kind::Quit, 0, 0, {}, {}});
    }
}

void ReadCommands(IncomingQueue& queue)
{
    std::string line;
    while (std::getline(std::cin, line))
        queue.Push(Incoming{Incoming::Kind::Command, 0, 0, {}, line});
    // The end of standard input stops nothing: a keyboard is switched off by a command or a signal.
}

bool ReadExpectedImage(const std::string& path, Bytes& image, std::string& error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
    {
        error = "cannot open " + path;
        return false;
    }
    std::ostringstream text;
    text << file.rdbuf();
    std::vector<RecordSpan> records;
    if (!ParseImageText(text.str(), image, error) || !SplitRecords(image, records, error))
    {
        error = path + ": " + error;
        return false;
    }
    return true;
}

void WriteImage(const std::string& path, const Bytes& image)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << FormatImageText(image);
    if (!file)
        std::fprintf(stderr, "norvik-sim: cannot write %s\n", path.c_str());
}

std::string Trim(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

class Simulator
{
public:
    // Throws std::runtime_error when the system's MIDI cannot be used.
    explicit Simulator(const SimOptions& options) : mStart(std::chrono::steady_clock::now())
    {
        const std::size_t count = options.twoKeyboards ? 2 : 1;
        for (std::size_t i = 0; i < count; ++i)
        {
            auto keyboard = std::make_unique<Keyboard>();
            const std::string suffix = options.nameSuffix + (i == 0 ? "" : " " + std::to_string(i + 1));
            if (!options.outputPath.empty())
                keyboard->outputPath = options.outputPath + (i == 0 ? "" : "." + std::to_string(i + 1));
            Keyboard* raw = keyboard.get();
            std::string error;
            keyboard->link = CreateKeyboardLink(
                i, suffix, options.jackLayout, mQueue,
                [this, raw, i](const KeyboardEvent& event) { Print(*raw, i, event); }, error);
            if (!keyboard->link)
                throw std::runtime_error(error);
            keyboard->protocol = std::make_unique<KeyboardProtocol>(options.settings, *keyboard->link);
            mKeyboards.push_back(std::move(keyboard));
        }
    }

    IncomingQueue& Queue() { return mQueue; }

    void Run()
    {
        for (auto& keyboard : mKeyboards)
            keyboard->protocol->PowerOn();
        while (!mQuit)
        {
            auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
            for (auto& keyboard : mKeyboards)
            {
                if (const auto due = keyboard->protocol->NextDue())
                    deadline = std::min(deadline, std::chrono::steady_clock::time_point(*due));
            }
            for (Incoming& item : mQueue.WaitAndTakeAll(deadline))
                Handle(item);
            for (auto& keyboard : mKeyboards)
                keyboard->protocol->Poll();
        }
    }

    int ExitStatus() const
    {
        bool matched = false;
        for (const auto& keyboard : mKeyboards)
        {
            const TransferOutcome outcome = keyboard->protocol->Outcome();
            if (outcome == TransferOutcome::Differs)
                return ExitNotMatched;
            matched = matched || outcome == TransferOutcome::Matched;
        }
        return matched ? ExitMatched : ExitNotMatched;
    }

    void Shutdown()
    {
        // Before the process ends: a synchronous JACK server would otherwise wait for
        // clients that vanished.
        for (auto& keyboard : mKeyboards)
            keyboard->link->ClosePorts();
    }

private:
    void Handle(Incoming& item)
    {
        switch (item.kind)
        {
        case Incoming::Kind::Midi:
        {
            Keyboard& keyboard = *mKeyboards[item.keyboard];
            if (item.generation == keyboard.link->Generation())
                keyboard.protocol->Receive(item.bytes);
            break;
        }
        case Incoming::Kind::PowerCycle:
            PowerCycleAll();
            break;
        case Incoming::Kind::Quit:
            mQuit = true;
            break;
        case Incoming::Kind::Command:
        {
            const std::string command = Trim(item.text);
            if (command == "power")
                PowerCycleAll();
            else if (command == "quit")
                mQuit = true;
            else if (!command.empty())
                PrintLine("ignored: unknown command '" + command + "' (power, quit)");
            break;
        }
        }
    }

    void PowerCycleAll()
    {
        for (auto& keyboard : mKeyboards)
            keyboard->protocol->PowerCycle();
    }

    void Print(const Keyboard& keyboard, std::size_t index, const KeyboardEvent& event)
    {
        PrintLine((index == 0 ? "" : "#" + std::to_string(index + 1) + " ") + event.text);
        if (event.kind == KeyboardEvent::Kind::Done && !keyboard.outputPath.empty())
            WriteImage(keyboard.outputPath, keyboard.protocol->ReceivedImage());
    }

    void PrintLine(const std::string& text)
    {
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - mStart;
        std::printf("%9.3f %s\n", elapsed.count(), text.c_str());
        std::fflush(stdout);
    }

    std::chrono::steady_clock::time_point mStart;
    IncomingQueue mQueue;
    std::vector<std::unique_ptr<Keyboard>> mKeyboards;
    bool mQuit = false;
};

} // namespace

int main(int argc, char** argv)
{
    // Block the signals before any thread starts, so that only the watcher takes them.
    const sigset_t signals = HandledSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    std::string error;
    std::optional<SimOptions> options = ParseSimOptions(arguments, error);
    if (!options)
    {
        std::fprintf(stderr, "norvik-sim: %s\n", error.c_str());
        return ExitFailure;
    }
    if (options->showHelp)
    {
        std::fputs(SimHelpText().c_str(), stdout);
        return 0;
    }
    if (!options->expectedImagePath.empty())
    {
        Bytes image;
        if (!ReadExpectedImage(options->expectedImagePath, image, error))
        {
            std::fprintf(stderr, "norvik-sim: expected image: %s\n", error.c_str());
            return ExitFailure;
        }
        options->settings.expectedImage = std::move(image);
    }
    // The simulator and its queue outlive main: the two helper threads block in
    // sigwait and getline and are never joined, so the process ends with _exit.
    Simulator* simulator = nullptr;
    try
    {
        simulator = new Simulator(*options);
    }
    catch (const std::exception& failure)
    {
        std::fprintf(stderr, "norvik-sim: %s\n", failure.what());
        return ExitFailure;
    }
    std::thread(WatchSignals, std::ref(simulator->Queue())).detach();
    std::thread(ReadCommands, std::ref(simulator->Queue())).detach();

    int status = ExitFailure;
    try
    {
        simulator->Run();
        status = simulator->ExitStatus();
    }
    catch (const std::exception& failure)
    {
        std::fprintf(stderr, "norvik-sim: MIDI failure: %s\n", failure.what());
    }
    // Switching off asks the MIDI server to remove the ports; a server that no longer
    // answers must not keep the keyboard from ending.
    std::thread([status] {
        std::this_thread::sleep_for(ShutdownLimit);
        std::fprintf(stderr, "norvik-sim: the MIDI server did not let the ports go; ending anyway\n");
        std::fflush(stdout);
        _exit(status);
    }).detach();
    simulator->Shutdown();
    std::fflush(stdout);
    std::fflush(stderr);
    _exit(status);
}
