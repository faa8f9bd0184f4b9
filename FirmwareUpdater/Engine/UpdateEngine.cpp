#include "UpdateEngine.h"

#include "DeviceProtocol.h"
#include "FirmwareImageFile.h"

#include "System/Sleep.h"

#include <utility>

using namespace KV;
using Bytes = DeviceMessages::Bytes;

namespace {

Bytes ToBytes(std::span<const uint8_t> bytes)
{
    Bytes array;
    array.SetCount(static_cast<uint32_t>(bytes.size()));
    for (uint32_t i = 0; i < bytes.size(); ++i)
        *array.GetAt(i) = static_cast<int8_t>(bytes[i]);
    return array;
}

} // namespace

RCPtr<LUpdateEngineInterface> LUpdateEngineInterface::Create()
{
    return RCPtr<LUpdateEngineInterface>(LUpdateEngine::Create());
}

RCPtr<LUpdateEngine> LUpdateEngine::Create()
{
    return Create(Timings());
}

RCPtr<LUpdateEngine> LUpdateEngine::Create(const Timings& timings)
{
    return RCPtr<LUpdateEngine>(new LUpdateEngine(timings));
}

LUpdateEngine::LUpdateEngine(const Timings& timings) : mTimings(timings) {}

LUpdateEngine::~LUpdateEngine() = default;

RCPtr<LMidiCommInterface> LUpdateEngine::GetMidi() const
{
    std::lock_guard lock(mMidiLock);
    return mMidi;
}

KVRESULT LUpdateEngine::Initialize(const String& commandLine)
{
    const KVRESULT base = LUpdateEngineInterface::Initialize(commandLine);
    {
        std::lock_guard lock(mHandlersLock);
        mHandlers = LNotificationHandler<LUpdateEngine>::Create(this);
    }
    if (!ConnectMidiService(LMidiCommInterface::Create()))
        return E_FAIL;
    return KV_FAILED(base) ? base : S_OK;
}

bool LUpdateEngine::ConnectMidiService(const RCPtr<LMidiCommInterface>& service)
{
    RCPtr<LMidiCommInterface> former;
    {
        std::lock_guard lock(mMidiLock);
        former = mMidi;
    }
    if (former)
    {
        {
            std::lock_guard lock(mHandlersLock);
            mHandlers->RemoveHandler(former.Get(), NID_MIDI_DATA_CAPTURED);
            mHandlers->RemoveHandler(former.Get(), NID_MIDI_DEVICES_CHANGED);
        }
        UnregisterNotification(former, NID_MIDI_DATA_CAPTURED);
        UnregisterNotification(former, NID_MIDI_DEVICES_CHANGED);
    }
    {
        std::lock_guard lock(mMidiLock);
        mMidi = service;
        mMidiIdentity.store(service.Get(), std::memory_order_release);
    }
    // Registered before any port of the service opens, so no reply is missed.
    std::lock_guard lock(mHandlersLock);
    return service &&
           mHandlers->AddHandlerFor(&LUpdateEngine::OnMidiDataCaptured, service, NID_MIDI_DATA_CAPTURED) ==
               S_OK &&
           mHandlers->AddHandlerFor(&LUpdateEngine::OnMidiDeviceListChanged, service,
                                    NID_MIDI_DEVICES_CHANGED) == S_OK;
}

KVRESULT LUpdateEngine::OnMidiDeviceListChanged(const RCPtr<LNotificationDistributor>& sender,
                                                const RCPtr<LNotification>&)
{
    if (sender.Get() == mMidiIdentity.load(std::memory_order_acquire))
        OnDeviceListChanged();
    return S_OK;
}

void LUpdateEngine::ReleaseDevicePorts()
{
    std::vector<DeviceDefinitionEx> former;
    std::lock_guard lock(mFoundLock);
    former.swap(mFound);
}

KVRESULT LUpdateEngine::Receive(const RCPtr<LNotificationDistributor>& sender,
                                const RCPtr<LNotification>& notification)
{
    std::lock_guard lock(mHandlersLock);
    return mHandlers ? mHandlers->Dispatch(sender, notification) : S_OK;
}

KVRESULT LUpdateEngine::Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id)
{
    {
        std::lock_guard lock(mHandlersLock);
        if (mHandlers)
            mHandlers->RemoveHandler(distributor.Get(), id);
    }
    return UnregisterNotification(distributor, id);
}

