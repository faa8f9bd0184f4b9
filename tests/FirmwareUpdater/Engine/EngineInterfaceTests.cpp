#include "DeviceMessages.h"
#include "EngineTestSupport.h"
#include "FirmwareImageFile.h"
#include "UpdateEngineInterface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>

using namespace enginetest;
using Engine = LUpdateEngineInterface;

namespace {

// The state logic of the engine over a scripted set of found devices: what the MIDI
// work would find and do is given by the test.
class ScriptedEngine : public LUpdateEngineInterface
{
public:
    struct Found
    {
        bool inUpdateMode = false;
        int32_t reason = 0;
        std::array<uint32_t, 4> version{1, 0, 0, 5};
    };

    std::vector<Found> mToFind;
    std::vector<Found> mFound;
    KVRESULT mScanResult = S_OK;
    std::function<KVRESULT()> mPerform = [] { return S_OK; };

    KVRESULT GetFoundDevices(KV::IArray<DeviceDefinition>& devices) override
    {
        devices.Clear();
        for (size_t i = 0; i < mFound.size(); ++i)
            devices.AddItem(DeviceDefinition());
        return S_OK;
    }
    KVRESULT RescanSelectedDevice() override { return E_NOTIMPL; }
    KVRESULT EnterUpdateMode() override { return E_NOTIMPL; }
    KVRESULT RequestCancel() override { return E_NOTIMPL; }
    KVRESULT ScanPorts() override
    {
        mFound = mToFind;
        return mScanResult;
    }
    uint32_t GetFoundDeviceCount() const override { return static_cast<uint32_t>(mFound.size()); }
    bool IsDeviceInUpdateMode(uint32_t index) const override
    {
        return index < mFound.size() && mFound[index].inUpdateMode;
    }
    KVRESULT GetDeviceCannotUpdateReason(uint32_t index, int32_t& reason) const override
    {
        if (index >= mFound.size())
        {
            reason = 0;
            return E_FAIL;
        }
        reason = mFound[index].reason;
        return S_OK;
    }
    KVRESULT GetDeviceVersion(uint32_t index, VersionInfo& version) const override
    {
        if (index >= mFound.size())
            return E_FAIL;
        version.mNumbers = mFound[index].version;
        version.mText = DeviceMessages::FormatVersionText(version.mNumbers);
        return S_OK;
    }
    KVRESULT PerformUpdate() override
    {
        SetUpdateResult(UpdateResultRunning);
        const KVRESULT result = mPerform();
        SetUpdateResult(KV_SUCCEEDED(result) ? UpdateResultSucceeded : UpdateResultFailed);
        return result;
    }

    void ForceState(int32_t state) { SetDeviceState(state); }
};

struct EngineScene
{
    PostedLogScope posted;
    KV::RCPtr<ScriptedEngine> engine{new ScriptedEngine()};
    TempFolder folder;

    EngineScene() { engine->EnableNotifications(true); }

    void Define()
    {
        KV::Array<Engine::DeviceDefinition> definitions;
        definitions.AddItem(Engine::DeviceDefinition());
        ASSERT_EQ(engine->SetDeviceDefinitions(definitions), S_OK);
    }
    std::vector<std::string> Posted() { return posted.log->Take(); }
};

std::string Narrow(const KV::String& text)
{
    return std::string(KV::NarrowString(text).GetText());
}

} // namespace

TEST(EngineInterface, ScanOutcomesAndTheirNotifications)
{
    struct Row
    {
        const char* what;
        std::vector<ScriptedEngine::Found> found;
        int32_t state;
        std::vector<std::string> posted;
    };
    const Row rows[] = {
        {"nothing", {}, Engine::DeviceStateNoDevice, {}},
        {"one in normal mode", {{}}, Engine::DeviceStateNormalFirmware, {"state 5<-3"}},
        {"one in update mode", {{true}}, Engine::DeviceStateReadyForUpdate, {"state 7<-3"}},
        {"one that cannot be updated", {{false, 4}}, Engine::DeviceStateCannotUpdate, {"state 4<-3"}},
        {"two", {{}, {}}, Engine::DeviceStateNoneSelected, {"state 3<-1"}},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.what);
        EngineScene s;
        s.Define();
        EXPECT_EQ(s.Posted(), std::vector<std::string>{"state 1<-0"});
        s.engine->mToFind = row.found;
        EXPECT_EQ(s.engine->ScanForDevices(), S_OK);
        EXPECT_EQ(s.engine->GetDeviceState(), row.state);
        EXPECT_EQ(s.Posted(), row.posted);
    }
}

