#include "KeyboardProtocol.h"

#include "Engine/DeviceProtocol.h"

#include <algorithm>
#include <stdexcept>

namespace NorvikSim {

namespace DP = DeviceProtocol;

namespace {

constexpr std::uint8_t ActiveSensing = 0xFE;
constexpr std::uint8_t TimingClock = 0xF8;
constexpr Millis NoiseInterval{100};
constexpr std::size_t MinimumIdentityReplySize = DP::IdentityReplyVersionIndex + DP::VersionPartCount + 1;
constexpr std::string_view IdentityModelText = "Norvik ZR";

std::string MillisText(Millis time)
{
    return std::to_string(time.count()) + " ms";
}

std::string RecordName(std::uint32_t record)
{
    return "record " + std::to_string(record);
}

bool IsSysEx(std::span<const std::uint8_t> message)
{
    return message.size() >= 2 && message.front() == DP::SysExStart && message.back() == DP::SysExEnd;
}

} // namespace

Millis SteadyClockNow()
{
    return std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now().time_since_epoch());
}

KeyboardProtocol::KeyboardProtocol(KeyboardSettings settings, IKeyboardLink& link, Clock clock)
    : mSettings(std::move(settings)), mLink(link), mClock(std::move(clock)), mVersion(mSettings.version)
{
    if (mSettings.expectedImage)
    {
        std::string error;
        if (!SplitRecords(*mSettings.expectedImage, mExpectedRecords, error))
            throw std::invalid_argument("expected image: " + error);
    }
}

void KeyboardProtocol::PowerOn()
{
    if (mMode != KeyboardMode::Off || mPoweringOn)
        return;
    OpenPorts(mArmed ? KeyboardMode::Update : KeyboardMode::Normal);
}

void KeyboardProtocol::PowerCycle()
{
    if (mMode == KeyboardMode::Off)
    {
        Report(KeyboardEvent::Kind::Ignored, "ignored: power cycle while the keyboard is off");
        return;
    }
    SwitchOffFor(mSettings.offTime, "power cycle, back in " + MillisText(mSettings.offTime));
}

void KeyboardProtocol::SwitchOffFor(Millis time, const std::string& reason)
{
    ClosePorts(reason);
    mPoweringOn = true;
    After(time, [this] { FinishPowerCycle(); });
}

void KeyboardProtocol::FinishPowerCycle()
{
    mPoweringOn = false;
    if (mSettings.faults.neverReturn)
    {
        Fault("the keyboard never comes back after the power cycle");
        return;
    }
    if (mArmed && mSettings.faults.returnInNormalMode)
    {
        Fault("the keyboard comes back in normal mode although it was switched to update mode");
        mArmed = false;
    }
    OpenPorts(mArmed ? KeyboardMode::Update : KeyboardMode::Normal);
}

void KeyboardProtocol::OpenPorts(KeyboardMode mode)
{
    mMode = mode;
    mSessionActive = false;
    mInRecord = false;
    mLink.OpenPorts(mode == KeyboardMode::Update ? PortSet::Update : PortSet::Normal);
    if (mode == KeyboardMode::Update)
        Report(KeyboardEvent::Kind::PowerOn, "on: update mode");
    else
        Report(KeyboardEvent::Kind::PowerOn, "on: normal mode, firmware " + mVersion.Text());
    if (mSettings.faults.realtimeNoise)
    {
        Fault("active sensing and clock bytes between the messages");
        SendNoise(0);
    }
}

void KeyboardProtocol::ClosePorts(const std::string& reason)
{
    mLink.ClosePorts();
    mMode = KeyboardMode::Off;
    mTimers.clear();
    mAutoCycleScheduled = false;
    mSessionActive = false;
    mFinishPending = false;
    mInRecord = false;
    Report(KeyboardEvent::Kind::PowerOff, "off: " + reason);
}

void KeyboardProtocol::Report(KeyboardEvent::Kind kind, std::string text, std::uint32_t record)
{
    mLink.Report(KeyboardEvent{kind, record, std::move(text)});
}

void KeyboardProtocol::Fault(std::string text, std::uint32_t record)
{
    Report(KeyboardEvent::Kind::Fault, "fault: " + text, record);
}

void KeyboardProtocol::After(Millis delay, std::function<void()> action, bool isReply)
{
    Timer timer{mClock() + delay, mNextSequence++, std::move(action), isReply};
    auto position = std::upper_bound(mTimers.begin(), mTimers.end(), timer.due,
                                     [](Millis due, const Timer& other) { return due < other.due; });
    mTimers.insert(position, std::move(timer));
}

