#include "VirtualKeyboard.h"

#include "DeviceProtocol.h"

namespace enginetest {

using namespace std::chrono_literals;

NorvikSim::KeyboardSettings VirtualKeyboard::QuickSettings()
{
    NorvikSim::KeyboardSettings settings;
    settings.ackDelay = 1ms;
    settings.offTime = 20ms;
    settings.installTime = 20ms;
    settings.quietEnd = 300ms;
    return settings;
}

VirtualKeyboard::VirtualKeyboard(std::shared_ptr<KV::Platform::VirtualMidiBus> bus,
                                 NorvikSim::KeyboardSettings settings, std::string normalName)
    : mBus(std::move(bus)), mNormalName(std::move(normalName))
{
    mKeyboard = std::make_unique<NorvikSim::KeyboardProtocol>(std::move(settings), *this);
    mPump = std::thread([this] { Pump(); });
}

VirtualKeyboard::~VirtualKeyboard()
{
    {
        std::lock_guard lock(mLock);
        mStop = true;
    }
    mWake.notify_all();
    mPump.join();
    std::lock_guard lock(mLock);
    ClosePorts();
}

void VirtualKeyboard::Pump()
{
    std::unique_lock lock(mLock);
    while (!mStop)
    {
        mKeyboard->Poll();
        const auto due = mKeyboard->NextDue();
        const auto wait = due ? std::max(0ms, std::chrono::duration_cast<std::chrono::milliseconds>(
                                                  *due - NorvikSim::SteadyClockNow()))
                              : 50ms;
        mWake.wait_for(lock, std::min<std::chrono::milliseconds>(wait, 50ms));
    }
}

void VirtualKeyboard::PowerOn()
{
    std::lock_guard lock(mLock);
    mKeyboard->PowerOn();
    mWake.notify_all();
}

void VirtualKeyboard::PowerCycle()
{
    std::lock_guard lock(mLock);
    mKeyboard->PowerCycle();
    mWake.notify_all();
}

namespace {

template <class Test> bool WaitUntil(Test test, std::chrono::milliseconds within)
{
    const auto until = std::chrono::steady_clock::now() + within;
    while (!test())
    {
        if (std::chrono::steady_clock::now() >= until)
            return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

} // namespace

bool VirtualKeyboard::WaitForMode(NorvikSim::KeyboardMode mode, std::chrono::milliseconds within)
{
    return WaitUntil([&] { return Mode() == mode; }, within);
}

bool VirtualKeyboard::WaitForOutcome(NorvikSim::TransferOutcome outcome, std::chrono::milliseconds within)
{
    return WaitUntil([&] { return Outcome() == outcome; }, within);
}

NorvikSim::KeyboardMode VirtualKeyboard::Mode()
{
    std::lock_guard lock(mLock);
    return mKeyboard->Mode();
}

NorvikSim::Bytes VirtualKeyboard::ReceivedImage()
{
    std::lock_guard lock(mLock);
    return mKeyboard->ReceivedImage();
}

NorvikSim::TransferOutcome VirtualKeyboard::Outcome()
{
    std::lock_guard lock(mLock);
    return mKeyboard->Outcome();
}

std::vector<NorvikSim::Bytes> VirtualKeyboard::FromHost()
{
    std::lock_guard lock(mLock);
    return mFromHost;
}

std::vector<NorvikSim::KeyboardEvent> VirtualKeyboard::Events()
{
    std::lock_guard lock(mLock);
    return mEvents;
}

void VirtualKeyboard::OpenPorts(NorvikSim::PortSet ports)
{
    const std::string name =
        ports == NorvikSim::PortSet::Normal ? mNormalName : std::string(DeviceProtocol::UpdateModePortName);
    mSource = mBus->AddSource(name);
    mSink = mBus->AddSink(name, [this](const std::vector<uint8_t>& message) {
        std::lock_guard lock(mLock);
        mFromHost.push_back(message);
        mKeyboard->Receive(message);
        mWake.notify_all();
    });
}

std::pair<KV::Platform::VirtualDeviceStats, KV::Platform::VirtualDeviceStats> VirtualKeyboard::PortStats()
{
    std::lock_guard lock(mLock);
    if (!mSource || !mSink)
        return mClosedStats;
    return {mBus->Stats(*mSource), mBus->Stats(*mSink)};
}

void VirtualKeyboard::ClosePorts()
{
    if (mSource && mSink)
        mClosedStats = {mBus->Stats(*mSource), mBus->Stats(*mSink)};
    if (mSource)
        mBus->Unplug(*mSource);
    if (mSink)
        mBus->Unplug(*mSink);
    mSource.reset();
    mSink.reset();
}

void VirtualKeyboard::Send(std::span<const std::uint8_t> message)
{
    if (mSource)
        mBus->Inject(*mSource, std::vector<uint8_t>(message.begin(), message.end()));
}

void VirtualKeyboard::Report(const NorvikSim::KeyboardEvent& event)
{
    mEvents.push_back(event);
}

} // namespace enginetest
