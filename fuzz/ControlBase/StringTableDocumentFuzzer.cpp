// Any bytes read as a string-table document, through the loader with its language
// fallback, either leave tables or nothing; every table handed out lists its entries.

#include "ControlBase/ControlFactory.h"
#include "Storage/Array.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

namespace {

// The loader reads files; one file of this process is rewritten for every input.
const std::string& DocumentPath()
{
    static const std::string path = "/tmp/kv-fuzz-string-table-" + std::to_string(::getpid()) + ".xml";
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace KV;
    const std::string& path = DocumentPath();
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size)
        std::abort();
    std::fclose(file);

    const RCPtr<LControlFactory> factory = LControlFactory::Create(String(u"App"));
    // A language without texts in most documents, so that both fallbacks run.
    if (factory->LoadStringTables(String(path.c_str()), String(u"::NO_FRAMEWORK_DOCUMENT"), 0x0C04) != S_OK)
        std::abort();
    Array<LStringTable::Entry> entries;
    for (const RCPtr<LStringTable>& table : {factory->GetAppStringTable(), factory->GetFrameworkStringTable(),
                                             factory->GetStringTable(nullptr, String(u"mainControl"))})
        if (table && table->GetEntries(entries) != S_OK)
            std::abort();
    return 0;
}
