#pragma once
// The update engine: finds the keyboard by the names of its MIDI ports, asks its
// firmware version, switches it into its update mode and sends the firmware image
// record by record, each acknowledged by the keyboard.
//
// Threads: the window thread calls the operations; the transfer runs on the engine's
// worker; the keyboard's answers arrive on the MIDI service's delivery thread, where
// OnMidiDataCaptured only stores a version and sets one of three events or the cancel
// flag, on which the other two threads wait.

#include "DeviceMessages.h"
#include "UpdateEngineInterface.h"

#include "Midi/MidiComm.h"
#include "Notification/NotificationHandler.h"
#include "System/UserLock.h"

#include <memory>
#include <mutex>
#include <vector>

class LUpdateEngine : public LUpdateEngineInterface, public KV::LNotificationClient
{
public:
    // One found device: its definition, its version, whether it answered on its
    // update-mode ports, and why it cannot be updated; and the ports its probe opened,
    // which stay open for the switch into update mode, the transfer and the last
    // record's acknowledgement.
    struct DeviceDefinitionEx
    {
        DeviceDefinition mDefinition;
        VersionInfo mVersion;
        uint8_t mInUpdateMode = 0;
        int32_t mReason = ReasonNone;
        KV::RCPtr<KV::LMidiCapturePort> mCapture;
        KV::RCPtr<KV::LMidiRenderPort> mRender;
        virtual ~DeviceDefinitionEx() = default;
    };

    // The waits and pauses of the device protocol. Tests shorten them; the product uses
    // these values.
    struct Timings
    {
        KV::Milliseconds identityWait = 2000;
        KV::Milliseconds enterUpdateModeWait = 2000;
        KV::Milliseconds acknowledgeWait = 10000;
        KV::Milliseconds chunkPause = 2;
    };

    static KV::RCPtr<LUpdateEngine> Create();
    static KV::RCPtr<LUpdateEngine> Create(const Timings& timings);

    KVRESULT Initialize(const KV::String& commandLine) override;

    // The engine's client part: every delivery goes through its handler table.
    KVRESULT Receive(const KV::RCPtr<KV::LNotificationDistributor>& sender,
                     const KV::RCPtr<KV::LNotification>& notification) override;
    KVRESULT Detach(const KV::RCPtr<KV::LNotificationDistributor>& distributor,
                    KV::NotificationId id) override;

    KVRESULT GetFoundDevices(KV::IArray<DeviceDefinition>& devices) override;
    KVRESULT RescanSelectedDevice() override;
    KVRESULT EnterUpdateMode() override;
    KVRESULT RequestCancel() override;
    KVRESULT ScanPorts() override;
    uint32_t GetFoundDeviceCount() const override;
    bool IsDeviceInUpdateMode(uint32_t index) const override;
    KVRESULT GetDeviceCannotUpdateReason(uint32_t index, int32_t& reason) const override;
    KVRESULT GetDeviceVersion(uint32_t index, VersionInfo& version) const override;
    KVRESULT PerformUpdate() override;
    bool WaitForFinalAcknowledgement() override;

    // Frames the payload with F0 and F7 (no second F7 after a payload that ends in one)
    // and sends it; the send's result.
    virtual KVRESULT SendSysEx(const DeviceMessages::Bytes& payload,
                               const KV::RCPtr<KV::LMidiRenderPort>& port);
    // The record loop of a transfer; 0, E_FAIL or E_ABORT.
    virtual KVRESULT SendFirmwareRecords(const DeviceMessages::Bytes& image,
                                         const KV::RCPtr<KV::LMidiCapturePort>& capture,
                                         const KV::RCPtr<KV::LMidiRenderPort>& render);
    // Sends the image unframed in pieces of 22 bytes, without acknowledgements.
    virtual KVRESULT SendFirmwareRaw(const DeviceMessages::Bytes& image, int32_t unused,
                                     const KV::String& outputPortName);
    virtual KVRESULT SendFirmwareNoOp(const DeviceMessages::Bytes&, const KV::RCPtr<KV::LMidiCapturePort>&,
                                      const KV::RCPtr<KV::LMidiRenderPort>&)
    {
        return S_OK;
    }
    virtual KVRESULT SendIdentityRequest(const KV::RCPtr<KV::LMidiRenderPort>& port);
    virtual KVRESULT QueryDeviceVersion(DeviceDefinitionEx& device,
                                        const KV::RCPtr<KV::LMidiCapturePort>& capture,
                                        const KV::RCPtr<KV::LMidiRenderPort>& render);

