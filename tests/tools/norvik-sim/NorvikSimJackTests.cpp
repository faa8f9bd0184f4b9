// norvik-sim on a real MIDI system (the private JACK server of tools/with-jack.sh):
// a small host asks the identity, switches the keyboard, power-cycles it, sends
// an image and checks what the program prints and how it exits.

#include "KeyboardHarness.h"
#include "SimProcess.h"
#include "TestMidiHost.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace NorvikSimTest {
namespace {

namespace DP = DeviceProtocol;
namespace fs = std::filesystem;

class TempFolder
{
public:
    TempFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "norvik-sim-test.XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp");
        mPath = pattern;
    }
    ~TempFolder() { fs::remove_all(mPath); }
    fs::path operator/(const std::string& name) const { return mPath / name; }

private:
    fs::path mPath;
};

void WriteText(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::string ReadText(const fs::path& path)
{
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

// Connects the host to the keyboard's ports once the keyboard has said that it is on
// (a line containing `onLine`), not merely once its ports are listed (see Connect).
bool ConnectWhenOn(TestMidiHost& host, SimProcess& sim, const std::string& onLine, const std::string& piece,
                   const std::string& excluded = {})
{
    return sim.WaitForLine(onLine) && host.Connect(piece, excluded);
}

// Identity request on the connected ports; the reply's four version bytes.
std::optional<std::array<std::uint8_t, 4>> AskVersion(TestMidiHost& host)
{
    const auto reply = host.Ask(DP::IdentityRequest);
    if (!reply || !DP::IsIdentityReply(*reply))
        return std::nullopt;
    std::array<std::uint8_t, 4> version{};
    std::copy_n(reply->begin() + DP::IdentityReplyVersionIndex, 4, version.begin());
    return version;
}

// Session start and every chunk, as the updater sends them (with its pause before
// each chunk), waiting for the acknowledgement after each record.
void SendImage(TestMidiHost& host, const Bytes& image)
{
    ASSERT_EQ(host.Ask(DP::EnterUpdateModeMessage), Ack) << "session start";
    const auto records = ChunksByRecord(image);
    for (std::size_t r = 0; r < records.size(); ++r)
    {
        for (const Bytes& chunk : records[r])
        {
            host.Send(chunk);
            std::this_thread::sleep_for(std::chrono::milliseconds(DP::ChunkPauseMs));
        }
        ASSERT_EQ(host.Receive(), Ack) << "record " << r + 1;
    }
}

const std::array<std::uint8_t, 4> Version1005 = {1, 0, 0, 5};
const std::array<std::uint8_t, 4> Version1006 = {1, 0, 0, 6};

TEST(NorvikSimOnJack, UpdatesFromIdentityToRebootAndExitsZeroOnAMatchingImage)
{
    TempFolder folder;
    const Bytes image = MakeImage({9, 40});
    WriteText(folder / "expected.hex", NorvikSim::FormatImageText(image));
    SimProcess sim({"--expect", (folder / "expected.hex").string(), "--output",
                    (folder / "received.hex").string(), "--off-time", "300", "--install-time", "300"});
    TestMidiHost host;

    ASSERT_TRUE(ConnectWhenOn(host, sim, "on: normal mode", "Norvik")) << sim.Output();
    EXPECT_EQ(AskVersion(host), Version1005) << sim.Output();
    EXPECT_EQ(host.Ask(DP::EnterUpdateModeMessage), Accepted);
    ASSERT_TRUE(sim.WaitForLine("enter: accepted")) << sim.Output();

    sim.Command("power");
    ASSERT_TRUE(sim.WaitForLine("off: power cycle")) << sim.Output();
    ASSERT_TRUE(ConnectWhenOn(host, sim, "on: update mode", "VORazuro Updater")) << sim.Output();
    EXPECT_EQ(host.CountPorts("Norvik"), 0u) << "never both sets of ports at once";
    SendImage(host, image);

    ASSERT_TRUE(sim.WaitForLine("record 1 OK")) << sim.Output();
    ASSERT_TRUE(sim.WaitForLine("record 2 OK")) << sim.Output();
    ASSERT_TRUE(sim.WaitForLine("done: image matches (2 records, 53 bytes)")) << sim.Output();
    ASSERT_TRUE(sim.WaitForLine("on: normal mode, firmware 1.0.0.6")) << sim.Output();
    EXPECT_EQ(host.CountPorts("VORazuro Updater"), 0u);
    ASSERT_TRUE(host.Connect("Norvik")) << sim.Output(); // the keyboard is on
    EXPECT_EQ(AskVersion(host), Version1006);

    sim.Command("quit");
    EXPECT_EQ(sim.WaitForExit(), 0) << sim.Output();
    EXPECT_EQ(ReadText(folder / "received.hex"), NorvikSim::FormatImageText(image));
}

TEST(NorvikSimOnJack, AMismatchingImageIsNotInstalledAndExitsOne)
{
    // Also: the automatic power cycle, a closed standard input that stops nothing,
    // and SIGTERM to end the program.
    TempFolder folder;
    const Bytes expected = MakeImage({5, 5});
    WriteText(folder / "expected.hex", NorvikSim::FormatImageText(expected));
    SimProcess sim({"--expect", (folder / "expected.hex").string(), "--auto-power-cycle", "200", "--off-time",
                    "300", "--quiet-end", "500"});
    sim.CloseInput();
    TestMidiHost host;

    ASSERT_TRUE(ConnectWhenOn(host, sim, "on: normal mode", "Norvik")) << sim.Output();
    // Asked once only: the keyboard switches off by itself soon after accepting.
    ASSERT_EQ(AskVersion(host), Version1005) << sim.Output();
    host.Send(DP::EnterUpdateModeMessage);
    EXPECT_EQ(host.Receive(), Accepted);
    ASSERT_TRUE(host.WaitForPortCount("Norvik", 0, std::chrono::seconds(20))) << sim.Output();
    ASSERT_TRUE(ConnectWhenOn(host, sim, "on: update mode", "VORazuro Updater")) << sim.Output();
    Bytes sent = expected;
    sent[sent.size() - 1] ^= 0x01;
    SendImage(host, sent);

    ASSERT_TRUE(sim.WaitForLine("record 2 MISMATCH")) << sim.Output();
    ASSERT_TRUE(sim.WaitForLine("done: image DIFFERS")) << sim.Output();
    EXPECT_EQ(host.CountPorts("VORazuro Updater"), 2u) << "still waiting in update mode";
    sim.Signal(SIGTERM);
    EXPECT_EQ(sim.WaitForExit(), 1) << sim.Output();
}

TEST(NorvikSimOnJack, PortsVanishInTheTransferAndComeBackAsUpdatePorts)
{
    SimProcess sim({"--vanish-at", "2", "--off-time", "300"});
    TestMidiHost host;
    ASSERT_TRUE(ConnectWhenOn(host, sim, "on: normal mode", "Norvik")) << sim.Output();
    ASSERT_EQ(host.Ask(DP::EnterUpdateModeMessage), Accepted);
    sim.Signal(SIGUSR1);
    ASSERT_TRUE(ConnectWhenOn(host, sim, "on: update mode", "VORazuro Updater")) << sim.Output();

    const auto records = ChunksByRecord(MakeImage({3, 30}));
    ASSERT_EQ(host.Ask(DP::EnterUpdateModeMessage), Ack);
    for (const Bytes& chunk : records[0])
        host.Send(chunk);
    ASSERT_EQ(host.Receive(), Ack);
    host.Send(records[1][0]);
    ASSERT_TRUE(sim.WaitForLine("fault: the ports vanish during record 2")) << sim.Output();
    ASSERT_TRUE(sim.WaitForLine("on: update mode")) << sim.Output();

    sim.Command("quit");
    EXPECT_EQ(sim.WaitForExit(), 1) << "no image arrived";
}

TEST(NorvikSimOnJack, TwoKeyboardsAnswerOnTheirOwnPorts)
{
    SimProcess sim({"--two-keyboards", "--firmware", "1.0.10.0"});
    TestMidiHost host;
    ASSERT_TRUE(host.WaitForPortCount("Norvik", 4, std::chrono::seconds(20))) << sim.Output();
    ASSERT_TRUE(sim.WaitForLine("#2 on: normal mode")) << sim.Output(); // both are on
    for (const auto& [piece, excluded] : {std::pair{"Norvik", "Norvik ZR 2"}, std::pair{"Norvik ZR 2", ""}})
    {
        ASSERT_TRUE(host.Connect(piece, excluded)) << piece;
        EXPECT_EQ(AskVersion(host), (std::array<std::uint8_t, 4>{1, 0, 10, 0})) << piece << "\n"
                                                                                << sim.Output();
    }
    ASSERT_TRUE(sim.WaitForLine("#2 identity: firmware 1.0.10.0 (a version part of 10 or more)"))
        << sim.Output();
    sim.Signal(SIGINT);
    EXPECT_EQ(sim.WaitForExit(), 1);
}

TEST(NorvikSimOnJack, CommandLineErrorsAndHelp)
{
    SimProcess help({"--help"});
    EXPECT_EQ(help.WaitForExit(), 0);
    EXPECT_TRUE(help.WaitForLine("--vanish-at K"));

    TempFolder folder;
    WriteText(folder / "odd.hex", "000");
    for (const std::vector<std::string>& arguments : {std::vector<std::string>{"--no-such-option"},
                                                      {"--expect", (folder / "odd.hex").string()},
                                                      {"--expect", (folder / "missing.hex").string()}})
    {
        SimProcess sim(arguments);
        EXPECT_EQ(sim.WaitForExit(), 2) << arguments[0];
    }
}

} // namespace
} // namespace NorvikSimTest