KVRESULT LUpdateEngine::ReleaseInternalReferences()
{
    return LNotificationClient::ReleaseInternalReferences();
}

// --- Device messages -------------------------------------------------------------------

int32_t LUpdateEngine::Send(const RCPtr<LMidiRenderPort>& port, const Bytes& bytes)
{
    RCPtr<LMidiCommInterface> midi = GetMidi();
    if (!port || !midi)
        return E_FAIL;
    return midi->Send(RCPtr<LRefCountedObject>(port), bytes);
}

KVRESULT LUpdateEngine::SendIdentityRequest(const RCPtr<LMidiRenderPort>& port)
{
    return Send(port, ToBytes(DeviceProtocol::IdentityRequest));
}

KVRESULT LUpdateEngine::SendSysEx(const Bytes& payload, const RCPtr<LMidiRenderPort>& port)
{
    // A payload that already ends the message gets no second F7, which would go out as a
    // stray byte.
    const uint32_t count = payload.GetCount();
    const bool ended =
        count > 0 && static_cast<uint8_t>(*payload.GetAtConst(count - 1)) == DeviceProtocol::SysExEnd;
    Bytes framed;
    framed.SetCount(count + (ended ? 1 : 2));
    *framed.GetAt(0) = static_cast<int8_t>(DeviceProtocol::SysExStart);
    for (uint32_t i = 0; i < count; ++i)
        *framed.GetAt(i + 1) = *payload.GetAtConst(i);
    if (!ended)
        *framed.GetAt(count + 1) = static_cast<int8_t>(DeviceProtocol::SysExEnd);
    return Send(port, framed);
}

KVRESULT LUpdateEngine::OnMidiDataCaptured(const RCPtr<LNotificationDistributor>& sender,
                                           const RCPtr<LNotification>& notification)
{
    auto* data = dynamic_cast<const LMidiCaptureNotificationData*>(notification->GetData().Get());
    if (!data || sender.Get() != mMidiIdentity.load(std::memory_order_acquire))
        return S_OK;
    const auto* first = reinterpret_cast<const uint8_t*>(data->GetBytes().GetDataConst());
    const std::span<const uint8_t> bytes(first, data->GetCount());

    if (DeviceMessages::IsIdentityReply(bytes))
    {
        bool counted = false;
        {
            std::lock_guard lock(mCurrentLock);
            if (IsLateReply())
                return S_OK;
            if (mQueryWaiting)
            {
                DeviceMessages::ParseIdentityVersion(bytes, mCurrent.mVersion);
                mQueryWaiting = false;
                counted = true;
            }
        }
        if (counted)
            mIdentityLight.Set();
        return S_OK;
    }
    switch (DeviceMessages::ClassifyDeviceReply(bytes))
    {
    case DeviceProtocol::StatusCancelRequest:
        // The cause first: the request wakes the transfer, which may end at once.
        if (GetDeviceState() == DeviceStateUpdating)
            SetTransferFailure(TransferFailure::CancelledByKeyboard);
        RequestCancel();
        break;
    case DeviceProtocol::StatusAcknowledge:
    case DeviceProtocol::StatusAcknowledgeAlternate:
        mAcknowledgeLight.Set();
        break;
    case DeviceProtocol::StatusUpdateModeAccepted:
        mUpdateModeLight.Set();
        break;
    default:
        break;
    }
    return S_OK;
}

bool LUpdateEngine::IsLateReply()
{
    if (!mLateReplyExpected)
        return false;
    mLateReplyExpected = false;
    if (GetTickCount() - mLateReplyRequestedAt >= 2 * mTimings.identityWait)
        return false; // too late to be that answer
    mLateReplyDropped = mQueryWaiting;
    return true;
}

bool LUpdateEngine::WaitFor(TrafficLight& light, Milliseconds ms)
{
    return light.Wait(ms) == WAIT_OBJECT_0;
}

// --- Scan --------------------------------------------------------------------------------

bool LUpdateEngine::OpenDevicePorts(const String& inputName, const String& outputName,
                                    DeviceDefinitionEx& device)
{
    const RCPtr<LMidiCommInterface> midi = GetMidi();
    return midi && midi->OpenDevicePorts(inputName, outputName, device.mCapture, device.mRender) == S_OK;
}

