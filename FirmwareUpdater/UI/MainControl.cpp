#include "MainControl.h"

#include "AppStrings.h"
#include "Application.h"
#include "RunReport.h"
#include "UpdateNotifications.h"

#include "Application/BusyCursorScope.h"
#include "Application/CursorNames.h"
#include "Application/FrameworkApp.h"
#include "Controls/Button.h"
#include "Controls/MainMenu.h"
#include "Controls/MenuDescriptor.h"
#include "ControlBase/RootWindow.h"
#include "Notification/Notification.h"
#include "Notification/NotificationCenter.h"
#include "Storage/File.h"
#include "System/DebugConsole.h"
#include "System/Sleep.h"

namespace KV {

namespace {

using Engine = LUpdateEngineInterface;

// What a handler answers when it took its notification.
constexpr KVRESULT kHandled = 1;

template <class T> const T* DataOf(const RCPtr<LNotification>& notification)
{
    return notification ? dynamic_cast<const T*>(notification->GetData().Get()) : nullptr;
}

bool IsBlank(const String& text)
{
    return text.View().find_first_not_of(u' ') == std::u16string_view::npos;
}

// The texts one below the other; either may be empty (or blanks only, which the shipped
// tables hold for texts that say nothing).
String JoinLines(const String& first, const String& second)
{
    if (IsBlank(first) || IsBlank(second))
        return IsBlank(first) ? second : first;
    String joined = first;
    joined += u'\n';
    joined += second;
    return joined;
}

// The selected device's firmware is newer than the image's.
bool IsDeviceFirmwareNewer(LUpdateEngineInterface& engine)
{
    const int32_t selected = engine.GetSelectedDeviceIndex();
    Engine::VersionInfo device;
    if (selected < 0 || engine.GetFirmwareFileState() != Engine::FileStateVersionKnown ||
        KV_FAILED(engine.GetDeviceVersion(static_cast<uint32_t>(selected), device)))
        return false;
    return device.mNumbers > engine.GetFirmwareFileVersion().mNumbers;
}

std::string MissingChildText(DisplayControl control)
{
    const std::u16string_view name(DisplayControlName(control));
    return "LMainControl couldn't find " + std::string(name.begin(), name.end());
}

struct ButtonHandler
{
    DisplayControl button;
    bool required;
    LNotificationHandler<LMainControl>::Handler onClick;
};

} // namespace

LMainControl::LMainControl(const RCPtr<LControl>& parent, const String& name) : LControl(parent, name) {}

LMainControl::~LMainControl() = default;

LUpdateEngineInterface* LMainControl::Engine() const
{
    return mProcessor ? mProcessor->GetUpdateEngine().Get() : nullptr;
}

KVRESULT LMainControl::Initialize()
{
    using C = DisplayControl;
    KV_THROW_IF_FAILED(LControl::Initialize());
    mOwnHandler = LNotificationHandler<LMainControl>::Create(this);
    const RCPtr<LNotificationCenter> center = LNotificationCenterManager::GetDefaultCenter();
    KV_THROW_IF_FAILED(mOwnHandler->AddHandlerFor(&LMainControl::OnDeviceStateChangeNotification, center,
                                                  NID_DEVICE_STATE_CHANGE));
    KV_THROW_IF_FAILED(mOwnHandler->AddHandlerFor(&LMainControl::OnFirmwareFileStateChangeNotification,
                                                  center, NID_FIRMWARE_FILE_STATE_CHANGE));
    KV_THROW_IF_FAILED(mOwnHandler->AddHandlerFor(&LMainControl::OnFoundDeviceListChange, center,
                                                  NID_FOUND_DEVICE_LIST_CHANGE));
    KV_THROW_IF_FAILED(mOwnHandler->AddHandlerFor(&LMainControl::OnFirmwareUpdateProgressNotification, center,
                                                  NID_FIRMWARE_UPDATE_PROGRESS));
    KV_THROW_IF_FAILED(mOwnHandler->AddHandlerFor(&LMainControl::OnFirmwareUpdateCompletedNotification,
                                                  center, NID_FIRMWARE_UPDATE_COMPLETED));
    KV_THROW_IF_FAILED(
        mOwnHandler->AddHandlerFor(&LMainControl::OnEngineTaskCompleted, center, NID_ENGINE_TASK_COMPLETED));

    const ButtonHandler buttons[] = {
        {C::ExitButton, true, &LMainControl::OnExitClicked},
        {C::UpdateButton, true, &LMainControl::OnUpdateFirmwareClicked},
        {C::RestartButton, true, &LMainControl::OnRestartClicked},
        {C::ScanButton, false, &LMainControl::OnScanForDeviceClicked},
        {C::NextButton, false, &LMainControl::OnNextClicked},
        {C::RescanButton, false, &LMainControl::OnRescanAfterUpdateClicked},
    };
    for (const ButtonHandler& entry : buttons)
    {
        RCPtr<LControl>& button = Child(entry.button);
        // A child of that name that is no button counts as missing.
        button = RCPtr<LControl>(FindSubControl<LButton>(*this, DisplayControlName(entry.button)));
        if (!button && entry.required)
            KV_THROW_NULL_POINTER(MissingChildText(entry.button));
        if (button)
            KV_THROW_IF_FAILED(mOwnHandler->AddHandlerFor(entry.onClick, button, u"NID_LEFT_CLICK"));
    }
    for (DisplayControl required : {C::DeviceLabel, C::FileLabel, C::ProcessLabel, C::FileVersionLabel,
                                    C::DeviceVersionLabel, C::CannotUpdateLabel})
    {
        Child(required) = FindChild(String(DisplayControlName(required)));
        if (!Child(required))
            KV_THROW_NULL_POINTER(MissingChildText(required));
    }
    // A child of that name that is no progress bar counts as missing.
    mProgressBar = FindSubControl<LProgressBar>(*this, DisplayControlName(C::ProgressBar));
    if (!mProgressBar)
        KV_THROW_NULL_POINTER(MissingChildText(C::ProgressBar));
    Child(C::ProgressBar) = RCPtr<LControl>(mProgressBar);

    // The menu bar asks this control for the states of its items.
    if (const RCPtr<LMainMenu> menu = FindSubControl<LMainMenu>(*this, u"mainMenu"))
        menu->SetMenuItemUpdater(GetMenuItemUpdater());

    mWaitingForReset = false;
    if (!mProcessor)
        if (auto* application = dynamic_cast<LApplication*>(LFrameworkApp::GetInstance()))
            mProcessor = application->GetUpdateProcessor();
    mNoScanButton = !Child(C::ScanButton);
    // The state as the engine has it now; from here on the engine tells of changes.
    Refresh();
    EnableEngineNotifications();
    return S_OK;
}

void LMainControl::EnableEngineNotifications()
{
    if (LUpdateEngineInterface* engine = Engine())
    {
        engine->EnableNotifications(true);
        // Keyboards that come and go while the window shows are noticed from now on.
        engine->WatchDeviceList(true);
    }
}

void LMainControl::SetUpdateProcessor(const RCPtr<LUpdateProcessor>& processor)
{
    mProcessor = processor;
    if (mOwnHandler)
    {
        Refresh();
        EnableEngineNotifications();
    }
}

void LMainControl::ProcessRootWindowAquired()
{
    LControl::ProcessRootWindowAquired();
    if (!mOwnHandler)
        return; // not initialised yet: Initialize comes after
    const RCPtr<LRootWindow> window = GetRootWindow();
    if (!window)
        KV_THROW(std::runtime_error, "No Root Window!");
    const RCPtr<LNotificationDistributor> sender(window.Get());
    mOwnHandler->AddHandlerFor(&LMainControl::OnSelectFirmwareFile, sender, u"NID_MENU_FILE_SELECT");
    mOwnHandler->AddHandlerFor(&LMainControl::OnExitClicked, sender, u"NID_MENU_FILE_EXIT_REQ");
    mOwnHandler->AddHandlerFor(&LMainControl::OnToggleAllowDowngrade, sender,
                               u"NID_MENU_OPTIONS_ALLOW_DOWNGRADE");
}

KVRESULT LMainControl::RemoveFromTree()
{
    mBusy.reset();
    return LControl::RemoveFromTree();
}

KVRESULT LMainControl::GetMenuItemState(const RCPtr<LMenuDescriptor>&, int32_t, const String& itemId,
                                        LMenuItemInfo& info)
{
    if (itemId == u"NID_MENU_OPTIONS_ALLOW_DOWNGRADE" && mProcessor)
        info.checked = mProcessor->GetAllowDowngrade();
    return S_OK;
}

KVRESULT LMainControl::Receive(const RCPtr<LNotificationDistributor>& sender,
                               const RCPtr<LNotification>& notification)
{
    return ReceiveThroughOwnTable<LControl>(*this, mOwnHandler, sender, notification);
}

KVRESULT LMainControl::Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id)
{
    return DetachFromOwnTable<LControl>(*this, mOwnHandler, distributor, id);
}

