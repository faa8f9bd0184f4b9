#include "System/ModuleResources.h"

namespace KV {

namespace {

// Constant-initialised: tables register during dynamic initialisation, in whatever
// order, and the head is ready before the first of them.
constinit const ModuleResourceTable* gFirstTable = nullptr;

} // namespace

ModuleResourceTable::ModuleResourceTable(std::span<const ModuleResource> resources) noexcept
    : mResources(resources), mNext(gFirstTable)
{
    gFirstTable = this;
}

std::span<const unsigned char> FindModuleResource(std::u16string_view type, std::u16string_view name)
{
    for (const ModuleResourceTable* table = gFirstTable; table; table = table->mNext)
        for (const ModuleResource& resource : table->mResources)
            if (type == resource.type && name == resource.name)
                return {resource.bytes, resource.size};
    return {};
}

String ResourceNameOfFile(const String& fileName)
{
    String name = fileName.ToUpper();
    name.ReplaceChars(u". ", u'_');
    return name;
}

} // namespace KV