void KeyboardProtocol::SendNow(std::span<const std::uint8_t> message)
{
    if (mMode == KeyboardMode::Off)
        return;
    if (mSettings.faults.realtimeNoise)
    {
        const std::uint8_t sensing[] = {ActiveSensing};
        const std::uint8_t clock[] = {TimingClock};
        mLink.Send(sensing);
        mLink.Send(clock);
    }
    mLink.Send(message);
    mLastActivity = mClock();
}

void KeyboardProtocol::SendAfter(Millis delay, Bytes message)
{
    if (delay <= Millis{0})
        SendNow(message);
    else
        After(
            delay, [this, message = std::move(message)] { SendNow(message); }, true);
}

void KeyboardProtocol::SendNoise(std::uint32_t tick)
{
    // A running clock, with active sensing now and then, as a keyboard with a
    // sequencer would send; neither counts as activity of the transfer.
    const std::uint8_t clock[] = {TimingClock};
    mLink.Send(clock);
    if (tick % 3 == 0)
    {
        const std::uint8_t sensing[] = {ActiveSensing};
        mLink.Send(sensing);
    }
    After(NoiseInterval, [this, tick] { SendNoise(tick + 1); });
}

bool KeyboardProtocol::RepliesPending() const
{
    return std::any_of(mTimers.begin(), mTimers.end(), [](const Timer& timer) { return timer.isReply; });
}

std::optional<Millis> KeyboardProtocol::QuietDeadline() const
{
    if (!mSessionActive || mFinishPending || RepliesPending())
        return std::nullopt;
    return mLastActivity + mSettings.quietEnd;
}

std::optional<Millis> KeyboardProtocol::NextDue() const
{
    std::optional<Millis> due = QuietDeadline();
    if (!mTimers.empty() && (!due || mTimers.front().due < *due))
        due = mTimers.front().due;
    return due;
}

void KeyboardProtocol::Poll()
{
    const Millis now = mClock();
    while (!mTimers.empty() && mTimers.front().due <= now)
    {
        auto action = std::move(mTimers.front().action);
        mTimers.erase(mTimers.begin());
        action();
    }
    if (const auto quiet = QuietDeadline(); quiet && *quiet <= now)
        FinishTransfer();
}

void KeyboardProtocol::Receive(std::span<const std::uint8_t> message)
{
    if (mMode == KeyboardMode::Off || message.empty())
        return;
    if (message.size() == 1 && message[0] >= TimingClock)
        return; // real-time bytes from the host mean nothing here

    const bool isEnter = std::ranges::equal(message, DP::EnterUpdateModeMessage);
    if (mMode == KeyboardMode::Normal)
    {
        const bool isIdentityRequest =
            message.size() == DP::IdentityRequest.size() && message[0] == DP::SysExStart &&
            message[1] == DP::UniversalNonRealTime &&
            (message[2] == mSettings.deviceId || message[2] == DP::AllCallDeviceId) &&
            message[3] == DP::GeneralInformation && message[4] == DP::IdentityRequestSubId &&
            message[5] == DP::SysExEnd;
        if (isIdentityRequest)
            OnIdentityRequest();
        else if (isEnter)
            OnEnterUpdateMode();
        else
            Report(KeyboardEvent::Kind::Ignored, "ignored: " + HexDump(message));
        return;
    }

    if (isEnter)
        OnSessionStart();
    else if (IsSysEx(message))
        OnChunk(message.subspan(1, message.size() - 2));
    else
        Report(KeyboardEvent::Kind::Ignored, "ignored: " + HexDump(message));
}

