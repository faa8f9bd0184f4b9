#pragma once
// The MIDI service: MIDI ports found by a piece of their device names, sending, and the
// capture of incoming messages.
//
// A port is asked for by text: the open port opened last whose name contains the text
// (ignoring case) is handed out again, otherwise the first device whose name contains
// it is opened. The input and the output of one device are asked for together
// (OpenDevicePorts), so that two devices whose names both contain the text are never
// crossed. A port stays open while anybody outside the service holds it; dropping the
// last such reference closes the device, and asking again opens it anew. A port whose
// device has gone is never handed out again, even when a device of the same name has
// come back (a keyboard that restarted): asking then opens the device that is there.
//
// Every message that a capture port receives reaches the clients of the service as
// the notification NID_MIDI_DATA_CAPTURED, sent by the service itself (a distributor)
// on its own delivery thread: one message at a time, in the order in which they
// arrived at all the service's ports. Register for it before opening ports.
//
// When the devices of the MIDI system may have changed (a keyboard plugged in, switched
// off, restarted in another mode; the MIDI system gone away or back) the service sends
// NID_MIDI_DEVICES_CHANGED, without data, on the same thread; changes in quick
// succession may come as one. Ask for ports again to see what is there now. Not every
// backend tells (the ALSA sequencer's does not yet).
//
// Threads: opening, the release of ports and the driver's callbacks are serialised by
// the service's mutex; Send runs on the caller's thread without it. No lock of the
// service is held while a client runs.
//
// Drivers: Create() runs the service on the system's MIDI (Platform/Midi chooses ALSA or
// JACK), unless a test has installed another driver with UseDriver, for example an
// in-process virtual bus. Create(driver, wait) takes the driver directly.

#include "KVTypes.h"
#include "Midi/MidiCaptureNotificationData.h"
#include "Notification/NotificationDistributor.h"
#include "Storage/IArray.h"
#include "Storage/RCPtrArray.h"
#include "System/Event.h"
#include "System/Mutex.h"
#include "System/Thread.h"
#include "System/ThreadWorker.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace KV {

namespace Platform {
class IMidiDriver;
class IMidiInDevice;
class IMidiOutDevice;
struct MidiBuffer;
struct MidiInMessage;
enum class MidiResult : uint32_t;
} // namespace Platform

// The notification by which the MIDI service says that its devices may have changed.
inline constexpr const char16_t* NID_MIDI_DEVICES_CHANGED = u"NID_MIDI_DEVICES_CHANGED";

class LMidiComm;
class LMidiCapturePort;
class LMidiRenderPort;

// The length of the MIDI message that a status byte begins: 3, 2 or 1, 0 for F0 and F7
// (system exclusive, of any length), and 1 for a data byte.
int32_t GetMidiMessageLength(const signed char* status);

// The name test of port lookup: whether the name contains the text, ignoring the case
// of ASCII letters, or the text with '-' for each space (as the JACK server's own ALSA
// ports write a device's name). An empty name or text never matches.
bool MidiPortNameContains(const String& name, const String& text);

// The device a port belongs to, as far as its name tells, in the layouts that the MIDI
// systems show: the client number of an ALSA port ("client:port client-number:port-number");
// for a JACK port ("client:port") the device at the start of a bridge's port name
// ("a2j:Keys [24] (capture): Keys MIDI 1" gives "a2j:Keys [24]"), the device of the JACK
// server's ALSA port alias ("alsa_pcm:Keys/midi_capture_1" gives "Keys"), or the client
// without a last word that tells the direction ("Keys (capture)", "Keys out" give "Keys");
// else the whole name. The inputs and the outputs of one device give the same answer.
String GetMidiPortDevice(const String& name);

class LMidiCommInterface : public LNotificationDistributor
{
public:
    // How long Send waits for the driver to finish with a system-exclusive message.
    static constexpr Milliseconds kCompletionWait = 10000;

