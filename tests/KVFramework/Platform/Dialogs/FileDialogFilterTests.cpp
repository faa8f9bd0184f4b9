#include "Platform/Dialogs/FileDialogFilter.h"

#include <gtest/gtest.h>

using namespace KV::Platform;

namespace {

TEST(FileDialogFilter, LabelAndPatternPairs)
{
    struct Case
    {
        const char* text;
        std::vector<FileFilter> filters;
    };
    const Case cases[] = {
        // The updater's own text: the last pattern keeps the stray quote after it.
        {"Firmware Images (*.led)|*.led|All Files (*.*)|*.*\"",
         {{"Firmware Images (*.led)", {"*.led"}}, {"All Files (*.*)", {"*.*\""}}}},
        {"Images|*.led; *.hex ;*.syx|", {{"Images", {"*.led", "*.hex", "*.syx"}}}},
        // An empty piece ends the list.
        {"A|*.a||B|*.b|", {{"A", {"*.a"}}}},
        {"A||B|*.b|", {}},
        {"|*.a|B|*.b|", {}},
        // A label without patterns, or with blanks alone, is no filter.
        {"A|*.a|B", {{"A", {"*.a"}}}},
        {"A| ; |B|*.b", {{"B", {"*.b"}}}},
        {"", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseFileDialogFilter(c.text), c.filters) << c.text;
}

TEST(FileDialogFilter, InTheFormsOfTheDialogPrograms)
{
    const std::vector<FileFilter> filters = {
        {"Firmware Images (*.led)", {"*.led", "*.hex"}},
        {"All | Files", {"*.*\"", "my file.*"}},
    };
    EXPECT_EQ(ZenityFilterArguments(filters),
              (std::vector<std::string>{"--file-filter=Firmware Images (*.led) | *.led *.hex",
                                        "--file-filter=All _ Files | *.*\" my?file.*"}));
    EXPECT_EQ(KDialogFilterArgument(filters),
              "*.led *.hex|Firmware Images (*.led)\n*.*\" my?file.*|All _ Files");
    EXPECT_TRUE(ZenityFilterArguments({}).empty());
    EXPECT_EQ(KDialogFilterArgument({}), "");
}

} // namespace
