#pragma once
// The settings store's binding to the settings library: the loaded library and one
// pointer per export, all null while it is not loaded.

#include "Platform/Settings/IniFileManager/IniFileExports.h"
#include "System/IniFileManager.h"

namespace KV {

class CIniFileManagerProxy final : public IIniFileManager
{
public:
    CIniFileManagerProxy() = default;
    CIniFileManagerProxy(const CIniFileManagerProxy&) = delete;
    CIniFileManagerProxy& operator=(const CIniFileManagerProxy&) = delete;
    // Lets go of nothing: the owner unloads first.
    ~CIniFileManagerProxy() = default;

    KVRESULT Load(const String& folder) override;
    KVRESULT Unload() override;
    KVRESULT OpenIniFile(const String& path, const String& version, const String& application,
                         int32_t& handle) override;
    KVRESULT WriteIniFile(int32_t handle) override;
    bool DoesNodeExist(int32_t handle, const String& path) override;
    KVRESULT CloseIniFile(int32_t handle, int32_t flags) override;
    KVRESULT GetIniValueInt(int32_t handle, const String& path, int32_t defaultValue,
                            int32_t& value) override;
    KVRESULT SetIniValueInt(int32_t handle, const String& path, int32_t value) override;
    KVRESULT GetIniValueStr(int32_t handle, const String& path, const String& defaultValue,
                            String& value) override;
    KVRESULT SetIniValueStr(int32_t handle, const String& path, const String& value) override;
    KVRESULT GetKeyCount(int32_t handle, const String& path, int32_t& count) override;
    KVRESULT GetKeyNameAt(int32_t handle, const String& path, int32_t index, String& name) override;
    KVRESULT GetArrayCount(int32_t handle, const String& path, int32_t& count) override;
    KVRESULT SetArrayCount(int32_t handle, const String& path, int32_t count) override;
    KVRESULT GetArrayItemAt(int32_t handle, const String& path, int32_t index, String& item) override;
    KVRESULT SetArrayItemAt(int32_t handle, const String& path, int32_t index, const String& item) override;
    KVRESULT RemoveArrayItemAt(int32_t handle, const String& path, int32_t index) override;

private:
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

    bool IsLoaded() const noexcept { return mModule != nullptr; }

    void* mModule = nullptr;
    Exports mExports;
};

} // namespace KV