    // A new service on this process's driver: the system's MIDI, or what UseDriver set.
    // Without a MIDI system the service opens no ports.
    static RCPtr<LMidiCommInterface> Create();
    // A new service on the given driver (null: one that opens no ports).
    static RCPtr<LMidiCommInterface> Create(std::shared_ptr<Platform::IMidiDriver> driver,
                                            Milliseconds completionWait = kCompletionWait);
    // Makes Create() use this driver and completion wait from now on; null returns to the
    // system's MIDI. Services already made keep theirs.
    static void UseDriver(std::shared_ptr<Platform::IMidiDriver> driver,
                          Milliseconds completionWait = kCompletionWait);
    // What the process's client is called on the MIDI system (its name as other
    // programs show it, never one by which a device is looked for) and how many devices
    // it opens at once each way, which is how many ports a JACK client of it registers.
    // Set before the first service is made; the defaults are "KV MIDI" and 16.
    static void SetClientIdentity(const String& name, uint32_t devicesEachWay);
    // Whether Create() will have a MIDI system: true when UseDriver installed a driver
    // or the system's MIDI starts (the next Create() then takes over what was started);
    // otherwise false with what is missing in `problem`: the backend asked for or
    // tried, and why it cannot start.
    static bool CheckSystem(std::string& problem);

    // S_OK with the port; E_FAIL with a null port when no device name contains the text
    // or the first that does cannot be opened (or started); E_INVALIDARG for an empty text.
    virtual KVRESULT OpenCapturePort(const String& text, RCPtr<LMidiCapturePort>& port) = 0;
    virtual KVRESULT OpenRenderPort(const String& text, RCPtr<LMidiRenderPort>& port) = 0;
    // The input and the output of one device (GetMidiPortDevice): the first input whose
    // name contains inputText that has an output on the same device whose name contains
    // outputText, with the output of the same rank among that device's (the first when
    // the device has fewer). When no device has both, a lone input and
    // a lone output that match are taken together (a backend may list the two directions
    // of a device apart); several of them cannot be told apart and are refused. S_OK with
    // both ports; E_FAIL with neither; E_INVALIDARG for an empty text.
    virtual KVRESULT OpenDevicePorts(const String& inputText, const String& outputText,
                                     RCPtr<LMidiCapturePort>& capture, RCPtr<LMidiRenderPort>& render) = 0;

    // One device as OpenDevicePorts pairs it: the full names of its input and output.
    struct DevicePorts
    {
        String input;
        String output;
    };
    // Every device that OpenDevicePorts could pair for the texts, in the listing's order:
    // each input whose name contains inputText with the first output of its device whose
    // name contains outputText, or the lone input and output that match when no device
    // has both. Opens nothing. E_INVALIDARG for an empty text.
    virtual KVRESULT ListDevicePorts(const String& inputText, const String& outputText,
                                     std::vector<DevicePorts>& devices) = 0;
    // The MIDI system the service talks to, as a name that tells it from the machine's
    // other ones ("JACK" and the server's name); empty for an in-process bus that no other
    // process reaches.
    virtual String GetSystemName() const { return String(); }

    // Sends the bytes on a render port: a channel, system-common or real-time message
    // (first byte a status other than F0 and F7) as one short message of its first
    // bytes; otherwise the bytes must be one whole system-exclusive message, F0 to F7
    // with only data and real-time bytes between, of at most kMaxLongMessage bytes, sent
    // as a long message. A long message is handed to the driver and the call returns;
    // only when every buffer of the port is still held by the driver does it wait, up to
    // the completion wait, for one to come back. The number of bytes sent; E_INVALIDARG
    // when the port is no render port, the bytes are empty or are no whole
    // system-exclusive message; E_FAIL when the driver refuses or keeps every buffer.
    virtual int32_t Send(const RCPtr<LRefCountedObject>& port, const IArray<signed char>& bytes) = 0;

    // False while the MIDI system has gone away (a JACK server that stopped), and for a
    // service without a MIDI system; its ports are then gone too. The service reconnects
    // by itself when the system is back, and says so with NID_MIDI_DEVICES_CHANGED.
    virtual bool IsSystemAvailable() const = 0;

    // The longest system-exclusive message that Send takes, F0 and F7 included.
    static constexpr uint32_t kMaxLongMessage = 1u << 20;

protected:
    ~LMidiCommInterface() override = default;
};

class LMidiComm final : public LMidiCommInterface, public LThreadWorker
{
public:
    static RCPtr<LMidiComm> Create(std::shared_ptr<Platform::IMidiDriver> driver,
                                   Milliseconds completionWait);

