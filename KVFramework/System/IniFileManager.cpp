#include "System/IniFileManager.h"

#include "System/IniFileManagerProxy.h"

namespace KV {

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
    return mProxy->OpenIniFile(path, version, application, handle);
}

KVRESULT LIniFileManager::WriteIniFile(int32_t handle)
{
    return mProxy->WriteIniFile(handle);
}

bool LIniFileManager::DoesNodeExist(int32_t handle, const String& path)
{
    return mProxy->DoesNodeExist(handle, path);
}

KVRESULT LIniFileManager::CloseIniFile(int32_t handle, int32_t flags)
{
    return mProxy->CloseIniFile(handle, flags);
}

KVRESULT LIniFileManager::GetIniValueInt(int32_t handle, const String& path, int32_t defaultValue,
                                         int32_t& value)
{
    return mProxy->GetIniValueInt(handle, path, defaultValue, value);
}

KVRESULT LIniFileManager::SetIniValueInt(int32_t handle, const String& path, int32_t value)
{
    return mProxy->SetIniValueInt(handle, path, value);
}

KVRESULT LIniFileManager::GetIniValueStr(int32_t handle, const String& path, const String& defaultValue,
                                         String& value)
{
    return mProxy->GetIniValueStr(handle, path, defaultValue, value);
}

KVRESULT LIniFileManager::SetIniValueStr(int32_t handle, const String& path, const String& value)
{
    return mProxy->SetIniValueStr(handle, path, value);
}

KVRESULT LIniFileManager::GetKeyCount(int32_t handle, const String& path, int32_t& count)
{
    return mProxy->GetKeyCount(handle, path, count);
}

KVRESULT LIniFileManager::GetKeyNameAt(int32_t handle, const String& path, int32_t index, String& name)
{
    return mProxy->GetKeyNameAt(handle, path, index, name);
}

KVRESULT LIniFileManager::GetArrayCount(int32_t handle, const String& path, int32_t& count)
{
    return mProxy->GetArrayCount(handle, path, count);
}

KVRESULT LIniFileManager::SetArrayCount(int32_t handle, const String& path, int32_t count)
{
    return mProxy->SetArrayCount(handle, path, count);
}

KVRESULT LIniFileManager::GetArrayItemAt(int32_t handle, const String& path, int32_t index, String& item)
{
    return mProxy->GetArrayItemAt(handle, path, index, item);
}

KVRESULT LIniFileManager::SetArrayItemAt(int32_t handle, const String& path, int32_t index,
                                         const String& item)
{
    return mProxy->SetArrayItemAt(handle, path, index, item);
}

KVRESULT LIniFileManager::RemoveArrayItemAt(int32_t handle, const String& path, int32_t index)
{
    return mProxy->RemoveArrayItemAt(handle, path, index);
}

} // namespace KV
