#include "IniFileExports.h"
#include "IniText.h"
#include "NamedPipe.h"
#include "TemporaryFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <optional>
#include <dlfcn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

class IniFileManagerTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        for (int32_t handle : mHandles)
            CloseIniFile(handle, 0);
    }

    int32_t Open(const std::string& path)
    {
        int32_t handle = -1;
        EXPECT_EQ(OpenIniFile(path.c_str(), "1_0_0", "Updater", &handle), INI_OK) << path;
        EXPECT_NE(handle, 0);
        mHandles.push_back(handle);
        return handle;
    }

    void Close(int32_t handle)
    {
        EXPECT_EQ(CloseIniFile(handle, 0), INI_OK);
        std::erase(mHandles, handle);
    }

    static std::string GetText(int32_t handle, const char* path, const char* fallback = "")
    {
        std::vector<char> buffer(64 * 1024);
        int32_t needed = 0;
        const int32_t result = GetIniValueStr(handle, path, fallback, buffer.data(),
                                              static_cast<int32_t>(buffer.size()), &needed);
        EXPECT_GE(result, 0) << path;
        return buffer.data();
    }

    static int32_t GetInt(int32_t handle, const char* path, int32_t fallback, int32_t* result = nullptr)
    {
        int32_t value = 0;
        const int32_t answer = GetIniValueInt(handle, path, fallback, &value);
        if (result)
            *result = answer;
        return value;
    }

    TemporaryFolder mFolder;
    std::vector<int32_t> mHandles;
};

TEST_F(IniFileManagerTest, ValuesPersistAtOnceAndAcrossReopening)
{
    const std::string path = mFolder / "UserSettings.ini";
    int32_t handle = Open(path);
    ASSERT_EQ(SetIniValueInt(handle, "CurrentSkinIndex", 2), INI_OK);
    ASSERT_EQ(SetIniValueStr(handle, "Window/Main/Title", "Z\xC3\xBCrich \xF0\x9F\x98\x80"), INI_OK);
    ASSERT_EQ(SetArrayItemAt(handle, "Recent/Files", 0, "a.led"), INI_OK);
    ASSERT_EQ(SetArrayItemAt(handle, "Recent/Files", 1, "b.led"), INI_OK);

    // On the disk before anyone writes or closes: the program never does either.
    std::optional<KV::IniFile::Document> onDisk = KV::IniFile::ParseIniText(TemporaryFolder::ReadFile(path));
    ASSERT_TRUE(onDisk);
    EXPECT_EQ(onDisk->FindEntry(*KV::IniFile::SplitKeyPath("CurrentSkinIndex"), false)->value, "2");

    ::chmod(path.c_str(), 0600);
    ASSERT_EQ(SetIniValueInt(handle, "CurrentSkinIndex", -7), INI_OK);
    struct stat info
    {
    };
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u) << "a rewrite keeps the file's permissions";

    Close(handle);
    handle = Open(path);
    EXPECT_EQ(GetInt(handle, "CurrentSkinIndex", 0), -7);
    EXPECT_EQ(GetText(handle, "Window\\Main\\Title"), "Z\xC3\xBCrich \xF0\x9F\x98\x80");
    int32_t count = 0;
    EXPECT_EQ(GetArrayCount(handle, "Recent/Files", &count), INI_OK);
    EXPECT_EQ(count, 2);
}