    KVRESULT OpenCapturePort(const String& text, RCPtr<LMidiCapturePort>& port) override;
    KVRESULT OpenRenderPort(const String& text, RCPtr<LMidiRenderPort>& port) override;
    KVRESULT OpenDevicePorts(const String& inputText, const String& outputText,
                             RCPtr<LMidiCapturePort>& capture, RCPtr<LMidiRenderPort>& render) override;
    KVRESULT ListDevicePorts(const String& inputText, const String& outputText,
                             std::vector<DevicePorts>& devices) override;
    int32_t Send(const RCPtr<LRefCountedObject>& port, const IArray<signed char>& bytes) override;
    bool IsSystemAvailable() const override;
    String GetSystemName() const override;

    // Take the port out of its list: S_OK when it was there, E_FAIL otherwise.
    KVRESULT RemoveCapturePort(const LMidiCapturePort* port);
    KVRESULT RemoveRenderPort(const LMidiRenderPort* port);

    // The delivery of one captured message, on the delivery thread: the result of
    // sending NID_MIDI_DATA_CAPTURED.
    int DoWork(RCPtr<LRefCountedObject>& parameters) override;

    // The clients' registrations do not keep the service alive.
    KVRESULT ReleaseInternalReferences() override;

protected:
    ~LMidiComm() override;

private:
    friend class LMidiCapturePort;
    friend class LMidiRenderPort;

    LMidiComm(std::shared_ptr<Platform::IMidiDriver> driver, Milliseconds completionWait);

    // Captured messages waiting for the delivery thread; shared with that thread, which
    // may outlive the service by the moment it takes to leave.
    struct Delivery;

    // The port for the text: an open one, or the first matching device. A new port that
    // cannot start goes to `failed`, for release after the lock.
    template <class Port>
    KVRESULT OpenPort(RCPtrArray<Port, 1, 0>& ports, const String& text, RCPtr<Port>& port,
                      RCPtr<Port>& failed);
    // The port of the listed device `id` named `name`: the open one of that name whose
    // device has not gone, or the device opened now. Called under mMutex and the listing
    // lock.
    KVRESULT OpenListedPort(uint32_t id, const String& name, RCPtr<LMidiCapturePort>& port,
                            RCPtr<LMidiCapturePort>& failed);
    KVRESULT OpenListedPort(uint32_t id, const String& name, RCPtr<LMidiRenderPort>& port,
                            RCPtr<LMidiRenderPort>& failed);
    template <class Port> void ListPort(RCPtrArray<Port, 1, 0>& ports, const RCPtr<Port>& port);

    // Takes a port out of its list when its last reference from outside is being
    // released (its ReleaseInternalReferences).
    void UnlistReleasedPort(LMidiCapturePort& port);
    void UnlistReleasedPort(LMidiRenderPort& port);
    template <class Port> void UnlistReleasedPort(RCPtrArray<Port, 1, 0>& ports, Port& port);

    // The driver's callbacks, on its callback thread.
    void OnMidiIn(Platform::IMidiInDevice& device, const Platform::MidiInMessage& message);
    void OnMidiOut(Platform::IMidiOutDevice& device, Platform::MidiBuffer& done);

    // The listed port of a device, for the device's callbacks. Called under mMutex.
    template <class Port, class Device>
    static Port* FindPortOf(RCPtrArray<Port, 1, 0>& ports, const Device& device);

    // Hands a captured message to the delivery thread. Called under mMutex.
    void QueueCaptured(const RCPtr<LMidiCaptureNotificationData>& message);
    static uint32_t DeliveryThread(void* delivery);
    // Queues one NID_MIDI_DEVICES_CHANGED unless one is waiting already.
    static void QueueDevicesChange(Delivery& delivery);

    const std::shared_ptr<Platform::IMidiDriver> mDriver;
    const Milliseconds mCompletionWait;
    RCPtrArray<LMidiCapturePort, 1, 0> mCapturePorts; // in the order they were opened
    RCPtrArray<LMidiRenderPort, 1, 0> mRenderPorts;
    const std::shared_ptr<Delivery> mDelivery;
    std::unique_ptr<Thread> mDeliveryThread;
    std::shared_ptr<void> mDevicesWatch; // the driver's calls about changed devices
    Mutex mMutex;                        // both lists and every driver callback
};