KVRESULT LUpdateEngine::QueryDeviceVersion(DeviceDefinitionEx& device, const RCPtr<LMidiCapturePort>&,
                                           const RCPtr<LMidiRenderPort>& render)
{
    mIdentityLight.Reset();
    {
        std::lock_guard lock(mCurrentLock);
        mCurrent = device;
        mQueryWaiting = true;
        mLateReplyDropped = false;
    }
    const Milliseconds requestedAt = GetTickCount();
    SendIdentityRequest(render);
    const bool answered = WaitFor(mIdentityLight, mTimings.identityWait);
    // The query holds the device's ports only while it waits. Kept beyond, they stayed
    // open on the keyboard's connection of that moment, which its next restart breaks,
    // and were handed again to the next probe of the same names, which then went
    // unanswered. They are released after the lock, which a delivery in progress may be
    // waiting for.
    DeviceDefinitionEx queried;
    {
        std::lock_guard lock(mCurrentLock);
        mQueryWaiting = false;
        queried = std::exchange(mCurrent, DeviceDefinitionEx{});
        device = queried;
        // A keyboard that answered nothing at all may still answer this request. One
        // that sent the late answer of an earlier request meanwhile answers in its own
        // time: its next reply counts, so that a single lost request cannot keep it
        // unfound.
        if (!answered && !mLateReplyDropped)
        {
            mLateReplyExpected = true;
            mLateReplyRequestedAt = requestedAt;
        }
    }
    return answered ? S_OK : E_FAIL;
}

KVRESULT LUpdateEngine::ProbeDevice(DeviceDefinitionEx& device)
{
    device.mCapture = nullptr;
    device.mRender = nullptr;
    const DeviceDefinition& definition = device.mDefinition;
    if (OpenDevicePorts(definition.mNormalInputPortName, definition.mNormalOutputPortName, device))
    {
        device.mInUpdateMode = 0;
        device.mReason = ReasonNone;
        const KVRESULT answered = QueryDeviceVersion(device, device.mCapture, device.mRender);
        if (KV_FAILED(answered))
        {
            device.mCapture = nullptr;
            device.mRender = nullptr;
        }
        return answered;
    }
    if (OpenDevicePorts(definition.mUpdateInputPortName, definition.mUpdateOutputPortName, device))
    {
        device.mVersion.mText = u"Unknown";
        device.mInUpdateMode = 1;
        device.mReason = ReasonNone;
        return S_OK;
    }
    return E_FAIL;
}

bool LUpdateEngine::OpenSelectedPorts(DeviceDefinitionEx& device)
{
    if (device.mCapture && device.mRender)
        return true;
    const DeviceDefinition& definition = device.mDefinition;
    const bool opened =
        device.mInUpdateMode
            ? OpenDevicePorts(definition.mUpdateInputPortName, definition.mUpdateOutputPortName, device)
            : OpenDevicePorts(definition.mNormalInputPortName, definition.mNormalOutputPortName, device);
    uint32_t index = 0;
    if (!opened || !GetSelectedIndex(index))
        return opened;
    // Kept with the found device: a restart of the keyboard breaks them, which the look
    // after its power cycle tells by.
    std::lock_guard lock(mFoundLock);
    if (index < mFound.size() && !mFound[index].mCapture)
    {
        mFound[index].mCapture = device.mCapture;
        mFound[index].mRender = device.mRender;
    }
    return true;
}

std::vector<LUpdateEngine::DeviceDefinitionEx> LUpdateEngine::ListDevices() const
{
    std::vector<DeviceDefinitionEx> listed;
    const RCPtr<LMidiCommInterface> midi = GetMidi();
    if (!midi)
        return listed;
    for (uint32_t i = 0; i < mDeviceDefinitions.GetCount(); ++i)
    {
        const DeviceDefinition& definition = *mDeviceDefinitions.GetAtConst(i);
        for (const uint8_t updateMode : {0, 1})
        {
            std::vector<LMidiCommInterface::DevicePorts> ports;
            if (updateMode)
                midi->ListDevicePorts(definition.mUpdateInputPortName, definition.mUpdateOutputPortName,
                                      ports);
            else
                midi->ListDevicePorts(definition.mNormalInputPortName, definition.mNormalOutputPortName,
                                      ports);
            for (const LMidiCommInterface::DevicePorts& device : ports)
            {
                DeviceDefinitionEx found;
                found.mDefinition = definition;
                found.mDefinition.mNormalInputPortName = updateMode ? String() : device.input;
                found.mDefinition.mNormalOutputPortName = updateMode ? String() : device.output;
                found.mDefinition.mUpdateInputPortName = updateMode ? device.input : String();
                found.mDefinition.mUpdateOutputPortName = updateMode ? device.output : String();
                found.mInUpdateMode = updateMode;
                listed.push_back(std::move(found));
            }
        }
    }
    return listed;
}

