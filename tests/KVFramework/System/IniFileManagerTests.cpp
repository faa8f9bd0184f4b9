#include "System/IniFileManager.h"

#include "TemporaryFolder.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace KV;

namespace {

// INI_NOT_FOUND of the settings library: the default was given.
constexpr KVRESULT kNotFound = 1;

String Wide(const std::string& utf8)
{
    return String(utf8.c_str());
}

std::string Utf8(const String& text)
{
    return std::string(text.ToNarrow().View());
}

class SettingsStoreTest : public ::testing::Test
{
protected:
    void TearDown() override { mStore->Unload(); }

    RCPtr<LIniFileManager> mStore = LIniFileManager::Create();
    TemporaryFolder mFolder;
};

TEST_F(SettingsStoreTest, LoadsFromTheExecutablesFolderWhenGivenNone)
{
    EXPECT_EQ(mStore->Load(String()), S_OK);
    EXPECT_EQ(mStore->Load(String()), S_FALSE);
    EXPECT_EQ(mStore->Unload(), S_OK);
    EXPECT_EQ(mStore->Unload(), S_FALSE);
    // Loadable again after an unload.
    EXPECT_EQ(mStore->Load(String()), S_OK);
}

TEST_F(SettingsStoreTest, AddsASeparatorOnlyWhereTheFolderLacksOne)
{
    const std::string folder = KV_REAL_LIBRARY_FOLDER;
    for (const std::string& given : {folder, folder + "/", folder + "\\"})
    {
        EXPECT_EQ(mStore->Load(Wide(given)), S_OK) << given;
        EXPECT_EQ(mStore->Unload(), S_OK) << given;
    }
}

TEST_F(SettingsStoreTest, ValuesPersistAcrossAnUnloadAndAReload)
{
    // Longer than the first buffer of 1024 bytes, with characters of two and four bytes.
    const std::string piece = "caf\xC3\xA9 \xF0\x9F\x8E\xB9 ";
    std::string longText;
    while (longText.size() + piece.size() <= 3000)
        longText += piece;
    longText.resize(3000, '.');
    // The application names its files with a backslash before the file name.
    const String path = Wide(mFolder / "").Concat(u"\\UserSettings.ini");

    ASSERT_EQ(mStore->Load(String()), S_OK);
    int32_t handle = 0;
    ASSERT_EQ(mStore->OpenIniFile(path, u"1_0_0", u"Updater", handle), S_OK);
    EXPECT_NE(handle, 0);
    EXPECT_EQ(mStore->SetIniValueInt(handle, u"CurrentSkinIndex", 2), S_OK);
    EXPECT_EQ(mStore->SetIniValueStr(handle, u"Long", Wide(longText)), S_OK);
    EXPECT_EQ(mStore->SetArrayItemAt(handle, u"Recent", 0, Wide(longText)), S_OK);
    // Nobody writes or closes: the library keeps every change on disk at once.
    ASSERT_EQ(mStore->Unload(), S_OK);

    ASSERT_EQ(mStore->Load(String()), S_OK);
    ASSERT_EQ(mStore->OpenIniFile(path, u"1_0_0", u"Updater", handle), S_OK);
    int32_t skin = -1;
    EXPECT_EQ(mStore->GetIniValueInt(handle, u"CurrentSkinIndex", 0, skin), S_OK);
    EXPECT_EQ(skin, 2);
    String text;
    EXPECT_EQ(mStore->GetIniValueStr(handle, u"Long", u"", text), S_OK);
    EXPECT_TRUE(Utf8(text) == longText) << Utf8(text).size() << " bytes";
    String item;
    EXPECT_EQ(mStore->GetArrayItemAt(handle, u"Recent", 0, item), S_OK);
    EXPECT_TRUE(Utf8(item) == longText) << Utf8(item).size() << " bytes";

    int32_t missing = -1;
    EXPECT_EQ(mStore->GetIniValueInt(handle, u"NoSuchKey", 5, missing), kNotFound);
    EXPECT_EQ(missing, 5);
    String missingText;
    EXPECT_EQ(mStore->GetIniValueStr(handle, u"NoSuchText", u"fallback", missingText), kNotFound);
    EXPECT_TRUE(missingText == u"fallback");
}

TEST_F(SettingsStoreTest, WithoutTheLibraryEveryOperationFailsAndLeavesItsDefault)
{
    EXPECT_EQ(mStore->Load(Wide(mFolder / "")), E_FAIL);

    int32_t handle = 9;
    EXPECT_EQ(mStore->OpenIniFile(u"x.ini", u"1_0_0", u"Updater", handle), E_FAIL);
    EXPECT_EQ(handle, 0);
    int32_t value = 0;
    EXPECT_EQ(mStore->GetIniValueInt(1, u"CurrentSkinIndex", 3, value), E_FAIL);
    EXPECT_EQ(value, 3);
    String text = u"old";
    EXPECT_EQ(mStore->GetIniValueStr(1, u"Key", u"default", text), E_FAIL);
    EXPECT_TRUE(text == u"default");
    int32_t count = 9;
    EXPECT_EQ(mStore->GetKeyCount(1, u"", count), E_FAIL);
    EXPECT_EQ(count, 0);
    count = 9;
    EXPECT_EQ(mStore->GetArrayCount(1, u"List", count), E_FAIL);
    EXPECT_EQ(count, 0);
    String name = u"old";
    EXPECT_EQ(mStore->GetKeyNameAt(1, u"", 0, name), E_FAIL);
    EXPECT_TRUE(name.IsEmpty());
    String item = u"old";
    EXPECT_EQ(mStore->GetArrayItemAt(1, u"List", 0, item), E_FAIL);
    EXPECT_TRUE(item.IsEmpty());
    EXPECT_FALSE(mStore->DoesNodeExist(1, u""));

    const std::function<KVRESULT()> plainOperations[] = {
        [&] { return mStore->WriteIniFile(1); },
        [&] { return mStore->CloseIniFile(1, 0); },
        [&] { return mStore->SetIniValueInt(1, u"Key", 1); },
        [&] { return mStore->SetIniValueStr(1, u"Key", u"text"); },
        [&] { return mStore->SetArrayCount(1, u"List", 2); },
        [&] { return mStore->SetArrayItemAt(1, u"List", 0, u"text"); },
        [&] { return mStore->RemoveArrayItemAt(1, u"List", 0); },
    };
    for (const auto& operation : plainOperations)
        EXPECT_EQ(operation(), E_FAIL);
    EXPECT_EQ(mStore->Unload(), S_FALSE);
}

TEST_F(SettingsStoreTest, ALibraryWithOnlySomeExportsIsLetGo)
{
    EXPECT_EQ(mStore->Load(Wide(KV_PARTIAL_LIBRARY_FOLDER)), E_FAIL);
    // Nothing of it stays bound: its exports that exist are not called either.
    int32_t value = 0;
    EXPECT_EQ(mStore->GetIniValueInt(7, u"Key", 3, value), E_FAIL);
    EXPECT_EQ(value, 3);
    EXPECT_EQ(mStore->Unload(), S_FALSE);
    EXPECT_EQ(mStore->Load(Wide(KV_REAL_LIBRARY_FOLDER)), S_OK);
}

TEST_F(SettingsStoreTest, TextsFromAMisbehavingLibraryStayInsideTheirBuffers)
{
    ASSERT_EQ(mStore->Load(Wide(KV_MISBEHAVING_LIBRARY_FOLDER)), S_OK);
    using Getter = std::function<KVRESULT(const String& path, String& text)>;
    const std::pair<const char*, Getter> getters[] = {
        {"value",
         [&](const String& path, String& text) { return mStore->GetIniValueStr(7, path, u"default", text); }},
        {"key name",
         [&](const String& path, String& text) { return mStore->GetKeyNameAt(7, path, 0, text); }},
        {"array item",
         [&](const String& path, String& text) { return mStore->GetArrayItemAt(7, path, 0, text); }},
    };
    struct Case
    {
        const char* path;
        KVRESULT result;
        std::string text; // "" stands for the text the operation prepared
    };
    const Case cases[] = {
        // The first buffer is read up to its last byte, which becomes the terminator.
        {"unterminated", S_OK, std::string(1023, 'x')},
        // Sizes that no text can have are refused rather than allocated.
        {"needs-nothing", E_FAIL, ""},
        {"needs-less-than-nothing", E_FAIL, ""},
        {"needs-too-much", E_FAIL, ""},
        // The second buffer, too, ends in a zero within its size.
        {"second-unterminated", S_OK, std::string(1999, 'y')},
        // A text that grew meanwhile: what the second call wrote, and its result.
        {"grows", -2, "part"},
    };
    for (const auto& [operation, get] : getters)
        for (const Case& c : cases)
        {
            String text = u"unchanged";
            EXPECT_EQ(get(Wide(c.path), text), c.result) << operation << " " << c.path;
            const std::string expected = !c.text.empty()                     ? c.text
                                         : std::string(operation) == "value" ? "default"
                                                                             : "";
            EXPECT_EQ(Utf8(text), expected) << operation << " " << c.path;
        }
}

} // namespace
