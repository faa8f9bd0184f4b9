#pragma once
// The MIDI driver layer: the system MIDI service as the MIDI transport needs it.
//
// Devices are numbered by the driver's last listing and opened by that number.
// An open input delivers everything to one callback: a short message as one packed
// word with the milliseconds since Start, system-exclusive data in buffers that the
// owner lends to the device (prepare, add, get back in the callback, add again).
// An open output sends short messages at once and long messages from a prepared
// buffer, which it hands back through a completion callback.
//
// Threads: every callback of a driver runs on that driver's own callback thread,
// one at a time, never on the caller's thread and never on an audio server's
// thread. No callback of a device starts once its Close() has returned; Close()
// waits for a callback of that device that is running on the callback thread,
// except when called from that very callback. A device's destructor closes it.
//
// Buffers: the driver holds a buffer from AddBuffer/SendLong until it hands it
// back (MIDI_BUFFER_DONE set, MIDI_BUFFER_QUEUED clear); meanwhile the owner must
// neither change nor free it. Reset hands back every buffer the device holds.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace KV::Platform {

// The values are those of the multimedia system's MIDI result codes, so that the
// transport can pass them on unchanged.
enum class MidiResult : uint32_t
{
    Ok = 0,
    Error = 1,
    BadDeviceId = 2,   // no device with that number, or it has gone since the listing
    Allocated = 4,     // the device refused to open
    InvalidHandle = 5, // the device is closed
    NoDriver = 6,      // the device has been unplugged
    InvalidParam = 11,
    HandleBusy = 12,
    Unprepared = 64,   // the buffer was not prepared on this device
    StillPlaying = 65, // the device still holds the buffer
    NotReady = 67,
};

inline constexpr uint32_t MIDI_BUFFER_DONE = 0x1;     // handed back by the driver
inline constexpr uint32_t MIDI_BUFFER_PREPARED = 0x2; // prepared on a device
inline constexpr uint32_t MIDI_BUFFER_QUEUED = 0x4;   // held by the driver

inline constexpr uint32_t MIDI_MAX_BUFFER_LENGTH = 65536;

// A block of bytes lent to a device. The owner sets data and length (at most
// MIDI_MAX_BUFFER_LENGTH); the driver sets bytesRecorded (input) and flags.
struct MidiBuffer
{
    uint8_t* data = nullptr;
    uint32_t length = 0;
    uint32_t bytesRecorded = 0;
    uint32_t flags = 0;
    uintptr_t user = 0; // the owner's own value, never touched by the driver
};

enum class MidiInKind
{
    Data,      // a short message
    LongData,  // a buffer of system-exclusive data handed back
    LongError, // a buffer of damaged system-exclusive data handed back
};

struct MidiInMessage
{
    MidiInKind kind = MidiInKind::Data;
    uint32_t shortMessage = 0;    // Data: status in the lowest byte, then up to two data bytes
    uint32_t timestampMs = 0;     // Data: milliseconds since Start
    MidiBuffer* buffer = nullptr; // LongData, LongError
};

class IMidiInDevice;
class IMidiOutDevice;

using MidiInCallback = std::function<void(IMidiInDevice& device, const MidiInMessage& message)>;
// Called once for every buffer that SendLong took, when the device is done with it.
using MidiOutCallback = std::function<void(IMidiOutDevice& device, MidiBuffer& done)>;
// Told that the list of devices may have changed: a device came or went, or the MIDI
// system itself went away or came back. It must return soon and must not call the
// driver: list the devices again from another thread.
using MidiDevicesChangedCallback = std::function<void()>;

class IMidiInDevice
{
public:
    virtual ~IMidiInDevice() = default;

    // The device's name as the driver lists it.
    virtual const std::string& Name() const = 0;

    virtual MidiResult PrepareBuffer(MidiBuffer& buffer) = 0;
    // StillPlaying while the device holds the buffer.
    virtual MidiResult UnprepareBuffer(MidiBuffer& buffer) = 0;
    // Lends a prepared buffer for system-exclusive input; clears MIDI_BUFFER_DONE.
    virtual MidiResult AddBuffer(MidiBuffer& buffer) = 0;

    // Input is delivered only between Start and Stop; time stamps count from Start.
    virtual MidiResult Start() = 0;
    virtual MidiResult Stop() = 0;
    // Stops input, drops what has not been delivered yet and hands every held buffer
    // back in a LongData callback with 0 bytes recorded.
    virtual MidiResult Reset() = 0;
    virtual MidiResult Close() = 0;
    // True once the device behind it has gone (unplugged, or its client left the MIDI
    // server): it passes nothing any more, not even to a device that comes back under
    // the same name, which has to be opened anew.
    virtual bool IsGone() const { return false; }
};

class IMidiOutDevice
{
public:
    virtual ~IMidiOutDevice() = default;

    virtual const std::string& Name() const = 0;

    // A channel, system-common or real-time message: status in the lowest byte, then
    // the data bytes its status calls for. InvalidParam for F0, F7 or a data byte.
    virtual MidiResult SendShort(uint32_t message) = 0;

    virtual MidiResult PrepareBuffer(MidiBuffer& buffer) = 0;
    virtual MidiResult UnprepareBuffer(MidiBuffer& buffer) = 0;
    // Sends the buffer's length bytes as a stream of MIDI bytes. A system-exclusive
    // message always leaves the device whole, from F0 to F7, even when it spans
    // several buffers. The buffer comes back through the completion callback.
    virtual MidiResult SendLong(MidiBuffer& buffer) = 0;
    // Hands back every buffer the device still holds and drops an unfinished
    // system-exclusive message.
    virtual MidiResult Reset() = 0;
    virtual MidiResult Close() = 0;
    // True once the device behind it has gone (unplugged, or its client left the MIDI
    // server): it passes nothing any more, not even to a device that comes back under
    // the same name, which has to be opened anew.
    virtual bool IsGone() const { return false; }
};

class IMidiDriver
{
public:
    virtual ~IMidiDriver() = default;

    // The backend's name for users ("ALSA", "JACK", "virtual").
    virtual std::string ApiName() const = 0;

    // The devices present now, by name; a device's number is its position here. The
    // listing is remembered: Open* takes a number of the last listing and refuses
    // (BadDeviceId) when that device has gone since.
    virtual std::vector<std::string> ListInputs() = 0;
    virtual std::vector<std::string> ListOutputs() = 0;

    virtual MidiResult OpenInput(uint32_t id, MidiInCallback callback,
                                 std::unique_ptr<IMidiInDevice>& device) = 0;
    virtual MidiResult OpenOutput(uint32_t id, MidiOutCallback callback,
                                  std::unique_ptr<IMidiOutDevice>& device) = 0;

    // Calls `callback` on a thread of the driver's (or of whoever changed a virtual
    // bus) whenever the devices may have changed, until the handle is dropped; dropping
    // it waits for a call in progress, unless dropped from within that call. Several
    // changes in a row may come as one call. Null when the backend cannot tell.
    virtual std::shared_ptr<void> WatchDevices(MidiDevicesChangedCallback) { return nullptr; }
    // False while the MIDI system behind the driver has gone away (a JACK server that
    // stopped, was stopped and runs no more cycles, or shut our client down); its
    // devices are then gone too. The driver
    // connects again by itself once the system is back.
    virtual bool SystemAvailable() const { return true; }
    // The MIDI system as a name that tells it from the machine's other ones (a JACK
    // server's name); empty for a bus that no other process reaches.
    virtual std::string SystemName() const { return ApiName(); }
};

} // namespace KV::Platform
