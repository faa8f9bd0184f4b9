#include "Application/DebugConsoleOption.h"

#include <gtest/gtest.h>

using namespace KV;

TEST(DebugConsoleOption, IsReadFromItsOwnArgumentOnly)
{
    using Kind = DebugConsoleOption::Kind;
    struct Row
    {
        const char16_t* commandLine;
        Kind kind;
        int port;
        const char* host;
    };
    const Row rows[] = {
        {u"updater", Kind::None, 0, ""},
        {u"updater -debug_console", Kind::Console, 0, ""},
        {u"updater -DEBUG_CONSOLE -SILENT", Kind::Console, 0, ""},
        {u"updater -Debug_Console:5000 -SILENT", Kind::Target, 5000, ""},
        {u"updater -DEBUG_CONSOLE:5000:logger.local -SILENT", Kind::Target, 5000, "LOGGER.LOCAL"},
        {u"updater -DEBUG_CONSOLE:7", Kind::Target, 7, ""},
        {u"updater -DEBUG_CONSOLE:65535:", Kind::Target, 65535, ""},
        // A port that is not one, or a host of the next option, sets nothing.
        {u"updater -DEBUG_CONSOLE:0", Kind::None, 0, ""},
        {u"updater -DEBUG_CONSOLE:65536", Kind::None, 0, ""},
        {u"updater -DEBUG_CONSOLE:50a0", Kind::None, 0, ""},
        {u"updater -DEBUG_CONSOLE: -X=1:2", Kind::None, 0, ""},
        {u"updater -DEBUG_CONSOLE:-5000", Kind::None, 0, ""},
        // Only at the start of a word.
        {u"updater -X-DEBUG_CONSOLE:5000", Kind::None, 0, ""},
        {u"updater -X-DEBUG_CONSOLE -DEBUG_CONSOLE:6000", Kind::Target, 6000, ""},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(String(row.commandLine).ToNarrow().GetText());
        const DebugConsoleOption option = ParseDebugConsoleOption(String(row.commandLine));
        EXPECT_EQ(option.kind, row.kind);
        EXPECT_EQ(option.port, row.port);
        EXPECT_EQ(option.host, row.host);
    }
}
