#pragma once
// The process's FreeType library and its face and size cache, shared by every FreeType
// font renderer: the first one starts them, the last one ends them.

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_CACHE_H

namespace KV::FreetypeLibrary {

// Counts one more user; false (and no user counted) when FreeType cannot start.
bool Acquire();
// Counts one user less; the last one ends the cache and the library.
void Release();
// Null while nobody holds the library.
FT_Library GetLibrary();
FTC_Manager GetCacheManager();

} // namespace KV::FreetypeLibrary
