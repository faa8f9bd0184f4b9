// Silent runs of the updater, end to end: the updater and the simulated keyboard are
// separate processes on one private JACK server.
#include "JackServerProcess.h"
#include "SimProcess.h"
#include "UpdaterProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sys/stat.h>
#include <string>
#include <vector>

using NorvikSimTest::SimProcess;
using UpdaterTest::RunResult;
using UpdaterTest::RunUpdater;
using UpdaterTest::UpdaterChild;
using namespace std::chrono_literals;

namespace {

std::string Both(const RunResult& run)
{
    return "stdout:\n" + run.output + "stderr:\n" + run.errors;
}

// A temporary folder with a firmware image: 12 records of random lengths, the last of
// 300 bytes (so that it takes many chunks).
struct ImageFolder
{
    std::filesystem::path folder;
    std::string image;

    ImageFolder()
    {
        char pattern[] = "/tmp/kv-e2e-XXXXXX";
        folder = mkdtemp(pattern);
        std::mt19937 random(7);
        std::string text;
        char hex[8];
        for (int record = 0; record < 12; ++record)
        {
            const unsigned length = record == 11 ? 300 : random() % 40;
            std::snprintf(hex, sizeof hex, "%04X", length);
            text += hex;
            for (unsigned i = 0; i < length; ++i)
            {
                std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned>(random() % 256));
                text += hex;
            }
        }
        image = (folder / "image.led").string();
        std::ofstream(image) << text;
    }
    ~ImageFolder() { std::filesystem::remove_all(folder); }
    std::string ImageOption() const { return "-ABSOLUTE_FIRMWARE_FILE_PATH=" + image; }
};

std::vector<std::string> SimArguments(const ImageFolder& folder, std::vector<std::string> extra = {})
{
    std::vector<std::string> arguments{"--expect",       folder.image, "--off-time",  "300",
                                       "--install-time", "300",        "--quiet-end", "1500"};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return arguments;
}

// Switches the keyboard with a first silent run and power-cycles it: the keyboard then
// waits in its update mode.
void SwitchAndPowerCycle(SimProcess& sim, const ImageFolder& folder)
{
    ASSERT_TRUE(sim.WaitForLine("on: normal mode")) << sim.Output();
    const RunResult first = RunUpdater({"-SILENT", folder.ImageOption()});
    ASSERT_EQ(first.status, 2) << Both(first) << sim.Output();
    EXPECT_NE(first.output.find("Switch it off and on"), std::string::npos) << first.output;
    sim.Command("power");
    ASSERT_TRUE(sim.WaitForLine("on: update mode")) << sim.Output();
}

} // namespace

TEST(SilentUpdate, SwitchPowerCycleUpdate)
{
    ImageFolder folder;
    SimProcess sim(SimArguments(folder));
    SwitchAndPowerCycle(sim, folder);

    const RunResult update = RunUpdater({"-SILENT", folder.ImageOption()});
    EXPECT_EQ(update.status, 0) << Both(update) << sim.Output();
    EXPECT_NE(update.output.find("the keyboard confirmed the whole image"), std::string::npos)
        << Both(update);
    EXPECT_TRUE(update.errors.empty()) << Both(update);
    EXPECT_TRUE(sim.WaitForLine("done: image matches")) << sim.Output();
    ASSERT_TRUE(sim.WaitForLine("on: normal mode, firmware 1.0.0.6")) << sim.Output();

    // The keyboard now runs the image's version: nothing is needed, nothing is sent.
    const RunResult again = RunUpdater({"-SILENT_IF_UPDATE_NOT_NEEDED", folder.ImageOption()});
    EXPECT_EQ(again.status, 0) << again.output;
    EXPECT_NE(again.output.find("No update is needed"), std::string::npos) << again.output;
    sim.Command("quit");
    EXPECT_EQ(sim.WaitForExit(), 0) << sim.Output();
    EXPECT_EQ(sim.Output().find("enter update mode", sim.Output().find("1.0.0.6")), std::string::npos);
}

