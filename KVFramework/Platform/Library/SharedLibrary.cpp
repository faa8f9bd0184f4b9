#include "Platform/Library/SharedLibrary.h"

#include <dlfcn.h>

namespace KV::Platform {

void* LoadSharedLibrary(const std::string& path)
{
    if (path.find('/') == std::string::npos)
        return nullptr;
    return ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* LoadSystemLibrary(const std::string& fileName)
{
    if (fileName.empty() || fileName.find('/') != std::string::npos)
        return nullptr;
    return ::dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* FindLibraryExport(void* library, const char* name)
{
    if (!library || !name)
        return nullptr;
    return ::dlsym(library, name);
}

bool FreeSharedLibrary(void* library)
{
    return library && ::dlclose(library) == 0;
}

} // namespace KV::Platform
