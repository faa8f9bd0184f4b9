#include "Application.h"

#include "MainControl.h"
#include "RunReport.h"
#include "UpdaterControlClasses.h"

#include "DeviceProtocol.h"

#include "Application/CursorNames.h"
#include "Application/FrameworkMain.h"
#include "ControlBase/RootWindow.h"
#include "Midi/MidiComm.h"
#include "ObjectBase/Exception.h"
#include "Storage/File.h"
#include "Storage/Transcode.h"

#include <cstdio>
#include <exception>
#include <string>
#include <utility>

using namespace KV;

namespace {

// The keyboards the updater holds at once, each by one input and one output.
constexpr uint32_t kMidiDevicesEachWay = 4;

// The updater's MIDI client is named after the application, but without the texts by
// which the keyboard's ports are found, so that no port of ours is ever taken for one
// of the keyboard's.
String MidiClientName(String name)
{
    for (const std::string_view text :
         {DeviceProtocol::NormalModePortName, DeviceProtocol::UpdateModePortName})
    {
        String piece;
        piece.AssignNarrowText(std::string(text).c_str());
        for (int32_t at; (at = name.ToLower().Find(piece.ToLower())) >= 0;)
            name = name.Left(at).Concat(String(u" ")).Concat(name.MidFrom(at + piece.GetLength()));
    }
    name = name.Trim();
    return name.IsEmpty() ? String(u"Firmware Updater") : name;
}

// How long the end of the process waits for the engine to let go of the MIDI system.
constexpr Milliseconds kEngineEndWait = 2000;

} // namespace

RCPtr<LApplication> LApplication::Create(const RCPtr<LControlFactory>& factory,
                                         const RCPtr<LStringTable>& frameworkStringTable,
                                         const String& commandLine)
{
    return RCPtr<LApplication>(new LApplication(factory, frameworkStringTable, commandLine));
}

LApplication::~LApplication()
{
    // The engine ends on its own MIDI thread, where its keyboard ports and MIDI client
    // close: a stalled MIDI server would hold up the end of the process there, not here.
    // A server that answers lets them go at once, before the process's end.
    if (mUpdateProcessor)
    {
        RCPtr<LUpdateEngineInterface> engine = mUpdateProcessor->TakeUpdateEngine();
        mUpdateProcessor.Reset();
        LUpdateEngineInterface::EndOnItsThread(std::move(engine), kEngineEndWait);
    }
}

const String& LApplication::GetUniqueInstanceName()
{
    static const String* name = new String(u"Orrin_DEVICE_FAMILY_NAME_String_FirmwareUpdater");
    return *name;
}

String LApplication::GetVersionFolderName()
{
    return String(u"1_0_0");
}

String LApplication::GetRootControlName()
{
    return String(u"mainControl");
}

int32_t LApplication::GetRendererType()
{
    return kRendererTypeGDI;
}

CursorHandle LApplication::LoadCursorByName(const String& name)
{
    // The drop cursors of the updater's own and the split, rotate and magnifier cursors
    // are none the updater shows: each stays the default arrow.
    const LCursorNames& names = CursorNames();
    for (const String* own : {&names.dropMove, &names.dropCopy, &names.splitV, &names.splitH, &names.rotate,
                              &names.mag, &names.magPlus, &names.magMinus})
        if (IsCursorName(name, *own))
            return 0;
    return LApplicationBase::LoadCursorByName(name);
}

