#pragma once
// For the tests of the updater's window: an engine whose keyboard the test plays, a plain
// control to stand for a child of the skin, and the classes that are not built yet.

#include "UpdateEngineInterface.h"

#include "ControlBase/Control.h"

#include <array>
#include <deque>
#include <functional>
#include <vector>

namespace uitest {

using namespace KV;

// The engine's state logic with the keyboard played by the test: what a scan finds, what
// each rescan finds, whether the keyboard answers the switch into its update mode. The
// transfer itself is finished by the test.
class ScriptedEngine : public LUpdateEngineInterface
{
public:
    enum class Presence
    {
        Absent,
        Normal,
        UpdateMode,
    };
    struct Device
    {
        Presence presence = Presence::Normal;
        std::array<uint32_t, 4> version{1, 0, 0, 5};
        int32_t reason = 0;
    };

    std::vector<Device> mAtScan{Device{}};
    // What each rescan finds; the last one stays once the list runs out.
    std::deque<Device> mRescans;
    bool mAnswersSwitch = true;
    KVRESULT mRescanResult = S_OK;
    std::function<void()> mOnEnterUpdateMode;
    int mEnterCalls = 0;
    int mStartCalls = 0;
    int mRescanCalls = 0;

    // What stopped the transfer, as the engine would have noted it.
    void FailWith(TransferFailure failure) { SetTransferFailure(failure); }

    void Finish(bool success)
    {
        SetUpdateResult(success ? UpdateResultSucceeded : UpdateResultFailed);
        if (!success)
        {
            mFound[0].reason = ReasonDeviceUnreachable;
            SetDeviceState(DeviceStateCannotUpdate);
        }
        PostUpdateCompleted(success);
    }

    KVRESULT GetFoundDevices(IArray<DeviceDefinition>& devices) override
    {
        devices.Clear();
        for (size_t i = 0; i < mFound.size(); ++i)
            devices.AddItem(DeviceDefinition());
        return S_OK;
    }
    KVRESULT ScanPorts() override
    {
        mFound.clear();
        for (const Device& device : mAtScan)
            if (device.presence != Presence::Absent)
                mFound.push_back(device);
        return S_OK;
    }
    uint32_t GetFoundDeviceCount() const override { return static_cast<uint32_t>(mFound.size()); }
    bool IsDeviceInUpdateMode(uint32_t index) const override
    {
        return index < mFound.size() && mFound[index].presence == Presence::UpdateMode;
    }
    KVRESULT GetDeviceCannotUpdateReason(uint32_t index, int32_t& reason) const override
    {
        reason = index < mFound.size() ? mFound[index].reason : 0;
        return index < mFound.size() ? S_OK : E_FAIL;
    }
    KVRESULT GetDeviceVersion(uint32_t index, VersionInfo& version) const override
    {
        if (index >= mFound.size())
            return E_FAIL;
        const bool updateMode = mFound[index].presence == Presence::UpdateMode;
        version.mNumbers = updateMode ? std::array<uint32_t, 4>{} : mFound[index].version;
        version.mText = updateMode ? String(u"Unknown") : String(u"1.0.0.x");
        if (!updateMode)
            version.mText.Format(u"%d.%d.%d.%d", version.mNumbers[0], version.mNumbers[1],
                                 version.mNumbers[2], version.mNumbers[3]);
        return S_OK;
    }
    KVRESULT RescanSelectedDevice() override
    {
        ++mRescanCalls;
        if (KV_FAILED(mRescanResult))
            return mRescanResult;
        const int32_t state = GetDeviceState();
        if (state <= DeviceStateNoneSelected || mFound.empty())
            return E_FAIL;
        const Device now = mRescans.empty() ? Device{Presence::Absent} : mRescans.front();
        if (mRescans.size() > 1)
            mRescans.pop_front();
        if (now.presence == Presence::Absent)
        {
            if (state == DeviceStateEnteringUpdateMode)
                SetPowerCycleFinding(PowerCycleFinding::StillOff);
            else
            {
                mFound[0].reason = ReasonDeviceUnreachable;
                SetDeviceState(DeviceStateCannotUpdate);
            }
            return S_OK;
        }
        mFound[0] = now;
        const bool updateMode = now.presence == Presence::UpdateMode;
        if (state == DeviceStateEnteringUpdateMode)
        {
            SetPowerCycleFinding(updateMode ? PowerCycleFinding::None : PowerCycleFinding::BackInNormalMode);
            SetDeviceState(updateMode ? DeviceStateReadyForUpdate : DeviceStateNormalFirmware);
        }
        else
            SetDeviceState(updateMode ? DeviceStateReadyForUpdate : DeviceStateNormalFirmware);
        return S_OK;
    }
    KVRESULT EnterUpdateMode() override
    {
        ++mEnterCalls;
        if (GetDeviceState() == DeviceStateReadyForUpdate)
            return S_FALSE;
        if (GetDeviceState() != DeviceStateNormalFirmware)
            return E_FAIL;
        SetDeviceState(DeviceStateEnteringUpdateMode);
        if (mOnEnterUpdateMode)
            mOnEnterUpdateMode();
        if (!mAnswersSwitch)
        {
            mFound[0].reason = ReasonDeviceUnreachable;
            SetDeviceState(DeviceStateCannotUpdate);
            return E_FAIL;
        }
        return 9;
    }
    KVRESULT StartUpdate() override
    {
        if (GetFirmwareFileState() < FileStateVersionUnknown || GetDeviceState() != DeviceStateReadyForUpdate)
            return E_FAIL;
        ++mStartCalls;
        SetDeviceState(DeviceStateUpdating);
        SetUpdateResult(UpdateResultRunning);
        return S_OK;
    }
    KVRESULT RequestCancel() override { return E_FAIL; }
    // The window's steps run at once, on the test's thread; their ends are posted as the
    // engine's MIDI thread posts them.
    void Schedule(std::function<void()> job) override { job(); }
    KVRESULT PerformUpdate() override { return S_OK; }

    using LUpdateEngineInterface::PostUpdateProgress;

private:
    std::vector<Device> mFound;
};

class PlainControl : public LControl
{
public:
    using LControl::LControl;

protected:
    ~PlainControl() override = default;
};

// Classes the skin uses whose controls are not built yet: the tests let plain controls stand
// in for them, and ask that they do not resolve yet. Take a class out once it is registered
// by the start-up: the tests then ask that it resolves and use the real control.
inline constexpr std::array<const char16_t*, 0> kClassesNotBuiltYet{};

} // namespace uitest
