#include "CommandLine.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Narrow(const KV::String& text)
{
    return std::string(KV::NarrowString(text).GetText());
}

} // namespace

TEST(CommandLine, OptionTable)
{
    struct Row
    {
        const char* line;
        const char16_t* option;
        bool found;
        const char* value;
    };
    const Row rows[] = {
        {"-silent", u"-SILENT", true, ""},
        {"-SILENT_IF_UPDATE_NOT_NEEDED -SILENT", u"-SILENT", true, ""},
        {"-SILENT_IF_UPDATE_NOT_NEEDED -SILENT", u"-SILENT_IF_UPDATE_NOT_NEEDED", true, ""},
        {"-SILENT_IF_UPDATE_NOT_NEEDED", u"-SILENT", false, ""},
        {"-SILENTLY", u"-SILENT", false, ""},
        {"x-SILENT", u"-SILENT", false, ""},
        {"-ABSOLUTE_FIRMWARE_FILE_PATH=\"/tmp/a -SILENT b.led\"", u"-SILENT", false, ""},
        {"-ABSOLUTE_FIRMWARE_FILE_PATH=\"/tmp/a -SILENT b.led\" -SILENT", u"-SILENT", true, ""},
        {"-ABSOLUTE_FIRMWARE_FILE_PATH=\"/tmp/a -SILENT b.led\"", u"-ABSOLUTE_FIRMWARE_FILE_PATH=", true,
         "/tmp/a -SILENT b.led"},
        {"-absolute_firmware_file_path=/Tmp/Image.led -SILENT", u"-ABSOLUTE_FIRMWARE_FILE_PATH=", true,
         "/Tmp/Image.led"},
        {"-FIRMWARE_IMAGE_NAME=fw2.led", u"-FIRMWARE_IMAGE_NAME=", true, "fw2.led"},
        {"-ABSOLUTE_FIRMWARE_FILE_PATH= /x.led", u"-ABSOLUTE_FIRMWARE_FILE_PATH=", false, ""},
        {"-SILENT -ABSOLUTE_FIRMWARE_FILE_PATH=", u"-ABSOLUTE_FIRMWARE_FILE_PATH=", true, ""},
        {"-ABSOLUTE_FIRMWARE_FILE_PATH=\"/unterminated path", u"-ABSOLUTE_FIRMWARE_FILE_PATH=", true,
         "/unterminated path"},
        {"", u"-SILENT", false, ""},
        {"-SILENT", u"S", false, ""},
        {"-SILENT", u"SILENT", false, ""},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.line);
        KV::String value(u"stale");
        EXPECT_EQ(CommandLine::FindOption(KV::String(row.line), KV::String(row.option), value), row.found);
        EXPECT_EQ(Narrow(value), row.value);
    }
}

TEST(CommandLine, JoinQuotesValuesThatHoldBlanks)
{
    const char* argv[] = {"/opt/updater", "-SILENT", "-ABSOLUTE_FIRMWARE_FILE_PATH=/a b/c.led", "plain word"};
    const KV::String line = CommandLine::Join(4, argv);
    EXPECT_EQ(Narrow(line), "-SILENT -ABSOLUTE_FIRMWARE_FILE_PATH=\"/a b/c.led\" \"plain word\"");
    KV::String value;
    EXPECT_TRUE(CommandLine::FindOption(line, KV::String(u"-ABSOLUTE_FIRMWARE_FILE_PATH="), value));
    EXPECT_EQ(Narrow(value), "/a b/c.led");
}