int32_t LApplication::GetSettingsFile(int32_t kind)
{
    int32_t* handle = kind == 0 ? &mAppSettingsFile : kind == 1 ? &mUserSettingsFile : nullptr;
    IIniFileManager* settings = GetIniFileManager();
    if (!handle || *handle != 0 || !settings)
        return handle ? *handle : 0;
    String folder;
    GetFolder(folder, kind == 0 ? FOLDER_COMMON_DATA : FOLDER_LOCAL_DATA);
    // Without the folder the file would land beside wherever the program was started.
    if (folder.IsEmpty())
        return 0;
    const String path = folder.Concat(String(kind == 0 ? u"/AppSettings.ini" : u"/UserSettings.ini"));
    int32_t opened = 0;
    if (KV_SUCCEEDED(settings->OpenIniFile(path, GetVersionFolderName(), GetApplicationName(), opened)))
        *handle = opened;
    else if (File::Exists(path) && !File::IsRegularFile(path) && !std::exchange(mSettingsRefusalSaid, true))
        std::fprintf(stderr,
                     "The settings file %s is not a regular file: the updater's settings are neither "
                     "read nor kept.\n",
                     EncodeSystemBytes(path.View()).c_str());
    return *handle;
}

KVRESULT LApplication::RunApplicationStartup()
{
    if (KV_FAILED(LApplicationBase::RunApplicationStartup()))
        return E_FAIL;
    if (GetControlFactory())
        RegisterUpdaterControlClasses(*GetControlFactory());

    LMidiCommInterface::SetClientIdentity(MidiClientName(GetApplicationName()), kMidiDevicesEachWay);
    // Without a MIDI system no keyboard can be found: say what is missing instead.
    std::string problem;
    if (!LMidiCommInterface::CheckSystem(problem))
        throw StartupError("The updater could not start: " + problem + ".");

    mUpdateProcessor = LUpdateProcessor::Create();
    String folder;
    GetFolder(folder, FOLDER_EXECUTABLE);
    mUpdateProcessor->SetExecutableFolder(folder);
    mUpdateProcessor->SetStopRequest([] { return GetTerminationSignal() != 0; });
    try
    {
        return mUpdateProcessor->Initialize(GetCommandLine());
    }
    catch (const std::exception& error)
    {
        throw StartupError(std::string("The updater could not start: ") + error.what());
    }
}

bool LApplication::CanExit()
{
    // The engine the window shows; the processor's own when there is no window.
    LMainControl* main = nullptr;
    RCPtr<LUpdateProcessor> processor = mUpdateProcessor;
    if (const RCPtr<LRootWindow> window = GetFirstRootWindow())
        if ((main = dynamic_cast<LMainControl*>(window->GetRootControl().Get())) &&
            main->GetUpdateProcessor())
            processor = main->GetUpdateProcessor();
    const bool updating =
        processor && processor->GetUpdateEngine() &&
        processor->GetUpdateEngine()->GetDeviceState() == LUpdateEngineInterface::DeviceStateUpdating;
    // Ending now would cut the transfer off: the window says why it stays open.
    if (updating && main)
        main->ExplainExitRefused();
    return !updating;
}

void LApplication::OnTerminationSignal()
{
    // A transfer stops as a cancel; the exit is taken at a later idle pass, once it ended.
    const RCPtr<LUpdateEngineInterface> engine =
        mUpdateProcessor ? mUpdateProcessor->GetUpdateEngine() : RCPtr<LUpdateEngineInterface>();
    if (engine && engine->GetDeviceState() == LUpdateEngineInterface::DeviceStateUpdating)
        engine->RequestCancel();
    LApplicationBase::OnTerminationSignal();
}

int LApplication::GetQuietExitStatus(KVRESULT)
{
    return RunReport::ReportSilentEnd(*mUpdateProcessor, stdout, stderr);
}

int LApplication::OnWindowUnavailable()
{
    // A transfer that was started for the window runs to its end all the same.
    if (mUpdateProcessor->FinishStartedUpdate())
        return RunReport::ReportSilentEnd(*mUpdateProcessor, stdout, stderr);
    return RunReport::ReportWindowNeeded(*mUpdateProcessor, stdout, stderr);
}

void LApplication::FinishRunningWork()
{
    if (mUpdateProcessor)
        mUpdateProcessor->FinishStartedUpdate();
}
