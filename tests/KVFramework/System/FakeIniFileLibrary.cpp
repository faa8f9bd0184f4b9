// A stand-in for the settings library whose text getters misbehave in the ways a
// library of another make might: texts without a terminating zero, sizes of 0, below
// 0 or far too large, and a text that grows between the two calls. Built once with all
// exports and once with only some of them.

#include "IniFileExports.h"

#include <cstring>
#include <string_view>

namespace {

int32_t AnswerText(std::string_view path, char* buffer, int32_t size, int32_t* needed)
{
    if (path == "unterminated")
    {
        std::memset(buffer, 'x', static_cast<size_t>(size));
        return INI_OK;
    }
    if (path == "needs-nothing" || path == "needs-less-than-nothing" || path == "needs-too-much")
    {
        *needed = path == "needs-nothing" ? 0 : path == "needs-less-than-nothing" ? -5 : 0x7FFFFFFF;
        return INI_BUFFER_TOO_SMALL;
    }
    if (path == "second-unterminated")
    {
        if (size < 2000)
        {
            *needed = 2000;
            return INI_BUFFER_TOO_SMALL;
        }
        std::memset(buffer, 'y', static_cast<size_t>(size));
        return INI_OK;
    }
    if (path == "grows")
    {
        *needed = size < 1500 ? 1500 : 3000;
        if (size >= 1500)
            std::memcpy(buffer, "part", 5);
        return INI_BUFFER_TOO_SMALL;
    }
    *needed = 0;
    return INI_NOT_FOUND;
}

} // namespace

extern "C" {

INI_EXPORT int32_t OpenIniFile(const char*, const char*, const char*, int32_t* handle)
{
    *handle = 7;
    return INI_OK;
}
INI_EXPORT int32_t WriteIniFile(int32_t)
{
    return INI_OK;
}
INI_EXPORT int32_t CloseIniFile(int32_t, int32_t)
{
    return INI_OK;
}
INI_EXPORT bool DoesNodeExist(int32_t, const char*)
{
    return true;
}
INI_EXPORT int32_t GetIniValueInt(int32_t, const char*, int32_t, int32_t* value)
{
    *value = 42;
    return INI_OK;
}
INI_EXPORT int32_t GetIniValueStr(int32_t, const char* path, const char*, char* buffer, int32_t size,
                                  int32_t* needed)
{
    return AnswerText(path, buffer, size, needed);
}
INI_EXPORT int32_t GetKeyNameAt(int32_t, const char* path, int32_t, char* buffer, int32_t size,
                                int32_t* needed)
{
    return AnswerText(path, buffer, size, needed);
}
INI_EXPORT int32_t GetArrayItemAt(int32_t, const char* path, int32_t, char* buffer, int32_t size,
                                  int32_t* needed)
{
    return AnswerText(path, buffer, size, needed);
}

#ifndef KV_FAKE_PARTIAL_EXPORTS
INI_EXPORT int32_t SetIniValueInt(int32_t, const char*, int32_t)
{
    return INI_OK;
}
INI_EXPORT int32_t SetIniValueStr(int32_t, const char*, const char*)
{
    return INI_OK;
}
INI_EXPORT int32_t GetKeyCount(int32_t, const char*, int32_t* count)
{
    *count = 1;
    return INI_OK;
}
INI_EXPORT int32_t GetArrayCount(int32_t, const char*, int32_t* count)
{
    *count = 1;
    return INI_OK;
}
INI_EXPORT int32_t SetArrayCount(int32_t, const char*, int32_t)
{
    return INI_OK;
}
INI_EXPORT int32_t SetArrayItemAt(int32_t, const char*, int32_t, const char*)
{
    return INI_OK;
}
INI_EXPORT int32_t RemoveArrayItemAt(int32_t, const char*, int32_t)
{
    return INI_OK;
}
#endif
}