TEST(EngineInterface, SelectionAndReadingOperations)
{
    EngineScene s;
    s.Define();
    s.engine->mToFind = {{}, {false, 4}};
    s.engine->ScanForDevices();
    KV::String text;
    EXPECT_EQ(s.engine->GetDeviceFirmwareVersionText(text), E_FAIL); // state 3
    EXPECT_EQ(Narrow(text), "N/A");
    EXPECT_EQ(s.engine->SelectDevice(2), E_INVALIDARG);
    EXPECT_EQ(s.engine->GetDeviceState(), Engine::DeviceStateNoneSelected);
    EXPECT_EQ(s.engine->GetSelectedDeviceIndex(), -1);

    int32_t reason = -1;
    EXPECT_EQ(s.engine->SelectDevice(0), S_OK);
    EXPECT_EQ(s.engine->GetCannotUpdateReason(reason), E_FAIL); // state 5
    EXPECT_EQ(reason, 0);
    EXPECT_EQ(s.engine->GetDeviceFirmwareVersionText(text), S_OK);
    EXPECT_EQ(Narrow(text), "1.0.0.5");

    EXPECT_EQ(s.engine->SelectDevice(1), S_OK);
    EXPECT_EQ(s.engine->GetDeviceState(), Engine::DeviceStateCannotUpdate);
    EXPECT_EQ(s.engine->GetCannotUpdateReason(reason), S_OK);
    EXPECT_EQ(reason, 4);
}

TEST(EngineInterface, UpdateNeededComparesPartByPartUnsigned)
{
    struct Row
    {
        std::array<uint32_t, 4> device;
        bool needed;
    };
    const Row rows[] = {{{1, 0, 0, 5}, true}, {{1, 0, 0, 6}, false}, {{1, 0, 1, 0}, false},
                        {{0, 9, 9, 9}, true}, {{0, 0, 0, 0}, true},  {{0xFFFFFFFF, 0, 0, 0}, false}};
    for (const Row& row : rows)
    {
        EngineScene s;
        s.Define();
        s.engine->mToFind = {{false, 0, row.device}};
        s.engine->ScanForDevices();
        EXPECT_FALSE(s.engine->IsUpdateNeeded()); // no image yet
        s.engine->SetFirmwareFile(KV::String(s.folder.Write("image.led", "0000").c_str()));
        EXPECT_EQ(s.engine->IsUpdateNeeded(), row.needed) << row.device[0] << "." << row.device[3];
    }
}

TEST(EngineInterface, RefusalsInBusyStates)
{
    EngineScene s;
    s.Define();
    for (int32_t state :
         {Engine::DeviceStateScanning, Engine::DeviceStateEnteringUpdateMode, Engine::DeviceStateUpdating})
    {
        s.engine->ForceState(state);
        KV::Array<Engine::DeviceDefinition> definitions;
        EXPECT_EQ(s.engine->SetDeviceDefinitions(definitions), E_FAIL);
        EXPECT_EQ(s.engine->ScanForDevices(), E_FAIL);
        EXPECT_EQ(s.engine->SelectDevice(0), E_FAIL);
        EXPECT_EQ(s.engine->GetDeviceState(), state);
    }
}

// The engine posts only once the window that listens has switched its notifications on.
TEST(EngineInterface, NothingIsPostedUntilNotificationsAreEnabled)
{
    PostedLogScope posted;
    const KV::RCPtr<ScriptedEngine> engine(new ScriptedEngine());
    EXPECT_FALSE(engine->AreNotificationsEnabled());
    engine->ForceState(Engine::DeviceStateNormalFirmware);
    engine->PostUpdateCompleted(true);
    EXPECT_TRUE(posted.log->Take().empty());
    engine->EnableNotifications(true);
    engine->ForceState(Engine::DeviceStateReadyForUpdate);
    EXPECT_EQ(posted.log->Take(), std::vector<std::string>{"state 7<-5"});
}

TEST(EngineInterface, SetDeviceStateWithTheCurrentValuePostsNothing)
{
    EngineScene s;
    s.Define();
    s.Posted();
    s.engine->ForceState(Engine::DeviceStateNoDevice);
    EXPECT_TRUE(s.Posted().empty());
    s.engine->ForceState(Engine::DeviceStateNormalFirmware);
    EXPECT_EQ(s.Posted(), std::vector<std::string>{"state 5<-1"});
}

TEST(EngineInterface, FirmwareFileStates)
{
    EngineScene s;
    const std::string image = s.folder.Write("image.led", "0003AABBCC");
    KV::String text;
    EXPECT_EQ(s.engine->SetFirmwareFile(KV::String((s.folder.path / "missing.led").c_str())), E_FAIL);
    EXPECT_EQ(s.engine->GetFirmwareFileState(), Engine::FileStateMissing);
    EXPECT_EQ(s.engine->GetFirmwareFileVersionText(text), E_FAIL);
    EXPECT_EQ(Narrow(text), "N/A");
    EXPECT_EQ(s.engine->SetFirmwareFile(KV::String(s.folder.path.c_str())), E_FAIL); // a folder

    EXPECT_EQ(s.engine->SetFirmwareFile(KV::String(image.c_str())), S_OK);
    EXPECT_EQ(s.engine->SetFirmwareFile(KV::String(image.c_str())), S_OK);
    EXPECT_EQ(s.engine->GetFirmwareFileVersionText(text), S_OK);
    EXPECT_EQ(Narrow(text), "1.0.0.6");
    EXPECT_EQ(s.Posted(), (std::vector<std::string>{"file 1<-0", "file 3<-1"})); // set twice, posted once

    // A file that is there but holds no image is read when it is given, and never offered.
    const std::pair<const char*, std::string> notImages[] = {
        {"text", "Release notes: version 1.0.0.6\n"},
        {"random bytes", std::string("\x8F\x00\xD2\x11\xFE", 5)},
        {"empty", ""},
        {"an odd number of digits", "0003AABBC"},
    };
    for (const auto& [what, content] : notImages)
    {
        SCOPED_TRACE(what);
        EXPECT_EQ(s.engine->SetFirmwareFile(KV::String(s.folder.Write("other.led", content).c_str())),
                  E_FAIL);
        EXPECT_EQ(s.engine->GetFirmwareFileState(), Engine::FileStateVersionUnknown);
        EXPECT_EQ(s.engine->GetFirmwareFileVersionText(text), E_FAIL);
        EXPECT_EQ(s.engine->SetFirmwareFile(KV::String(image.c_str())), S_OK);
    }
}

