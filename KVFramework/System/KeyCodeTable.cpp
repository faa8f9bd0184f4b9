#include "System/KeyCodeTable.h"

#include "ControlBase/StringTable.h"

namespace KV {

const Array<KeyCode>* KeyCodeTable::Find(const char16_t* name) const
{
    const NotificationId id = InternNotificationId(name);
    if (!id)
        return nullptr;
    const auto found = mKeysByName.find(id);
    return found == mKeysByName.end() ? nullptr : &found->second;
}

KVRESULT KeyCodeTable::AddKeyCode(const KeyCode& key, const char16_t* name)
{
    const NotificationId id = InternNotificationId(name);
    if (!id || !FindNameByKeyCode(key).IsEmpty())
        return E_INVALIDARG;
    if (mKeysByName[id].AddItem(key) < 0)
        return E_FAIL;
    return S_OK;
}

Array<KeyCode> KeyCodeTable::GetKeyCodes(const char16_t* name) const
{
    const Array<KeyCode>* keys = Find(name);
    return keys ? *keys : Array<KeyCode>();
}

KeyCode KeyCodeTable::GetFirstKeyCode(const char16_t* name) const
{
    const Array<KeyCode>* keys = Find(name);
    return keys && keys->GetCount() != 0 ? *keys->GetAtConst(0) : KeyCode();
}

bool KeyCodeTable::HasName(const char16_t* name) const
{
    return Find(name) != nullptr;
}

String KeyCodeTable::FindNameByKeyCode(const KeyCode& key) const
{
    for (const auto& [id, keys] : mKeysByName)
    {
        for (uint32_t i = keys.GetCount(); i-- > 0;)
            if (keys.GetAtConst(i)->Equals(key))
                return String(id);
    }
    return String();
}

KVRESULT KeyCodeTable::LoadFromStringTable(const RCPtr<LStringTable>& table, const char16_t* prefix)
{
    if (!table)
        return E_INVALIDARG;
    String start(prefix);
    start += u'.';
    Array<LStringTable::Entry> entries;
    table->GetEntries(entries);
    for (uint32_t i = 0; i < entries.GetCount(); ++i)
    {
        const LStringTable::Entry& entry = *entries.GetAtConst(i);
        if (entry.first.Left(start.GetLength()) != start)
            continue;
        const String name = entry.first.MidFrom(entry.first.FindLastChar('.') + 1);
        (void)AddKeyCode(KeyCode::Parse(entry.second), name.GetText());
    }
    return S_OK;
}

} // namespace KV