void KeyboardProtocol::OnIdentityRequest()
{
    const KeyboardFaults& faults = mSettings.faults;
    std::string text = "identity: firmware " + mVersion.Text();
    if (std::any_of(mVersion.parts.begin(), mVersion.parts.end(),
                    [](std::uint8_t part) { return part >= 10; }))
        text += " (a version part of 10 or more)";
    Report(KeyboardEvent::Kind::Identity, text);
    if (faults.noIdentityReply)
    {
        Fault("no identity reply");
        return;
    }

    const std::size_t size = std::max(faults.identityReplySize, MinimumIdentityReplySize);
    Bytes reply(size, 0x00);
    reply[0] = DP::SysExStart;
    reply[1] = DP::UniversalNonRealTime;
    reply[DP::IdentityReplyDeviceIdIndex] = mSettings.deviceId;
    reply[3] = DP::GeneralInformation;
    reply[4] = DP::IdentityReplySubId;
    reply[DP::IdentityReplyManufacturerIndex] = DP::ManufacturerId;
    reply[6] = 0x01; // family
    reply[8] = 0x01; // model
    std::copy(mVersion.parts.begin(), mVersion.parts.end(), reply.begin() + DP::IdentityReplyVersionIndex);
    // The rest carries the model name, cut to what fits before F7.
    const std::size_t nameStart = DP::IdentityReplyVersionIndex + DP::VersionPartCount;
    for (std::size_t i = 0; i < IdentityModelText.size() && nameStart + i < size - 1; ++i)
        reply[nameStart + i] = static_cast<std::uint8_t>(IdentityModelText[i]);
    reply[size - 1] = DP::SysExEnd;
    if (size != DP::IdentityReplySize)
        Fault("identity reply of " + std::to_string(size) + " bytes");

    Millis delay{0};
    if (faults.identityReplyDelay)
    {
        delay = *faults.identityReplyDelay;
        Fault("identity reply late by " + MillisText(delay));
    }
    SendAfter(delay, std::move(reply));
}

void KeyboardProtocol::OnEnterUpdateMode()
{
    const KeyboardFaults& faults = mSettings.faults;
    mArmed = true;
    Report(KeyboardEvent::Kind::EnterAccepted, "enter: accepted, update mode after the next power cycle");
    if (faults.noEnterReply)
        Fault("no reply to the enter-update-mode message");
    else
    {
        Millis delay{0};
        if (faults.enterReplyDelay)
        {
            delay = *faults.enterReplyDelay;
            Fault("reply to the enter-update-mode message late by " + MillisText(delay));
        }
        if (faults.enterReplyStatus != DP::StatusUpdateModeAccepted)
            Fault("reply to the enter-update-mode message with status " +
                  HexDump(std::span(&faults.enterReplyStatus, 1)));
        const auto reply = DP::MakeStatusReply(faults.enterReplyStatus);
        SendAfter(delay, Bytes(reply.begin(), reply.end()));
    }
    if (mSettings.autoPowerCycle && !mAutoCycleScheduled)
    {
        mAutoCycleScheduled = true;
        After(*mSettings.autoPowerCycle, [this] {
            mAutoCycleScheduled = false;
            PowerCycle();
        });
    }
}

void KeyboardProtocol::SendAck(Millis delay, const std::string& what)
{
    const auto ack = DP::MakeStatusReply(mSettings.ackStatus);
    SendAfter(delay, Bytes(ack.begin(), ack.end()));
    if (mSettings.faults.duplicateAcks)
    {
        Fault("duplicate acknowledgement of " + what);
        SendAfter(delay, Bytes(ack.begin(), ack.end()));
    }
}

void KeyboardProtocol::OnSessionStart()
{
    std::string text = "session: start";
    if (mSessionActive && !mImage.empty())
        text += ", discarding " + std::to_string(mImage.size()) + " bytes of an unfinished transfer";
    ++mSessionSerial;
    mSessionActive = true;
    mTransferBroken = false;
    mFinishPending = false;
    mImage.clear();
    mRecordNumber = 0;
    mInRecord = false;
    mOutcome = TransferOutcome::None;
    mLastActivity = mClock();
    Report(KeyboardEvent::Kind::SessionStart, text);
    if (mSettings.faults.noSessionAck)
        Fault("no acknowledgement of the session start");
    else
        SendAck(mSettings.ackDelay, "the session start");
}

void KeyboardProtocol::BreakTransfer(std::string reason)
{
    mTransferBroken = true;
    Report(KeyboardEvent::Kind::ProtocolError,
           "error: " + reason + "; the transfer is ignored until the next session start", mRecordNumber);
}

