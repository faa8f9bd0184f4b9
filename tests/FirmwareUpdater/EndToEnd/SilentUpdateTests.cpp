// Silent runs of the updater, end to end: the updater and the simulated keyboard are
// separate processes on one private JACK server.
#include "SimProcess.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

using NorvikSimTest::SimProcess;
using namespace std::chrono_literals;

namespace {

struct RunResult
{
    std::optional<int> status; // none when it did not end in time
    std::string output;
};

// Runs the updater with the arguments and collects its standard output.
RunResult RunUpdater(const std::vector<std::string>& arguments, std::chrono::seconds timeout = 120s)
{
    int output[2];
    if (pipe2(output, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe");
    std::vector<std::string> all{UPDATER_PATH};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : all)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0)
    {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        dup2(output[1], STDOUT_FILENO);
        execve(UPDATER_PATH, argv.data(), environ);
        _exit(127);
    }
    close(output[1]);
    RunResult result;
    std::thread reader([&] {
        char buffer[4096];
        for (ssize_t n; (n = read(output[0], buffer, sizeof buffer)) > 0;)
            result.output.append(buffer, static_cast<size_t>(n));
        close(output[0]);
    });
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    while (std::chrono::steady_clock::now() < deadline)
    {
        if (waitpid(pid, &status, WNOHANG) == pid)
        {
            result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            break;
        }
        std::this_thread::sleep_for(20ms);
    }
    if (!result.status)
    {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    reader.join();
    return result;
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
    ASSERT_TRUE(sim.WaitForLine("on: normal mode"));
    const RunResult first = RunUpdater({"-SILENT", folder.ImageOption()});
    ASSERT_EQ(first.status, 2) << first.output << sim.Output();
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
    EXPECT_EQ(update.status, 0) << update.output << sim.Output();
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
    const Row rows[] = {
        {"no acknowledgement at record 3", {"--no-ack-at", "3"}, 3, "did not answer"},
        {"cancel request at record 2", {"--cancel-at", "2"}, 3, "did not answer"},
        {"cancel request at the last record", {"--cancel-at", "12"}, 4, "cancelled"},
        {"ports vanish at record 4", {"--vanish-at", "4"}, 3, "did not answer"},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.what);
        ImageFolder folder;
        SimProcess sim(SimArguments(folder, row.fault));
        SwitchAndPowerCycle(sim, folder);
        const RunResult update = RunUpdater({"-SILENT", folder.ImageOption()});
        EXPECT_EQ(update.status, row.status) << update.output << sim.Output();
        EXPECT_NE(update.output.find(row.said), std::string::npos) << update.output;
        sim.Command("quit");
        sim.WaitForExit();
    }
}

TEST(SilentUpdate, WithoutKeyboardTheWindowIsNeeded)
{
    ImageFolder folder;
    const RunResult run = RunUpdater({"-SILENT", folder.ImageOption()});
    EXPECT_EQ(run.status, 6) << run.output;
    EXPECT_NE(run.output.find("No keyboard was found"), std::string::npos) << run.output;
}