class LMidiRenderPort : public virtual LRefCountedObject
{
public:
    // Null when the name is empty, the device or the owner null.
    static RCPtr<LMidiRenderPort> Create(const String& name, std::unique_ptr<Platform::IMidiOutDevice> device,
                                         const RCPtr<LMidiComm>& owner);

    // The device's name as the driver lists it (not the text that found it).
    const String& GetName() const noexcept { return mName; }
    // Whether the name contains the text, ignoring case; never for an empty text.
    bool MatchesName(const String& text) const;
    // Whether the device behind the port has gone: nothing sent reaches anyone.
    bool IsGone() const;

    // Leaves the owner's list when the last reference from outside goes.
    KVRESULT ReleaseInternalReferences() override;

protected:
    ~LMidiRenderPort() override;

private:
    friend class LMidiComm;
    struct Outgoing;

    LMidiRenderPort(const String& name, std::unique_ptr<Platform::IMidiOutDevice> device,
                    const RCPtr<LMidiComm>& owner);

    // Buffers of long messages that the driver may hold at once; a send waits only when
    // all of them are held.
    static constexpr size_t kOutgoingCount = 4;

    int32_t Send(const IArray<signed char>& bytes, Milliseconds completionWait);
    // One buffer of a long message, handed to the driver.
    bool SendLong(const signed char* bytes, uint32_t count, Milliseconds completionWait);
    // A buffer that the driver does not hold, waiting up to the completion wait when it
    // holds all of them; null (and the output reset) when none comes back in time.
    Outgoing* TakeFreeBuffer(Milliseconds completionWait);
    Outgoing* FindFreeBuffer();
    // The driver is done with a buffer. Called under the owner's mutex.
    void OnDone(const Platform::MidiBuffer& buffer);

    const String mName;
    std::unique_ptr<Platform::IMidiOutDevice> mDevice;
    RCPtr<LMidiComm> mOwner;
    std::mutex mSending; // one message at a time; guards the buffers' contents
    // Lent to the driver in turn; they live until the device is closed, after which the
    // driver touches none of them.
    std::array<std::unique_ptr<Outgoing>, kOutgoingCount> mOutgoing;
    TrafficLight mHandedBack; // set when a buffer comes back
};

class LMidiCapturePort : public virtual LRefCountedObject
{
public:
    // Input buffers lent to the driver, and their size: system-exclusive input arrives
    // in chunks of at most this many bytes.
    static constexpr uint32_t kBufferCount = 3;
    static constexpr uint32_t kBufferSize = 256;

    // Null when the name is empty, the device or the owner null. The new port lends its
    // buffers to the device; it is not started yet.
    static RCPtr<LMidiCapturePort> Create(const String& name, std::unique_ptr<Platform::IMidiInDevice> device,
                                          const RCPtr<LMidiComm>& owner);

    const String& GetName() const noexcept { return mName; }
    bool MatchesName(const String& text) const;
    // Whether the device behind the port has gone: nothing arrives any more.
    bool IsGone() const;

    KVRESULT ReleaseInternalReferences() override;

protected:
    ~LMidiCapturePort() override;

private:
    friend class LMidiComm;
    struct Input;

    LMidiCapturePort(const String& name, std::unique_ptr<Platform::IMidiInDevice> device,
                     const RCPtr<LMidiComm>& owner);

    // Called under the owner's mutex, on the driver's callback thread.
    void OnShortMessage(uint32_t message, uint32_t timestamp);
    void OnSysexData(const uint8_t* bytes, uint32_t count, bool complete);
    // Lends a handed-back buffer to the driver again.
    Platform::MidiResult RequeueBuffer(Platform::MidiBuffer& header);

    const String mName;
    std::unique_ptr<Platform::IMidiInDevice> mDevice;
    RCPtr<LMidiComm> mOwner;
    std::unique_ptr<Input> mInput; // the buffers and the system-exclusive message being assembled
    std::atomic<bool> mClosing{false};
};

} // namespace KV