TEST(EngineInterface, RelativeImagePathIsMadeAbsolute)
{
    EngineScene s;
    s.folder.Write("relative.led", "0000");
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(s.folder.path);
    EXPECT_EQ(s.engine->SetFirmwareFile(KV::String(u"relative.led")), S_OK);
    std::filesystem::current_path(before);
    KV::String path;
    s.engine->GetFirmwareFilePath(path);
    EXPECT_EQ(Narrow(path), (s.folder.path / "relative.led").string());
}

TEST(EngineInterface, ImageAcceptedIsTheImageRead)
{
    EngineScene s;
    std::filesystem::create_directory(s.folder.path / "sub");
    s.folder.Write("sub/fw.led", "0003AABBCC");
    s.folder.Write("a\\b.led", "0003AABBCC"); // a name that holds a backslash
    std::string rooted = s.folder.path.string() + "/sub/fw.led";
    std::replace(rooted.begin(), rooted.end(), '/', '\\');
    const std::pair<std::string, bool> rows[] = {
        {"sub\\fw.led", true},    {".\\sub\\fw.led", true}, {s.folder.path.string() + "\\sub\\fw.led", true},
        {rooted, true},           {"a\\b.led", true}, // a Linux name that exists is taken as it stands
        {"sub\\gone.led", false},
    };
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(s.folder.path);
    for (const auto& [spelling, usable] : rows)
    {
        SCOPED_TRACE(spelling);
        const bool accepted = s.engine->SetFirmwareFile(KV::String(spelling.c_str())) == S_OK;
        KV::String path;
        s.engine->GetFirmwareFilePath(path);
        DeviceMessages::Bytes image;
        const bool read = FirmwareImageFile::LoadImage(path, image) == S_OK;
        EXPECT_EQ(accepted, usable);
        EXPECT_EQ(read, usable);
    }
    std::filesystem::current_path(before);
}

TEST(EngineInterface, UpdateResultAndCompletionWait)
{
    EngineScene s;
    s.Define();
    s.engine->mToFind = {{true}};
    s.engine->ScanForDevices();
    s.engine->SetFirmwareFile(KV::String(s.folder.Write("image.led", "0000").c_str()));

    KV::TrafficLight release;
    s.engine->mPerform = [&] {
        release.Wait(KV::INFINITE_WAIT);
        return S_OK;
    };
    ASSERT_EQ(s.engine->StartUpdate(), S_OK);
    // Running from the moment StartUpdate returns: the wait cannot end early.
    EXPECT_EQ(s.engine->GetUpdateResult(true), Engine::UpdateResultRunning);
    EXPECT_EQ(s.engine->WaitForUpdateCompletion(0), E_FAIL);
    EXPECT_EQ(s.engine->GetUpdateResult(true), Engine::UpdateResultRunning); // never reset while running
    release.Set();
    EXPECT_EQ(s.engine->WaitForUpdateCompletion(KV::INFINITE_WAIT), S_OK);
    EXPECT_EQ(s.engine->GetUpdateResult(true), Engine::UpdateResultSucceeded);
    EXPECT_EQ(s.engine->GetUpdateResult(true), Engine::UpdateResultNone);
    EXPECT_EQ(s.engine->WaitForUpdateCompletion(0), S_OK); // nothing runs

    auto posted = s.Posted();
    EXPECT_EQ(std::count(posted.begin(), posted.end(), "completed 1"), 1);
}

TEST(EngineInterface, StartUpdateRefusals)
{
    EngineScene s;
    s.Define();
    s.engine->mToFind = {{false}};
    s.engine->ScanForDevices();
    s.engine->SetFirmwareFile(KV::String(s.folder.Write("image.led", "0000").c_str()));
    EXPECT_EQ(s.engine->StartUpdate(), E_FAIL); // state 5
    s.engine->mToFind = {{true}};
    s.engine->ScanForDevices();
    s.engine->SetFirmwareFile(KV::String(u"/no/such/image.led"));
    EXPECT_EQ(s.engine->StartUpdate(), E_FAIL); // file state 1
    EXPECT_EQ(s.engine->GetDeviceState(), Engine::DeviceStateReadyForUpdate);
    EXPECT_EQ(s.engine->GetUpdateResult(false), Engine::UpdateResultNone);
}