KVRESULT LUpdateEngine::ScanPorts()
{
    {
        // The ports of the last scan close before any device is probed again.
        std::vector<DeviceDefinitionEx> former;
        std::lock_guard lock(mFoundLock);
        former.swap(mFound);
    }
    // Every keyboard counts, each by its own ports: several keyboards are told apart
    // from one, and a probe never reaches a keyboard other than the one listed.
    // A found keyboard's ports close after its probe: an open port keeps the MIDI client
    // in the server's cycles, which costs CPU for as long as the window rests. They open
    // again when something is said to the keyboard.
    std::vector<DeviceDefinitionEx> found;
    for (DeviceDefinitionEx& device : ListDevices())
        if (KV_SUCCEEDED(ProbeDevice(device)))
        {
            device.mCapture = nullptr;
            device.mRender = nullptr;
            found.push_back(device);
        }
    std::lock_guard lock(mFoundLock);
    mFound = std::move(found);
    return S_OK;
}

uint32_t LUpdateEngine::GetFoundDeviceCount() const
{
    std::lock_guard lock(mFoundLock);
    return static_cast<uint32_t>(mFound.size());
}

KVRESULT LUpdateEngine::GetFoundDevices(IArray<DeviceDefinition>& devices)
{
    std::lock_guard lock(mFoundLock);
    devices.Clear();
    for (const auto& device : mFound)
        devices.AddItem(device.mDefinition);
    return S_OK;
}

bool LUpdateEngine::IsDeviceInUpdateMode(uint32_t index) const
{
    std::lock_guard lock(mFoundLock);
    return index < mFound.size() && mFound[index].mInUpdateMode != 0;
}

KVRESULT LUpdateEngine::GetDeviceCannotUpdateReason(uint32_t index, int32_t& reason) const
{
    std::lock_guard lock(mFoundLock);
    if (index >= mFound.size())
    {
        reason = ReasonNone;
        return E_FAIL;
    }
    reason = mFound[index].mReason;
    return S_OK;
}

KVRESULT LUpdateEngine::GetDeviceVersion(uint32_t index, VersionInfo& version) const
{
    std::lock_guard lock(mFoundLock);
    if (index >= mFound.size())
        return E_FAIL;
    version = mFound[index].mVersion;
    return S_OK;
}

void LUpdateEngine::SetSelectedDeviceReason(int32_t reason)
{
    uint32_t index = 0;
    if (!GetSelectedIndex(index))
        return;
    std::lock_guard lock(mFoundLock);
    if (index < mFound.size())
        mFound[index].mReason = reason;
}

bool LUpdateEngine::GetSelectedDevice(DeviceDefinitionEx& device) const
{
    uint32_t index = 0;
    if (!GetSelectedIndex(index))
        return false;
    std::lock_guard lock(mFoundLock);
    if (index >= mFound.size())
        return false;
    device = mFound[index];
    return true;
}

