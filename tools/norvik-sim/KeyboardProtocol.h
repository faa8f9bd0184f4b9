#pragma once
// The simulated keyboard's behaviour, without any I/O: complete MIDI messages from
// the host go in through Receive; replies, port changes and event lines come out
// through an IKeyboardLink; time comes from an injected clock, and everything that
// happens later (delayed replies, the power cycle, the reboot after an install)
// happens in Poll once the clock has reached NextDue.
//
// The class is not thread-safe: one thread makes every call, and the link is
// called back on that thread from within those calls. The program norvik-sim
// drives it on real MIDI ports; in-process tests drive it on a virtual bus with a
// fake clock.
//
// Life of the keyboard:
//   Off --PowerOn--> Normal (ports with "Norvik" in their names)
//   Normal: identity request -> identity reply; enter-update-mode -> F0 15 F7, armed
//   PowerCycle: ports close; after the off time they reopen, as update ports
//               when armed, else as normal ports
//   Update: session start -> ack; chunks are reassembled into records; each
//           record -> ack; when the image is complete (its expected size
//           reached, or the host quiet for a while) the keyboard checks it and,
//           when it is good, installs it and reboots into Normal with the new
//           version. A bad image keeps it in update mode, waiting for another
//           session.

#include "FirmwareImage.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace NorvikSim {

using Millis = std::chrono::milliseconds;
// A monotonic clock: the time since any fixed start.
using Clock = std::function<Millis()>;
Millis SteadyClockNow();

enum class PortSet
{
    Normal, // names contain "Norvik"
    Update  // names contain "VORazuro Updater"
};

enum class KeyboardMode
{
    Off,
    Normal,
    Update
};

// What goes wrong with the acknowledgement of one record.
struct AckFault
{
    enum class Kind
    {
        Missing,        // no acknowledgement at all
        Late,           // sent after `delay` instead of the usual delay
        MalformedLong,  // F0 40 00 F7 instead of F0 40 F7
        MalformedShort, // F0 40, unterminated
        AfterFirstChunk // sent after the record's first chunk, none after its last
    };
    Kind kind = Kind::Missing;
    Millis delay{12000};
};

// Faults to inject; the defaults make a well-behaved keyboard.
struct KeyboardFaults
{
    bool noIdentityReply = false;
    std::optional<Millis> identityReplyDelay;
    std::size_t identityReplySize = 37;
    bool noEnterReply = false;
    std::optional<Millis> enterReplyDelay;
    std::uint8_t enterReplyStatus = 0x15;
    bool noSessionAck = false;
    std::map<std::uint32_t, AckFault> ackFaults; // by record number, from 1
    bool duplicateAcks = false;
    std::optional<std::uint32_t> cancelAtRecord;
    std::optional<std::uint32_t> vanishAtRecord;
    bool neverReturn = false;        // stays off after a power cycle
    bool returnInNormalMode = false; // comes back in normal mode although armed
    bool realtimeNoise = false;      // active sensing and clock bytes between messages
};

struct KeyboardSettings
{
    FirmwareVersion version{{1, 0, 0, 5}};
    FirmwareVersion installedVersion{{1, 0, 0, 6}}; // after a successful install
    std::uint8_t deviceId = 0x00;
    std::uint8_t ackStatus = 0x40;
    Millis ackDelay{5};
    Millis offTime{1000};
    Millis installTime{1500};
    Millis quietEnd{3000};                // a transfer is over after this long without a message
    std::optional<Millis> autoPowerCycle; // after the enter-update-mode message was accepted
    std::optional<Bytes> expectedImage;   // must split into whole records
    KeyboardFaults faults;
};

struct KeyboardEvent
{
    enum class Kind
    {
        PowerOn,  // ports opened
        PowerOff, // ports closed: power cycle, install, or a fault
        Identity,
        EnterAccepted,
        SessionStart,
        RecordOk,
        RecordMismatch,
        RecordReceived, // no expected image to compare with
        Done,
        Install,
        Fault,
        ProtocolError,
        Ignored
    };
    Kind kind;
    std::uint32_t record = 0; // the record concerned, from 1; 0 for none
    std::string text;         // one line, no line end
};