    // The handler of "NID_MIDI_DATA_CAPTURED", on the MIDI delivery thread.
    KVRESULT OnMidiDataCaptured(const KV::RCPtr<KV::LNotificationDistributor>& sender,
                                const KV::RCPtr<KV::LNotification>& notification);
    // The handler of "NID_MIDI_DEVICES_CHANGED", on the MIDI delivery thread.
    KVRESULT OnMidiDeviceListChanged(const KV::RCPtr<KV::LNotificationDistributor>& sender,
                                     const KV::RCPtr<KV::LNotification>& notification);

    KVRESULT ReleaseInternalReferences() override;

protected:
    explicit LUpdateEngine(const Timings& timings);
    ~LUpdateEngine() override;

    // The MIDI service, made by Initialize for the whole run.
    KV::RCPtr<KV::LMidiCommInterface> GetMidi() const;
    // The failure to report for a connection that failed: `failure`, unless the MIDI
    // system itself has gone away.
    TransferFailure UnlessMidiGone(TransferFailure failure) const;
    void ReleaseDevicePorts() override;

private:
    // Opens the input and the output of one device into the device's ports.
    bool OpenDevicePorts(const KV::String& inputName, const KV::String& outputName,
                         DeviceDefinitionEx& device);
    // Probes the device anew: the ports it held are closed first, since the keyboard may
    // have restarted behind them.
    KVRESULT ProbeDevice(DeviceDefinitionEx& device);
    // Opens the ports of the selected device when it holds none, by the names of the
    // mode it was found in, and keeps them with the found device until the next scan.
    bool OpenSelectedPorts(DeviceDefinitionEx& device);
    // Every keyboard whose ports are listed now, each in the mode its ports tell and named
    // by the full names of those ports (the other mode's names empty), so that a probe
    // opens that keyboard and no other. Opens nothing.
    std::vector<DeviceDefinitionEx> ListDevices() const;
    // Registers OnMidiDataCaptured with the service (replacing the registration with
    // the former one).
    bool ConnectMidiService(const KV::RCPtr<KV::LMidiCommInterface>& service);
    void SetSelectedDeviceReason(int32_t reason);
    // The selected device (its definition and ports), when one is selected.
    bool GetSelectedDevice(DeviceDefinitionEx& device) const;
    // Whether an identity reply is the late answer of a query that gave up (under
    // mCurrentLock); such a reply is used up by the test.
    bool IsLateReply();
    // Waits on a TrafficLight: true when it was set in time.
    static bool WaitFor(KV::TrafficLight& light, KV::Milliseconds ms);
    int32_t Send(const KV::RCPtr<KV::LMidiRenderPort>& port, const DeviceMessages::Bytes& bytes);
    // Ends the running transfer as cancelled: the keyboard stays in its update mode.
    KVRESULT EndCancelled();
    // Holds the keyboard of the device for this process before anything that changes it
    // is sent: false when another updater of the user holds it (a second updater would
    // break the first one's transfer). Without a runtime folder for the lock, true.
    bool HoldKeyboard(const DeviceDefinitionEx& device);

    const Timings mTimings;
    // The MIDI service, set by Initialize and used by the window thread and the worker;
    // its identity tells the delivery thread whose replies count.
    mutable std::mutex mMidiLock;
    KV::RCPtr<KV::LMidiCommInterface> mMidi;
    std::atomic<const KV::LNotificationDistributor*> mMidiIdentity{nullptr};
    // The handler table is changed on the window thread while the service's delivery
    // thread may dispatch through it.
    std::mutex mHandlersLock;
    KV::RCPtr<KV::LNotificationHandler<LUpdateEngine>> mHandlers;

    mutable std::mutex mFoundLock; // the worker writes a reason while the window reads
    std::vector<DeviceDefinitionEx> mFound;

    // The definition a version query fills, and whether a query waits for an answer:
    // a reply counts only then, so a late one cannot change a later probe's device.
    std::mutex mCurrentLock;
    DeviceDefinitionEx mCurrent;
    bool mQueryWaiting = false;
    // The keyboard answers in order and carries no token of the request: when a query
    // gave up without any reply, the next reply within twice the wait of its request is
    // its late answer, not the answer to a query that follows, and is dropped.
    bool mLateReplyExpected = false;
    KV::Milliseconds mLateReplyRequestedAt = 0;
    bool mLateReplyDropped = false; // by the query that waits now

    // The keyboards this process talks to, held until the engine ends (a keyboard's
    // ports in its normal and in its update mode name it differently).
    std::mutex mKeyboardLocksLock;
    std::vector<std::unique_ptr<KV::UserLock>> mKeyboardLocks;

    KV::TrafficLight mIdentityLight;
    KV::TrafficLight mUpdateModeLight;
    KV::TrafficLight mAcknowledgeLight;
};