KVRESULT LUpdateEngine::RescanSelectedDevice()
{
    uint32_t index = 0;
    if (GetDeviceState() <= DeviceStateNoneSelected || !GetSelectedIndex(index))
        return E_FAIL;
    DeviceDefinitionEx selected;
    {
        std::lock_guard lock(mFoundLock);
        if (index >= mFound.size())
            return E_FAIL;
        selected = mFound[index];
    }
    // After the switch into update mode the keyboard is followed through its power cycle:
    // the image goes only to the keyboard that was switched.
    const bool switched = GetDeviceState() == DeviceStateEnteringUpdateMode;
    std::vector<DeviceDefinitionEx> listed = ListDevices();
    if (listed.size() > 1)
    {
        // Which of them is the selected one cannot be told: none is chosen, and nothing
        // is sent to any of them.
        SetPowerCycleFinding(switched ? PowerCycleFinding::CannotTell : PowerCycleFinding::None);
        mSelectedDevice.store(-1);
        ReleaseDevicePorts();
        SetDeviceState(DeviceStateNoneSelected);
        return S_OK;
    }
    if (listed.empty())
    {
        if (switched)
        {
            SetPowerCycleFinding(PowerCycleFinding::StillOff);
            return S_OK;
        }
        SetSelectedDeviceReason(ReasonDeviceUnreachable);
        SetDeviceState(DeviceStateCannotUpdate);
        return S_OK;
    }
    DeviceDefinitionEx device = listed.front();
    // A keyboard on the very ports it was switched on has not been switched off yet: a
    // restart takes its ports away.
    const bool restarted =
        !selected.mCapture || !selected.mRender || selected.mCapture->IsGone() || selected.mRender->IsGone();
    if (switched && !device.mInUpdateMode && !selected.mInUpdateMode && !restarted &&
        device.mDefinition.mNormalInputPortName == selected.mDefinition.mNormalInputPortName &&
        device.mDefinition.mNormalOutputPortName == selected.mDefinition.mNormalOutputPortName)
    {
        SetPowerCycleFinding(PowerCycleFinding::NotSwitchedOffYet);
        return S_OK;
    }
    {
        // Its ports close before the probe, which opens the keyboard's present ones.
        std::lock_guard lock(mFoundLock);
        if (index < mFound.size())
        {
            mFound[index].mCapture = nullptr;
            mFound[index].mRender = nullptr;
        }
    }
    selected = DeviceDefinitionEx{};
    if (KV_FAILED(ProbeDevice(device)))
    {
        if (switched)
        {
            SetPowerCycleFinding(PowerCycleFinding::StillOff); // listed, but not answering yet
            return S_OK;
        }
        SetSelectedDeviceReason(ReasonDeviceUnreachable);
        SetDeviceState(DeviceStateCannotUpdate);
        return S_OK;
    }
    {
        std::lock_guard lock(mFoundLock);
        if (index < mFound.size())
            mFound[index] = device;
    }
    if (device.mInUpdateMode)
    {
        SetPowerCycleFinding(PowerCycleFinding::None);
        SetDeviceState(DeviceStateReadyForUpdate);
        return S_OK;
    }
    {
        // At rest, as after a scan.
        std::lock_guard lock(mFoundLock);
        if (index < mFound.size())
        {
            mFound[index].mCapture = nullptr;
            mFound[index].mRender = nullptr;
        }
    }
    SetPowerCycleFinding(switched ? PowerCycleFinding::BackInNormalMode : PowerCycleFinding::None);
    SetDeviceState(DeviceStateNormalFirmware);
    return S_OK;
}

// --- Transfer ----------------------------------------------------------------------------

KVRESULT LUpdateEngine::EnterUpdateMode()
{
    const int32_t state = GetDeviceState();
    if (state == DeviceStateReadyForUpdate)
        return S_FALSE;
    if (state != DeviceStateNormalFirmware)
        return E_FAIL;
    SetPowerCycleFinding(PowerCycleFinding::None);
    SetDeviceState(DeviceStateEnteringUpdateMode);
    mUpdateModeLight.Reset();

    KVRESULT result = E_FAIL;
    DeviceDefinitionEx device;
    if (GetSelectedDevice(device) && OpenSelectedPorts(device))
    {
        if (!HoldKeyboard(device))
        {
            SetTransferFailure(TransferFailure::KeyboardInUse);
            SetSelectedDeviceReason(ReasonDeviceUnreachable);
            SetDeviceState(DeviceStateCannotUpdate);
            return E_FAIL;
        }
        // An answer can only come to a message that went out.
        result = Send(device.mRender, DeviceMessages::MakeEnterUpdateModeMessage());
        if (KV_SUCCEEDED(result) && !WaitFor(mUpdateModeLight, mTimings.enterUpdateModeWait))
            result = E_FAIL;
    }
    if (KV_FAILED(result))
    {
        SetSelectedDeviceReason(ReasonDeviceUnreachable);
        SetDeviceState(DeviceStateCannotUpdate);
    }
    return result;
}