TEST(SilentUpdate, InjectedFaultsEndWithTheirStatus)
{
    struct Row
    {
        const char* what;
        std::vector<std::string> fault;
        int status;
        const char* said;
    };
    // The image has 12 records; a fault at record 12 hits the last.
    const Row rows[] = {
        {"no acknowledgement at record 3", {"--no-ack-at", "3"}, 3, "did not answer"},
        {"cancel request at record 2", {"--cancel-at", "2"}, 4, "the keyboard asked to stop the update"},
        {"cancel request at the last record",
         {"--cancel-at", "12"},
         4,
         "the keyboard asked to stop the update"},
        {"ports vanish at record 4", {"--vanish-at", "4"}, 3, "did not answer"},
        {"ports vanish at the last record", {"--vanish-at", "12"}, 7, "confirmed neither its last record"},
        {"no acknowledgement of the session start", {"--no-session-ack"}, 3, "did not answer the start"},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.what);
        ImageFolder folder;
        SimProcess sim(SimArguments(folder, row.fault));
        SwitchAndPowerCycle(sim, folder);
        const RunResult update = RunUpdater({"-SILENT", folder.ImageOption()});
        EXPECT_EQ(update.status, row.status) << Both(update) << sim.Output();
        EXPECT_NE(update.errors.find(row.said), std::string::npos) << Both(update);
        EXPECT_NE(update.output.find("Keyboard firmware:"), std::string::npos) << Both(update);
        sim.Command("quit");
        sim.WaitForExit();
    }
}

// The JACK server stops while the updater waits for an acknowledgement: the run fails
// and says that the MIDI system went away, not that the keyboard kept silent.
TEST(SilentUpdate, AServerThatStopsDuringTheTransferIsTheReasonGiven)
{
    KV::Test::JackServerProcess server("stops"); // the sim and the updater inherit it
    ASSERT_TRUE(server.Start()) << server.Log();
    ImageFolder folder;
    SimProcess sim(SimArguments(folder, {"--no-ack-at", "3"}));
    SwitchAndPowerCycle(sim, folder);
    UpdaterChild update({"-SILENT", folder.ImageOption()}, false);
    ASSERT_TRUE(sim.WaitForLine("no acknowledgement of record 3")) << sim.Output();
    server.Stop();
    const RunResult run = update.Finish(120s);
    EXPECT_EQ(run.status, 3) << Both(run);
    EXPECT_NE(run.errors.find("the MIDI system went away"), std::string::npos) << Both(run);
}

// The full names of the JACK server's ports, as jack_lsp lists them.
std::vector<std::string> JackPorts()
{
    std::vector<std::string> ports;
    if (FILE* list = popen("jack_lsp 2>/dev/null", "r"))
    {
        char line[1024];
        while (std::fgets(line, sizeof line, list))
        {
            std::string port(line);
            while (!port.empty() && (port.back() == '\n' || port.back() == ' '))
                port.pop_back();
            ports.push_back(port);
        }
        pclose(list);
    }
    return ports;
}

// The updater's JACK client is named after the application, without the keyboard's
// texts, and has only the ports it uses: one input and one output per keyboard it can
// hold at once.
TEST(SilentUpdate, TheJackClientIsNamedAfterTheApplicationWithTheFewPortsItUses)
{
    ImageFolder folder;
    SimProcess sim(SimArguments(folder, {"--no-identity-reply"}));
    ASSERT_TRUE(sim.WaitForLine("on: normal mode")) << sim.Output();
    UpdaterChild update({"-SILENT", folder.ImageOption()}, false);
    // Listed while the run waits for the keyboard's answer; a listing taken while the
    // client still registers its ports is taken again.
    std::vector<std::string> ours;
    for (const auto deadline = std::chrono::steady_clock::now() + 60s;
         ours.size() < 8 && !update.HasEnded() && std::chrono::steady_clock::now() < deadline;)
    {
        ours.clear();
        for (const std::string& port : JackPorts())
            if (port.rfind("ZR Firmware Updater:", 0) == 0)
                ours.push_back(port);
    }
    const RunResult run = update.Finish(120s);
    std::sort(ours.begin(), ours.end());
    const std::vector<std::string> expected{"ZR Firmware Updater:in 1",  "ZR Firmware Updater:in 2",
                                            "ZR Firmware Updater:in 3",  "ZR Firmware Updater:in 4",
                                            "ZR Firmware Updater:out 1", "ZR Firmware Updater:out 2",
                                            "ZR Firmware Updater:out 3", "ZR Firmware Updater:out 4"};
    EXPECT_EQ(ours, expected) << Both(run);
    sim.Command("quit");
    sim.WaitForExit();
}

TEST(SilentUpdate, WithoutKeyboardTheWindowIsNeeded)
{
    ImageFolder folder;
    const RunResult run = RunUpdater({"-SILENT", folder.ImageOption()});
    EXPECT_EQ(run.status, 6) << Both(run);
    EXPECT_NE(run.errors.find("No keyboard was found"), std::string::npos) << Both(run);
    // The framework's diagnostics only for a developer who asked for them.
    EXPECT_EQ(run.errors.find("No windows"), std::string::npos) << Both(run);
}

