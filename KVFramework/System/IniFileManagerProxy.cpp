#include "System/IniFileManagerProxy.h"

#include "Platform/Folders/UserFolders.h"
#include "Platform/Library/SharedLibrary.h"

#include <algorithm>
#include <string>
#include <type_traits>

namespace KV {

namespace {

constexpr char kLibraryFileName[] = "libIniFileManager.so";

// The path of the library in the folder; the executable's folder stands in for an
// empty one, so the library is always named by a full path.
std::string LibraryPath(const String& folder)
{
    std::string path =
        folder.IsEmpty() ? Platform::GetExecutableFolder() : std::string(folder.ToNarrow().View());
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.empty() || path.back() != '/')
        path += '/';
    return path + kLibraryFileName;
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

} // namespace KV
