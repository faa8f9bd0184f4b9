// Any text as the command line: every option is looked up without reading outside the
// line, and a value found is a piece of the line (as written: a quoted value writes
// each of its quotes twice).
#include "CommandLine.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const KV::String line(text.c_str());
    for (const char16_t* option :
         {u"-ABSOLUTE_FIRMWARE_FILE_PATH=", u"-FIRMWARE_IMAGE_NAME=", u"-ALWAYS_UPDATE",
          u"-SILENT_IF_UPDATE_NOT_NEEDED", u"-SILENT", u"-START_UPDATE_AUTOMATICALLY"})
    {
        KV::String value;
        const bool found = CommandLine::FindOption(line, KV::String(option), value);
        if (!found && !value.IsEmpty())
            std::abort();
        std::u16string written;
        for (char16_t c : value.View())
            written.append(c == u'"' ? 2 : 1, c);
        if (found && line.View().find(value.View()) == std::u16string_view::npos &&
            line.View().find(written) == std::u16string_view::npos)
            std::abort();
    }
    return 0;
}
