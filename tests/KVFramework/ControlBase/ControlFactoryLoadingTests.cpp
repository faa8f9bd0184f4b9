// Loading documents: from the executable's resources and from a folder, UTF-16 string
// tables, and the language the string tables fall back to.

#include "ControlFactoryTestSupport.h"

#include <filesystem>

using namespace factorytest;

namespace {

// A string-table document with one table "|App" whose strings have texts in the given
// languages: each entry is an ID and the LCID attribute values of its texts.
std::string
StringTableDocument(std::initializer_list<std::pair<const char*, std::vector<const char*>>> strings)
{
    std::string document =
        "<Korvan_StringTable_Definitions><Application Name=\"App\"><StringTable ID=\"|App\">";
    for (const auto& [id, lcids] : strings)
    {
        document += std::string("<String ID=\"") + id + "\">";
        for (const char* lcid : lcids)
            document += std::string("<Locale LCID=\"") + lcid + "\">" + id + "@" + lcid + "</Locale>";
        document += "</String>";
    }
    return document + "</StringTable></Application></Korvan_StringTable_Definitions>";
}

std::string FrameworkDocument(std::initializer_list<const char*> lcids)
{
    std::string document = "<r><StringTable ID=\"Framework\"><String ID=\"TEXT\">";
    for (const char* lcid : lcids)
        document += std::string("<Locale LCID=\"") + lcid + "\">" + lcid + "</Locale>";
    return document + "</String></StringTable></r>";
}

} // namespace

TEST(ControlFactoryLoading, StringTablesOfTheResourcesInUtf16WithAndWithoutByteOrderMark)
{
    const RCPtr<LControlFactory> factory = LoadFixtureFactory();
    EXPECT_EQ(factory->GetWantedLcid(), 0x0009); // 0x0409 had no texts; its primary language has
    const RCPtr<LStringTable> app = factory->GetAppStringTable();
    ASSERT_TRUE(app);
    EXPECT_EQ(TextOf(app, u"GREETING"), "Hello");
    EXPECT_EQ(TextOf(app, u"TWO"), "first and second"); // two texts of one language, joined
    EXPECT_EQ(TextOf(app, u"ONLY_GERMAN"), "<none>");
    EXPECT_EQ(TextOf(app, u"NON_ASCII"), "\xC3\x9C"
                                         "ber \xF0\x9F\x98\x80");
    EXPECT_EQ(TextOf(factory->GetFrameworkStringTable(), u"STARTUP_ERROR"), "Start-up failed");

    EXPECT_EQ(TextOf(factory->GetStringTable(nullptr, String(u"mainControl")), u"GHK.NID_APP_EXIT_REQ"),
              "Alt+VKEY_F4");
    const RCPtr<LControlDescriptor> mainControl = LControlDescriptor::Create(
        String(u"FirmwareUpdater.MainControl"), String(u"mainControl"), factory->GetCurrentSkin());
    EXPECT_EQ(TextOf(factory->GetStringTable(mainControl.Get(), String(u"buttonExit")), u"LABEL"),
              "EXIT & quit");
    EXPECT_FALSE(factory->GetStringTable(nullptr, String(u"toolTip"))); // "Spillway|toolTip" is none

    // Handed-out tables are copies.
    app->SetString(String(u"GREETING"), String(u"changed"));
    EXPECT_EQ(TextOf(factory->GetAppStringTable(), u"GREETING"), "Hello");
}

TEST(ControlFactoryLoading, AFolderGivesTheSameAsTheResourcesAndKeepsTheCaseOfImageNames)
{
    TemporaryFolder folder;
    for (const char* name : {"StringTables.xml", "FrameworkStrings.xml", "Skins.xml"})
        std::filesystem::copy_file(std::string(KV_SKIN_FIXTURE_FOLDER) + "/" + name, folder / name);
    const String path = Wide(folder / "");
    const RCPtr<LControlFactory> factory = LControlFactory::Create(String(u"Product"));
    ASSERT_EQ(factory->LoadResources(Wide((folder / "").substr(0, (folder / "").size() - 1)), 0x0409), S_OK);
    EXPECT_EQ(factory->GetResourceFolder(), path);
    EXPECT_EQ(factory->GetSkins().GetCount(), 2u);
    EXPECT_EQ(TextOf(factory->GetAppStringTable(), u"GREETING"), "Hello");
    EXPECT_EQ(TextOf(factory->GetFrameworkStringTable(), u"STARTUP_ERROR"), "Start-up failed");
    const RCPtr<LVisualPartDescriptor> background = factory->GetParts().at(String(u"Background"));
    EXPECT_EQ(background->mImage.mFile, path.Concat(String(u"Background Main.PNG")));
    EXPECT_EQ(background->mMask.mFile, path.Concat(String(u"Mask.PNG")));
}

