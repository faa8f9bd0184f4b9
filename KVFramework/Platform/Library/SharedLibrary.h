#pragma once
// Loading a shared library at run time and finding its exports by name, on dlopen.
//
// A library is only ever loaded by a path that contains a separator, so the system's
// library search (LD_LIBRARY_PATH, the cache, the default folders) never picks a
// library of the same name from somewhere else.

#include <string>

namespace KV::Platform {

// The library's handle, or null when the path names no loadable library. Its symbols
// stay private to it (RTLD_LOCAL) and are bound at once (RTLD_NOW), so a library that
// lacks something it needs fails here rather than in the middle of a call.
void* LoadSharedLibrary(const std::string& path);
// The address of the export, or null when the library has none of that name.
void* FindLibraryExport(void* library, const char* name);
// true when the system let go of the library.
bool FreeSharedLibrary(void* library);

} // namespace KV::Platform