// ---- the display ----

String LMainControl::LabelText(DisplayControl label, const char16_t* key) const
{
    String text;
    const RCPtr<LControl>& control = mChildren[static_cast<size_t>(label)];
    if (control && control->GetStringTable())
        control->GetStringTable()->GetString(key, text);
    return text;
}

void LMainControl::SetLabelText(DisplayControl label, const String& text)
{
    // The label lays itself out again only when the text changed.
    if (const RCPtr<LControl>& control = Child(label))
        control->SetText(text);
}

const String& LMainControl::GetShownText(DisplayControl label) const
{
    static const String* const none = new String();
    const RCPtr<LControl>& control = mChildren[static_cast<size_t>(label)];
    return control ? control->GetText() : *none;
}

void LMainControl::ShowLabelKey(DisplayControl label, const char16_t* key)
{
    if (key)
        SetLabelText(label, LabelText(label, key));
}

void LMainControl::ShowVersion(DisplayControl label, KVRESULT answered, const String& version)
{
    if (answered != S_OK)
        return;
    const String format = LabelText(label, u"LABEL");
    String text;
    text.Format(format.GetText(), version);
    SetLabelText(label, text);
}

void LMainControl::UpdateDeviceFirmwareVersionLabel()
{
    if (LUpdateEngineInterface* engine = Engine())
    {
        String version;
        ShowVersion(DisplayControl::DeviceVersionLabel, engine->GetDeviceFirmwareVersionText(version),
                    version);
    }
}