void KeyboardProtocol::OnChunk(std::span<const std::uint8_t> payload)
{
    if (!mSessionActive)
    {
        Report(KeyboardEvent::Kind::ProtocolError, "error: chunk outside a session: " + HexDump(payload));
        return;
    }
    if (mTransferBroken)
        return;
    mLastActivity = mClock();

    const std::uint32_t record = mInRecord ? mRecordNumber : mRecordNumber + 1;
    const std::string where = " in " + RecordName(record);
    if (payload.empty())
        return BreakTransfer("empty chunk" + where);
    if (payload.size() % 2 != 0)
        return BreakTransfer("odd number of hexadecimal characters (" + std::to_string(payload.size()) + ")" +
                             where);
    if (payload.size() > DP::MaxChunkHexCharacters)
        return BreakTransfer("chunk of " + std::to_string(payload.size()) + " characters, more than " +
                             std::to_string(DP::MaxChunkHexCharacters) + where);
    Bytes bytes;
    for (std::size_t i = 0; i < payload.size(); i += 2)
    {
        const auto high = DP::UpperHexDigitValue(payload[i]);
        const auto low = DP::UpperHexDigitValue(payload[i + 1]);
        if (!high || !low)
        {
            const std::uint8_t bad = high ? payload[i + 1] : payload[i];
            const bool lowerCase = (bad >= 'a' && bad <= 'f');
            return BreakTransfer((lowerCase ? "lower-case hexadecimal digit " : "character ") +
                                 HexDump(std::span(&bad, 1)) +
                                 (lowerCase ? "" : ", not a hexadecimal digit,") + " in a chunk" + where);
        }
        bytes.push_back(static_cast<std::uint8_t>(*high << 4 | *low));
    }

    // A chunk never spans two records: check that this one ends inside the current record.
    const std::size_t have = mInRecord ? mImage.size() - mRecordStart : 0;
    const auto recordByte = [&](std::size_t position) {
        return position < have ? mImage[mRecordStart + position] : bytes[position - have];
    };
    const std::size_t haveAfter = have + bytes.size();
    bool complete = false;
    if (haveAfter >= DP::RecordLengthBytes)
    {
        const std::size_t recordSize =
            (std::size_t{recordByte(0)} << 8 | recordByte(1)) + DP::RecordLengthBytes;
        if (haveAfter > recordSize)
            return BreakTransfer("chunk runs " + std::to_string(haveAfter - recordSize) +
                                 " bytes past the end of " + RecordName(record) + " (" +
                                 std::to_string(recordSize) + " bytes)");
        complete = haveAfter == recordSize;
    }

    if (!mInRecord)
    {
        mInRecord = true;
        mRecordNumber = record;
        mRecordStart = mImage.size();
        mChunksInRecord = 0;
    }
    mImage.insert(mImage.end(), bytes.begin(), bytes.end());
    if (++mChunksInRecord == 1 && !OnFirstChunkOfRecord())
        return;
    if (complete)
        OnRecordComplete();
}

bool KeyboardProtocol::OnFirstChunkOfRecord()
{
    const KeyboardFaults& faults = mSettings.faults;
    const std::uint32_t record = mRecordNumber;
    if (faults.cancelAtRecord == record)
    {
        Fault("cancel request during " + RecordName(record), record);
        const auto cancel = DP::MakeStatusReply(DP::StatusCancelRequest);
        SendAfter(mSettings.ackDelay, Bytes(cancel.begin(), cancel.end()));
    }
    if (const auto fault = faults.ackFaults.find(record);
        fault != faults.ackFaults.end() && fault->second.kind == AckFault::Kind::AfterFirstChunk)
    {
        Fault("acknowledgement of " + RecordName(record) + " after its first chunk only", record);
        SendAck(mSettings.ackDelay, RecordName(record));
    }
    if (faults.vanishAtRecord == record)
    {
        Fault("the ports vanish during " + RecordName(record), record);
        SwitchOffFor(mSettings.offTime, "ports vanished, back in " + MillisText(mSettings.offTime));
        return false;
    }
    return true;
}