TEST_F(IniFileManagerTest, MissingOrUnusableValuesGiveTheDefault)
{
    const std::string path = mFolder / "AppSettings.ini";
    TemporaryFolder::WriteFile(path, "Text=abc\nHuge=99999999999\nSkin=3\n");
    const int32_t handle = Open(path);

    struct Case
    {
        int32_t handle;
        const char* path;
        int32_t expectedResult;
        int32_t expectedValue;
    };
    const Case cases[] = {
        {handle, "Skin", INI_OK, 3},
        {handle, "CurrentSkinIndex", INI_NOT_FOUND, 42},
        {handle, "No/Such/Key", INI_NOT_FOUND, 42},
        {handle, "Text", INI_NOT_AN_INTEGER, 42},
        {handle, "Huge", INI_NOT_AN_INTEGER, 42},
        {handle, "bad//path", INI_INVALID_ARGUMENT, 42},
        {handle + 1000, "Skin", INI_INVALID_HANDLE, 42},
        {0, "Skin", INI_INVALID_HANDLE, 42},
    };
    for (const Case& c : cases)
    {
        int32_t result = 0;
        EXPECT_EQ(GetInt(c.handle, c.path, 42, &result), c.expectedValue) << c.path;
        EXPECT_EQ(result, c.expectedResult) << c.path;
    }

    char buffer[32] = "junk";
    int32_t needed = 0;
    EXPECT_EQ(GetIniValueStr(handle, "Missing", "fallback", buffer, sizeof buffer, &needed), INI_NOT_FOUND);
    EXPECT_STREQ(buffer, "fallback");
    EXPECT_EQ(GetIniValueStr(0, "Text", "fallback", buffer, sizeof buffer, &needed), INI_INVALID_HANDLE);
    EXPECT_STREQ(buffer, "fallback");
}

TEST_F(IniFileManagerTest, ShortBufferAnswersTheSizeNeeded)
{
    const int32_t handle = Open(mFolder / "UserSettings.ini");
    std::string value;
    for (int i = 0; i < 1000; ++i)
        value += "\xE2\x82\xAC"; // 3000 bytes of UTF-8
    ASSERT_EQ(SetIniValueStr(handle, "Long", value.c_str()), INI_OK);

    std::vector<char> buffer(1024, 'x');
    int32_t needed = 0;
    ASSERT_EQ(GetIniValueStr(handle, "Long", "", buffer.data(), 1024, &needed), INI_BUFFER_TOO_SMALL);
    EXPECT_EQ(needed, 3001);
    EXPECT_EQ(buffer[0], '\0') << "a short buffer holds no partial text";

    buffer.assign(static_cast<size_t>(needed), 'x');
    ASSERT_EQ(GetIniValueStr(handle, "Long", "", buffer.data(), needed, &needed), INI_OK);
    EXPECT_EQ(std::string(buffer.data()), value);

    // The other text getters follow the same rule.
    ASSERT_EQ(SetArrayItemAt(handle, "List", 0, value.c_str()), INI_OK);
    EXPECT_EQ(GetArrayItemAt(handle, "List", 0, buffer.data(), 1024, &needed), INI_BUFFER_TOO_SMALL);
    EXPECT_EQ(needed, 3001);
    EXPECT_EQ(GetKeyNameAt(handle, "", 0, buffer.data(), 4, &needed), INI_BUFFER_TOO_SMALL);
    EXPECT_EQ(needed, 5);
}

