#include "System/IniFileManager.h"

#include "System/IniFileManagerProxy.h"

#include <memory>
#include <new>
#include <string>

namespace KV {

namespace {

std::string Utf8(const String& text)
{
    return std::string(text.ToNarrow().View());
}

// The first buffer of a text query; a longer text takes a second call.
constexpr int32_t kFirstBufferSize = 1024;
// No settings text comes near this; a library asking for more is not answering sanely.
constexpr int32_t kLargestTextSize = 64 * 1024 * 1024;

// The export's result for a short buffer, with the size it needs in bytes.
constexpr int32_t kBufferTooSmall = -2;

// Runs a text export: first into a fixed buffer, and again into one of the size the
// export asks for when it answers that the first was too small. The buffer always ends
// in a zero before it is read, whatever the export left in it.
template <class Call> KVRESULT ReadText(Call call, String& text)
{
    char buffer[kFirstBufferSize];
    buffer[0] = 0;
    int32_t needed = 0;
    KVRESULT result = call(buffer, kFirstBufferSize, &needed);
    if (result == S_OK)
    {
        buffer[kFirstBufferSize - 1] = 0;
        text = String(static_cast<const char*>(buffer));
        return result;
    }
    if (result != kBufferTooSmall)
        return result;
    if (needed < 1 || needed > kLargestTextSize)
        return E_FAIL;
    std::unique_ptr<char[]> larger(new (std::nothrow) char[static_cast<size_t>(needed)]);
    if (!larger)
        return E_OUTOFMEMORY;
    larger[0] = 0;
    int32_t neededAgain = 0;
    result = call(larger.get(), needed, &neededAgain);
    larger[static_cast<size_t>(needed) - 1] = 0;
    text = String(static_cast<const char*>(larger.get()));
    return result;
}

} // namespace

RCPtr<LIniFileManager> LIniFileManager::Create()
{
    return RCPtr<LIniFileManager>(new LIniFileManager());
}

LIniFileManager::LIniFileManager() : mProxy(std::make_unique<CIniFileManagerProxy>()) {}

LIniFileManager::~LIniFileManager() = default;

KVRESULT LIniFileManager::Load(const String& folder)
{
    return mProxy->Load(folder);
}

KVRESULT LIniFileManager::Unload()
{
    return mProxy->Unload();
}

KVRESULT LIniFileManager::OpenIniFile(const String& path, const String& version, const String& application,
                                      int32_t& handle)
{
    handle = 0;
    if (!mProxy->IsLoaded())
        return E_FAIL;
    return mProxy->GetExports().openIniFile(Utf8(path).c_str(), Utf8(version).c_str(),
                                            Utf8(application).c_str(), &handle);
}

KVRESULT LIniFileManager::WriteIniFile(int32_t handle)
{
    return mProxy->IsLoaded() ? mProxy->GetExports().writeIniFile(handle) : E_FAIL;
}

bool LIniFileManager::DoesNodeExist(int32_t handle, const String& path)
{
    return mProxy->IsLoaded() && mProxy->GetExports().doesNodeExist(handle, Utf8(path).c_str());
}

KVRESULT LIniFileManager::CloseIniFile(int32_t handle, int32_t flags)
{
    return mProxy->IsLoaded() ? mProxy->GetExports().closeIniFile(handle, flags) : E_FAIL;
}

KVRESULT LIniFileManager::GetIniValueInt(int32_t handle, const String& path, int32_t defaultValue,
                                         int32_t& value)
{
    value = defaultValue;
    if (!mProxy->IsLoaded())
        return E_FAIL;
    return mProxy->GetExports().getIniValueInt(handle, Utf8(path).c_str(), defaultValue, &value);
}

KVRESULT LIniFileManager::SetIniValueInt(int32_t handle, const String& path, int32_t value)
{
    return mProxy->IsLoaded() ? mProxy->GetExports().setIniValueInt(handle, Utf8(path).c_str(), value)
                              : E_FAIL;
}

KVRESULT LIniFileManager::GetIniValueStr(int32_t handle, const String& path, const String& defaultValue,
                                         String& value)
{
    value = defaultValue;
    if (!mProxy->IsLoaded())
        return E_FAIL;
    const std::string key = Utf8(path);
    const std::string fallback = Utf8(defaultValue);
    return ReadText(
        [&](char* buffer, int32_t size, int32_t* needed) {
            return mProxy->GetExports().getIniValueStr(handle, key.c_str(), fallback.c_str(), buffer, size,
                                                       needed);
        },
        value);
}

KVRESULT LIniFileManager::SetIniValueStr(int32_t handle, const String& path, const String& value)
{
    return mProxy->IsLoaded()
               ? mProxy->GetExports().setIniValueStr(handle, Utf8(path).c_str(), Utf8(value).c_str())
               : E_FAIL;
}

KVRESULT LIniFileManager::GetKeyCount(int32_t handle, const String& path, int32_t& count)
{
    count = 0;
    return mProxy->IsLoaded() ? mProxy->GetExports().getKeyCount(handle, Utf8(path).c_str(), &count) : E_FAIL;
}

KVRESULT LIniFileManager::GetKeyNameAt(int32_t handle, const String& path, int32_t index, String& name)
{
    name.Clear();
    if (!mProxy->IsLoaded())
        return E_FAIL;
    const std::string node = Utf8(path);
    return ReadText(
        [&](char* buffer, int32_t size, int32_t* needed) {
            return mProxy->GetExports().getKeyNameAt(handle, node.c_str(), index, buffer, size, needed);
        },
        name);
}

KVRESULT LIniFileManager::GetArrayCount(int32_t handle, const String& path, int32_t& count)
{
    count = 0;
    return mProxy->IsLoaded() ? mProxy->GetExports().getArrayCount(handle, Utf8(path).c_str(), &count)
                              : E_FAIL;
}

KVRESULT LIniFileManager::SetArrayCount(int32_t handle, const String& path, int32_t count)
{
    return mProxy->IsLoaded() ? mProxy->GetExports().setArrayCount(handle, Utf8(path).c_str(), count)
                              : E_FAIL;
}

KVRESULT LIniFileManager::GetArrayItemAt(int32_t handle, const String& path, int32_t index, String& item)
{
    item.Clear();
    if (!mProxy->IsLoaded())
        return E_FAIL;
    const std::string array = Utf8(path);
    return ReadText(
        [&](char* buffer, int32_t size, int32_t* needed) {
            return mProxy->GetExports().getArrayItemAt(handle, array.c_str(), index, buffer, size, needed);
        },
        item);
}

KVRESULT LIniFileManager::SetArrayItemAt(int32_t handle, const String& path, int32_t index,
                                         const String& item)
{
    return mProxy->IsLoaded()
               ? mProxy->GetExports().setArrayItemAt(handle, Utf8(path).c_str(), index, Utf8(item).c_str())
               : E_FAIL;
}

KVRESULT LIniFileManager::RemoveArrayItemAt(int32_t handle, const String& path, int32_t index)
{
    return mProxy->IsLoaded() ? mProxy->GetExports().removeArrayItemAt(handle, Utf8(path).c_str(), index)
                              : E_FAIL;
}

} // namespace KV
