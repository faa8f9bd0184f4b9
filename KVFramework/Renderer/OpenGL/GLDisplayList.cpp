#include "Renderer/OpenGL/GLDisplayList.h"

#include "Renderer/OpenGL/GLCalls.h"

namespace KV {

RCPtr<LGLDisplayList> LGLDisplayList::Create(int32_t count)
{
    if (count <= 0)
    {
        static LGLDisplayList* const placeholder = [] {
            auto* list = new LGLDisplayList(0);
            list->AddRef(); // never destroyed: other objects may still hold it at exit
            return list;
        }();
        return RCPtr<LGLDisplayList>(placeholder);
    }
    return RCPtr<LGLDisplayList>(new LGLDisplayList(count));
}

LGLDisplayList::~LGLDisplayList()
{
    if (mBase != -1 && Platform::GLContext::GetCurrentSerial() == mContextSerial &&
        glIsList(static_cast<GLuint>(mBase)))
        glDeleteLists(static_cast<GLuint>(mBase), mCount);
    mBase = -1;
}

KVRESULT LGLDisplayList::BeginList(int32_t index)
{
    if (index < 0 || index >= mCount)
        return E_INVALIDARG;
    if (!GL::HasCurrentContext())
        return E_FAIL;
    if (mBase != -1 && Platform::GLContext::GetCurrentSerial() != mContextSerial)
        mBase = -1; // made in a context that is gone or not current: make new ones here
    if (mBase == -1)
    {
        const GLuint base = glGenLists(mCount);
        if (base == 0)
            return E_FAIL;
        mBase = static_cast<int32_t>(base);
        mContextSerial = Platform::GLContext::GetCurrentSerial();
    }
    if (!glIsList(static_cast<GLuint>(mBase)))
        return E_FAIL;
    glNewList(static_cast<GLuint>(mBase + index), GL_COMPILE);
    GL::DrainErrors();
    return S_OK;
}

KVRESULT LGLDisplayList::CallLists(int32_t start, int32_t count)
{
    if (mBase == -1)
        return E_FAIL;
    if (start < 0 || count < 0 || int64_t{start} + count > mCount)
        return E_INVALIDARG;
    if (Platform::GLContext::GetCurrentSerial() != mContextSerial)
        return E_FAIL;
    for (int32_t i = 0; i < count; ++i)
    {
        const GLuint list = static_cast<GLuint>(mBase + start + i);
        if (!glIsList(list))
            return E_FAIL;
        glCallList(list);
        GL::DrainErrors();
    }
    return S_OK;
}

} // namespace KV
