#include "Midi/MidiComm.h"

#include "Notification/Notification.h"
#include "Platform/Midi/MidiDriver.h"
#include "Platform/Midi/MidiDriverFactory.h"
#include "System/Thread.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <type_traits>
#include <utility>

namespace KV {

using Platform::MidiResult;

namespace {

// The replies that a client waits for travel on the delivery thread.
constexpr int kDeliveryPriority = THREAD_PRIORITY_HIGHEST;

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

struct ListedDevice
{
    uint32_t id = 0;
    String name;
};

// The devices whose names contain the text, in the listing's order.
std::vector<ListedDevice> FindDevices(const std::vector<std::string>& names, const String& text)
{
    std::vector<ListedDevice> found;
    for (size_t id = 0; id < names.size(); ++id)
    {
        String candidate(names[id].c_str());
        if (MidiPortNameContains(candidate, text))
            found.push_back({static_cast<uint32_t>(id), candidate});
    }
    return found;
}

// Every device among the candidates, in the inputs' order: each input with an output of
// its device; the lone input and output when no device has both (a backend may list the
// two directions of a device apart). A device may show several inputs and outputs, and
// a bridge may list its devices' inputs and outputs in different orders: the k-th input
// of a device goes with its k-th output, else with its first. See OpenDevicePorts.
std::vector<std::pair<ListedDevice, ListedDevice>>
PairAllDevicePorts(const std::vector<ListedDevice>& inputs, const std::vector<ListedDevice>& outputs)
{
    std::vector<std::pair<ListedDevice, ListedDevice>> pairs;
    std::vector<String> outputDevices;
    for (const ListedDevice& output : outputs)
        outputDevices.push_back(GetMidiPortDevice(output.name));
    std::vector<String> inputDevices;
    for (const ListedDevice& input : inputs)
    {
        const String device = GetMidiPortDevice(input.name);
        const size_t rank = static_cast<size_t>(std::count(inputDevices.begin(), inputDevices.end(), device));
        inputDevices.push_back(device);
        std::optional<size_t> first, ranked;
        for (size_t j = 0, seen = 0; j < outputs.size() && !ranked; ++j)
        {
            if (outputDevices[j] != device)
                continue;
            if (!first)
                first = j;
            if (seen++ == rank)
                ranked = j;
        }
        if (ranked || first)
            pairs.emplace_back(input, outputs[ranked ? *ranked : *first]);
    }
    if (pairs.empty() && inputs.size() == 1 && outputs.size() == 1)
        pairs.emplace_back(inputs.front(), outputs.front());
    return pairs;
}

// The input and output of one device among the candidates: the first pair.
std::optional<std::pair<ListedDevice, ListedDevice>> PairDevicePorts(const std::vector<ListedDevice>& inputs,
                                                                     const std::vector<ListedDevice>& outputs)
{
    std::vector<std::pair<ListedDevice, ListedDevice>> pairs = PairAllDevicePorts(inputs, outputs);
    if (pairs.empty())
        return std::nullopt;
    return std::move(pairs.front());
}

bool IsDigits(std::u16string_view text)
{
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

// The open port opened last whose name contains the text (the test) and whose device
// has not gone. A port whose device went stays listed while somebody holds it, but is
// handed to nobody else: a device of its name that came back is opened anew.
template <class Port, class Test> RCPtr<Port> FindOpenPort(RCPtrArray<Port, 1, 0>& ports, Test matches)
{
    for (uint32_t i = ports.GetCount(); i-- > 0;)
    {
        const RCPtr<Port>& port = *ports.GetAt(i);
        if (matches(*port) && !port->IsGone())
            return port;
    }
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
    if (name.IsEmpty() || text.IsEmpty())
        return false;
    const String lowerName = name.ToLower();
    const String lowerText = text.ToLower();
    if (lowerName.Find(lowerText) >= 0)
        return true;
    // The JACK server's own ALSA ports carry the device's name with '-' for each space.
    std::u16string dashed(lowerText.View());
    std::replace(dashed.begin(), dashed.end(), u' ', u'-');
    return dashed != lowerText.View() && lowerName.Find(String(dashed.c_str())) >= 0;
}

namespace {

// The client of a device that shows its input and its output as two clients, named
// alike but for a last word that tells the direction ("Keys (capture)", "Keys out").
std::u16string_view WithoutDirectionWord(std::u16string_view client)
{
    static constexpr std::u16string_view kWords[] = {u"capture", u"playback", u"input",  u"output",
                                                     u"in",      u"out",      u"source", u"sink"};
    std::u16string_view rest = client;
    std::u16string_view word;
    if (rest.ends_with(u')'))
    {
        const size_t open = rest.rfind(u'(');
        if (open == std::u16string_view::npos)
            return client;
        word = rest.substr(open + 1, rest.size() - open - 2);
        rest = rest.substr(0, open);
    }
    else
    {
        const size_t separator = rest.find_last_of(u" -_");
        if (separator == std::u16string_view::npos)
            return client;
        word = rest.substr(separator + 1);
        rest = rest.substr(0, separator);
    }
    const String lower = String(std::u16string(word).c_str()).ToLower();
    const bool isDirection = std::any_of(std::begin(kWords), std::end(kWords),
                                         [&](std::u16string_view w) { return lower.View() == w; });
    while (!rest.empty() && (rest.back() == u' ' || rest.back() == u'-' || rest.back() == u'_'))
        rest.remove_suffix(1);
    return isDirection && !rest.empty() ? rest : client;
}

} // namespace

String GetMidiPortDevice(const String& name)
{
    const std::u16string_view text = name.View();
    // ALSA: the client number in the address at the end; client names repeat for two
    // devices of one kind, numbers do not.
    const size_t blank = text.rfind(u' ');
    if (blank != std::u16string_view::npos)
    {
        const std::u16string_view address = text.substr(blank + 1);
        const size_t colon = address.find(u':');
        if (colon != std::u16string_view::npos && IsDigits(address.substr(0, colon)) &&
            IsDigits(address.substr(colon + 1)))
            return String(std::u16string(address.substr(0, colon)).c_str());
    }
    // JACK: "client:port".
    const size_t colon = text.find(u':');
    if (colon == std::u16string_view::npos || colon == 0)
        return name;
    const std::u16string_view client = text.substr(0, colon);
    const std::u16string_view port = text.substr(colon + 1);
    // A bridge that holds every ALSA device in one client names the device at the start
    // of each port's name: "a2j:Keys [24] (capture): Keys MIDI 1".
    for (const std::u16string_view marker : {u" (capture): ", u" (playback): "})
        if (const size_t at = port.find(marker); at != std::u16string_view::npos && at > 0)
            return String(std::u16string(text.substr(0, colon + 1 + at)).c_str());
    // The JACK server's own ALSA ports, by their alias "alsa_pcm:Keys/midi_capture_1".
    if (client == u"alsa_pcm")
        if (const size_t slash = port.find(u'/');
            slash != std::u16string_view::npos && slash > 0 && port.substr(slash + 1).starts_with(u"midi_"))
            return String(std::u16string(port.substr(0, slash)).c_str());
    return String(std::u16string(WithoutDirectionWord(client)).c_str());
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

void LMidiCommInterface::SetClientIdentity(const String& name, uint32_t devicesEachWay)
{
    Platform::SetMidiClientIdentity({NarrowString(name).GetText(), devicesEachWay});
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

struct LMidiComm::Delivery
{
    explicit Delivery(LMidiComm* owner) : service(owner) {}

    LMidiComm* const service; // taken with TryAddRef for each delivery
    std::mutex lock;
    std::condition_variable ready;
    // Captured messages in their order; a null entry stands for a change of the
    // driver's devices, queued once until it has been delivered.
    std::deque<RCPtr<LMidiCaptureNotificationData>> queue;
    bool devicesChangeQueued = false;
    bool stopping = false;
    std::atomic<std::thread::id> thread{};
};

LMidiComm::LMidiComm(std::shared_ptr<Platform::IMidiDriver> driver, Milliseconds completionWait)
    : mDriver(std::move(driver)), mCompletionWait(completionWait), mDelivery(std::make_shared<Delivery>(this))
{
    // The thread keeps its own reference to the queue, which it releases when it ends.
    auto* shared = new std::shared_ptr<Delivery>(mDelivery);
    mDeliveryThread = std::make_unique<Thread>(&LMidiComm::DeliveryThread, shared);
    mDeliveryThread->SetPriority(kDeliveryPriority);
    if (mDeliveryThread->Resume() != 1)
        delete shared; // no thread: captured messages stay undelivered
    if (mDriver)
        mDevicesWatch = mDriver->WatchDevices([delivery = std::weak_ptr<Delivery>(mDelivery)] {
            if (const auto queue = delivery.lock())
                QueueDevicesChange(*queue);
        });
}

void LMidiComm::QueueDevicesChange(Delivery& delivery)
{
    {
        std::lock_guard lock(delivery.lock);
        if (delivery.stopping || std::exchange(delivery.devicesChangeQueued, true))
            return;
        delivery.queue.push_back(nullptr);
    }
    delivery.ready.notify_one();
}

LMidiComm::~LMidiComm()
{
    // Every port holds a reference to the service, so both lists are empty by now and
    // nothing is queued any more. No change of devices is queued after this either.
    mDevicesWatch.reset();
    {
        std::lock_guard lock(mDelivery->lock);
        mDelivery->stopping = true;
        mDelivery->queue.clear();
    }
    mDelivery->ready.notify_one();
    // A client that drops the last reference while it is being delivered to destroys
    // the service on the delivery thread itself, which then ends after the delivery.
    if (mDelivery->thread.load() != std::this_thread::get_id())
        mDeliveryThread->Wait(INFINITE_WAIT);
}

uint32_t LMidiComm::DeliveryThread(void* parameter)
{
    const std::shared_ptr<Delivery> delivery = std::move(*static_cast<std::shared_ptr<Delivery>*>(parameter));
    delete static_cast<std::shared_ptr<Delivery>*>(parameter);
    delivery->thread.store(std::this_thread::get_id());
    std::unique_lock lock(delivery->lock);
    for (;;)
    {
        delivery->ready.wait(lock, [&] { return delivery->stopping || !delivery->queue.empty(); });
        if (delivery->stopping)
            return 0;
        RCPtr<LRefCountedObject> message(delivery->queue.front());
        delivery->queue.pop_front();
        const bool devicesChange = !message;
        if (devicesChange)
            delivery->devicesChangeQueued = false;
        // The delivery holds the service. Once its last reference is gone its destructor
        // waits for this thread, and a reference taken now (sending takes one) would
        // destroy it a second time: the message then has no one to go to.
        if (!delivery->service->TryAddRef())
            continue;
        lock.unlock();
        if (devicesChange)
            delivery->service->SendNotification(LNotification::Create(NID_MIDI_DEVICES_CHANGED, nullptr));
        else
            delivery->service->DoWork(message);
        message.Reset();
        delivery->service->Release(); // the last one destroys the service on this thread
        lock.lock();
    }
}

KVRESULT LMidiComm::ReleaseInternalReferences()
{
    DetachAllClients();
    return LRefCountedObject::ReleaseInternalReferences();
}

template <class Port> void LMidiComm::ListPort(RCPtrArray<Port, 1, 0>& ports, const RCPtr<Port>& port)
{
    ports.AddItem(port);
    port->AdjustInternalRefCount(1);
}

KVRESULT LMidiComm::OpenListedPort(uint32_t id, const String& name, RCPtr<LMidiCapturePort>& port,
                                   RCPtr<LMidiCapturePort>& failed)
{
    if ((port = FindOpenPort(mCapturePorts, [&](const LMidiCapturePort& p) { return p.GetName() == name; })))
        return S_OK;
    std::unique_ptr<Platform::IMidiInDevice> device;
    if (mDriver->OpenInput(
            id, [this](Platform::IMidiInDevice& d, const Platform::MidiInMessage& m) { OnMidiIn(d, m); },
            device) != MidiResult::Ok)
        return E_FAIL;
    RCPtr<LMidiCapturePort> created =
        LMidiCapturePort::Create(name, std::move(device), RCPtr<LMidiComm>(this));
    if (!created)
        return E_FAIL;
    // Listed only once started, so that no other request is ever handed a port that
    // failed. Its callbacks wait for the lock we hold.
    if (created->mDevice->Start() != MidiResult::Ok)
    {
        failed = std::move(created);
        return E_FAIL;
    }
    ListPort(mCapturePorts, created);
    port = std::move(created);
    return S_OK;
}

KVRESULT LMidiComm::OpenListedPort(uint32_t id, const String& name, RCPtr<LMidiRenderPort>& port,
                                   RCPtr<LMidiRenderPort>&)
{
    if ((port = FindOpenPort(mRenderPorts, [&](const LMidiRenderPort& p) { return p.GetName() == name; })))
        return S_OK;
    std::unique_ptr<Platform::IMidiOutDevice> device;
    if (mDriver->OpenOutput(
            id, [this](Platform::IMidiOutDevice& d, Platform::MidiBuffer& done) { OnMidiOut(d, done); },
            device) != MidiResult::Ok)
        return E_FAIL;
    RCPtr<LMidiRenderPort> created = LMidiRenderPort::Create(name, std::move(device), RCPtr<LMidiComm>(this));
    if (!created)
        return E_FAIL;
    ListPort(mRenderPorts, created);
    port = std::move(created);
    return S_OK;
}

template <class Port>
KVRESULT LMidiComm::OpenPort(RCPtrArray<Port, 1, 0>& ports, const String& text, RCPtr<Port>& port,
                             RCPtr<Port>& failed)
{
    constexpr bool capture = std::is_same_v<Port, LMidiCapturePort>;
    port = nullptr;
    if (text.IsEmpty())
        return E_INVALIDARG;
    MutexLock lock(mMutex);
    if ((port = FindOpenPort(ports, [&](const Port& p) { return p.MatchesName(text); })))
        return S_OK;
    if (!mDriver)
        return E_FAIL;
    // A driver numbers its devices by its last listing: no other listing of it may come
    // between ours and the opening.
    std::lock_guard listing(ListingMutex());
    const std::vector<ListedDevice> found =
        FindDevices(capture ? mDriver->ListInputs() : mDriver->ListOutputs(), text);
    if (found.empty())
        return E_FAIL;
    return OpenListedPort(found.front().id, found.front().name, port, failed);
}

KVRESULT LMidiComm::OpenCapturePort(const String& text, RCPtr<LMidiCapturePort>& port)
{
    // A port that fails to start is released only after the lock: closing its device
    // waits for a callback of the driver in progress, which may be waiting for the lock.
    RCPtr<LMidiCapturePort> failed;
    return OpenPort(mCapturePorts, text, port, failed);
}

KVRESULT LMidiComm::OpenRenderPort(const String& text, RCPtr<LMidiRenderPort>& port)
{
    RCPtr<LMidiRenderPort> failed;
    return OpenPort(mRenderPorts, text, port, failed);
}

KVRESULT LMidiComm::OpenDevicePorts(const String& inputText, const String& outputText,
                                    RCPtr<LMidiCapturePort>& capture, RCPtr<LMidiRenderPort>& render)
{
    capture = nullptr;
    render = nullptr;
    if (inputText.IsEmpty() || outputText.IsEmpty())
        return E_INVALIDARG;
    // Released after the lock, as in OpenCapturePort; so is a capture port whose output
    // could not be opened.
    RCPtr<LMidiCapturePort> failedCapture, openedCapture;
    RCPtr<LMidiRenderPort> failedRender;
    MutexLock lock(mMutex);
    if (!mDriver)
        return E_FAIL;
    std::lock_guard listing(ListingMutex());
    const auto pair = PairDevicePorts(FindDevices(mDriver->ListInputs(), inputText),
                                      FindDevices(mDriver->ListOutputs(), outputText));
    if (!pair || OpenListedPort(pair->first.id, pair->first.name, openedCapture, failedCapture) != S_OK)
        return E_FAIL;
    if (OpenListedPort(pair->second.id, pair->second.name, render, failedRender) != S_OK)
        return E_FAIL;
    capture = std::move(openedCapture);
    return S_OK;
}

KVRESULT LMidiComm::ListDevicePorts(const String& inputText, const String& outputText,
                                    std::vector<DevicePorts>& devices)
{
    devices.clear();
    if (inputText.IsEmpty() || outputText.IsEmpty())
        return E_INVALIDARG;
    MutexLock lock(mMutex);
    if (!mDriver)
        return S_OK;
    std::lock_guard listing(ListingMutex());
    for (const auto& [input, output] : PairAllDevicePorts(FindDevices(mDriver->ListInputs(), inputText),
                                                          FindDevices(mDriver->ListOutputs(), outputText)))
        devices.push_back({input.name, output.name});
    return S_OK;
}

String LMidiComm::GetSystemName() const
{
    return mDriver ? String(mDriver->SystemName().c_str()) : String();
}

bool LMidiComm::IsSystemAvailable() const
{
    return mDriver && mDriver->SystemAvailable();
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
    {
        std::lock_guard lock(mDelivery->lock);
        mDelivery->queue.push_back(message);
    }
    mDelivery->ready.notify_one();
}

int LMidiComm::DoWork(RCPtr<LRefCountedObject>& parameters)
{
    const RCPtr<LNotification> notification = LNotification::Create(NID_MIDI_DATA_CAPTURED, parameters);
    return SendNotification(notification);
}

} // namespace KV
