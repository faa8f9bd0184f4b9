#pragma once
// The settings store's binding to the settings library: the loaded library and one
// pointer per export, all null while it is not loaded. The store's operations
// (LIniFileManager) call the exports through it.

#include "KVResult.h"
#include "Platform/Settings/IniFileManager/IniFileExports.h"
#include "Storage/StringT.h"

namespace KV {

class CIniFileManagerProxy final
{
public:
    struct Exports
    {
        OpenIniFileFn openIniFile = nullptr;
        WriteIniFileFn writeIniFile = nullptr;
        CloseIniFileFn closeIniFile = nullptr;
        DoesNodeExistFn doesNodeExist = nullptr;
        GetIniValueIntFn getIniValueInt = nullptr;
        SetIniValueIntFn setIniValueInt = nullptr;
        GetIniValueStrFn getIniValueStr = nullptr;
        SetIniValueStrFn setIniValueStr = nullptr;
        GetKeyCountFn getKeyCount = nullptr;
        GetKeyNameAtFn getKeyNameAt = nullptr;
        GetArrayCountFn getArrayCount = nullptr;
        SetArrayCountFn setArrayCount = nullptr;
        GetArrayItemAtFn getArrayItemAt = nullptr;
        SetArrayItemAtFn setArrayItemAt = nullptr;
        RemoveArrayItemAtFn removeArrayItemAt = nullptr;
    };

    CIniFileManagerProxy() = default;
    CIniFileManagerProxy(const CIniFileManagerProxy&) = delete;
    CIniFileManagerProxy& operator=(const CIniFileManagerProxy&) = delete;
    // Lets go of nothing: the owner unloads first.
    ~CIniFileManagerProxy() = default;

    // As IIniFileManager::Load and Unload.
    KVRESULT Load(const String& folder);
    KVRESULT Unload();

    bool IsLoaded() const noexcept { return mModule != nullptr; }
    // Every pointer is set while the library is loaded.
    const Exports& GetExports() const noexcept { return mExports; }

private:
    void* mModule = nullptr;
    Exports mExports;
};

} // namespace KV