void LMainControl::UpdateFileFirmwareVersionLabel()
{
    if (LUpdateEngineInterface* engine = Engine())
    {
        String version;
        ShowVersion(DisplayControl::FileVersionLabel, engine->GetFirmwareFileVersionText(version), version);
    }
}

EngineSituation LMainControl::ReadSituation(int32_t updateResult, int32_t deviceState, int32_t fileState)
{
    EngineSituation s;
    s.updateResult = updateResult;
    s.deviceState = deviceState;
    s.fileState = fileState;
    s.waitingForReset = mWaitingForReset;
    s.hasScanButton = !mNoScanButton;
    const RCPtr<LControl>& process = Child(DisplayControl::ProcessLabel);
    s.hasWaitAfterUpdateText = process && process->GetStringTable() &&
                               process->GetStringTable()->HasKey(u"LABEL_UPDATE_TRANSITIONING_AFTER_UPDATE");
    if (LUpdateEngineInterface* engine = Engine())
    {
        s.updateNeeded = engine->IsUpdateNeeded();
        s.deviceNewer = IsDeviceFirmwareNewer(*engine);
        engine->GetCannotUpdateReason(s.cannotUpdateReason);
        String version;
        s.deviceVersionKnown = engine->GetDeviceFirmwareVersionText(version) == S_OK && !version.IsEmpty();
    }
    s.allowDowngrade = mProcessor && mProcessor->GetAllowDowngrade();
    if (LUpdateEngineInterface* engine = Engine())
        s.powerCycleFinding = static_cast<int32_t>(engine->GetPowerCycleFinding());
    return s;
}

void LMainControl::UpdateDisplay(int32_t updateResult, int32_t deviceState, int32_t fileState)
{
    using C = DisplayControl;
    const EngineSituation situation = ReadSituation(updateResult, deviceState, fileState);
    const DisplayPlan plan = PlanDisplay(situation);
    ShowLabelKey(C::DeviceLabel, plan.KeyOf(C::DeviceLabel));
    // Which file the state is about, under the state's text.
    if (const char16_t* fileKey = plan.KeyOf(C::FileLabel))
        SetLabelText(C::FileLabel, JoinLines(LabelText(C::FileLabel, fileKey), FileNameLine(fileState)));
    // A refused exit is explained for as long as the transfer that was the reason runs.
    mExitRefused = mExitRefused && updateResult == Engine::UpdateResultRunning;
    if (mExitRefused)
        SetLabelText(C::ProcessLabel, JoinLines(LabelText(C::ProcessLabel, plan.KeyOf(C::ProcessLabel)),
                                                GetAppString(u"EXIT_APPLICATION_DIALOG_MESSAGE")));
    else
        ShowLabelKey(C::ProcessLabel, plan.KeyOf(C::ProcessLabel));
    UpdateDeviceFirmwareVersionLabel();
    UpdateFileFirmwareVersionLabel();
    ShowTransferOutcome(updateResult, plan);
    for (size_t i = 0; i < kDisplayControlCount; ++i)
        if (mChildren[i] && plan.shown[i])
            mChildren[i]->SetVisible(*plan.shown[i]);
}