TEST(SilentUpdate, TransferStartedForTheWindowEndsBeforeTheProcess)
{
    ImageFolder folder;
    SimProcess sim(SimArguments(folder));
    SwitchAndPowerCycle(sim, folder);
    const RunResult update = RunUpdater({"-START_UPDATE_AUTOMATICALLY", folder.ImageOption()});
    EXPECT_EQ(update.status, 0) << Both(update) << sim.Output();
    EXPECT_TRUE(sim.WaitForLine("done: image matches")) << sim.Output();
}

TEST(SilentUpdate, UnreadableImageEndsBeforeAnythingIsSent)
{
    ImageFolder folder;
    const std::string broken = (folder.folder / "broken.led").string();
    std::ofstream(broken) << "0003AABBC"; // odd length
    SimProcess sim(SimArguments(folder));
    ASSERT_TRUE(sim.WaitForLine("on: normal mode")) << sim.Output();
    const RunResult run = RunUpdater({"-SILENT", "-ABSOLUTE_FIRMWARE_FILE_PATH=" + broken});
    EXPECT_EQ(run.status, 3) << Both(run);
    EXPECT_NE(run.errors.find("could not be read"), std::string::npos) << Both(run);
    sim.Command("quit");
    sim.WaitForExit();
    // The keyboard was asked its identity, and was not switched.
    EXPECT_NE(sim.Output().find("identity"), std::string::npos) << sim.Output();
    EXPECT_EQ(sim.Output().find("enter"), std::string::npos) << sim.Output();
}

// Hostile command lines against a keyboard in its normal mode: each run ends at once with
// its status and says why; none switches the keyboard for an image it cannot send.
TEST(SilentUpdate, HostileInputsEndWithAStatusAndAReason)
{
    ImageFolder folder;
    const std::string pipe = (folder.folder / "pipe.led").string();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    // A Latin-1 folder name with a backslash in it: a Linux name like any other.
    const std::string odd = (folder.folder / "\xE9t\xE9\\2026.led").string();
    std::filesystem::copy_file(folder.image, odd);
    struct Row
    {
        const char* what;
        const char* firmware; // the keyboard's
        std::vector<std::string> arguments;
        int status;
        std::string said; // on standard output or standard error
    };
    const Row rows[] = {
        {"a named pipe as the image",
         "1.0.0.5",
         {"-SILENT", "-ABSOLUTE_FIRMWARE_FILE_PATH=" + pipe},
         3,
         "it is not a regular file"},
        {"an empty image path",
         "1.0.0.5",
         {"-SILENT", "-ABSOLUTE_FIRMWARE_FILE_PATH="},
         6,
         "No firmware image was named"},
        // The option after the path counts, and the path is found and printed as it is.
        {"a path that is no UTF-8",
         "1.0.0.6",
         {"-ABSOLUTE_FIRMWARE_FILE_PATH=" + odd, "-SILENT_IF_UPDATE_NOT_NEEDED"},
         0,
         "Firmware image: " + odd + " (1.0.0.6)\nNo update is needed"},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.what);
        SimProcess sim({"--firmware", row.firmware});
        ASSERT_TRUE(sim.WaitForLine("on: normal mode")) << sim.Output();
        const RunResult run = RunUpdater(row.arguments);
        EXPECT_EQ(run.status, row.status) << Both(run);
        EXPECT_NE((run.output + run.errors).find(row.said), std::string::npos) << Both(run);
        sim.Command("quit");
        sim.WaitForExit();
        EXPECT_EQ(sim.Output().find("enter"), std::string::npos) << sim.Output();
    }
}

// A signal that asks the updater to end, in the middle of a transfer: the transfer stops
// as a cancel, and the run ends with the status of a cancelled update and says why.
TEST(SilentUpdate, TerminationSignalsCancelTheTransfer)
{
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
    {
        SCOPED_TRACE(strsignal(signal));
        ImageFolder folder;
        // Record 3's acknowledgement comes late: the signal finds the transfer waiting.
        SimProcess sim(SimArguments(folder, {"--late-ack-at", "3:20000"}));
        SwitchAndPowerCycle(sim, folder);
        UpdaterTest::UpdaterChild updater({"-SILENT", folder.ImageOption()}, false);
        ASSERT_TRUE(sim.WaitForLine("record 3 OK")) << sim.Output();
        ASSERT_EQ(kill(updater.Pid(), signal), 0);
        const RunResult& run = updater.Finish(60s);
        EXPECT_EQ(run.status, 4) << run.Describe() << Both(run) << sim.Output();
        EXPECT_NE(run.errors.find("The firmware update was cancelled: the updater was asked to end"),
                  std::string::npos)
            << Both(run);
        sim.Command("quit");
        sim.WaitForExit();
        // Nothing went out after the record that was awaited.
        EXPECT_EQ(sim.Output().find("record 4"), std::string::npos) << sim.Output();
    }
}