KVRESULT LUpdateEngine::RequestCancel()
{
    if (GetDeviceState() != DeviceStateUpdating)
        return E_FAIL;
    SetCancelRequested(true);
    // Wakes a transfer that waits for an acknowledgement, which a keyboard that asked to
    // stop never sends; the transfer finds the flag set before this.
    mAcknowledgeLight.Set();
    return S_OK;
}

KVRESULT LUpdateEngine::PerformUpdate()
{
    SetUpdateResult(UpdateResultRunning);
    auto fail = [this](int32_t reason, KVRESULT result) {
        if (reason != ReasonNone)
            SetSelectedDeviceReason(reason);
        SetUpdateResult(UpdateResultFailed);
        SetDeviceState(DeviceStateCannotUpdate);
        return result;
    };

    // The ports of the keyboard in its update mode; they stay open with the found device,
    // for the last record's acknowledgement too.
    DeviceDefinitionEx device;
    if (!GetSelectedDevice(device) || !device.mInUpdateMode || !OpenSelectedPorts(device))
    {
        SetTransferFailure(UnlessMidiGone(TransferFailure::PortsUnavailable));
        return fail(ReasonDeviceUnreachable, E_FAIL);
    }
    if (!HoldKeyboard(device))
    {
        SetTransferFailure(TransferFailure::KeyboardInUse);
        return fail(ReasonDeviceUnreachable, E_FAIL);
    }
    const RCPtr<LMidiCapturePort>& capture = device.mCapture;
    const RCPtr<LMidiRenderPort>& render = device.mRender;

    String path;
    Bytes image;
    if (KV_FAILED(GetFirmwareFilePath(path)) || KV_FAILED(FirmwareImageFile::LoadImage(path, image)))
    {
        SetTransferFailure(TransferFailure::ImageUnreadable);
        return fail(ReasonImageUnreadable, E_FAIL);
    }

    mAcknowledgeLight.Reset();
    // The send's result does not decide the step (the acknowledgement does); it only
    // tells a connection that failed from a keyboard that kept silent.
    const KVRESULT opened = Send(render, DeviceMessages::MakeEnterUpdateModeMessage());
    const bool sessionAcknowledged = WaitFor(mAcknowledgeLight, mTimings.acknowledgeWait);
    if (IsCancelRequested())
        return EndCancelled();
    if (!sessionAcknowledged)
    {
        SetTransferFailure(UnlessMidiGone(KV_FAILED(opened) ? TransferFailure::SendFailed
                                                            : TransferFailure::SessionNotAcknowledged));
        return fail(ReasonNone, E_FAIL);
    }

    // A cancel request ends the transfer as cancelled wherever it comes: at the start of
    // a record, while one is awaited, or after the last.
    const KVRESULT sent = SendFirmwareRecords(image, capture, render);
    if (sent == E_ABORT)
        return EndCancelled();
    if (KV_FAILED(sent))
        return fail(ReasonDeviceUnreachable, sent);
    if (IsCancelRequested())
        return EndCancelled();
    SetUpdateResult(UpdateResultSucceeded);
    return S_OK;
}

bool LUpdateEngine::HoldKeyboard(const DeviceDefinitionEx& device)
{
    // A keyboard on a bus of this process alone, or whose system has no name, is no
    // other process's to take.
    const RCPtr<LMidiCommInterface> midi = GetMidi();
    const String system = midi ? midi->GetSystemName() : String();
    if (!device.mCapture || system.IsEmpty())
        return true;
    const String name = String(u"Keyboard-")
                            .Concat(system)
                            .Concat(String(u"-"))
                            .Concat(GetMidiPortDevice(device.mCapture->GetName()));
    std::lock_guard lock(mKeyboardLocksLock);
    for (const auto& held : mKeyboardLocks)
        if (held->GetName() == name)
            return true;
    UserLock::Result result = UserLock::Result::Unavailable;
    if (std::unique_ptr<UserLock> held = UserLock::TryAcquire(name, result))
        mKeyboardLocks.push_back(std::move(held));
    return result != UserLock::Result::HeldElsewhere;
}

KVRESULT LUpdateEngine::EndCancelled()
{
    SetUpdateResult(UpdateResultCancelled);
    SetDeviceState(DeviceStateReadyForUpdate);
    return E_ABORT;
}

