#include "Platform/Midi/MidiDeviceCore.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace KV::Platform {

namespace {

int64_t SteadyNanoseconds() noexcept
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool IsShortStatus(uint8_t first)
{
    return MidiShortMessageLength(first) != 0;
}

void Forget(std::deque<MidiBuffer*>& list, const MidiBuffer& buffer)
{
    list.erase(std::remove(list.begin(), list.end(), &buffer), list.end());
}

} // namespace

// ---- MidiBufferBook ----

MidiResult MidiBufferBook::Prepare(MidiBuffer& buffer)
{
    if (buffer.data == nullptr || buffer.length == 0 || buffer.length > MIDI_MAX_BUFFER_LENGTH)
        return MidiResult::InvalidParam;
    if (!IsPrepared(buffer))
        mPrepared.push_back(&buffer);
    buffer.flags |= MIDI_BUFFER_PREPARED;
    return MidiResult::Ok;
}

MidiResult MidiBufferBook::Unprepare(MidiBuffer& buffer, std::deque<MidiBuffer*>& handedBack)
{
    if (!IsPrepared(buffer))
        return MidiResult::Ok; // nothing to undo
    if (buffer.flags & MIDI_BUFFER_QUEUED)
        return MidiResult::StillPlaying;
    mPrepared.erase(std::remove(mPrepared.begin(), mPrepared.end(), &buffer), mPrepared.end());
    Forget(handedBack, buffer);
    buffer.flags &= ~MIDI_BUFFER_PREPARED;
    return MidiResult::Ok;
}

bool MidiBufferBook::IsPrepared(const MidiBuffer& buffer) const
{
    return std::find(mPrepared.begin(), mPrepared.end(), &buffer) != mPrepared.end();
}

MidiResult MidiBufferBook::Take(MidiBuffer& buffer) const
{
    if (!IsPrepared(buffer))
        return MidiResult::Unprepared;
    if (buffer.flags & MIDI_BUFFER_QUEUED)
        return MidiResult::StillPlaying;
    buffer.flags = (buffer.flags | MIDI_BUFFER_QUEUED) & ~MIDI_BUFFER_DONE;
    return MidiResult::Ok;
}

void MidiBufferBook::HandBack(MidiBuffer& buffer)
{
    buffer.flags = (buffer.flags | MIDI_BUFFER_DONE) & ~MIDI_BUFFER_QUEUED;
}

// ---- MidiDeviceBase ----

template <class Interface>
MidiDeviceBase<Interface>::MidiDeviceBase(std::string name, std::shared_ptr<MidiCallbackThread> thread)
    : mName(std::move(name)), mThread(std::move(thread))
{
}

template <class Interface> void MidiDeviceBase<Interface>::Register()
{
    {
        std::lock_guard lock(mMutex);
        if (mClosed || mRegistered)
            return;
        mRegistered = true;
    }
    mThread->Add(this);
}

template <class Interface> bool MidiDeviceBase<Interface>::LeaveRound()
{
    bool registered;
    {
        std::lock_guard lock(mMutex);
        if (mClosed)
            return false;
        mClosed = true;
        registered = mRegistered;
    }
    if (registered)
        mThread->Remove(this);
    return true;
}

template <class Interface> MidiResult MidiDeviceBase<Interface>::PrepareBuffer(MidiBuffer& buffer)
{
    std::lock_guard lock(mMutex);
    if (mClosed)
        return MidiResult::InvalidHandle;
    return mBook.Prepare(buffer);
}

template <class Interface> MidiResult MidiDeviceBase<Interface>::UnprepareBuffer(MidiBuffer& buffer)
{
    std::lock_guard lock(mMutex);
    if (mClosed)
        return MidiResult::InvalidHandle;
    return mBook.Unprepare(buffer, mHandedBack);
}

template class MidiDeviceBase<IMidiInDevice>;
template class MidiDeviceBase<IMidiOutDevice>;

// ---- MidiInputCore ----

MidiInputCore::MidiInputCore(std::string name, MidiInCallback callback,
                             std::shared_ptr<MidiCallbackThread> thread)
    : MidiDeviceBase(std::move(name), std::move(thread)),
      mCallback(std::make_shared<const MidiInCallback>(std::move(callback)))
{
}

MidiInputCore::~MidiInputCore()
{
    Close();
}

MidiResult MidiInputCore::AddBuffer(MidiBuffer& buffer)
{
    {
        std::lock_guard lock(mMutex);
        if (mClosed)
            return MidiResult::InvalidHandle;
        if (const MidiResult r = mBook.Take(buffer); r != MidiResult::Ok)
            return r;
        buffer.bytesRecorded = 0;
        mQueued.push_back(&buffer);
    }
    WakeCallbackThread(); // system-exclusive input may be waiting for a buffer
    return MidiResult::Ok;
}

