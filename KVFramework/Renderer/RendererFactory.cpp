// LRenderer::Create: the one place that knows every renderer type.

#include "Renderer/Renderer.h"

#include "ObjectBase/Exception.h"
#include "Platform/Window/ScreenDpi.h"
#include "Renderer/D3D9/D3D9Renderer.h"
#include "Renderer/FontRenderer/FreetypeFontRenderer.h"
#include "Renderer/Gdi/GDIRenderer.h"
#include "Renderer/OpenGL/GLGlyphRenderer.h"
#include "Renderer/OpenGL/GLRenderer.h"

namespace KV {

RCPtr<LRenderer> LRenderer::Create(int type, const RectT<int32_t>& clientRect, NativeWindowHandle window)
{
    switch (type)
    {
    case kRendererTypeOpenGL:
    {
        // The glyph renderer draws the font renderer's glyphs from its atlases.
        const RCPtr<LGlyphProcessor> glyphs = LGLGlyphRenderer::Create();
        return LGLRenderer::Create(LFreetypeFontRenderer::Create(glyphs, glyphs), window);
    }
    case kRendererTypeGDI:
        // Text widths are measured for the screen the renderer is made on.
        return LGDIRenderer::Create(Platform::GetScreenDpi());
    case kRendererTypeD3D9:
        return LD3D9Renderer::Create();
    default:
        break;
    }
    KV_THROW(std::domain_error, "");
}

} // namespace KV