TEST(ControlFactoryLoading, MissingDocuments)
{
    TemporaryFolder folder;
    const RCPtr<LControlFactory> factory = LControlFactory::Create(String(u"App"));
    // A missing resource is skipped; a missing skin fails.
    EXPECT_EQ(factory->LoadStringTables(String(u"::NO_SUCH"), String(u"::NONE_EITHER"), 0x0407), S_OK);
    EXPECT_EQ(factory->GetWantedLcid(), 0x0407);
    EXPECT_EQ(factory->LoadXMLDocument(String(u"::NO_SUCH")), E_FAIL);
    EXPECT_EQ(factory->LoadXMLDocument(Wide(folder / "missing.xml")), E_FAIL);
    // A string-table file that cannot be opened throws its file error.
    EXPECT_THROW(factory->LoadStringTables(Wide(folder / "missing.xml"), String(u"::NONE"), 9),
                 Exception<std::runtime_error>);
    // A folder without the documents.
    EXPECT_THROW(factory->LoadResources(Wide(folder / "nothing"), 9), Exception<std::runtime_error>);
    // An empty skin file is no document.
    TemporaryFolder::WriteFile(folder / "empty.xml", "");
    EXPECT_EQ(factory->LoadXMLDocument(Wide(folder / "empty.xml")), E_FAIL);
}

TEST(ControlFactoryLoading, ADocumentNameStandsForTheResourceOfItsUpperCaseName)
{
    const RCPtr<LControlFactory> factory = LControlFactory::Create(String(u"App"));
    ASSERT_EQ(factory->LoadXMLDocument(String(u"::my skin.v2.xml")), S_OK);
    ASSERT_TRUE(factory->FindControlDescriptor(String(u"tiny")));
    EXPECT_EQ(factory->GetCurrentSkin()->mName, u"App");
}

TEST(ControlFactoryLoading, TheLanguageFallsBackToItsPrimaryLanguageThenToEnglish)
{
    const struct
    {
        const char* what;
        int32_t userLcid;
        std::string appDocument;
        std::string frameworkDocument;
        int32_t language;
        std::vector<std::pair<const char16_t*, const char*>> appTexts;
        const char* frameworkText;
    } cases[] = {
        {"German user, no German application texts: English for both, though the framework has German",
         0x0407,
         StringTableDocument({{"A", {"0x0009", "0x0004"}}, {"B", {"9"}}}),
         FrameworkDocument({"0x0007", "0x0009"}),
         0x0009,
         {{u"A", "A@0x0009"}, {u"B", "B@9"}},
         "0x0009"},
        {"Hong Kong user: traditional Chinese, not simplified",
         0x0C04,
         StringTableDocument({{"A", {"0x0004", "0x7C04"}}}),
         FrameworkDocument({"0x7C04"}),
         0x7C04,
         {{u"A", "A@0x7C04"}},
         "0x7C04"},
        {"PRC user: only the strings with simplified texts; the framework follows",
         0x0804,
         StringTableDocument({{"A", {"4"}}, {"B", {"9"}}}),
         FrameworkDocument({"9", "4"}),
         0x0004,
         {{u"A", "A@4"}, {u"B", "<none>"}},
         "4"},
        {"the framework falls back to English on its own",
         0x0007,
         StringTableDocument({{"A", {"7"}}}),
         FrameworkDocument({"9"}),
         0x0009,
         {{u"A", "A@7"}},
         "9"},
        {"a Locale before any StringTable counts for nothing",
         0x0007,
         "<r><String ID=\"A\"><Locale LCID=\"7\">lost</Locale></String><StringTable ID=\"|App\"><String "
         "ID=\"A\"><Locale LCID=\"9\">kept</Locale></String></StringTable></r>",
         FrameworkDocument({"9"}),
         0x0009,
         {{u"A", "kept"}},
         "9"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        TemporaryFolder folder;
        TemporaryFolder::WriteFile(folder / "app.xml", Utf16LE(c.appDocument, false));
        TemporaryFolder::WriteFile(folder / "framework.xml", c.frameworkDocument);
        const RCPtr<LControlFactory> factory = LControlFactory::Create(String(u"App"));
        ASSERT_EQ(
            factory->LoadStringTables(Wide(folder / "app.xml"), Wide(folder / "framework.xml"), c.userLcid),
            S_OK);
        EXPECT_EQ(factory->GetWantedLcid(), c.language);
        for (const auto& [key, text] : c.appTexts)
            EXPECT_EQ(TextOf(factory->GetAppStringTable(), key), text);
        EXPECT_EQ(TextOf(factory->GetFrameworkStringTable(), u"TEXT"), c.frameworkText);
    }
}

TEST(ControlFactoryLoading, AMalformedStringTableKeepsWhatWasReadAndLoadingGoesOn)
{
    TemporaryFolder folder;
    TemporaryFolder::WriteFile(folder / "app.xml",
                               "<r><StringTable ID=\"|App\"><String ID=\"A\"><Locale LCID=\"9\">a</Locale>"
                               "</String><String ID=\"B\"><Locale LCID=\"9\">b</Broken></r>");
    TemporaryFolder::WriteFile(folder / "framework.xml", FrameworkDocument({"9"}));
    const RCPtr<LControlFactory> factory = LControlFactory::Create(String(u"App"));
    EXPECT_EQ(factory->LoadStringTables(Wide(folder / "app.xml"), Wide(folder / "framework.xml"), 9), S_OK);
    EXPECT_EQ(TextOf(factory->GetAppStringTable(), u"A"), "a");
    EXPECT_EQ(TextOf(factory->GetFrameworkStringTable(), u"TEXT"), "9");
    EXPECT_EQ(Narrow(factory->GetLastParseError().mText), "mismatched tag");
}
