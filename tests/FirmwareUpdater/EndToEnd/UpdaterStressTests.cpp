// Many short runs of the updater against the simulated keyboard, both separate
// processes on one private JACK server: the run without a keyboard, then the switch
// into update mode, a power cycle and the transfer, over and over. Neither program may
// end by a signal or hang at any point (every wait is bounded and a process that
// hangs is killed); a failure names the cycle and the step.
//
// KV_STRESS_CYCLES sets the number of cycles (three updater runs each).
#include "SimProcess.h"
#include "SmallFirmwareImage.h"
#include "UpdaterProcess.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

using NorvikSimTest::SimProcess;
using UpdaterTest::RunResult;
using namespace std::chrono_literals;

namespace {

constexpr int kDefaultCycles = 70;
// Far beyond a run's few hundred milliseconds, and beyond the longest a transfer run
// takes by design when the keyboard answers no more after the last record (10 s for
// the last acknowledgement, then 20 looks for the keyboard of up to 2.5 s each): such
// a run ends by itself and says what happened, where a run killed at the limit only
// leaves its threads' stacks.
constexpr auto kRunLimit = 120s;

int Cycles()
{
    const char* value = std::getenv("KV_STRESS_CYCLES");
    return value != nullptr && std::atoi(value) > 0 ? std::atoi(value) : kDefaultCycles;
}

TEST(UpdaterStress, SwitchAndTransferAndNoKeyboardRunsNeverCrashOrHang)
{
    const SmallFirmwareImage image("kv-stress"); // four records: a cycle stays short
    const std::vector<std::string> silent{"-SILENT", "-ABSOLUTE_FIRMWARE_FILE_PATH=" + image.path};
    const int cycles = Cycles();
    for (int cycle = 1; cycle <= cycles; ++cycle)
    {
        const std::string where = "cycle " + std::to_string(cycle) + " of " + std::to_string(cycles) + ", ";

        const RunResult alone = UpdaterTest::RunUpdater(silent, kRunLimit);
        ASSERT_EQ(alone.status, 6) << where << "run without a keyboard: " << alone.Describe() << "\n"
                                   << alone.output << alone.errors;

        SimProcess sim({"--expect", image.path, "--off-time", "50", "--install-time", "50"});
        ASSERT_TRUE(sim.WaitForLine("on: normal mode")) << where << "the keyboard did not start\n"
                                                        << sim.Output();
        const RunResult switched = UpdaterTest::RunUpdater(silent, kRunLimit);
        ASSERT_EQ(switched.status, 2) << where << "switch run: " << switched.Describe() << "\n"
                                      << switched.output << switched.errors << sim.Output();

        // The power cycle by command and by signal in turn.
        if (cycle % 2 == 0)
            sim.Signal(SIGUSR1);
        else
            sim.Command("power");
        ASSERT_TRUE(sim.WaitForLine("on: update mode")) << where << "no power cycle\n" << sim.Output();
        const RunResult transfer = UpdaterTest::RunUpdater(silent, kRunLimit);
        ASSERT_EQ(transfer.status, 0) << where << "transfer run: " << transfer.Describe() << "\n"
                                      << transfer.output << transfer.errors << sim.Output();
        ASSERT_TRUE(sim.WaitForLine("done: image matches")) << where << sim.Output();

        // The keyboard ends by command or by signal, at once or while rebooting.
        if (cycle % 3 == 0)
            sim.Signal(SIGTERM);
        else
            sim.Command("quit");
        const std::optional<int> simEnd = sim.WaitForExit(10s);
        ASSERT_TRUE(simEnd.has_value()) << where << "the keyboard hung at its end\n"
                                        << sim.Output() << sim.Stacks();
        ASSERT_LT(*simEnd, 128) << where << "the keyboard ended by signal " << *simEnd - 128 << "\n"
                                << sim.Output();
    }
}

} // namespace
