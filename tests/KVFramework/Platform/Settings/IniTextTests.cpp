#include "IniText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace KV::IniFile;

namespace {

std::string ValueAt(const Document& document, const std::string& path)
{
    const Entry* entry = document.FindEntry(*SplitKeyPath(path), false);
    return entry ? entry->value : "<missing>";
}

} // namespace

TEST(IniText, ReadsWhatPeopleAndOtherEditorsWrite)
{
    const std::string text = "\xEF\xBB\xBF; written by hand\r\n"
                             "# another comment\n"
                             "  CurrentSkinIndex =  2  \r\n"
                             "Folder=C:\\Tools\\Data\n"
                             "Padded=\"  both ends  \"\n"
                             "Lines=one\\ntwo\\\\three\n"
                             "Empty=\n"
                             "Twice=first\n"
                             "Twice=second\n"
                             "\n"
                             "[ Window\\Main ]\n"
                             "Width=640\n"
                             "Recent[]=a.led\n"
                             "Recent[]=b.led\n"
                             "[Window]\n"
                             "Title=Z\xC3\xBC"
                             "rich\n"
                             "[Window/Main]\n"
                             "Height=480";
    std::optional<Document> document = ParseIniText(text);
    ASSERT_TRUE(document);

    const std::vector<std::pair<std::string, std::string>> expected = {
        {"CurrentSkinIndex", "2"},         {"Folder", "C:\\Tools\\Data"}, // unknown escapes stay as written
        {"Padded", "  both ends  "},       {"Lines", "one\ntwo\\three"},   {"Empty", ""}, {"Twice", "second"},
        {"Window/Main/Width", "640"},      {"Window\\Main/Height", "480"}, // a node met twice is one node
        {"Window/Title", "Z\xC3\xBCrich"},
    };
    for (const auto& [path, value] : expected)
        EXPECT_EQ(ValueAt(*document, path), value) << path;

    const Entry* recent = document->FindEntry(*SplitKeyPath("Window/Main/Recent"), true);
    ASSERT_TRUE(recent);
    EXPECT_EQ(recent->items, (std::vector<std::string>{"a.led", "b.led"}));
    EXPECT_EQ(document->GetNodes().size(), 3u);
}

TEST(IniText, RefusesTextsThatAreNotSettingsFiles)
{
    const std::vector<std::string> texts = {
        "no equals sign here\n",
        "[Unclosed\nkey=1\n",
        "[]\nkey=1\n",
        "[a//b]\n",
        "=value without a name\n",
        "key=1\nzero\0byte=2\n",
        "list[][]=x\n",
        std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16),
    };
    for (const std::string& text : texts)
        EXPECT_FALSE(ParseIniText(text)) << text;
}

TEST(IniText, WrittenTextReadsBackAsTheSameContents)
{
    const std::vector<std::string> values = {
        "",
        " ",
        "  lead",
        "trail\t",
        "\"quoted\"",
        "\"",
        "a\"b",
        "line\nbreak",
        "cr\r",
        "back\\slash\\",
        "\\n literally",
        "; not a comment",
        "[not a node]",
        "key=value",
        "caf\xC3\xA9 \xF0\x9F\x98\x80",
    };
    Document document;
    for (size_t i = 0; i < values.size(); ++i)
    {
        document.ProvideEntry(KeyPath{"", std::to_string(i) + "k"}, false).value = values[i];
        document.ProvideEntry(KeyPath{"Node/Inner", "list"}, true).items.push_back(values[i]);
    }
    document.ProvideNode("Empty/Node");

    const std::string text = WriteIniText(document);
    std::optional<Document> reread = ParseIniText(text);
    ASSERT_TRUE(reread) << text;
    EXPECT_EQ(*reread, document) << text;
    EXPECT_EQ(WriteIniText(*reread), text);
}

TEST(IniText, PathsNameNodesAndKeys)
{
    struct Case
    {
        const char* path;
        bool valid;
        const char* node;
        const char* name;
    };
    const Case cases[] = {
        {"CurrentSkinIndex", true, "", "CurrentSkinIndex"},
        {"Window/Main/Width", true, "Window/Main", "Width"},
        {"Window\\Main\\Width", true, "Window/Main", "Width"},
        {"", false, "", ""},
        {"/Width", false, "", ""},
        {"Window//Width", false, "", ""},
        {"Window/", false, "", ""},
        {"a=b", false, "", ""},
        {"[x", false, "", ""},
        {" padded", false, "", ""},
        {"list[]", false, "", ""},
        {"\xEF\xBB\xBF"
         "bom",
         false, "", ""},
        {"line\nbreak", false, "", ""},
    };
    for (const Case& c : cases)
    {
        std::optional<KeyPath> key = SplitKeyPath(c.path);
        ASSERT_EQ(key.has_value(), c.valid) << c.path;
        if (key)
        {
            EXPECT_EQ(key->node, c.node);
            EXPECT_EQ(key->name, c.name);
        }
    }
}