// How the last finished transfer ended.
enum class TransferOutcome
{
    None,     // no transfer has finished since the last session start
    Matched,  // the whole expected image arrived
    Differs,  // something else arrived
    Unchecked // complete records arrived, but there was no expected image
};

class IKeyboardLink
{
public:
    virtual ~IKeyboardLink() = default;
    // Offer one set of ports; the other set is never open at the same time.
    virtual void OpenPorts(PortSet ports) = 0;
    virtual void ClosePorts() = 0;
    // One complete MIDI message on the open output port.
    virtual void Send(std::span<const std::uint8_t> message) = 0;
    virtual void Report(const KeyboardEvent& event) = 0;
};

class KeyboardProtocol
{
public:
    // The settings' expected image must split into records (see SplitRecords);
    // throws std::invalid_argument otherwise.
    KeyboardProtocol(KeyboardSettings settings, IKeyboardLink& link, Clock clock = SteadyClockNow);

    // Switches the keyboard on: normal ports (update ports when armed).
    void PowerOn();
    // Switches it off, and on again after the off time.
    void PowerCycle();
    // One complete message from the host; ignored while the keyboard is off.
    void Receive(std::span<const std::uint8_t> message);
    // Does what has become due.
    void Poll();
    // When Poll has something to do next, on the clock's scale.
    std::optional<Millis> NextDue() const;

    KeyboardMode Mode() const { return mMode; }
    bool Armed() const { return mArmed; }
    const FirmwareVersion& Version() const { return mVersion; }
    TransferOutcome Outcome() const { return mOutcome; }
    // The bytes of the last finished transfer (or of the running one).
    const Bytes& ReceivedImage() const { return mImage; }

private:
    struct Timer
    {
        Millis due;
        std::uint64_t sequence;
        std::function<void()> action;
        bool isReply; // a message still to be sent: the host is not yet quiet
    };

    void OpenPorts(KeyboardMode mode);
    void ClosePorts(const std::string& reason);
    void SwitchOffFor(Millis time, const std::string& reason);
    void FinishPowerCycle();
    void Report(KeyboardEvent::Kind kind, std::string text, std::uint32_t record = 0);
    void Fault(std::string text, std::uint32_t record = 0);
    void After(Millis delay, std::function<void()> action, bool isReply = false);
    void SendNow(std::span<const std::uint8_t> message);
    void SendAfter(Millis delay, Bytes message);
    void SendNoise(std::uint32_t tick);
    bool RepliesPending() const;
    std::optional<Millis> QuietDeadline() const;

    void OnIdentityRequest();
    void OnEnterUpdateMode();
    void OnSessionStart();
    void OnChunk(std::span<const std::uint8_t> payload);
    void BreakTransfer(std::string reason);
    bool OnFirstChunkOfRecord();
    void OnRecordComplete();
    void SendAck(Millis delay, const std::string& what);
    void FinishTransfer();
    std::string DescribeDifference() const;
    void Install();

    KeyboardSettings mSettings;
    IKeyboardLink& mLink;
    Clock mClock;
    std::vector<RecordSpan> mExpectedRecords;

    KeyboardMode mMode = KeyboardMode::Off;
    bool mArmed = false;
    bool mPoweringOn = false;
    bool mAutoCycleScheduled = false;
    FirmwareVersion mVersion;
    std::vector<Timer> mTimers; // kept sorted by (due, sequence)
    std::uint64_t mNextSequence = 0;

    // The transfer in update mode.
    bool mSessionActive = false;
    bool mTransferBroken = false;
    bool mFinishPending = false;
    std::uint64_t mSessionSerial = 0;
    Millis mLastActivity{0};
    Bytes mImage;
    std::uint32_t mRecordNumber = 0; // the record being received, from 1
    bool mInRecord = false;
    std::size_t mRecordStart = 0; // offset of the current record in mImage
    std::uint32_t mChunksInRecord = 0;
    TransferOutcome mOutcome = TransferOutcome::None;
};

} // namespace NorvikSim