TEST_F(IniFileManagerTest, KeysArraysAndNodes)
{
    const int32_t handle = Open(mFolder / "UserSettings.ini");
    ASSERT_EQ(SetIniValueStr(handle, "Top", "1"), INI_OK);
    ASSERT_EQ(SetIniValueStr(handle, "Window/Main/Width", "640"), INI_OK);
    ASSERT_EQ(SetIniValueStr(handle, "Window/Main/Height", "480"), INI_OK);
    ASSERT_EQ(SetArrayCount(handle, "Window/Main/Recent", 3), INI_OK);
    ASSERT_EQ(SetArrayItemAt(handle, "Window/Main/Recent", 1, "b"), INI_OK);
    ASSERT_EQ(SetArrayItemAt(handle, "Window/Main/Recent", 4, "beyond the end"), INI_OUT_OF_RANGE);

    int32_t count = -1;
    EXPECT_EQ(GetKeyCount(handle, "Window/Main", &count), INI_OK);
    EXPECT_EQ(count, 2) << "arrays are not keys";
    const char* expectedNames[] = {"Width", "Height"};
    for (int32_t i = 0; i < 2; ++i)
    {
        char name[16];
        int32_t needed = 0;
        EXPECT_EQ(GetKeyNameAt(handle, "Window/Main", i, name, sizeof name, &needed), INI_OK);
        EXPECT_STREQ(name, expectedNames[i]);
    }
    char name[16] = "junk";
    int32_t needed = 0;
    EXPECT_EQ(GetKeyNameAt(handle, "Window/Main", 2, name, sizeof name, &needed), INI_OUT_OF_RANGE);
    EXPECT_STREQ(name, "");
    EXPECT_EQ(GetKeyCount(handle, "Nowhere", &count), INI_NOT_FOUND);
    EXPECT_EQ(count, 0);

    ASSERT_EQ(RemoveArrayItemAt(handle, "Window/Main/Recent", 0), INI_OK);
    EXPECT_EQ(GetArrayCount(handle, "Window/Main/Recent", &count), INI_OK);
    EXPECT_EQ(count, 2);
    char item[16];
    EXPECT_EQ(GetArrayItemAt(handle, "Window/Main/Recent", 0, item, sizeof item, &needed), INI_OK);
    EXPECT_STREQ(item, "b") << "later items move down";
    EXPECT_EQ(GetArrayItemAt(handle, "Window/Main/Recent", 2, item, sizeof item, &needed), INI_OUT_OF_RANGE);

    const std::pair<const char*, bool> nodes[] = {
        {"", true},
        {"Window", true},
        {"Window/Main", true},
        {"Window\\Main", true},
        {"Top", true},
        {"Window/Main/Width", true},
        {"Window/Main/Recent", true},
        {"Win", false},
        {"Window/Mai", false},
        {"Window/Main/Depth", false},
        {"Top/Below", false},
        {"bad//path", false},
    };
    for (const auto& [path, exists] : nodes)
        EXPECT_EQ(DoesNodeExist(handle, path), exists) << path;

    ASSERT_EQ(SetArrayCount(handle, "Window/Main/Recent", 0), INI_OK);
    EXPECT_FALSE(DoesNodeExist(handle, "Window/Main/Recent")) << "an empty array is gone";
}

TEST_F(IniFileManagerTest, HandlesAreNeverZeroAndSharedPerFile)
{
    const std::string path = mFolder / "UserSettings.ini";
    const int32_t first = Open(path);
    const int32_t again = Open(path);
    const int32_t other = Open(mFolder / "AppSettings.ini");
    EXPECT_EQ(first, again);
    EXPECT_NE(first, other);

    Close(again);
    EXPECT_EQ(SetIniValueInt(first, "Still", 1), INI_OK) << "each open needs its own close";
    Close(first);
    EXPECT_EQ(SetIniValueInt(first, "Gone", 1), INI_INVALID_HANDLE);
    EXPECT_EQ(CloseIniFile(first, 0), INI_INVALID_HANDLE);

    const int32_t reopened = Open(path);
    EXPECT_NE(reopened, first) << "a closed handle is not given again";
}

TEST_F(IniFileManagerTest, FileThatCannotBeParsedIsLeftAlone)
{
    const std::vector<std::string> contents = {
        "this is not a settings file\n",
        "[Window\nWidth=640\n",
        std::string("Key=1\n\0\x01\x02", 9),
    };
    for (const std::string& content : contents)
    {
        const std::string path = mFolder / "AppSettings.ini";
        TemporaryFolder::WriteFile(path, content);
        int32_t handle = -1;
        EXPECT_EQ(OpenIniFile(path.c_str(), "1_0_0", "Updater", &handle), INI_UNREADABLE_FILE);
        EXPECT_EQ(handle, 0);
        EXPECT_EQ(SetIniValueInt(handle, "CurrentSkinIndex", 1), INI_INVALID_HANDLE);
        EXPECT_EQ(TemporaryFolder::ReadFile(path), content);
    }
}

TEST_F(IniFileManagerTest, NamedPipeIsRefusedWithoutWaiting)
{
    TestSupport::NamedPipe pipe(mFolder / "UserSettings.ini");
    int32_t handle = -1;
    EXPECT_EQ(OpenIniFile(pipe.Path().c_str(), "1_0_0", "Updater", &handle), INI_IO_ERROR);
    EXPECT_EQ(handle, 0);
    EXPECT_FALSE(pipe.ReleasedAWaitingReader());
}