void LMainControl::ShowTransferOutcome(int32_t updateResult, const DisplayPlan& plan)
{
    using C = DisplayControl;
    LUpdateEngineInterface* engine = Engine();
    const bool ended =
        updateResult == Engine::UpdateResultFailed || updateResult == Engine::UpdateResultCancelled;
    const Engine::TransferFailure failure =
        engine && ended ? engine->GetTransferFailure() : Engine::TransferFailure::None;
    const char* cause = RunReport::TransferFailureText(failure);
    if (!cause)
    {
        ShowLabelKey(C::CannotUpdateLabel, plan.KeyOf(C::CannotUpdateLabel));
        return;
    }
    // What stopped the transfer, in the words a run without the window uses, under the
    // sentence for the reason. A keyboard that asked to stop needs no unplugging: its
    // sentence says so instead of the one for a device that cannot be reached.
    String causeText;
    causeText.Format(LabelText(C::CannotUpdateLabel, u"LABEL_TRANSFER_FAILURE_CAUSE").GetText(),
                     String(cause));
    if (updateResult == Engine::UpdateResultCancelled)
    {
        SetLabelText(C::ProcessLabel,
                     JoinLines(LabelText(C::ProcessLabel, plan.KeyOf(C::ProcessLabel)), causeText));
        ShowLabelKey(C::CannotUpdateLabel, plan.KeyOf(C::CannotUpdateLabel));
        return;
    }
    const char16_t* sentence = failure == Engine::TransferFailure::CancelledByKeyboard
                                   ? u"LABEL_UPDATE_STOPPED_BY_DEVICE"
                                   : plan.KeyOf(C::CannotUpdateLabel);
    SetLabelText(C::CannotUpdateLabel, JoinLines(sentence ? LabelText(C::CannotUpdateLabel, sentence)
                                                          : GetShownText(C::CannotUpdateLabel),
                                                 causeText));
}

String LMainControl::FileNameLine(int32_t fileState) const
{
    String path;
    LUpdateEngineInterface* engine = Engine();
    if (!engine || fileState == Engine::FileStateNone || KV_FAILED(engine->GetFirmwareFilePath(path)))
        return String();
    String line;
    line.Format(LabelText(DisplayControl::FileLabel, u"LABEL_FIRMWARE_FILE_NAME").GetText(),
                File::GetFileName(path));
    return line;
}

void LMainControl::ShowWaitingForSwitch()
{
    // The power-cycle request shows once the keyboard has taken the switch: a keyboard
    // that is gone would otherwise be asked to switch off and on before the failure shows.
    SetLabelText(DisplayControl::ProcessLabel,
                 LoadAppString(u"WAITING_FOR_DEVICE_TO_ENTER_UPDATE_MODE_CURSOR_TITLE"));
    for (const DisplayControl button : {DisplayControl::UpdateButton, DisplayControl::NextButton})
        if (const RCPtr<LControl>& control = Child(button))
            control->SetVisible(false);
}

void LMainControl::ExplainExitRefused()
{
    mExitRefused = true;
    Refresh();
}

void LMainControl::Refresh()
{
    if (LUpdateEngineInterface* engine = Engine())
        UpdateDisplay(engine->GetUpdateResult(false), engine->GetDeviceState(),
                      engine->GetFirmwareFileState());
}

void LMainControl::RedrawNow()
{
    if (const RCPtr<LRootWindow> window = GetRootWindow())
        window->Redraw();
}

// ---- the engine's notifications ----

KVRESULT LMainControl::OnDeviceStateChangeNotification(Sender, Notified notification)
{
    const auto* data = DataOf<LDeviceStateChangeNotificationData>(notification);
    LUpdateEngineInterface* engine = Engine();
    if (!data || !engine)
        return kHandled;
    ShowLabelKey(DisplayControl::DeviceLabel, DeviceLabelKey(data->mNewState));
    // The wait cursor stays while the engine's step for the window is under way.
    if (const RCPtr<LRootWindow> window = GetRootWindow(); window && !mBusy)
        window->SetCursor(GetNamedCursor(CursorNames().arrow));
    // While the keyboard is asked to switch, the window says so until it has answered: the
    // engine is in state 6 from the moment it asks, and the power-cycle request would show
    // before a failure.
    if (mSwitchAsked)
        return kHandled;
    // Without a scan button the user could not ask for a scan; nothing scans by itself
    // either, so that a missing keyboard does not keep the window busy. Several keyboards
    // are not updated at all: which one would get the image, the user could not tell.
    UpdateDisplay(engine->GetUpdateResult(false), data->mNewState, engine->GetFirmwareFileState());
    return kHandled;
}