// Two updaters at once against one keyboard: the one that talks to it first holds it, the
// second ends at once and says why, and the first one's transfer goes through unbroken.
TEST(SilentUpdate, ASecondUpdaterLeavesTheKeyboardToTheFirst)
{
    ImageFolder folder;
    // Record 3's acknowledgement comes late: the second updater finds the first mid-transfer.
    SimProcess sim(SimArguments(folder, {"--late-ack-at", "3:2000"}));
    SwitchAndPowerCycle(sim, folder);
    UpdaterTest::UpdaterChild first({"-SILENT", folder.ImageOption()}, false);
    ASSERT_TRUE(sim.WaitForLine("record 3 OK")) << sim.Output();
    const RunResult second = RunUpdater({"-SILENT", folder.ImageOption()});
    EXPECT_EQ(second.status, 3) << Both(second) << sim.Output();
    EXPECT_NE(second.errors.find("another updater is talking to this keyboard"), std::string::npos)
        << Both(second);
    const RunResult& run = first.Finish(120s);
    EXPECT_EQ(run.status, 0) << run.Describe() << Both(run) << sim.Output();
    EXPECT_TRUE(sim.WaitForLine("done: image matches")) << sim.Output();
    sim.Command("quit");
    sim.WaitForExit();
    // The keyboard saw one session only.
    const std::string seen = sim.Output();
    EXPECT_EQ(seen.find("session: start", seen.find("session: start") + 1), std::string::npos) << seen;
}

// Several keyboards: a silent run cannot tell which one the image is for, so it switches
// none of them and says why, run after run (once, the first run switched one and the
// second the other, which was then left in its update mode).
TEST(SilentUpdate, SeveralKeyboardsAreNotSwitched)
{
    struct Row
    {
        const char* what;
        std::vector<std::vector<std::string>> simulators; // each one's extra options
    };
    const Row rows[] = {
        {"two keyboards of one simulator", {{"--two-keyboards"}}},
        {"two simulators", {{}, {"--name-suffix", " B"}}},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.what);
        ImageFolder folder;
        std::vector<std::unique_ptr<SimProcess>> sims;
        for (const auto& extra : row.simulators)
        {
            sims.push_back(std::make_unique<SimProcess>(SimArguments(folder, extra)));
            ASSERT_TRUE(sims.back()->WaitForLine("on: normal mode")) << sims.back()->Output();
        }
        for (int run = 1; run <= 2; ++run)
        {
            const RunResult silent = RunUpdater({"-SILENT", folder.ImageOption()});
            EXPECT_EQ(silent.status, 6) << run << Both(silent);
            EXPECT_NE(silent.errors.find("Several keyboards were found"), std::string::npos) << Both(silent);
        }
        for (const auto& sim : sims)
        {
            sim->Command("quit");
            sim->WaitForExit();
            EXPECT_EQ(sim->Output().find("enter"), std::string::npos) << sim->Output();
        }
    }
}

// A JACK server that stops answering (SIGSTOP) before the run or while a record's
// acknowledgement is awaited: the run ends all the same, with a status and the reason.
TEST(SilentUpdate, AServerThatStopsAnsweringEndsTheRunWithTheReason)
{
    struct Row
    {
        const char* what;
        bool beforeTheRun;
        int status;
        const char* said;
    };
    const Row rows[] = {
        {"paused before the run", true, 1, "the JACK server does not answer"},
        {"paused while record 3 is awaited", false, 3, "the MIDI system went away"},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.what);
        KV::Test::JackServerProcess server("paused"); // the sim and the updater inherit it
        ASSERT_TRUE(server.Start()) << server.Log();
        ImageFolder folder;
        SimProcess sim(SimArguments(folder, {"--no-ack-at", "3"}));
        SwitchAndPowerCycle(sim, folder);
        if (row.beforeTheRun)
            server.Stall();
        UpdaterChild update({"-SILENT", folder.ImageOption()}, false);
        if (!row.beforeTheRun)
        {
            ASSERT_TRUE(sim.WaitForLine("no acknowledgement of record 3")) << sim.Output();
            server.Stall();
        }
        const RunResult& run = update.Finish(120s);
        EXPECT_EQ(run.status, row.status) << run.Describe() << Both(run);
        EXPECT_NE(run.errors.find(row.said), std::string::npos) << Both(run);
        server.Resume();
    }
}
