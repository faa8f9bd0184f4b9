// The OpenGL renderer's table of OpenGL and GLU functions, filled from the system's
// libraries when the first OpenGL renderer or tessellation needs it.

#define KV_GL_TABLE_ITSELF
#include "Renderer/OpenGL/GLCalls.h"

#include "Platform/Library/SharedLibrary.h"

namespace KV::GL {

Functions gFunctions;

namespace {

struct LoadOutcome
{
    bool loaded = false;
    std::string error;
};

template <class Pointer> void Find(void* library, const char* name, Pointer& pointer, std::string& missing)
{
    pointer = reinterpret_cast<Pointer>(Platform::FindLibraryExport(library, name));
    if (!pointer && missing.empty())
        missing = name;
}

LoadOutcome Load()
{
    // The vendor-neutral OpenGL library, else the older one that also holds GLX.
    void* gl = Platform::LoadSystemLibrary("libOpenGL.so.0");
    if (!gl)
        gl = Platform::LoadSystemLibrary("libGL.so.1");
    if (!gl)
        return {false, "no OpenGL library (libOpenGL.so.0, libGL.so.1)"};
    void* glu = Platform::LoadSystemLibrary("libGLU.so.1");
    if (!glu)
        return {false, "no GLU library (libGLU.so.1)"};
    Functions found;
    std::string missing;
#define KV_GL_FIND(name) Find(gl, #name, found.name, missing);
    KV_GL_FUNCTIONS(KV_GL_FIND)
#undef KV_GL_FIND
#define KV_GLU_FIND(name) Find(glu, #name, found.name, missing);
    KV_GLU_FUNCTIONS(KV_GLU_FIND)
#undef KV_GLU_FIND
    if (!missing.empty())
        return {false, "the OpenGL libraries lack " + missing};
    // The libraries stay loaded for the life of the process.
    gFunctions = found;
    return {true, {}};
}

} // namespace

bool LoadFunctions(std::string& error)
{
    static const LoadOutcome outcome = Load();
    error = outcome.error;
    return outcome.loaded;
}

} // namespace KV::GL
