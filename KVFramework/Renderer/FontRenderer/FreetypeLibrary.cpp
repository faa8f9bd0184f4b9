#include "Renderer/FontRenderer/FreetypeLibrary.h"

#include "Renderer/FontRenderer/FontFileInfo.h"

#include <cstdint>

namespace KV::FreetypeLibrary {

namespace {

struct Shared
{
    int32_t users = 0;
    FT_Library library = nullptr;
    FTC_Manager manager = nullptr;
};

Shared& State()
{
    static Shared shared;
    return shared;
}

// Face ids of the cache are the table's face ids plus one, so that none is null.
FT_Error RequestFace(FTC_FaceID faceId, FT_Library library, FT_Pointer, FT_Face* face)
{
    const auto id = static_cast<int32_t>(reinterpret_cast<intptr_t>(faceId) - 1);
    const LFontFileInfo::FaceFile file = LFontFileInfo::GetFaceFile(id);
    if (file.IsEmpty())
        return FT_Err_Cannot_Open_Resource;
    return FT_New_Face(library, file.path.c_str(), file.faceIndex, face);
}

} // namespace

bool Acquire()
{
    Shared& shared = State();
    if (shared.users == 0)
    {
        if (FT_Init_FreeType(&shared.library) != 0)
        {
            shared.library = nullptr;
            return false;
        }
        if (FTC_Manager_New(shared.library, 8, 16, 0x400000, &RequestFace, nullptr, &shared.manager) != 0)
        {
            FT_Done_FreeType(shared.library);
            shared.library = nullptr;
            shared.manager = nullptr;
            return false;
        }
    }
    ++shared.users;
    return true;
}

void Release()
{
    Shared& shared = State();
    if (shared.users == 0 || --shared.users > 0)
        return;
    FTC_Manager_Done(shared.manager);
    FT_Done_FreeType(shared.library);
    shared.manager = nullptr;
    shared.library = nullptr;
}

FT_Library GetLibrary()
{
    return State().library;
}

FTC_Manager GetCacheManager()
{
    return State().manager;
}

} // namespace KV::FreetypeLibrary