MidiResult MidiInputCore::Start()
{
    std::lock_guard lock(mMutex);
    if (mClosed)
        return MidiResult::InvalidHandle;
    if (const MidiResult r = OnStart(); r != MidiResult::Ok)
        return r;
    if (!mStarted.load(std::memory_order_relaxed))
    {
        mStartNs.store(SteadyNanoseconds(), std::memory_order_relaxed);
        mStarted.store(true, std::memory_order_release);
    }
    return MidiResult::Ok;
}

MidiResult MidiInputCore::Stop()
{
    std::lock_guard lock(mMutex);
    if (mClosed)
        return MidiResult::InvalidHandle;
    mStarted.store(false, std::memory_order_release);
    return MidiResult::Ok;
}

MidiResult MidiInputCore::Reset()
{
    {
        std::lock_guard lock(mMutex);
        if (mClosed)
            return MidiResult::InvalidHandle;
        mStarted.store(false, std::memory_order_release);
        DiscardIncoming();
        mCurrent.reset();
        for (MidiBuffer* buffer : mQueued)
        {
            buffer->bytesRecorded = 0;
            MidiBufferBook::HandBack(*buffer);
            mHandedBack.push_back(buffer);
        }
        mQueued.clear();
    }
    WakeCallbackThread();
    return MidiResult::Ok;
}

MidiResult MidiInputCore::Close()
{
    mStarted.store(false, std::memory_order_release);
    if (!LeaveRound())
        return MidiResult::Ok;
    OnClose();
    std::lock_guard lock(mMutex);
    // The owner takes its buffers back as they are; nothing refers to them any more.
    mQueued.clear();
    mHandedBack.clear();
    DiscardIncoming();
    mCurrent.reset();
    return MidiResult::Ok;
}

void MidiInputCore::Receive(std::vector<uint8_t> bytes, std::optional<uint32_t> timestampMs, bool longError)
{
    {
        std::lock_guard lock(mMutex);
        if (mClosed || !IsStarted())
            return;
        mIncoming.push_back(
            {std::move(bytes), timestampMs ? *timestampMs : MillisecondsSinceStart(), longError});
    }
    WakeCallbackThread();
}

uint32_t MidiInputCore::MillisecondsSinceStart() const noexcept
{
    const int64_t elapsed = SteadyNanoseconds() - mStartNs.load(std::memory_order_relaxed);
    return static_cast<uint32_t>(static_cast<uint64_t>(elapsed / 1000000)); // wraps like a tick count
}

bool MidiInputCore::PopIncoming(MidiIncoming& message)
{
    if (mIncoming.empty())
        return false;
    message = std::move(mIncoming.front());
    mIncoming.pop_front();
    return true;
}

bool MidiInputCore::Pump()
{
    std::unique_lock lock(mMutex);
    if (mClosed)
        return false;
    MidiInMessage out;
    if (!mHandedBack.empty())
    {
        out.kind = MidiInKind::LongData;
        out.buffer = mHandedBack.front();
        mHandedBack.pop_front();
    }
    else
    {
        while (!mCurrent)
        {
            MidiIncoming next;
            if (!PopIncoming(next))
                return false;
            if (!next.bytes.empty() || next.longError)
            {
                mCurrent = std::move(next);
                mCurrentOffset = 0;
            }
        }
        const std::vector<uint8_t>& bytes = mCurrent->bytes;
        if (!mCurrent->longError && IsShortStatus(bytes[0]))
        {
            out.kind = MidiInKind::Data;
            out.timestampMs = mCurrent->timestampMs;
            for (size_t i = 0; i < bytes.size() && i < 3; ++i)
                out.shortMessage |= static_cast<uint32_t>(bytes[i]) << (8 * i);
            mCurrent.reset();
        }
        else
        {
            // System-exclusive data waits, in order, until the owner lends a buffer.
            if (mQueued.empty())
                return false;
            MidiBuffer* buffer = mQueued.front();
            mQueued.pop_front();
            const size_t n = std::min<size_t>(buffer->length, bytes.size() - mCurrentOffset);
            if (n != 0)
                std::memcpy(buffer->data, bytes.data() + mCurrentOffset, n);
            buffer->bytesRecorded = static_cast<uint32_t>(n);
            MidiBufferBook::HandBack(*buffer);
            mCurrentOffset += n;
            out.kind = mCurrent->longError ? MidiInKind::LongError : MidiInKind::LongData;
            out.buffer = buffer;
            if (mCurrentOffset >= bytes.size())
                mCurrent.reset();
        }
    }
    // The callback runs without our mutex: it may add buffers or close the device,
    // and may even destroy it, so nothing of this object is touched afterwards.
    const std::shared_ptr<const MidiInCallback> callback = mCallback;
    lock.unlock();
    if (*callback)
        (*callback)(*this, out);
    return true;
}