bool LUpdateEngine::WaitForFinalAcknowledgement()
{
    // The light was reset before the last chunk went out, so only the last record's
    // acknowledgement sets it.
    // A cancel request sets the light too: it confirms nothing.
    return GetUpdateResult(false) == UpdateResultSucceeded &&
           WaitFor(mAcknowledgeLight, mTimings.acknowledgeWait) && !IsCancelRequested();
}

LUpdateEngineInterface::TransferFailure LUpdateEngine::UnlessMidiGone(TransferFailure failure) const
{
    // Nothing passes once the MIDI system has gone: that, not the keyboard, is the cause.
    const RCPtr<LMidiCommInterface> midi = GetMidi();
    return midi && !midi->IsSystemAvailable() ? TransferFailure::MidiSystemGone : failure;
}

KVRESULT LUpdateEngine::SendFirmwareRecords(const Bytes& image, const RCPtr<LMidiCapturePort>&,
                                            const RCPtr<LMidiRenderPort>& render)
{
    const uint32_t total = image.GetCount();
    if (total == 0)
        return S_OK;
    const auto* bytes = reinterpret_cast<const uint8_t*>(image.GetDataConst());
    uint32_t position = 0;
    while (position < total)
    {
        if (IsCancelRequested())
            return E_ABORT;
        if (total - position < DeviceProtocol::RecordLengthBytes)
        {
            SetTransferFailure(TransferFailure::ImageUnreadable);
            return E_FAIL;
        }
        uint64_t remaining =
            DeviceProtocol::RecordLengthBytes + (uint32_t{bytes[position]} << 8 | bytes[position + 1]);
        // Never past the end of the image, whatever a record declares.
        if (remaining > total - position)
        {
            SetTransferFailure(TransferFailure::ImageUnreadable);
            return E_FAIL;
        }
        while (remaining != 0)
        {
            Sleep(mTimings.chunkPause);
            mAcknowledgeLight.Reset();
            // Read after the reset: a cancel request that came before it set the flag
            // first, one that comes after it sets the light again.
            if (IsCancelRequested())
                return E_ABORT;
            const uint32_t count =
                static_cast<uint32_t>(std::min<uint64_t>(DeviceProtocol::MaxChunkImageBytes, remaining));
            Bytes chunk = ToBytes({bytes + position, count});
            DeviceMessages::EncodeChunkAsHex(chunk);
            if (KV_FAILED(SendSysEx(chunk, render)))
            {
                // The keyboard cannot have the record: do not report it sent.
                SetTransferFailure(UnlessMidiGone(TransferFailure::SendFailed));
                return E_FAIL;
            }
            position += count;
            remaining -= count;
        }
        // Only an acknowledgement after the record's last chunk counts: the light was
        // reset before every chunk.
        if (position < total && !WaitFor(mAcknowledgeLight, mTimings.acknowledgeWait))
        {
            if (IsCancelRequested())
                return E_ABORT;
            SetTransferFailure(UnlessMidiGone(TransferFailure::RecordNotAcknowledged));
            return E_FAIL;
        }
        PostUpdateProgress(0, static_cast<double>(position) / total, 1, -1, 0);
    }
    return S_OK;
}

KVRESULT LUpdateEngine::SendFirmwareRaw(const Bytes& image, int32_t, const String& outputPortName)
{
    constexpr uint32_t kPiece = DeviceProtocol::MaxChunkHexCharacters;
    RCPtr<LMidiCommInterface> midi = GetMidi();
    RCPtr<LMidiRenderPort> render;
    if (!midi || midi->OpenRenderPort(outputPortName, render) != S_OK)
        return E_FAIL;
    const uint32_t total = image.GetCount();
    const auto* bytes = reinterpret_cast<const uint8_t*>(image.GetDataConst());
    uint32_t position = 0;
    for (; total - position >= kPiece && !IsCancelRequested(); position += kPiece)
    {
        Sleep(mTimings.chunkPause);
        if (KV_FAILED(Send(render, ToBytes({bytes + position, kPiece}))))
            return E_FAIL;
        PostUpdateProgress(0, static_cast<double>(position) / total, 1, -1, 0);
    }
    if (position < total && !IsCancelRequested())
    {
        if (KV_FAILED(Send(render, ToBytes({bytes + position, total - position}))))
            return E_FAIL;
        PostUpdateProgress(0, 1.0, 1, -1, 0);
    }
    return S_OK;
}
