#include "CommandLine.h"

#include "Storage/Transcode.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The bytes the text stands for, also those that are no UTF-8.
std::string Narrow(const KV::String& text)
{
    return KV::EncodeSystemBytes(text.View());
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
        // A quote inside a word is a character of it, and opens nothing.
        {"-ABSOLUTE_FIRMWARE_FILE_PATH=/a\"b/c.led -SILENT", u"-SILENT", true, ""},
        {"-ABSOLUTE_FIRMWARE_FILE_PATH=/a\"b/c.led -SILENT", u"-ABSOLUTE_FIRMWARE_FILE_PATH=", true,
         "/a\"b/c.led"},
        {"-FIRMWARE_IMAGE_NAME=x\"y -ABSOLUTE_FIRMWARE_FILE_PATH=/b.led", u"-ABSOLUTE_FIRMWARE_FILE_PATH=",
         true, "/b.led"},
        {"-ABSOLUTE_FIRMWARE_FILE_PATH=\"/a \"\"q\"\" b.led\" -SILENT", u"-ABSOLUTE_FIRMWARE_FILE_PATH=",
         true, "/a \"q\" b.led"},
        {"-ABSOLUTE_FIRMWARE_FILE_PATH=\"/a \"\"q\"\" b.led\" -SILENT", u"-SILENT", true, ""},
        // A quoted argument is one word.
        {"\"plain -SILENT word\"", u"-SILENT", false, ""},
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

TEST(CommandLine, JoinedArgumentsAreFoundAsGiven)
{
    struct Row
    {
        const char* argument;
        const char* joined;
        const char* value; // of -ABSOLUTE_FIRMWARE_FILE_PATH=, or nullptr for none
    };
    const Row rows[] = {
        {"-ABSOLUTE_FIRMWARE_FILE_PATH=/a b/c.led", "-ABSOLUTE_FIRMWARE_FILE_PATH=\"/a b/c.led\"",
         "/a b/c.led"},
        {"-ABSOLUTE_FIRMWARE_FILE_PATH=\"/a b/c.led\"", "-ABSOLUTE_FIRMWARE_FILE_PATH=\"/a b/c.led\"",
         "/a b/c.led"},
        {"-ABSOLUTE_FIRMWARE_FILE_PATH=/a\"b/c.led", "-ABSOLUTE_FIRMWARE_FILE_PATH=/a\"b/c.led",
         "/a\"b/c.led"},
        {"-ABSOLUTE_FIRMWARE_FILE_PATH=/a \"b/c.led", "-ABSOLUTE_FIRMWARE_FILE_PATH=\"/a \"\"b/c.led\"",
         "/a \"b/c.led"},
        {"-ABSOLUTE_FIRMWARE_FILE_PATH=\"/x", "-ABSOLUTE_FIRMWARE_FILE_PATH=\"\"\"/x\"", "\"/x"},
        {"-ABSOLUTE_FIRMWARE_FILE_PATH=/plain.led", "-ABSOLUTE_FIRMWARE_FILE_PATH=/plain.led", "/plain.led"},
        {"plain word", "\"plain word\"", nullptr},
        {"a\"b", "a\"b", nullptr},
        // Bytes that are no UTF-8 (a Latin-1 name) stay as they are.
        {"-ABSOLUTE_FIRMWARE_FILE_PATH=/tmp/\xE9t\xE9 2.led",
         "-ABSOLUTE_FIRMWARE_FILE_PATH=\"/tmp/\xE9t\xE9 2.led\"", "/tmp/\xE9t\xE9 2.led"},
        {"\xFF\xFE", "\xFF\xFE", nullptr},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.argument);
        // Every argument is followed by "-SILENT", which must survive it.
        const char* argv[] = {"/opt/updater", row.argument, "-SILENT"};
        const KV::String line = CommandLine::Join(3, argv);
        EXPECT_EQ(Narrow(line), std::string(row.joined) + " -SILENT");
        KV::String value;
        EXPECT_TRUE(CommandLine::FindOption(line, KV::String(u"-SILENT"), value));
        EXPECT_EQ(CommandLine::FindOption(line, KV::String(u"-ABSOLUTE_FIRMWARE_FILE_PATH="), value),
                  row.value != nullptr);
        EXPECT_EQ(Narrow(value), row.value ? row.value : "");
    }
}
