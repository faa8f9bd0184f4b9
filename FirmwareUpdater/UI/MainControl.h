#pragma once
// LMainControl: the updater's window. It finds its buttons, labels and progress bar among
// its children by name, listens to the update engine's notifications and to the clicks of
// its buttons, and drives the update: the device's switch into its update mode (under the
// wait cursor while the device answers), the transfer with its progress, and after a
// transfer the wait for the device to come back with its new firmware. After every change
// it shows the engine's whole situation again (UpdateDisplay).
//
// The window thread never talks to the MIDI server, which may stall for many seconds: the
// scans, the switch and the rescans run on the engine's MIDI thread, and their ends come
// back as the engine's notifications, which reach this control when the message loop
// drains the queues. The window keeps painting and answering meanwhile.

#include "UpdateDisplay.h"
#include "UpdateProcessor.h"

#include "Application/BusyCursorScope.h"
#include "Application/OpenFileDialog.h"
#include "Controls/ControlClass.h"
#include "Controls/ProgressBar.h"

#include <array>
#include <memory>

namespace KV {

class LMainControl : public LControl
{
public:
    static constexpr const char16_t* kClassName = u"FirmwareUpdater.MainControl";

    LMainControl(const RCPtr<LControl>& parent, const String& name);

    // The processor whose engine the window shows. Without one, Initialize takes the
    // application's. Set after Initialize, the display follows at once.
    void SetUpdateProcessor(const RCPtr<LUpdateProcessor>& processor);
    const RCPtr<LUpdateProcessor>& GetUpdateProcessor() const noexcept { return mProcessor; }

    // Finds the children and registers the handlers; throws, naming the child, when the
    // skin lacks a required one, and when a registration fails. Then shows the engine's
    // situation as it stands.
    KVRESULT Initialize() override;
    // Listens to the menu's commands, which reach the control through its root window.
    void ProcessRootWindowAquired() override;
    // The wait cursor of a step under way ends with the window, while the application
    // whose status text it restores is still there.
    KVRESULT RemoveFromTree() override;
    // The allow-downgrade item is checked while the processor allows older firmware.
    KVRESULT GetMenuItemState(const RCPtr<LMenuDescriptor>& menu, int32_t itemIndex, const String& itemId,
                              LMenuItemInfo& info) override;

    // Shows the engine's situation: the texts of the labels and which controls are shown.
    void UpdateDisplay(int32_t updateResult, int32_t deviceState, int32_t fileState);
    // UpdateDisplay with what the engine reports now.
    void Refresh();

    // The application refused to end because a transfer runs: the process label says why
    // until the transfer has ended.
    void ExplainExitRefused();

    // The label's text; empty for a label the skin lacks.
    const String& GetShownText(DisplayControl label) const;
    bool IsWaitingForReset() const noexcept { return mWaitingForReset; }

    KVRESULT Receive(const RCPtr<LNotificationDistributor>& sender,
                     const RCPtr<LNotification>& notification) override;
    KVRESULT Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id) override;

    // The handlers; each answers 1 (taken).
    using Notified = const RCPtr<LNotification>&;
    using Sender = const RCPtr<LNotificationDistributor>&;
    KVRESULT OnDeviceStateChangeNotification(Sender, Notified notification);
    KVRESULT OnFirmwareFileStateChangeNotification(Sender, Notified notification);
    KVRESULT OnFoundDeviceListChange(Sender, Notified) { return S_FALSE; }
    KVRESULT OnFirmwareUpdateProgressNotification(Sender, Notified notification);
    KVRESULT OnFirmwareUpdateCompletedNotification(Sender, Notified notification);
    // The end of a step the engine took on its MIDI thread: the road goes on from there.
    KVRESULT OnEngineTaskCompleted(Sender, Notified notification);
    KVRESULT OnExitClicked(Sender, Notified);
    KVRESULT OnUpdateFirmwareClicked(Sender, Notified);
    KVRESULT OnRestartClicked(Sender, Notified);
    KVRESULT OnScanForDeviceClicked(Sender, Notified);
    KVRESULT OnNextClicked(Sender, Notified);
    KVRESULT OnRescanAfterUpdateClicked(Sender, Notified);
    KVRESULT OnSelectFirmwareFile(Sender, Notified);
    KVRESULT OnToggleAllowDowngrade(Sender, Notified);

    // Asks the application to end ("NID_APP_EXIT_REQ"); it refuses while an update runs.
    static void PostExitRequest();

protected:
    ~LMainControl() override;

private:
    LUpdateEngineInterface* Engine() const;
    RCPtr<LControl>& Child(DisplayControl control) { return mChildren[static_cast<size_t>(control)]; }
    // The text of the key in the label's own table; empty when the table lacks it.
    String LabelText(DisplayControl label, const char16_t* key) const;
    void SetLabelText(DisplayControl label, const String& text);
    void ShowLabelKey(DisplayControl label, const char16_t* key);
    // The label's "LABEL" text as a format with the version, when the engine knows it.
    void ShowVersion(DisplayControl label, KVRESULT answered, const String& version);
    void UpdateDeviceFirmwareVersionLabel();
    void UpdateFileFirmwareVersionLabel();
    // The cannot-update label by the plan, and, after a transfer that failed or was
    // aborted, what stopped it when the engine knows.
    void ShowTransferOutcome(int32_t updateResult, const DisplayPlan& plan);
    // "Firmware file: NAME" for the engine's image; empty without one.
    String FileNameLine(int32_t fileState) const;
    EngineSituation ReadSituation(int32_t updateResult, int32_t deviceState, int32_t fileState);
    // While the keyboard is asked to switch into its update mode: the process text says so,
    // and neither UPDATE FIRMWARE nor NEXT is offered.
    void ShowWaitingForSwitch();
    // Switches the engine's notifications on, once its state is shown, and its watch
    // of the keyboards that come and go.
    void EnableEngineNotifications();
    // Repaints the window at once.
    void RedrawNow();
    // Has the engine take the step on its MIDI thread, under the wait cursor with the
    // status text until it ends.
    void RunEngineStep(LUpdateEngineInterface::BackgroundTask task, const String& statusText,
                       Milliseconds pause = 0, uint32_t count = 0);
    // The transfer, for a device in its update mode.
    void StartTransfer();

    RCPtr<LNotificationHandler<LMainControl>> mOwnHandler;
    std::array<RCPtr<LControl>, kDisplayControlCount> mChildren;
    // The same control as the progress bar's entry among the children, as what it is.
    RCPtr<LProgressBar> mProgressBar;
    RCPtr<LUpdateProcessor> mProcessor;
    LOpenFileDialog mOpenFileDialog;
    // The wait cursor while the engine takes a step for the window.
    std::unique_ptr<LBusyCursorScope> mBusy;
    // From the request to switch the keyboard until the engine's step has ended.
    bool mSwitchAsked = false;
    bool mNoScanButton = false;
    bool mWaitingForReset = false;
    bool mExitRefused = false;
};

} // namespace KV
