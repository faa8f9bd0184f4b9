#pragma once
// Resources carried inside the executable: XML documents, images, icons and cursors,
// each found by a type ("KVXML", "GDIPLUS", ...) and a name.
//
// The build embeds the files of an application's resource folder (kv_embed_resources
// in cmake/KVResources.cmake): it generates a table of type, name and bytes, which
// registers itself while the program starts. A file is found by the name its file name
// stands for (ResourceNameOfFile), so "::Skins.xml" and the resource SKINS_XML agree.

#include "Storage/StringT.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace KV {

struct ModuleResource
{
    const char16_t* type;
    const char16_t* name;
    const unsigned char* bytes;
    uint32_t size;
};

// One generated table. It links itself into the program's list of tables when it is
// constructed and stays there for the life of the process, so it must be a static
// object of the program; it is never unlinked.
class ModuleResourceTable
{
public:
    explicit ModuleResourceTable(std::span<const ModuleResource> resources) noexcept;

    ModuleResourceTable(const ModuleResourceTable&) = delete;
    ModuleResourceTable& operator=(const ModuleResourceTable&) = delete;

private:
    friend std::span<const unsigned char> FindModuleResource(std::u16string_view, std::u16string_view);

    std::span<const ModuleResource> mResources;
    const ModuleResourceTable* mNext;
};

// The bytes of the resource of that type and name (both exact), or an empty span when
// the program carries none. An empty resource gives an empty span as well.
std::span<const unsigned char> FindModuleResource(std::u16string_view type, std::u16string_view name);

// The resource name of a file name: upper case, each "." and " " turned into "_"
// ("my skin.xml" is "MY_SKIN_XML"). Letters beyond ASCII keep their case.
String ResourceNameOfFile(const String& fileName);

} // namespace KV
