// The OpenGL and GLU libraries are loaded only by an application that makes an OpenGL
// renderer: one that draws with the GDI+ renderer never maps them.

#include "Renderer/Renderer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>

using namespace KV;

namespace {

// The OpenGL libraries this process has mapped, by file name.
std::set<std::string> MappedOpenGLLibraries()
{
    std::set<std::string> found;
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line))
        for (const char* name : {"libGLU.so", "libOpenGL.so", "libGLdispatch.so", "libGLX.so", "libGL.so"})
            if (line.find(std::string("/") + name) != std::string::npos)
                found.insert(name);
    return found;
}

} // namespace

// One test: the order matters, as nothing unloads the libraries once loaded.
TEST(GLLibraryLoading, OnlyAnOpenGLRendererLoadsTheOpenGLLibraries)
{
    const RCPtr<LRenderer> gdi = LRenderer::Create(kRendererTypeGDI, {0, 0, 100, 100}, nullptr);
    ASSERT_TRUE(gdi);
    EXPECT_EQ(MappedOpenGLLibraries(), std::set<std::string>{});

    // Kept for the life of the process, as an application keeps its renderer: the driver
    // then stays loaded, and what it keeps is not taken for a leak of unknown origin.
    static const auto* const gl =
        new RCPtr<LRenderer>(LRenderer::Create(kRendererTypeOpenGL, {0, 0, 100, 100}, nullptr));
    ASSERT_TRUE(*gl);
    EXPECT_EQ(MappedOpenGLLibraries().count("libGLU.so"), 1u);
}
