#include "SimOptions.h"

#include <gtest/gtest.h>

namespace NorvikSim {
namespace {

std::optional<SimOptions> Parse(std::vector<std::string_view> arguments, std::string* errorOut = nullptr)
{
    std::string error;
    auto options = ParseSimOptions(arguments, error);
    if (errorOut)
        *errorOut = error;
    return options;
}

TEST(SimOptions, DefaultsMakeAWellBehavedKeyboard)
{
    const auto options = Parse({});
    ASSERT_TRUE(options);
    EXPECT_EQ(options->settings.version.Text(), "1.0.0.5");
    EXPECT_EQ(options->settings.installedVersion.Text(), "1.0.0.6");
    EXPECT_EQ(options->settings.ackStatus, 0x40);
    EXPECT_FALSE(options->settings.autoPowerCycle);
    const KeyboardFaults& faults = options->settings.faults;
    EXPECT_FALSE(faults.noIdentityReply || faults.noEnterReply || faults.noSessionAck ||
                 faults.duplicateAcks || faults.neverReturn || faults.returnInNormalMode ||
                 faults.realtimeNoise);
    EXPECT_EQ(faults.identityReplySize, 37u);
    EXPECT_TRUE(faults.ackFaults.empty());
}

TEST(SimOptions, ValuesReachTheSettings)
{
    const auto options = Parse({"--firmware=1.0.10.0",
                                "--late-ack-at",
                                "3:500",
                                "--malformed-ack-at",
                                "4:short",
                                "--no-ack-at=5",
                                "--early-ack-at",
                                "6",
                                "--late-ack-at",
                                "7",
                                "--identity-reply-size",
                                "36",
                                "--enter-status",
                                "1A",
                                "--auto-power-cycle",
                                "250",
                                "--expect",
                                "image.hex",
                                "--vanish-at",
                                "2",
                                "--two-keyboards",
                                "--name-suffix",
                                " B"});
    ASSERT_TRUE(options);
    const KeyboardSettings& s = options->settings;
    EXPECT_EQ(s.version.Text(), "1.0.10.0");
    EXPECT_EQ(s.faults.ackFaults.at(3).kind, AckFault::Kind::Late);
    EXPECT_EQ(s.faults.ackFaults.at(3).delay, Millis{500});
    EXPECT_EQ(s.faults.ackFaults.at(4).kind, AckFault::Kind::MalformedShort);
    EXPECT_EQ(s.faults.ackFaults.at(5).kind, AckFault::Kind::Missing);
    EXPECT_EQ(s.faults.ackFaults.at(6).kind, AckFault::Kind::AfterFirstChunk);
    EXPECT_EQ(s.faults.ackFaults.at(7).delay, Millis{12000}) << "late beyond the host's wait by default";
    EXPECT_EQ(s.faults.identityReplySize, 36u);
    EXPECT_EQ(s.faults.enterReplyStatus, 0x1A);
    EXPECT_EQ(s.autoPowerCycle, Millis{250});
    EXPECT_EQ(s.faults.vanishAtRecord, 2u);
    EXPECT_EQ(options->expectedImagePath, "image.hex");
    EXPECT_TRUE(options->twoKeyboards);
    EXPECT_EQ(options->nameSuffix, " B");
}

TEST(SimOptions, RefusesWhatItDoesNotUnderstand)
{
    const struct
    {
        std::vector<std::string_view> arguments;
        const char* error;
    } cases[] = {
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"--firmware"}, "--firmware needs a value"},
        {{"--firmware", "1.0.0.200"}, "not a version"},
        {{"--no-identity-reply=1"}, "takes no value"},
        {{"--no-ack-at", "0"}, "not a record number"},
        {{"--late-ack-at", "2:soon"}, "not a time"},
        {{"--malformed-ack-at", "2:medium"}, "neither long nor short"},
        {{"--no-ack-at", "2", "--late-ack-at", "2"}, "record 2 has two acknowledgement faults"},
        {{"--ack-status", "F0"}, "not a hexadecimal data byte"},
        {{"--identity-reply-size", "15"}, "16 to 255"},
    };
    for (const auto& c : cases)
    {
        std::string error;
        EXPECT_FALSE(Parse(c.arguments, &error)) << c.arguments[0];
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
}

TEST(SimOptions, HelpDescribesCommandsSignalsAndExitStatus)
{
    const std::string help = SimHelpText();
    for (const char* piece : {"power", "quit", "SIGUSR1", "KV_MIDI_API", "Exit status", "--realtime-noise"})
        EXPECT_NE(help.find(piece), std::string::npos) << piece;
}

} // namespace
} // namespace NorvikSim
