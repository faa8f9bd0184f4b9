#include "System/ModuleResources.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace KV;

namespace {

std::vector<unsigned char> ReadFixture(const std::string& fileName)
{
    std::ifstream in(std::string(KV_RESOURCE_FOLDER) + "/" + fileName, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

TEST(ModuleResources, EveryFileOfTheFolderIsCarriedWithItsBytesTypeAndName)
{
    const struct
    {
        const char16_t* type;
        const char16_t* name;
        const char* file;
    } cases[] = {
        {u"RCDATA", u"HELLO_TXT", "hello.txt"},
        {u"KVXML", u"TWO_WORDS_V2_XML", "Two Words.v2.xml"},
        {u"KVXML", u"APP_SKINS", "renamed.xml"},
        {u"GDIPLUS", u"PIXELS_PNG", "pixels.png"}, // every byte value, more than one line
    };
    for (const auto& c : cases)
    {
        const std::span<const unsigned char> bytes = FindModuleResource(c.type, c.name);
        const std::vector<unsigned char> expected = ReadFixture(c.file);
        ASSERT_FALSE(expected.empty()) << c.file;
        EXPECT_EQ(std::vector<unsigned char>(bytes.begin(), bytes.end()), expected) << c.file;
    }
}

TEST(ModuleResources, MissingRenamedAndEmptyResourcesGiveNoBytes)
{
    EXPECT_TRUE(FindModuleResource(u"KVXML", u"EMPTY_XML").empty());
    EXPECT_TRUE(FindModuleResource(u"KVXML", u"RENAMED_XML").empty()); // known by its given name only
    EXPECT_TRUE(FindModuleResource(u"GDIPLUS", u"HELLO_TXT").empty()); // the type must match too
    EXPECT_TRUE(FindModuleResource(u"RCDATA", u"hello_txt").empty());
    EXPECT_TRUE(FindModuleResource(u"KVXML", u"").empty());
}

TEST(ModuleResources, AFileNameStandsForItsUpperCaseNameWithDotsAndBlanksAsUnderscores)
{
    EXPECT_EQ(ResourceNameOfFile(String(u"my skin.v2.xml")), u"MY_SKIN_V2_XML");
    EXPECT_EQ(ResourceNameOfFile(String(u"APP_SKINS")), u"APP_SKINS");
    EXPECT_EQ(ResourceNameOfFile(String(u"\u00e9t\u00e9.png")), u"\u00e9T\u00e9_PNG");
}