KVRESULT LMainControl::OnFirmwareFileStateChangeNotification(Sender, Notified notification)
{
    const auto* data = DataOf<LFirmwareFileStateChangeNotificationData>(notification);
    if (!data)
        return kHandled;
    ShowLabelKey(DisplayControl::FileLabel, FileLabelKey(data->mNewState));
    if (data->mNewState == Engine::FileStateVersionKnown)
        UpdateFileFirmwareVersionLabel();
    Refresh();
    return kHandled;
}

KVRESULT LMainControl::OnFirmwareUpdateProgressNotification(Sender, Notified notification)
{
    const auto* data = DataOf<LFirmwareUpdateProgressNotificationData>(notification);
    if (!data || !mProgressBar)
        return kHandled;
    mProgressBar->SetNormalizedValue(data->mFraction);
    // The engine's own count of seconds is shown when it gives one; -1 means it has none,
    // which is no reason to show that no time is left.
    const bool ownEstimate = data->mEstimate != 0;
    if (!ownEstimate && data->mSecondsRemaining >= 0)
        mProgressBar->SetTimeRemaining(data->mSecondsRemaining);
    mProgressBar->EnableTimeEstimate(ownEstimate);
    return kHandled;
}

KVRESULT LMainControl::OnFirmwareUpdateCompletedNotification(Sender, Notified notification)
{
    const auto* data = DataOf<LFirmwareUpdateCompletedNotificationData>(notification);
    if (!data)
        return kHandled;
    if (!data->mSuccess)
    {
        mWaitingForReset = false;
        Refresh();
        return kHandled;
    }
    Refresh();
    RedrawNow();
    const String waiting(u"Waiting for Device Reset To Complete...");
    if (Child(DisplayControl::RescanButton))
        RunEngineStep(Engine::BackgroundTask::RescanAfterUpdate, waiting); // the user says when it is back
    else
        RunEngineStep(Engine::BackgroundTask::WatchForReturn, waiting, mProcessor->GetReturnRescanPause(),
                      mProcessor->GetReturnRescanCount());
    return kHandled;
}

KVRESULT LMainControl::OnEngineTaskCompleted(Sender, Notified notification)
{
    const auto* data = DataOf<LEngineTaskCompletedNotificationData>(notification);
    LUpdateEngineInterface* engine = Engine();
    if (!data || !engine)
        return kHandled;
    using Task = Engine::BackgroundTask;
    const auto task = static_cast<Task>(data->mTask);
    if (task != Task::DeviceListChanged)
        mBusy.reset();
    if (task == Task::EnterUpdateMode)
        mSwitchAsked = false;
    if (const RCPtr<LRootWindow> window = GetRootWindow(); window && !mBusy)
        window->SetCursor(GetNamedCursor(CursorNames().arrow));
    switch (task)
    {
    case Task::EnterUpdateMode:
    case Task::RescanAfterPowerCycle:
        // Found in its update mode (already there, or back from its power cycle): the
        // transfer starts.
        if (KV_SUCCEEDED(data->mResult) && engine->GetDeviceState() == Engine::DeviceStateReadyForUpdate)
        {
            StartTransfer();
            return kHandled;
        }
        break;
    case Task::RescanAfterUpdate:
        if (KV_SUCCEEDED(data->mResult) && engine->GetDeviceState() == Engine::DeviceStateNormalFirmware)
            mWaitingForReset = false;
        break;
    case Task::WatchForReturn:
        mWaitingForReset = false;
        break;
    case Task::Scan:
    case Task::DeviceListChanged:
        break;
    }
    Refresh();
    RedrawNow();
    return kHandled;
}

void LMainControl::RunEngineStep(LUpdateEngineInterface::BackgroundTask task, const String& statusText,
                                 Milliseconds pause, uint32_t count)
{
    LUpdateEngineInterface* engine = Engine();
    if (!engine)
        return;
    mBusy.reset();
    mBusy = std::make_unique<LBusyCursorScope>(statusText);
    if (KV_FAILED(engine->RunInBackground(task, pause, count)))
        mBusy.reset();
}

