#include "Midi/MidiComm.h"

#include "Notification/Notification.h"
#include "Platform/Midi/MidiDriver.h"
#include "Platform/Midi/MidiDriverFactory.h"
#include "System/Thread.h"

#include <optional>
#include <string>

namespace KV {

using Platform::MidiResult;

namespace {

// The delivery pool: one worker, so that messages are delivered one at a time and in
// order; its queue thread runs at the highest priority.
constexpr int kDeliveryWorkers = 1;
constexpr int kDeliveryQueuePriority = THREAD_PRIORITY_HIGHEST;
constexpr int kDeliveryJobPriority = THREAD_PRIORITY_NORMAL;

struct ProcessDriver
{
    std::mutex lock;
    std::shared_ptr<Platform::IMidiDriver> driver; // null: the system's MIDI
    Milliseconds completionWait = LMidiCommInterface::kCompletionWait;
    std::shared_ptr<Platform::IMidiDriver> checkedSystem; // started by CheckSystem, for the next Create
};

ProcessDriver& GetProcessDriver()
{
    static auto* const choice = new ProcessDriver();
    return *choice;
}

// Services that share a driver take turns at listing and opening its devices.
std::mutex& ListingMutex()
{
    static auto* const mutex = new std::mutex();
    return *mutex;
}

// The number and name of the first device whose name contains the text.
std::optional<uint32_t> FindDevice(const std::vector<std::string>& names, const String& text, String& name)
{
    for (size_t id = 0; id < names.size(); ++id)
    {
        String candidate(names[id].c_str());
        if (MidiPortNameContains(candidate, text))
        {
            name = candidate;
            return static_cast<uint32_t>(id);
        }
    }
    return std::nullopt;
}

// The open port opened last whose name contains the text.
template <class Port> RCPtr<Port> FindOpenPort(RCPtrArray<Port, 1, 0>& ports, const String& text)
{
    for (uint32_t i = ports.GetCount(); i-- > 0;)
        if ((*ports.GetAt(i))->MatchesName(text))
            return *ports.GetAt(i);
    return nullptr;
}

template <class Port> KVRESULT RemovePort(RCPtrArray<Port, 1, 0>& ports, const Port* port)
{
    for (uint32_t i = 0; i < ports.GetCount(); ++i)
    {
        if (ports.GetAt(i)->Get() == port)
        {
            ports.RemoveItems(i, 1);
            return S_OK;
        }
    }
    return E_FAIL;
}

} // namespace

// ---- free functions ----

int32_t GetMidiMessageLength(const signed char* status)
{
    const auto b = static_cast<uint8_t>(*status);
    if (b < 0x80)
        return 1;
    if (b < 0xC0 || (b >= 0xE0 && b < 0xF0))
        return 3;
    if (b < 0xE0)
        return 2;
    switch (b)
    {
    case 0xF0:
    case 0xF7:
        return 0;
    case 0xF1:
    case 0xF3:
    case 0xF4:
    case 0xF5:
        return 2;
    case 0xF2:
        return 3;
    default:
        return 1;
    }
}

bool MidiPortNameContains(const String& name, const String& text)
{
    return !name.IsEmpty() && !text.IsEmpty() && name.ToLower().Find(text.ToLower()) >= 0;
}

// ---- LMidiCommInterface ----

RCPtr<LMidiCommInterface> LMidiCommInterface::Create()
{
    ProcessDriver& process = GetProcessDriver();
    std::shared_ptr<Platform::IMidiDriver> driver;
    Milliseconds completionWait;
    {
        std::lock_guard lock(process.lock);
        driver = process.driver ? process.driver : std::move(process.checkedSystem);
        completionWait = process.completionWait;
    }
    if (!driver)
    {
        // Without a MIDI system the service simply finds no ports; the reason is for the
        // port-listing tool to tell.
        std::string error;
        driver = Platform::CreateMidiDriver(error);
    }
    return Create(std::move(driver), completionWait);
}

RCPtr<LMidiCommInterface> LMidiCommInterface::Create(std::shared_ptr<Platform::IMidiDriver> driver,
                                                     Milliseconds completionWait)
{
    return LMidiComm::Create(std::move(driver), completionWait);
}

void LMidiCommInterface::UseDriver(std::shared_ptr<Platform::IMidiDriver> driver, Milliseconds completionWait)
{
    ProcessDriver& process = GetProcessDriver();
    std::lock_guard lock(process.lock);
    process.driver = std::move(driver);
    process.completionWait = process.driver ? completionWait : kCompletionWait;
}

bool LMidiCommInterface::CheckSystem(std::string& problem)
{
    ProcessDriver& process = GetProcessDriver();
    std::lock_guard lock(process.lock);
    if (process.driver || process.checkedSystem)
        return true;
    process.checkedSystem = Platform::CreateMidiDriver(problem);
    return process.checkedSystem != nullptr;
}

// ---- LMidiComm ----

RCPtr<LMidiComm> LMidiComm::Create(std::shared_ptr<Platform::IMidiDriver> driver, Milliseconds completionWait)
{
    return RCPtr<LMidiComm>(new LMidiComm(std::move(driver), completionWait));
}

LMidiComm::LMidiComm(std::shared_ptr<Platform::IMidiDriver> driver, Milliseconds completionWait)
    : mDriver(std::move(driver)), mCompletionWait(completionWait),
      mDeliveryPool(LThreadPool::Create(kDeliveryWorkers, kDeliveryQueuePriority))
{
}

LMidiComm::~LMidiComm()
{
    // Every port holds a reference to the service, so both lists are empty by now.
    mDeliveryPool->Shutdown();
}

KVRESULT LMidiComm::ReleaseInternalReferences()
{
    DetachAllClients();
    return LRefCountedObject::ReleaseInternalReferences();
}

template <class Device, class Port, class Open, class Ready>
KVRESULT LMidiComm::OpenPort(RCPtrArray<Port, 1, 0>& ports, const String& text, RCPtr<Port>& port,
                             RCPtr<Port>& failed, std::vector<std::string> (Platform::IMidiDriver::*list)(),
                             Open open, Ready ready)
{
    port = nullptr;
    if (text.IsEmpty())
        return E_INVALIDARG;
    MutexLock lock(mMutex);
    if ((port = FindOpenPort(ports, text)))
        return S_OK;
    if (!mDriver)
        return E_FAIL;
    String name;
    std::unique_ptr<Device> device;
    {
        // A driver numbers its devices by its last listing: no other listing of it may
        // come between ours and the opening.
        std::lock_guard listing(ListingMutex());
        const std::optional<uint32_t> id = FindDevice(((*mDriver).*list)(), text, name);
        if (!id || open(*id, device) != MidiResult::Ok)
            return E_FAIL;
    }
    RCPtr<Port> created = Port::Create(name, std::move(device), RCPtr<LMidiComm>(this));
    if (!created)
        return E_FAIL;
    // Listed only once ready, so that no other request is ever handed a port that
    // failed. Its callbacks wait for the lock we hold.
    if (!ready(*created))
    {
        failed = std::move(created);
        return E_FAIL;
    }
    ports.AddItem(created);
    created->AdjustInternalRefCount(1);
    port = std::move(created);
    return S_OK;
}

KVRESULT LMidiComm::OpenCapturePort(const String& text, RCPtr<LMidiCapturePort>& port)
{
    // A port that fails to start is released only after the lock: closing its device
    // waits for a callback of the driver in progress, which may be waiting for the lock.
    RCPtr<LMidiCapturePort> failed;
    return OpenPort<Platform::IMidiInDevice>(
        mCapturePorts, text, port, failed, &Platform::IMidiDriver::ListInputs,
        [this](uint32_t id, std::unique_ptr<Platform::IMidiInDevice>& device) {
            return mDriver->OpenInput(
                id, [this](Platform::IMidiInDevice& d, const Platform::MidiInMessage& m) { OnMidiIn(d, m); },
                device);
        },
        [](LMidiCapturePort& created) { return created.mDevice->Start() == MidiResult::Ok; });
}

KVRESULT LMidiComm::OpenRenderPort(const String& text, RCPtr<LMidiRenderPort>& port)
{
    RCPtr<LMidiRenderPort> failed;
    return OpenPort<Platform::IMidiOutDevice>(
        mRenderPorts, text, port, failed, &Platform::IMidiDriver::ListOutputs,
        [this](uint32_t id, std::unique_ptr<Platform::IMidiOutDevice>& device) {
            return mDriver->OpenOutput(
                id, [this](Platform::IMidiOutDevice& d, Platform::MidiBuffer& done) { OnMidiOut(d, done); },
                device);
        },
        [](LMidiRenderPort&) { return true; });
}

int32_t LMidiComm::Send(const RCPtr<LRefCountedObject>& port, const IArray<signed char>& bytes)
{
    const RCPtr<LMidiRenderPort> render = RCPtr<LMidiRenderPort>::DynamicCastFrom(port);
    if (!render || bytes.GetCount() == 0)
        return E_INVALIDARG;
    return render->Send(bytes, mCompletionWait);
}

template <class Port> void LMidiComm::UnlistReleasedPort(RCPtrArray<Port, 1, 0>& ports, Port& port)
{
    MutexLock lock(mMutex);
    // Another request may have been handed the port since its release began; it stays.
    if (port.GetRefCount() != port.GetInternalRefCount() + 1)
        return;
    const RCPtr<Port> self(&port); // the list's reference is not the last
    if (RemovePort(ports, &port) == S_OK)
        port.AdjustInternalRefCount(-1);
}

void LMidiComm::UnlistReleasedPort(LMidiCapturePort& port)
{
    UnlistReleasedPort(mCapturePorts, port);
}

void LMidiComm::UnlistReleasedPort(LMidiRenderPort& port)
{
    UnlistReleasedPort(mRenderPorts, port);
}

KVRESULT LMidiComm::RemoveCapturePort(const LMidiCapturePort* port)
{
    MutexLock lock(mMutex);
    return RemovePort(mCapturePorts, port);
}

KVRESULT LMidiComm::RemoveRenderPort(const LMidiRenderPort* port)
{
    MutexLock lock(mMutex);
    return RemovePort(mRenderPorts, port);
}

template <class Port, class Device>
Port* LMidiComm::FindPortOf(RCPtrArray<Port, 1, 0>& ports, const Device& device)
{
    for (uint32_t i = ports.GetCount(); i-- > 0;)
    {
        Port* port = ports.GetAt(i)->Get();
        if (port->mDevice.get() == &device)
            return port;
    }
    return nullptr;
}

void LMidiComm::OnMidiIn(Platform::IMidiInDevice& device, const Platform::MidiInMessage& message)
{
    MutexLock lock(mMutex);
    LMidiCapturePort* port = FindPortOf(mCapturePorts, device);
    if (!port)
        return; // a port on its way out
    if (message.kind == Platform::MidiInKind::Data)
    {
        try
        {
            port->OnShortMessage(message.shortMessage, message.timestampMs);
        }
        catch (...)
        {
            // Out of memory: the message is lost, the driver's thread goes on.
        }
        return;
    }
    Platform::MidiBuffer* header = message.buffer;
    if (!header)
        return;
    if (message.kind == Platform::MidiInKind::LongData)
    {
        const uint32_t count = std::min(header->bytesRecorded, header->length);
        const bool complete = count < header->length || (count > 0 && header->data[count - 1] == 0xF7);
        try
        {
            port->OnSysexData(header->data, count, complete);
        }
        catch (...)
        {
        }
    }
    // A damaged buffer's bytes are dropped; a message being assembled stays pending.
    port->RequeueBuffer(*header);
}

void LMidiComm::OnMidiOut(Platform::IMidiOutDevice& device, Platform::MidiBuffer& done)
{
    MutexLock lock(mMutex);
    if (LMidiRenderPort* port = FindPortOf(mRenderPorts, device))
        port->OnDone(done);
}

void LMidiComm::QueueCaptured(const RCPtr<LMidiCaptureNotificationData>& message)
{
    mDeliveryPool->QueueWork(RCPtr<LThreadWorker>(this), message, kDeliveryJobPriority);
}

int LMidiComm::DoWork(RCPtr<LRefCountedObject>& parameters)
{
    const RCPtr<LNotification> notification = LNotification::Create(NID_MIDI_DATA_CAPTURED, parameters);
    return SendNotification(notification);
}

} // namespace KV
