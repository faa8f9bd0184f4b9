// Any text either is refused or reads as contents whose written form reads back as the
// same contents and writes as the same text.

#include "IniText.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace KV::IniFile;
    std::optional<Document> document =
        ParseIniText(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!document)
        return 0;
    const std::string text = WriteIniText(*document);
    std::optional<Document> reread = ParseIniText(text);
    if (!reread || !(*reread == *document) || WriteIniText(*reread) != text)
        std::abort();
    return 0;
}