void LMainControl::StartTransfer()
{
    LUpdateEngineInterface* engine = Engine();
    if (!engine || engine->GetFirmwareFileState() != Engine::FileStateVersionKnown)
        return;
    mWaitingForReset = true;
    if (mProgressBar)
    {
        mProgressBar->SetNormalizedValue(0);
        mProgressBar->EnableTimeEstimate(false);
    }
    if (KV_FAILED(engine->StartUpdate()))
        mWaitingForReset = false;
    Refresh();
    RedrawNow();
}

// ---- the buttons and the menu ----

void LMainControl::PostExitRequest()
{
    LNotificationCenterManager::GetDefaultCenter()->PostNotification(
        LNotification::Create(u"NID_APP_EXIT_REQ"));
}

KVRESULT LMainControl::OnExitClicked(Sender, Notified)
{
    PostExitRequest();
    return kHandled;
}

KVRESULT LMainControl::OnUpdateFirmwareClicked(Sender, Notified)
{
    LUpdateEngineInterface* engine = Engine();
    if (!engine || engine->GetFirmwareFileState() != Engine::FileStateVersionKnown || mBusy)
        return kHandled;
    if (engine->GetDeviceState() == Engine::DeviceStateNormalFirmware)
    {
        ShowWaitingForSwitch();
        RedrawNow();
        mSwitchAsked = true;
        RunEngineStep(Engine::BackgroundTask::EnterUpdateMode,
                      LoadAppString(u"WAITING_FOR_DEVICE_TO_ENTER_UPDATE_MODE_CURSOR_TITLE"));
        if (!mBusy)
            mSwitchAsked = false; // the step could not be queued
        return kHandled;
    }
    if (engine->GetDeviceState() == Engine::DeviceStateReadyForUpdate)
        StartTransfer();
    return kHandled;
}

KVRESULT LMainControl::OnNextClicked(Sender, Notified)
{
    // The keyboard is looked for on the MIDI thread; what was found decides the rest.
    if (!mBusy && Engine() && Engine()->GetDeviceState() == Engine::DeviceStateEnteringUpdateMode)
        RunEngineStep(Engine::BackgroundTask::RescanAfterPowerCycle,
                      LoadAppString(u"WAITING_FOR_DEVICE_TO_ENTER_UPDATE_MODE_CURSOR_TITLE"));
    return kHandled;
}

KVRESULT LMainControl::OnRestartClicked(Sender, Notified)
{
    mBusy.reset();
    mSwitchAsked = false;
    if (mProcessor)
        mProcessor->Reinitialize();
    mNoScanButton = !Child(DisplayControl::ScanButton);
    Refresh();
    EnableEngineNotifications(); // the processor made a new engine
    // Its scan runs on its MIDI thread and tells its end, now that the window listens.
    if (LUpdateEngineInterface* engine = Engine();
        engine && engine->GetDeviceState() == Engine::DeviceStateNoDevice)
        engine->RunInBackground(Engine::BackgroundTask::Scan);
    return kHandled;
}

KVRESULT LMainControl::OnScanForDeviceClicked(Sender, Notified)
{
    if (!mBusy)
        RunEngineStep(Engine::BackgroundTask::Scan, String(u"Looking for device..."));
    return kHandled;
}

KVRESULT LMainControl::OnRescanAfterUpdateClicked(Sender, Notified)
{
    if (!mBusy)
        RunEngineStep(Engine::BackgroundTask::RescanAfterUpdate,
                      String(u"Waiting for Device Reset To Complete..."));
    return kHandled;
}

KVRESULT LMainControl::OnSelectFirmwareFile(Sender, Notified)
{
    LUpdateEngineInterface* engine = Engine();
    if (engine && mOpenFileDialog.Show(GetAppString(u"SELECT_FIRMWARE_FILE_DIALOG_FILE_FILTER"),
                                       GetAppString(u"SELECT_FIRMWARE_FILE_DEFAULT_FILE_EXTENSION"),
                                       GetAppString(u"SELECT_FIRMWARE_FILE_DIALOG_TITLE"), false) == S_OK)
        mProcessor->SetFirmwareFile(mOpenFileDialog.GetFileName());
    return kHandled;
}

KVRESULT LMainControl::OnToggleAllowDowngrade(Sender, Notified)
{
    if (mProcessor)
    {
        mProcessor->SetAllowDowngrade(!mProcessor->GetAllowDowngrade());
        // What may be done follows the flag at once.
        Refresh();
    }
    return kHandled;
}

} // namespace KV