// ---- MidiOutputCore ----

MidiOutputCore::MidiOutputCore(std::string name, MidiOutCallback callback,
                               std::shared_ptr<MidiCallbackThread> thread)
    : MidiDeviceBase(std::move(name), std::move(thread)),
      mCallback(std::make_shared<const MidiOutCallback>(std::move(callback)))
{
}

MidiOutputCore::~MidiOutputCore()
{
    Close();
}

MidiResult MidiOutputCore::SendShort(uint32_t message)
{
    const auto status = static_cast<uint8_t>(message & 0xFF);
    const uint32_t length = MidiShortMessageLength(status);
    std::lock_guard send(mSendMutex);
    {
        std::lock_guard lock(mMutex);
        if (mClosed)
            return MidiResult::InvalidHandle;
    }
    if (length == 0)
        return MidiResult::InvalidParam;
    std::vector<uint8_t> bytes(length);
    for (uint32_t i = 0; i < length; ++i)
        bytes[i] = static_cast<uint8_t>(message >> (8 * i));
    return Transmit(bytes);
}

MidiResult MidiOutputCore::SendLong(MidiBuffer& buffer)
{
    // The send lock is taken first so that Close never tears the backend down
    // under a message being sent.
    std::unique_lock send(mSendMutex);
    {
        std::lock_guard lock(mMutex);
        if (mClosed)
            return MidiResult::InvalidHandle;
        if (const MidiResult r = mBook.Take(buffer); r != MidiResult::Ok)
            return r;
    }
    MidiResult result = MidiResult::Ok;
    bool soon = false;
    mStream.Feed(buffer.data, buffer.length, [&](const std::vector<uint8_t>& message) {
        if (result == MidiResult::Ok)
            result = Transmit(message);
    });
    if (result != MidiResult::Ok)
        mStream.Reset();
    const bool withhold = result == MidiResult::Ok && WithholdsCompletion();
    send.unlock();
    {
        std::lock_guard lock(mMutex);
        if (result != MidiResult::Ok)
        {
            buffer.flags &= ~MIDI_BUFFER_QUEUED; // refused: the caller keeps its buffer
            return result;
        }
        if (mClosed)
            return MidiResult::Ok; // closed meanwhile: the buffer is forgotten, as all others
        if (withhold)
        {
            mHeld.push_back(&buffer);
            return MidiResult::Ok;
        }
        MidiBufferBook::HandBack(buffer);
        mHandedBack.push_back(&buffer);
        soon = mHandedBack.size() >= HAND_BACK_BATCH;
    }
    // A message sent at once is handed back at once, but its callback may wait for the
    // next pass of the callback thread: waking that thread for every message sent cost
    // a sender of many small messages about as much as the sending. An owner with
    // several buffers in flight gets them back before it runs out of them.
    if (soon)
        WakeCallbackThread();
    else
        WakeCallbackThreadLater();
    return MidiResult::Ok;
}

MidiResult MidiOutputCore::Reset()
{
    {
        std::lock_guard send(mSendMutex);
        mStream.Reset();
    }
    {
        std::lock_guard lock(mMutex);
        if (mClosed)
            return MidiResult::InvalidHandle;
        for (MidiBuffer* buffer : mHeld)
        {
            MidiBufferBook::HandBack(*buffer);
            mHandedBack.push_back(buffer);
        }
        mHeld.clear();
    }
    WakeCallbackThread();
    return MidiResult::Ok;
}

MidiResult MidiOutputCore::Close()
{
    if (!LeaveRound())
        return MidiResult::Ok;
    {
        std::lock_guard send(mSendMutex); // a send in progress finishes first
        OnClose();
    }
    std::lock_guard lock(mMutex);
    mHeld.clear();
    mHandedBack.clear();
    return MidiResult::Ok;
}

bool MidiOutputCore::Pump()
{
    std::unique_lock lock(mMutex);
    if (mClosed || mHandedBack.empty())
        return false;
    MidiBuffer* buffer = mHandedBack.front();
    mHandedBack.pop_front();
    const std::shared_ptr<const MidiOutCallback> callback = mCallback;
    lock.unlock();
    if (*callback)
        (*callback)(*this, *buffer);
    return true;
}

} // namespace KV::Platform
