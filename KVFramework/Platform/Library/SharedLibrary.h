#pragma once
// Loading a shared library at run time and finding its exports by name, on dlopen.
//
// The program's own libraries are only ever loaded by a path that contains a separator,
// so the system's library search (LD_LIBRARY_PATH, the cache, the default folders)
// never picks a library of the same name from somewhere else.

#include <string>

namespace KV::Platform {

// The library's handle, or null when the path names no loadable library. Its symbols
// stay private to it (RTLD_LOCAL) and are bound at once (RTLD_NOW), so a library that
// lacks something it needs fails here rather than in the middle of a call.
void* LoadSharedLibrary(const std::string& path);
// A library of the system by its file name ("libGLU.so.1"), found by the system's
// library search; null when there is none. Only for libraries that belong to the
// system and that the program loads only when it needs them; the program's own
// libraries are loaded by path. Symbols as for LoadSharedLibrary.
void* LoadSystemLibrary(const std::string& fileName);
// The address of the export, or null when the library has none of that name.
void* FindLibraryExport(void* library, const char* name);
// true when the system let go of the library.
bool FreeSharedLibrary(void* library);

} // namespace KV::Platform
