#include "System/IniFileManagerProxy.h"

#include "Platform/Folders/UserFolders.h"
#include "Platform/Library/SharedLibrary.h"

#include <algorithm>
#include <memory>
#include <new>
#include <string>
#include <type_traits>

namespace KV {

namespace {

constexpr char kLibraryFileName[] = "libIniFileManager.so";

// The first buffer of a text query; a longer text takes a second call.
constexpr int32_t kFirstBufferSize = 1024;
// No settings text comes near this; a library asking for more is not answering sanely.
constexpr int32_t kLargestTextSize = 64 * 1024 * 1024;

// The export's result for a short buffer, with the size it needs in bytes.
constexpr int32_t kBufferTooSmall = -2;

std::string Utf8(const String& text)
{
    return std::string(text.ToNarrow().View());
}

// The path of the library in the folder; the executable's folder stands in for an
// empty one, so the library is always named by a full path.
std::string LibraryPath(const String& folder)
{
    std::string path = folder.IsEmpty() ? Platform::GetExecutableFolder() : Utf8(folder);
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.empty() || path.back() != '/')
        path += '/';
    return path + kLibraryFileName;
}

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

KVRESULT CIniFileManagerProxy::Load(const String& folder)
{
    if (IsLoaded())
        return S_FALSE;
    void* module = Platform::LoadSharedLibrary(LibraryPath(folder));
    if (!module)
        return E_FAIL;

    Exports found;
    bool complete = true;
    auto bind = [&](auto& slot, const char* name) {
        void* address = Platform::FindLibraryExport(module, name);
        complete = complete && address != nullptr;
        slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(address);
    };
    bind(found.openIniFile, "OpenIniFile");
    bind(found.writeIniFile, "WriteIniFile");
    bind(found.closeIniFile, "CloseIniFile");
    bind(found.doesNodeExist, "DoesNodeExist");
    bind(found.getIniValueInt, "GetIniValueInt");
    bind(found.setIniValueInt, "SetIniValueInt");
    bind(found.getIniValueStr, "GetIniValueStr");
    bind(found.setIniValueStr, "SetIniValueStr");
    bind(found.getKeyCount, "GetKeyCount");
    bind(found.getKeyNameAt, "GetKeyNameAt");
    bind(found.getArrayCount, "GetArrayCount");
    bind(found.setArrayCount, "SetArrayCount");
    bind(found.getArrayItemAt, "GetArrayItemAt");
    bind(found.setArrayItemAt, "SetArrayItemAt");
    bind(found.removeArrayItemAt, "RemoveArrayItemAt");
    // A library with only some of the exports is not the settings library: rather than
    // keep it half-usable, let it go.
    if (!complete)
    {
        Platform::FreeSharedLibrary(module);
        return E_FAIL;
    }
    mModule = module;
    mExports = found;
    return S_OK;
}

KVRESULT CIniFileManagerProxy::Unload()
{
    if (!IsLoaded())
        return S_FALSE;
    const bool freed = Platform::FreeSharedLibrary(mModule);
    mModule = nullptr;
    mExports = Exports();
    return freed ? S_OK : E_FAIL;
}

KVRESULT CIniFileManagerProxy::OpenIniFile(const String& path, const String& version,
                                           const String& application, int32_t& handle)
{
    handle = 0;
    if (!IsLoaded())
        return E_FAIL;
    return mExports.openIniFile(Utf8(path).c_str(), Utf8(version).c_str(), Utf8(application).c_str(),
                                &handle);
}

KVRESULT CIniFileManagerProxy::WriteIniFile(int32_t handle)
{
    return IsLoaded() ? mExports.writeIniFile(handle) : E_FAIL;
}

bool CIniFileManagerProxy::DoesNodeExist(int32_t handle, const String& path)
{
    return IsLoaded() && mExports.doesNodeExist(handle, Utf8(path).c_str());
}

KVRESULT CIniFileManagerProxy::CloseIniFile(int32_t handle, int32_t flags)
{
    return IsLoaded() ? mExports.closeIniFile(handle, flags) : E_FAIL;
}

KVRESULT CIniFileManagerProxy::GetIniValueInt(int32_t handle, const String& path, int32_t defaultValue,
                                              int32_t& value)
{
    value = defaultValue;
    if (!IsLoaded())
        return E_FAIL;
    return mExports.getIniValueInt(handle, Utf8(path).c_str(), defaultValue, &value);
}

KVRESULT CIniFileManagerProxy::SetIniValueInt(int32_t handle, const String& path, int32_t value)
{
    return IsLoaded() ? mExports.setIniValueInt(handle, Utf8(path).c_str(), value) : E_FAIL;
}

KVRESULT CIniFileManagerProxy::GetIniValueStr(int32_t handle, const String& path, const String& defaultValue,
                                              String& value)
{
    value = defaultValue;
    if (!IsLoaded())
        return E_FAIL;
    const std::string key = Utf8(path);
    const std::string fallback = Utf8(defaultValue);
    return ReadText(
        [&](char* buffer, int32_t size, int32_t* needed) {
            return mExports.getIniValueStr(handle, key.c_str(), fallback.c_str(), buffer, size, needed);
        },
        value);
}

KVRESULT CIniFileManagerProxy::SetIniValueStr(int32_t handle, const String& path, const String& value)
{
    return IsLoaded() ? mExports.setIniValueStr(handle, Utf8(path).c_str(), Utf8(value).c_str()) : E_FAIL;
}

KVRESULT CIniFileManagerProxy::GetKeyCount(int32_t handle, const String& path, int32_t& count)
{
    count = 0;
    return IsLoaded() ? mExports.getKeyCount(handle, Utf8(path).c_str(), &count) : E_FAIL;
}

KVRESULT CIniFileManagerProxy::GetKeyNameAt(int32_t handle, const String& path, int32_t index, String& name)
{
    name.Clear();
    if (!IsLoaded())
        return E_FAIL;
    const std::string node = Utf8(path);
    return ReadText(
        [&](char* buffer, int32_t size, int32_t* needed) {
            return mExports.getKeyNameAt(handle, node.c_str(), index, buffer, size, needed);
        },
        name);
}

KVRESULT CIniFileManagerProxy::GetArrayCount(int32_t handle, const String& path, int32_t& count)
{
    count = 0;
    return IsLoaded() ? mExports.getArrayCount(handle, Utf8(path).c_str(), &count) : E_FAIL;
}

KVRESULT CIniFileManagerProxy::SetArrayCount(int32_t handle, const String& path, int32_t count)
{
    return IsLoaded() ? mExports.setArrayCount(handle, Utf8(path).c_str(), count) : E_FAIL;
}

KVRESULT CIniFileManagerProxy::GetArrayItemAt(int32_t handle, const String& path, int32_t index, String& item)
{
    item.Clear();
    if (!IsLoaded())
        return E_FAIL;
    const std::string array = Utf8(path);
    return ReadText(
        [&](char* buffer, int32_t size, int32_t* needed) {
            return mExports.getArrayItemAt(handle, array.c_str(), index, buffer, size, needed);
        },
        item);
}

KVRESULT CIniFileManagerProxy::SetArrayItemAt(int32_t handle, const String& path, int32_t index,
                                              const String& item)
{
    return IsLoaded() ? mExports.setArrayItemAt(handle, Utf8(path).c_str(), index, Utf8(item).c_str())
                      : E_FAIL;
}

KVRESULT CIniFileManagerProxy::RemoveArrayItemAt(int32_t handle, const String& path, int32_t index)
{
    return IsLoaded() ? mExports.removeArrayItemAt(handle, Utf8(path).c_str(), index) : E_FAIL;
}

} // namespace KV