void KeyboardProtocol::OnRecordComplete()
{
    mInRecord = false;
    const std::uint32_t record = mRecordNumber;
    const std::span<const std::uint8_t> received(mImage.data() + mRecordStart, mImage.size() - mRecordStart);
    const std::string sizeText = std::to_string(received.size()) + " bytes";
    if (!mSettings.expectedImage)
        Report(KeyboardEvent::Kind::RecordReceived, RecordName(record) + " received (" + sizeText + ")",
               record);
    else if (record > mExpectedRecords.size())
        Report(KeyboardEvent::Kind::RecordMismatch,
               RecordName(record) + " MISMATCH (" + sizeText + ", the expected image has only " +
                   std::to_string(mExpectedRecords.size()) + " records)",
               record);
    else
    {
        const RecordSpan& span = mExpectedRecords[record - 1];
        const std::span<const std::uint8_t> expected(mSettings.expectedImage->data() + span.offset,
                                                     span.size);
        if (std::ranges::equal(received, expected))
            Report(KeyboardEvent::Kind::RecordOk, RecordName(record) + " OK (" + sizeText + ")", record);
        else
            Report(KeyboardEvent::Kind::RecordMismatch,
                   RecordName(record) + " MISMATCH (" + sizeText + ", expected " + std::to_string(span.size) +
                       ")",
                   record);
    }

    Millis ackTime = mSettings.ackDelay;
    const auto fault = mSettings.faults.ackFaults.find(record);
    if (fault == mSettings.faults.ackFaults.end())
        SendAck(ackTime, RecordName(record));
    else
    {
        switch (fault->second.kind)
        {
        case AckFault::Kind::Missing:
            Fault("no acknowledgement of " + RecordName(record), record);
            break;
        case AckFault::Kind::Late:
            ackTime = fault->second.delay;
            Fault("acknowledgement of " + RecordName(record) + " late by " + MillisText(ackTime), record);
            SendAck(ackTime, RecordName(record));
            break;
        case AckFault::Kind::MalformedLong:
        case AckFault::Kind::MalformedShort:
        {
            Bytes ack = {DP::SysExStart, mSettings.ackStatus};
            if (fault->second.kind == AckFault::Kind::MalformedLong)
                ack.insert(ack.end(), {0x00, DP::SysExEnd});
            Fault("malformed acknowledgement of " + RecordName(record) + ": " + HexDump(ack), record);
            SendAfter(ackTime, std::move(ack));
            break;
        }
        case AckFault::Kind::AfterFirstChunk:
            break; // sent with the first chunk
        }
    }

    // The keyboard cannot know where an image ends; with an expected image it takes
    // the transfer as over once that many bytes have come, after the last answer.
    if (mSettings.expectedImage && mImage.size() >= mSettings.expectedImage->size())
    {
        mFinishPending = true;
        Millis finishAfter = ackTime;
        const Millis now = mClock();
        for (const Timer& timer : mTimers)
            if (timer.isReply)
                finishAfter = std::max(finishAfter, timer.due - now);
        After(finishAfter, [this, serial = mSessionSerial] {
            if (serial == mSessionSerial && mFinishPending)
                FinishTransfer();
        });
    }
}

std::string KeyboardProtocol::DescribeDifference() const
{
    if (mTransferBroken)
        return "the transfer broke off on a protocol error";
    if (mInRecord)
        return RecordName(mRecordNumber) + " is incomplete";
    const Bytes& expected = *mSettings.expectedImage;
    const auto [receivedEnd, expectedEnd] = std::ranges::mismatch(mImage, expected);
    if (receivedEnd == mImage.end() || expectedEnd == expected.end())
        return std::to_string(mImage.size()) + " bytes, expected " + std::to_string(expected.size());
    return "first difference at byte " + std::to_string(receivedEnd - mImage.begin());
}

void KeyboardProtocol::FinishTransfer()
{
    mSessionActive = false;
    mFinishPending = false;
    const bool complete = !mTransferBroken && !mInRecord;
    const std::uint32_t records = mInRecord ? mRecordNumber - 1 : mRecordNumber;
    const std::string counts =
        std::to_string(records) + " records, " + std::to_string(mImage.size()) + " bytes";

    if (mSettings.expectedImage)
    {
        if (complete && mImage == *mSettings.expectedImage)
        {
            mOutcome = TransferOutcome::Matched;
            Report(KeyboardEvent::Kind::Done, "done: image matches (" + counts + ")");
        }
        else
        {
            mOutcome = TransferOutcome::Differs;
            Report(KeyboardEvent::Kind::Done,
                   "done: image DIFFERS (" + counts + "; " + DescribeDifference() + ")");
        }
    }
    else if (complete && !mImage.empty())
    {
        mOutcome = TransferOutcome::Unchecked;
        Report(KeyboardEvent::Kind::Done, "done: " + counts + ", no expected image to compare with");
    }
    else
    {
        mOutcome = TransferOutcome::Differs;
        Report(KeyboardEvent::Kind::Done, "done: incomplete image (" + counts + ")");
    }

    // A bad image is not installed: the keyboard stays in update mode for another session.
    if (mOutcome == TransferOutcome::Matched || mOutcome == TransferOutcome::Unchecked)
        Install();
}

void KeyboardProtocol::Install()
{
    Report(KeyboardEvent::Kind::Install, "install: firmware " + mSettings.installedVersion.Text() +
                                             ", reboot in " + MillisText(mSettings.installTime));
    ClosePorts("installing");
    mPoweringOn = true;
    After(mSettings.installTime, [this] {
        mPoweringOn = false;
        mVersion = mSettings.installedVersion;
        mArmed = false;
        OpenPorts(KeyboardMode::Normal);
    });
}

} // namespace NorvikSim