TEST_F(IniFileManagerTest, FailedWriteChangesNothing)
{
    // The folder does not exist, so the file opens empty but cannot be written.
    const int32_t handle = Open(mFolder / "missing-folder/UserSettings.ini");
    EXPECT_EQ(SetIniValueInt(handle, "CurrentSkinIndex", 5), INI_IO_ERROR);
    EXPECT_EQ(GetInt(handle, "CurrentSkinIndex", 0), 0);
    EXPECT_EQ(SetArrayCount(handle, "List", 2), INI_IO_ERROR);
    EXPECT_FALSE(DoesNodeExist(handle, "List"));
}

// A writer killed at any moment leaves the old or the new contents, never a mixture.
TEST_F(IniFileManagerTest, WriterKilledMidWriteLeavesAWholeFile)
{
    const std::string path = mFolder / "UserSettings.ini";
    // Large values make each write take long enough for kills to land inside writes.
    const std::string valueA(256 * 1024, 'a');
    const std::string valueB(256 * 1024, 'b');
    {
        const int32_t handle = Open(path);
        ASSERT_EQ(SetIniValueStr(handle, "Value", valueA.c_str()), INI_OK);
        Close(handle);
    }

    for (int round = 0; round < 20; ++round)
    {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0)
        {
            ::close(ready[0]);
            int32_t handle = 0;
            OpenIniFile(path.c_str(), "1_0_0", "Updater", &handle);
            for (unsigned i = 0;; ++i)
            {
                SetIniValueStr(handle, "Value", (i % 2 ? valueA : valueB).c_str());
                if (i == static_cast<unsigned>(round % 3))
                    (void)!::write(ready[1], "x", 1);
            }
        }
        ::close(ready[1]);
        char signal = 0;
        const bool started = ::read(ready[0], &signal, 1) == 1;
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        ::close(ready[0]);
        ASSERT_TRUE(started);

        std::optional<KV::IniFile::Document> document =
            KV::IniFile::ParseIniText(TemporaryFolder::ReadFile(path));
        ASSERT_TRUE(document) << "round " << round;
        const KV::IniFile::Entry* entry = document->FindEntry(*KV::IniFile::SplitKeyPath("Value"), false);
        ASSERT_TRUE(entry);
        EXPECT_TRUE(entry->value == valueA || entry->value == valueB) << "round " << round;
    }
}

// Two processes commit keys to one file at the same time: no key of either is lost.
TEST_F(IniFileManagerTest, WritersOfTwoProcessesKeepEachOthersKeys)
{
    const std::string path = mFolder / "UserSettings.ini";
    constexpr int kKeys = 300;
    const auto commit = [&](const char* node) {
        int32_t handle = 0;
        int failures = OpenIniFile(path.c_str(), "1_0_0", "Updater", &handle) == INI_OK ? 0 : 1;
        for (int i = 0; i < kKeys; ++i)
            failures +=
                SetIniValueInt(handle, (std::string(node) + "/Key" + std::to_string(i)).c_str(), i) != INI_OK;
        CloseIniFile(handle, 0);
        return failures;
    };
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
    {
        char start = 0;
        ::close(go[1]);
        (void)!::read(go[0], &start, 1);
        ::_exit(commit("Child") == 0 ? 0 : 1);
    }
    ::close(go[0]);
    (void)!::write(go[1], "x", 1);
    ::close(go[1]);
    EXPECT_EQ(commit("Parent"), 0);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "a change of the child failed";

    std::optional<KV::IniFile::Document> document =
        KV::IniFile::ParseIniText(TemporaryFolder::ReadFile(path));
    ASSERT_TRUE(document);
    for (const char* node : {"Parent", "Child"})
    {
        const KV::IniFile::Node* keys = document->FindNode(node);
        ASSERT_TRUE(keys) << node;
        EXPECT_EQ(keys->entries.size(), static_cast<size_t>(kKeys)) << node;
    }
}

TEST_F(IniFileManagerTest, OneFileUnderSeveralSpellingsIsOneDocument)
{
    std::filesystem::create_directory(mFolder / "sub");
    const std::string plain = mFolder / "sub/UserSettings.ini";
    const int32_t handle = Open(plain);
    ASSERT_EQ(SetIniValueInt(handle, "Key", 7), INI_OK);
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(mFolder / "sub");
    const std::string spellings[] = {
        mFolder / "sub//UserSettings.ini",
        mFolder / "sub/./UserSettings.ini",
        mFolder / "sub/../sub/UserSettings.ini",
        mFolder / "sub\\UserSettings.ini",
        "UserSettings.ini",
        "./UserSettings.ini",
    };
    for (const std::string& spelling : spellings)
    {
        SCOPED_TRACE(spelling);
        EXPECT_EQ(Open(spelling), handle);
    }
    std::filesystem::current_path(before);
    EXPECT_EQ(GetInt(handle, "Key", 0), 7);
}

