#include "KeyboardHarness.h"

#include <gtest/gtest.h>

namespace NorvikSimTest {
namespace {

using NorvikSim::AckFault;
using NorvikSim::KeyboardEvent;
using NorvikSim::KeyboardMode;
using NorvikSim::KeyboardSettings;
using NorvikSim::PortSet;
using NorvikSim::TransferOutcome;
using Kind = KeyboardEvent::Kind;
namespace DP = DeviceProtocol;

// ---------------------------------------------------------------- normal mode

struct IdentityCase
{
    const char* name;
    std::function<void(KeyboardSettings&)> configure;
    std::size_t replySize; // 0: no reply at all
    Millis replyAfter;     // when the reply goes out
    std::array<std::uint8_t, 4> version;
};

class IdentityTest : public ::testing::TestWithParam<IdentityCase>
{
};

TEST_P(IdentityTest, AnswersTheIdentityRequestAsConfigured)
{
    const IdentityCase& c = GetParam();
    KeyboardSettings settings;
    c.configure(settings);
    KeyboardDriver driver(settings);
    ASSERT_EQ(driver.link.open, PortSet::Normal);

    driver.Receive(DP::IdentityRequest);
    if (c.replyAfter > Millis{0})
    {
        driver.Advance(c.replyAfter - Millis{1});
        EXPECT_TRUE(driver.link.TakeSent().empty()) << "reply came early";
    }
    driver.Advance(Millis{1});
    const auto sent = driver.link.TakeSent();
    if (c.replySize == 0)
    {
        EXPECT_TRUE(sent.empty());
        EXPECT_TRUE(driver.link.HasLine("fault: no identity reply"));
        return;
    }
    ASSERT_EQ(sent.size(), 1u);
    const Bytes& reply = sent[0];
    ASSERT_EQ(reply.size(), c.replySize);
    EXPECT_EQ(DP::IsIdentityReply(reply), c.replySize == DP::IdentityReplySize);
    EXPECT_EQ(reply.front(), 0xF0);
    EXPECT_EQ(reply.back(), 0xF7);
    EXPECT_TRUE(std::all_of(reply.begin() + 1, reply.end() - 1, [](std::uint8_t b) { return b < 0x80; }));
    EXPECT_TRUE(
        std::equal(c.version.begin(), c.version.end(), reply.begin() + DP::IdentityReplyVersionIndex));
    const bool faulty = c.replySize != DP::IdentityReplySize || c.replyAfter > Millis{0};
    EXPECT_EQ(driver.link.Count(Kind::Fault) > 0, faulty) << driver.link.Lines();
}

INSTANTIATE_TEST_SUITE_P(
    Faults, IdentityTest,
    ::testing::Values(
        IdentityCase{"Default", [](KeyboardSettings&) {}, 37, Millis{0}, {1, 0, 0, 5}},
        IdentityCase{
            "VersionPartsOfTenOrMore",
            [](KeyboardSettings& s) { s.version = *NorvikSim::FirmwareVersion::Parse("1.0.10.127"); },
            37,
            Millis{0},
            {1, 0, 10, 127}},
        IdentityCase{
            "NoReply", [](KeyboardSettings& s) { s.faults.noIdentityReply = true; }, 0, Millis{0}, {}},
        IdentityCase{"Late",
                     [](KeyboardSettings& s) { s.faults.identityReplyDelay = Millis{2500}; },
                     37,
                     Millis{2500},
                     {1, 0, 0, 5}},
        IdentityCase{"Short",
                     [](KeyboardSettings& s) { s.faults.identityReplySize = 36; },
                     36,
                     Millis{0},
                     {1, 0, 0, 5}},
        IdentityCase{"Long",
                     [](KeyboardSettings& s) { s.faults.identityReplySize = 38; },
                     38,
                     Millis{0},
                     {1, 0, 0, 5}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(KeyboardNormalMode, AnswersOnlyIdentityRequestsForItselfAndIgnoresOtherTraffic)
{
    KeyboardDriver driver({});
    const Bytes allCall = {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};
    const Bytes otherDevice = {0xF0, 0x7E, 0x05, 0x06, 0x01, 0xF7};
    const Bytes noteOn = {0x90, 0x3C, 0x7F};
    const Bytes clock = {0xF8};
    driver.Receive(allCall);
    EXPECT_EQ(driver.link.TakeSent().size(), 1u);
    for (const Bytes& message : {otherDevice, noteOn, clock, ChunkMessage(MakeImage({1}))})
        driver.Receive(message);
    EXPECT_TRUE(driver.link.TakeSent().empty());
    EXPECT_FALSE(driver.keyboard.Armed());
}

struct EnterCase
{
    const char* name;
    std::function<void(KeyboardSettings&)> configure;
    std::optional<Bytes> reply; // nothing: no reply
    Millis replyAfter;
};

class EnterTest : public ::testing::TestWithParam<EnterCase>
{
};

TEST_P(EnterTest, AcceptsTheEnterMessageAndSwitchesAtThePowerCycle)
{
    const EnterCase& c = GetParam();
    KeyboardSettings settings;
    c.configure(settings);
    KeyboardDriver driver(settings);

    driver.Receive(DP::EnterUpdateModeMessage);
    EXPECT_TRUE(driver.keyboard.Armed()) << "the keyboard switches whatever it answers";
    driver.Advance(c.replyAfter);
    const auto sent = driver.link.TakeSent();
    if (c.reply)
        EXPECT_EQ(sent, std::vector<Bytes>{*c.reply});
    else
        EXPECT_TRUE(sent.empty());
    EXPECT_EQ(driver.keyboard.Mode(), KeyboardMode::Normal) << "update mode waits for the power cycle";

    driver.keyboard.PowerCycle();
    EXPECT_EQ(driver.keyboard.Mode(), KeyboardMode::Off);
    driver.Advance(settings.offTime - Millis{1});
    EXPECT_FALSE(driver.link.open);
    driver.Advance(Millis{1});
    EXPECT_EQ(driver.link.portLog, (std::vector<std::string>{"open normal", "close", "open update"}));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, EnterTest,
    ::testing::Values(EnterCase{"Default", [](KeyboardSettings&) {}, Accepted, Millis{0}},
                      EnterCase{"NoReply", [](KeyboardSettings& s) { s.faults.noEnterReply = true; },
                                std::nullopt, Millis{5000}},
                      EnterCase{"Late", [](KeyboardSettings& s) { s.faults.enterReplyDelay = Millis{3000}; },
                                Accepted, Millis{3000}},
                      EnterCase{"WrongStatus", [](KeyboardSettings& s) { s.faults.enterReplyStatus = 0x40; },
                                Ack, Millis{0}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(KeyboardPowerCycle, CyclesAsConfigured)
{
    struct Case
    {
        const char* name;
        std::function<void(KeyboardSettings&)> configure;
        bool cycleByHand;
        std::vector<std::string> portLog; // after the enter message and 10 s
    };
    const Case cases[] = {
        {"automatic",
         [](KeyboardSettings& s) { s.autoPowerCycle = Millis{2000}; },
         false,
         {"open normal", "close", "open update"}},
        {"no automatic cycle by default", [](KeyboardSettings&) {}, false, {"open normal"}},
        {"never comes back",
         [](KeyboardSettings& s) { s.faults.neverReturn = true; },
         true,
         {"open normal", "close"}},
        {"comes back in normal mode",
         [](KeyboardSettings& s) { s.faults.returnInNormalMode = true; },
         true,
         {"open normal", "close", "open normal"}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        KeyboardSettings settings;
        c.configure(settings);
        KeyboardDriver driver(settings);
        driver.Receive(DP::EnterUpdateModeMessage);
        if (c.cycleByHand)
            driver.keyboard.PowerCycle();
        driver.Advance(Millis{10000});
        EXPECT_EQ(driver.link.portLog, c.portLog);
    }
}

TEST(KeyboardPowerCycle, ComesBackInNormalModeWhenNotArmed)
{
    KeyboardDriver driver({});
    driver.keyboard.PowerCycle();
    driver.keyboard.PowerCycle(); // while off: nothing more happens
    driver.Advance(Millis{5000});
    EXPECT_EQ(driver.link.portLog, (std::vector<std::string>{"open normal", "close", "open normal"}));
    driver.Receive(DP::IdentityRequest);
    EXPECT_EQ(driver.link.TakeSent().size(), 1u);
}

// ---------------------------------------------------------------- transfer

class TransferTest : public ::testing::TestWithParam<std::size_t>
{
};

// Records of length 0, 9, 10, 11 and 300 cover a record that is only its length
// field, one that fills exactly one chunk, ones that spill by one and two bytes,
// and a long one; the chunk sizes include one that splits the length field.
TEST_P(TransferTest, ReassemblesRecordsAcknowledgesEachAndInstalls)
{
    const Bytes image = MakeImage({0, 9, 10, 11, 300});
    KeyboardSettings settings;
    settings.expectedImage = image;
    KeyboardDriver driver(settings);
    driver.SwitchToUpdateMode();

    driver.Receive(DP::EnterUpdateModeMessage);
    driver.Advance(settings.ackDelay);
    ASSERT_EQ(driver.link.TakeSent(), std::vector<Bytes>{Ack});

    const auto records = ChunksByRecord(image, GetParam());
    for (std::size_t r = 0; r < records.size(); ++r)
    {
        for (std::size_t c = 0; c < records[r].size(); ++c)
        {
            driver.Receive(records[r][c]);
            driver.Advance(settings.ackDelay);
            const bool last = c + 1 == records[r].size();
            EXPECT_EQ(driver.link.TakeSent(), last ? std::vector<Bytes>{Ack} : std::vector<Bytes>{})
                << "record " << r + 1 << " chunk " << c + 1;
        }
    }
    EXPECT_EQ(driver.link.Count(Kind::RecordOk), records.size()) << driver.link.Lines();
    EXPECT_EQ(driver.keyboard.Outcome(), TransferOutcome::Matched);
    EXPECT_EQ(driver.keyboard.ReceivedImage(), image);
    EXPECT_TRUE(driver.link.HasLine("done: image matches (5 records")) << driver.link.Lines();

    // Installs, then reboots into normal mode with the new version.
    EXPECT_EQ(driver.keyboard.Mode(), KeyboardMode::Off);
    driver.Advance(settings.installTime);
    EXPECT_EQ(driver.link.open, PortSet::Normal);
    EXPECT_FALSE(driver.keyboard.Armed());
    driver.Receive(DP::IdentityRequest);
    const auto reply = driver.link.TakeSent();
    ASSERT_EQ(reply.size(), 1u);
    EXPECT_EQ(reply[0][DP::IdentityReplyVersionIndex + 3], 6);
}

INSTANTIATE_TEST_SUITE_P(ChunkSizes, TransferTest, ::testing::Values(11, 1, 4),
                         [](const auto& p) { return "Chunks" + std::to_string(p.param); });

TEST(KeyboardTransfer, WithoutExpectedImageTheTransferEndsWhenTheHostFallsQuiet)
{
    const Bytes image = MakeImage({3, 20});
    KeyboardSettings settings;
    KeyboardDriver driver(settings);
    driver.SwitchToUpdateMode();
    driver.Receive(DP::EnterUpdateModeMessage);
    for (const auto& record : ChunksByRecord(image))
        for (const Bytes& chunk : record)
            driver.Receive(chunk);
    // Quiet means: nothing from the host since the keyboard's last answer.
    driver.Advance(settings.ackDelay + settings.quietEnd - Millis{1});
    EXPECT_EQ(driver.keyboard.Mode(), KeyboardMode::Update);
    EXPECT_EQ(driver.link.Count(Kind::RecordReceived), 2u);
    driver.Advance(Millis{1});
    EXPECT_EQ(driver.keyboard.Outcome(), TransferOutcome::Unchecked);
    EXPECT_EQ(driver.keyboard.ReceivedImage(), image);
    EXPECT_EQ(driver.keyboard.Mode(), KeyboardMode::Off) << "installing";
}

TEST(KeyboardTransfer, DifferentOrIncompleteImagesAreReportedAndNotInstalled)
{
    const Bytes image = MakeImage({5, 5});
    Bytes altered = image;
    altered[9] ^= 0x01;
    struct Case
    {
        const char* name;
        Bytes sent;
        std::size_t okRecords;
        const char* line;
    };
    const Case cases[] = {
        {"one byte differs", altered, 1, "first difference at byte 9"},
        {"one record missing", MakeImage({5}), 1, "7 bytes, expected 14"},
        {"an extra record", MakeImage({5, 5, 1}), 2, "record 3 MISMATCH"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        KeyboardSettings settings;
        settings.expectedImage = image;
        KeyboardDriver driver(settings);
        driver.SwitchToUpdateMode();
        driver.Receive(DP::EnterUpdateModeMessage);
        for (const auto& record : ChunksByRecord(c.sent))
            for (const Bytes& chunk : record)
                driver.Receive(chunk);
        driver.Advance(settings.ackDelay + settings.quietEnd);
        EXPECT_EQ(driver.link.Count(Kind::RecordOk), c.okRecords);
        EXPECT_EQ(driver.keyboard.Outcome(), TransferOutcome::Differs);
        EXPECT_TRUE(driver.link.HasLine(c.line)) << driver.link.Lines();
        EXPECT_EQ(driver.keyboard.Mode(), KeyboardMode::Update) << "a bad image is not installed";
    }
}

TEST(KeyboardTransfer, ChunkErrorsBreakTheTransferUntilTheNextSession)
{
    const Bytes image = MakeImage({9});
    const std::vector<Bytes> imageChunks = ChunksByRecord(image)[0];
    struct Case
    {
        const char* name;
        Bytes chunk;
        const char* line;
    };
    const auto text = [](std::string_view payload) {
        Bytes message{0xF0};
        for (char c : payload)
            message.push_back(static_cast<std::uint8_t>(c));
        message.push_back(0xF7);
        return message;
    };
    const Case cases[] = {
        {"lower case", text("00090a"), "lower-case hexadecimal digit 61"},
        {"odd length", text("00090"), "odd number of hexadecimal characters (5)"},
        {"past its record", text("0001AABB"), "runs 1 bytes past the end of record 1 (3 bytes)"},
        {"not hexadecimal", text("0009G0"), "character 47, not a hexadecimal digit"},
        {"empty", text(""), "empty chunk"},
        {"over eleven bytes", ChunkMessage(MakeImage({10})), "24 characters, more than 22"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        KeyboardSettings settings;
        settings.expectedImage = image;
        KeyboardDriver driver(settings);
        driver.SwitchToUpdateMode();
        driver.Receive(DP::EnterUpdateModeMessage);
        driver.Advance(settings.ackDelay);
        driver.link.TakeSent();

        driver.Receive(c.chunk);
        EXPECT_TRUE(driver.link.HasLine(c.line)) << driver.link.Lines();
        EXPECT_EQ(driver.link.Count(Kind::ProtocolError), 1u);
        // The rest of the image no longer counts: no acknowledgement, no install.
        for (const Bytes& chunk : imageChunks)
            driver.Receive(chunk);
        driver.Advance(settings.quietEnd);
        EXPECT_TRUE(driver.link.TakeSent().empty());
        EXPECT_EQ(driver.keyboard.Outcome(), TransferOutcome::Differs);
        EXPECT_EQ(driver.keyboard.Mode(), KeyboardMode::Update);

        // A new session starts afresh.
        driver.Receive(DP::EnterUpdateModeMessage);
        for (const Bytes& chunk : imageChunks)
            driver.Receive(chunk);
        driver.Advance(settings.ackDelay);
        EXPECT_EQ(driver.keyboard.Outcome(), TransferOutcome::Matched);
    }
}

TEST(KeyboardTransfer, ChunkOutsideASessionIsAnError)
{
    KeyboardDriver driver({});
    driver.SwitchToUpdateMode();
    driver.Receive(ChunkMessage(MakeImage({1})));
    EXPECT_EQ(driver.link.Count(Kind::ProtocolError), 1u);
    EXPECT_TRUE(driver.link.TakeSent().empty());
}

TEST(KeyboardTransfer, NewSessionDiscardsAnUnfinishedOne)
{
    const Bytes image = MakeImage({30});
    KeyboardSettings settings;
    settings.expectedImage = image;
    KeyboardDriver driver(settings);
    driver.SwitchToUpdateMode();
    const auto chunks = ChunksByRecord(image)[0];
    driver.Receive(DP::EnterUpdateModeMessage);
    driver.Receive(chunks[0]);
    driver.Receive(DP::EnterUpdateModeMessage);
    for (const Bytes& chunk : chunks)
        driver.Receive(chunk);
    driver.Advance(settings.ackDelay);
    EXPECT_TRUE(driver.link.HasLine("discarding 11 bytes")) << driver.link.Lines();
    EXPECT_EQ(driver.keyboard.Outcome(), TransferOutcome::Matched);
}

// ---------------------------------------------------------------- transfer faults

// What the keyboard sends during a transfer of three records (9, 10 and 3 data
// bytes: one, two and one chunks), one line per host message that drew an
// answer, the answers that come later last.
std::vector<std::string> TransferTranscript(const std::function<void(KeyboardSettings&)>& configure,
                                            std::unique_ptr<KeyboardDriver>* keep = nullptr)
{
    const Bytes image = MakeImage({9, 10, 3});
    KeyboardSettings settings;
    settings.expectedImage = image;
    configure(settings);
    auto driver = std::make_unique<KeyboardDriver>(settings);
    driver->SwitchToUpdateMode();

    std::vector<std::string> transcript;
    const auto collect = [&](const std::string& label) {
        for (const Bytes& message : driver->link.TakeSent())
            transcript.push_back(label + ": " + NorvikSim::HexDump(message));
    };
    driver->Receive(DP::EnterUpdateModeMessage);
    driver->Advance(settings.ackDelay);
    collect("session");
    const auto records = ChunksByRecord(image);
    for (std::size_t r = 0; r < records.size(); ++r)
    {
        for (std::size_t c = 0; c < records[r].size(); ++c)
        {
            driver->Receive(records[r][c]);
            driver->Advance(settings.ackDelay);
            collect("r" + std::to_string(r + 1) + "." + std::to_string(c + 1));
        }
    }
    driver->Advance(Millis{20000});
    collect("later");
    if (keep)
        *keep = std::move(driver);
    return transcript;
}

struct TransferFaultCase
{
    const char* name;
    std::function<void(KeyboardSettings&)> configure;
    std::vector<std::string> transcript;
    const char* faultLine;
};

class TransferFaultTest : public ::testing::TestWithParam<TransferFaultCase>
{
};

TEST_P(TransferFaultTest, SendsWhatTheFaultSays)
{
    const TransferFaultCase& c = GetParam();
    std::unique_ptr<KeyboardDriver> driver;
    EXPECT_EQ(TransferTranscript(c.configure, &driver), c.transcript);
    EXPECT_TRUE(driver->link.HasLine(c.faultLine)) << driver->link.Lines();
}

INSTANTIATE_TEST_SUITE_P(
    Faults, TransferFaultTest,
    ::testing::Values(
        TransferFaultCase{"None",
                          [](KeyboardSettings&) {},
                          {"session: F0 40 F7", "r1.1: F0 40 F7", "r2.2: F0 40 F7", "r3.1: F0 40 F7"},
                          "done: image matches"},
        TransferFaultCase{"AlternateAck",
                          [](KeyboardSettings& s) { s.ackStatus = 0x1A; },
                          {"session: F0 1A F7", "r1.1: F0 1A F7", "r2.2: F0 1A F7", "r3.1: F0 1A F7"},
                          "done: image matches"},
        TransferFaultCase{"NoSessionAck",
                          [](KeyboardSettings& s) { s.faults.noSessionAck = true; },
                          {"r1.1: F0 40 F7", "r2.2: F0 40 F7", "r3.1: F0 40 F7"},
                          "fault: no acknowledgement of the session start"},
        TransferFaultCase{"NoAck",
                          [](KeyboardSettings& s) { s.faults.ackFaults[2] = {AckFault::Kind::Missing}; },
                          {"session: F0 40 F7", "r1.1: F0 40 F7", "r3.1: F0 40 F7"},
                          "fault: no acknowledgement of record 2"},
        TransferFaultCase{"LateAck",
                          [](KeyboardSettings& s) {
                              s.faults.ackFaults[2] = {AckFault::Kind::Late, Millis{12000}};
                          },
                          {"session: F0 40 F7", "r1.1: F0 40 F7", "r3.1: F0 40 F7", "later: F0 40 F7"},
                          "fault: acknowledgement of record 2 late by 12000 ms"},
        TransferFaultCase{
            "MalformedLongAck",
            [](KeyboardSettings& s) { s.faults.ackFaults[2] = {AckFault::Kind::MalformedLong}; },
            {"session: F0 40 F7", "r1.1: F0 40 F7", "r2.2: F0 40 00 F7", "r3.1: F0 40 F7"},
            "fault: malformed acknowledgement of record 2: F0 40 00 F7"},
        TransferFaultCase{
            "MalformedShortAck",
            [](KeyboardSettings& s) { s.faults.ackFaults[2] = {AckFault::Kind::MalformedShort}; },
            {"session: F0 40 F7", "r1.1: F0 40 F7", "r2.2: F0 40", "r3.1: F0 40 F7"},
            "fault: malformed acknowledgement of record 2: F0 40"},
        TransferFaultCase{
            "AckAfterFirstChunk",
            [](KeyboardSettings& s) { s.faults.ackFaults[2] = {AckFault::Kind::AfterFirstChunk}; },
            {"session: F0 40 F7", "r1.1: F0 40 F7", "r2.1: F0 40 F7", "r3.1: F0 40 F7"},
            "fault: acknowledgement of record 2 after its first chunk only"},
        TransferFaultCase{"DuplicateAcks",
                          [](KeyboardSettings& s) { s.faults.duplicateAcks = true; },
                          {"session: F0 40 F7", "session: F0 40 F7", "r1.1: F0 40 F7", "r1.1: F0 40 F7",
                           "r2.2: F0 40 F7", "r2.2: F0 40 F7", "r3.1: F0 40 F7", "r3.1: F0 40 F7"},
                          "fault: duplicate acknowledgement of record 2"},
        TransferFaultCase{
            "CancelRequest",
            [](KeyboardSettings& s) { s.faults.cancelAtRecord = 2; },
            {"session: F0 40 F7", "r1.1: F0 40 F7", "r2.1: F0 20 F7", "r2.2: F0 40 F7", "r3.1: F0 40 F7"},
            "fault: cancel request during record 2"},
        // The ports close after record 2's first chunk: the rest of the transfer is lost.
        TransferFaultCase{"PortsVanish",
                          [](KeyboardSettings& s) { s.faults.vanishAtRecord = 2; },
                          {"session: F0 40 F7", "r1.1: F0 40 F7"},
                          "fault: the ports vanish during record 2"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(KeyboardTransferFaults, VanishedPortsComeBackInUpdateModeWithoutTheTransfer)
{
    std::unique_ptr<KeyboardDriver> driver;
    TransferTranscript([](KeyboardSettings& s) { s.faults.vanishAtRecord = 2; }, &driver);
    EXPECT_EQ(driver->link.portLog,
              (std::vector<std::string>{"open normal", "close", "open update", "close", "open update"}));
    EXPECT_EQ(driver->keyboard.Outcome(), TransferOutcome::None);
}

TEST(KeyboardTransferFaults, RealtimeNoiseSurroundsUnchangedReplies)
{
    KeyboardSettings settings;
    settings.faults.realtimeNoise = true;
    KeyboardDriver driver(settings);
    driver.Advance(Millis{1000});
    const auto noise = driver.link.TakeSent();
    EXPECT_GE(noise.size(), 10u) << "clock bytes while idle";
    for (const Bytes& message : noise)
        EXPECT_TRUE(message == Bytes{0xF8} || message == Bytes{0xFE});

    driver.Receive(DP::EnterUpdateModeMessage);
    const auto sent = driver.link.TakeSent();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0], Bytes{0xFE});
    EXPECT_EQ(sent[1], Bytes{0xF8});
    EXPECT_EQ(sent[2], Accepted);
}

TEST(KeyboardTransferFaults, LateAckHoldsBackTheEndOfTheTransfer)
{
    // The keyboard must not take the transfer as over while its own answer is still due.
    KeyboardSettings settings;
    settings.faults.ackFaults[1] = {AckFault::Kind::Late, Millis{10000}};
    KeyboardDriver driver(settings);
    driver.SwitchToUpdateMode();
    driver.Receive(DP::EnterUpdateModeMessage);
    driver.Receive(ChunksByRecord(MakeImage({1}))[0][0]);
    driver.Advance(Millis{9000});
    EXPECT_EQ(driver.link.Count(Kind::Done), 0u);
    driver.Advance(Millis{1000} + settings.quietEnd);
    EXPECT_EQ(driver.link.Count(Kind::Done), 1u);
}

} // namespace
} // namespace NorvikSimTest
