#pragma once
// KeyCodeTable: the key codes bound to names, where a name is a notification identifier
// ("NID_MY_COMMAND"). String tables fill it from entries such as
// "GHK.NID_MY_COMMAND" = "CTRL+VKEY_F5"; a key is bound to at most one name.
//
// Used on the window thread only; it takes no lock.

#include "Notification/NotificationId.h"
#include "ObjectBase/RCPtr.h"
#include "Storage/Array.h"
#include "System/KeyCode.h"

#include <functional>
#include <map>

namespace KV {

class LStringTable;

class KeyCodeTable
{
public:
    // Appends the key to the name's list. E_INVALIDARG for an empty name or for a key
    // that is bound already (to this or another name); the table is unchanged then.
    KVRESULT AddKeyCode(const KeyCode& key, const char16_t* name);
    // A copy of the name's keys, in the order they were added; empty for an unknown name.
    Array<KeyCode> GetKeyCodes(const char16_t* name) const;
    // The name's first key, or the empty binding.
    KeyCode GetFirstKeyCode(const char16_t* name) const;
    bool HasName(const char16_t* name) const;
    // The name bound to an equal key, or the empty string.
    String FindNameByKeyCode(const KeyCode& key) const;
    // Binds every entry whose key begins with the prefix and "." to the part of the key
    // after its last "."; entries that cannot be bound are skipped. E_INVALIDARG
    // without a table, else 0.
    KVRESULT LoadFromStringTable(const RCPtr<LStringTable>& table, const char16_t* prefix);
    // Erases every binding (a root window reloads its keys with each new root control).
    void Clear() { mKeysByName.clear(); }
    bool IsEmpty() const noexcept { return mKeysByName.empty(); }

private:
    const Array<KeyCode>* Find(const char16_t* name) const;

    std::map<NotificationId, Array<KeyCode>, std::less<const void*>> mKeysByName;
};

} // namespace KV
