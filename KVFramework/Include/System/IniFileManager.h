#pragma once
// The settings store: the program's side of the settings library libIniFileManager.so.
//
// The library is loaded at run time from a folder and called through its fifteen C
// exports; every wide text is passed to it as UTF-8 and every text it gives back is
// read as UTF-8. While the library is not loaded, each operation answers E_FAIL (false
// for DoesNodeExist) and leaves its out value as the table of defaults says: the
// handle and counts 0, integer values and texts the given default, names and items
// empty. While loaded, the exports' results are passed on unchanged: 0 for success,
// negative for failures, -2 from a text export for a buffer that was too small (which
// the store handles itself by asking again).

#include "KVResult.h"
#include "ObjectBase/RCPtr.h"
#include "ObjectBase/RefCountedObject.h"
#include "Storage/StringT.h"

#include <cstdint>
#include <memory>

namespace KV {

class IIniFileManager
{
public:
    // Loads the library from the folder (the executable's folder for an empty text):
    // S_OK, S_FALSE when one is loaded already, E_FAIL when the file is missing, cannot
    // be loaded or lacks an export (the library is then let go again).
    virtual KVRESULT Load(const String& folder) = 0;
    // S_OK when the library was let go, S_FALSE when none was loaded, E_FAIL when the
    // system refused. Open files of the library end with it.
    virtual KVRESULT Unload() = 0;
    // A non-zero handle on success.
    virtual KVRESULT OpenIniFile(const String& path, const String& version, const String& application,
                                 int32_t& handle) = 0;
    virtual KVRESULT WriteIniFile(int32_t handle) = 0;
    virtual bool DoesNodeExist(int32_t handle, const String& path) = 0;
    virtual KVRESULT CloseIniFile(int32_t handle, int32_t flags) = 0;
    // The value is the default when the key is missing or the call fails.
    virtual KVRESULT GetIniValueInt(int32_t handle, const String& path, int32_t defaultValue,
                                    int32_t& value) = 0;
    virtual KVRESULT SetIniValueInt(int32_t handle, const String& path, int32_t value) = 0;
    virtual KVRESULT GetIniValueStr(int32_t handle, const String& path, const String& defaultValue,
                                    String& value) = 0;
    virtual KVRESULT SetIniValueStr(int32_t handle, const String& path, const String& value) = 0;
    virtual KVRESULT GetKeyCount(int32_t handle, const String& path, int32_t& count) = 0;
    virtual KVRESULT GetKeyNameAt(int32_t handle, const String& path, int32_t index, String& name) = 0;
    virtual KVRESULT GetArrayCount(int32_t handle, const String& path, int32_t& count) = 0;
    virtual KVRESULT SetArrayCount(int32_t handle, const String& path, int32_t count) = 0;
    virtual KVRESULT GetArrayItemAt(int32_t handle, const String& path, int32_t index, String& item) = 0;
    virtual KVRESULT SetArrayItemAt(int32_t handle, const String& path, int32_t index,
                                    const String& item) = 0;
    virtual KVRESULT RemoveArrayItemAt(int32_t handle, const String& path, int32_t index) = 0;

protected:
    ~IIniFileManager() = default;
};

class CIniFileManagerProxy;

// The shared settings store that the application holds and hands out: the one
// implementation of the operations, which call the library's exports through the
// binding that loads it. Dropping the last reference does not let go of the library:
// its owner calls Unload first.
class LIniFileManager : public IIniFileManager, public virtual LRefCountedObject
{
public:
    static RCPtr<LIniFileManager> Create();

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

protected:
    LIniFileManager();
    ~LIniFileManager() override;

private:
    std::unique_ptr<CIniFileManagerProxy> mProxy;
};

} // namespace KV