TEST_F(IniFileManagerTest, LinkedFileIsWrittenThroughToItsTarget)
{
    std::filesystem::create_directory(mFolder / "real");
    const std::string target = mFolder / "real/UserSettings.ini";
    TemporaryFolder::WriteFile(target, "Kept=1\n");
    const std::string link = mFolder / "UserSettings.ini";
    std::filesystem::create_symlink("real/UserSettings.ini", link);

    const int32_t handle = Open(link);
    ASSERT_EQ(SetIniValueInt(handle, "Added", 2), INI_OK);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    std::optional<KV::IniFile::Document> document =
        KV::IniFile::ParseIniText(TemporaryFolder::ReadFile(target));
    ASSERT_TRUE(document);
    EXPECT_TRUE(document->FindEntry(*KV::IniFile::SplitKeyPath("Kept"), false));
    EXPECT_TRUE(document->FindEntry(*KV::IniFile::SplitKeyPath("Added"), false));
}

TEST_F(IniFileManagerTest, TemporariesOfKilledWritersAreRemovedAtOpening)
{
    const pid_t gone = ::fork();
    ASSERT_GE(gone, 0);
    if (gone == 0)
        ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const std::string path = mFolder / "UserSettings.ini";
    const std::string stale = path + ".tmp-" + std::to_string(gone) + "-0";
    const std::string running = path + ".tmp-" + std::to_string(::getppid()) + "-0";
    const std::string otherFile = mFolder / ("AppSettings.ini.tmp-" + std::to_string(gone) + "-0");
    for (const std::string& file : {stale, running, otherFile})
        TemporaryFolder::WriteFile(file, "Half=");

    Open(path);
    EXPECT_FALSE(std::filesystem::exists(stale));
    EXPECT_TRUE(std::filesystem::exists(running)) << "its writer still runs";
    EXPECT_TRUE(std::filesystem::exists(otherFile)) << "it belongs to another file";
}

// The program binds the exports by name from the library file beside it.
TEST(IniFileLibrary, ExportsAreFoundByName)
{
    void* library = ::dlopen(KV_INI_LIBRARY_FILE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_TRUE(library) << ::dlerror();
    const char* names[] = {"OpenIniFile",    "WriteIniFile",   "CloseIniFile",     "DoesNodeExist",
                           "GetIniValueInt", "SetIniValueInt", "GetIniValueStr",   "SetIniValueStr",
                           "GetKeyCount",    "GetKeyNameAt",   "GetArrayCount",    "SetArrayCount",
                           "GetArrayItemAt", "SetArrayItemAt", "RemoveArrayItemAt"};
    for (const char* name : names)
        EXPECT_TRUE(::dlsym(library, name)) << name;

    TemporaryFolder folder;
    const std::string path = folder / "UserSettings.ini";
    auto open = reinterpret_cast<OpenIniFileFn>(::dlsym(library, "OpenIniFile"));
    auto setInt = reinterpret_cast<SetIniValueIntFn>(::dlsym(library, "SetIniValueInt"));
    auto getInt = reinterpret_cast<GetIniValueIntFn>(::dlsym(library, "GetIniValueInt"));
    auto close = reinterpret_cast<CloseIniFileFn>(::dlsym(library, "CloseIniFile"));
    int32_t handle = 0;
    ASSERT_EQ(open(path.c_str(), "1_0_0", "Updater", &handle), INI_OK);
    EXPECT_EQ(setInt(handle, "CurrentSkinIndex", 4), INI_OK);
    int32_t value = 0;
    EXPECT_EQ(getInt(handle, "CurrentSkinIndex", 0, &value), INI_OK);
    EXPECT_EQ(value, 4);
    EXPECT_EQ(close(handle, 0), INI_OK);
    ::dlclose(library);
}

} // namespace
