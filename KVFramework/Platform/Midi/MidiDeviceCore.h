#pragma once
// What the input and output devices of every backend share: the bookkeeping of
// lent buffers, start and close, and the delivery of callbacks on the driver's
// callback thread. A backend adds where bytes come from and where they go.

#include "Platform/Midi/MidiCallbackThread.h"
#include "Platform/Midi/MidiDriver.h"
#include "Platform/Midi/MidiOutStream.h"

#include <atomic>
#include <deque>
#include <mutex>
#include <optional>

namespace KV::Platform {

// The buffers prepared on one device. Not locked: the device's mutex guards it.
class MidiBufferBook
{
public:
    MidiResult Prepare(MidiBuffer& buffer);
    // Also forgets the buffer in `handedBack`, so no callback for it follows.
    MidiResult Unprepare(MidiBuffer& buffer, std::deque<MidiBuffer*>& handedBack);
    bool IsPrepared(const MidiBuffer& buffer) const;
    // Marks the buffer held by the driver; Unprepared or StillPlaying when it cannot be.
    MidiResult Take(MidiBuffer& buffer) const;
    static void HandBack(MidiBuffer& buffer);

private:
    std::vector<MidiBuffer*> mPrepared;
};

// One message received by an input device, waiting for delivery.
struct MidiIncoming
{
    std::vector<uint8_t> bytes;
    uint32_t timestampMs = 0;
    bool longError = false; // damaged system-exclusive data
};

// The state every device shares: its name, the buffers prepared on it, its place
// in the callback thread's round and whether it is closed.
template <class Interface> class MidiDeviceBase : public Interface, protected MidiCallbackTarget
{
public:
    const std::string& Name() const final { return mName; }
    MidiResult PrepareBuffer(MidiBuffer& buffer) final;
    MidiResult UnprepareBuffer(MidiBuffer& buffer) final;

protected:
    MidiDeviceBase(std::string name, std::shared_ptr<MidiCallbackThread> thread);

    // Joins the callback thread's round; the backend calls it once it is ready.
    void Register();
    // Marks the device closed and leaves the round, waiting for a callback of it in
    // progress; false when it was closed already.
    bool LeaveRound();
    void WakeCallbackThread() noexcept { mThread->Wake(); }
    void WakeCallbackThreadLater() noexcept { mThread->WakeLater(); }

    std::mutex mMutex;
    bool mClosed = false;
    MidiBufferBook mBook;
    std::deque<MidiBuffer*> mHandedBack; // buffers to be called back, oldest first

private:
    const std::string mName;
    const std::shared_ptr<MidiCallbackThread> mThread;
    bool mRegistered = false;
};

class MidiInputCore : public MidiDeviceBase<IMidiInDevice>
{
public:
    ~MidiInputCore() override;

    MidiResult AddBuffer(MidiBuffer& buffer) final;
    MidiResult Start() final;
    MidiResult Stop() final;
    MidiResult Reset() final;
    MidiResult Close() final;

protected:
    MidiInputCore(std::string name, MidiInCallback callback, std::shared_ptr<MidiCallbackThread> thread);

    // Queues a received message; dropped unless the device is started. The time
    // stamp defaults to the time since Start.
    void Receive(std::vector<uint8_t> bytes, std::optional<uint32_t> timestampMs = {},
                 bool longError = false);

    bool IsStarted() const noexcept { return mStarted.load(std::memory_order_acquire); }
    uint32_t MillisecondsSinceStart() const noexcept;

    // Backend hooks, called under the device's mutex except OnClose.
    virtual MidiResult OnStart() { return MidiResult::Ok; }
    // The next received message, oldest first.
    virtual bool PopIncoming(MidiIncoming& message);
    virtual void DiscardIncoming() { mIncoming.clear(); }
    // Stops the backend's input for good; called once, after the last callback.
    virtual void OnClose() {}

private:
    bool Pump() final;

    const std::shared_ptr<const MidiInCallback> mCallback;
    std::deque<MidiBuffer*> mQueued; // lent for input, in the order they were added
    std::deque<MidiIncoming> mIncoming;
    std::optional<MidiIncoming> mCurrent; // the message being delivered
    size_t mCurrentOffset = 0;            // bytes of it already handed back

    std::atomic<bool> mStarted{false};
    std::atomic<int64_t> mStartNs{0};
};

class MidiOutputCore : public MidiDeviceBase<IMidiOutDevice>
{
public:
    ~MidiOutputCore() override;

    MidiResult SendShort(uint32_t message) final;
    MidiResult SendLong(MidiBuffer& buffer) final;
    MidiResult Reset() final;
    MidiResult Close() final;

protected:
    MidiOutputCore(std::string name, MidiOutCallback callback, std::shared_ptr<MidiCallbackThread> thread);

    // Backend hooks. Transmit sends one whole message; it runs on the sending
    // thread without the device's mutex, one call at a time per device.
    virtual MidiResult Transmit(const std::vector<uint8_t>& message) = 0;
    // True when the backend keeps long buffers until Reset (a fault of the virtual bus).
    virtual bool WithholdsCompletion() { return false; }
    virtual void OnClose() {}

private:
    // Handed-back buffers whose callbacks wake the callback thread at once; fewer wait
    // for its next pass.
    static constexpr size_t HAND_BACK_BATCH = 4;

    bool Pump() final;

    const std::shared_ptr<const MidiOutCallback> mCallback;
    std::mutex mSendMutex; // one send at a time; guards mStream. Taken before mMutex.
    MidiOutStream mStream;
    std::deque<MidiBuffer*> mHeld; // sent, completion withheld
};

} // namespace KV::Platform
