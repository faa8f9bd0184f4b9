#include "ControlBase/StringTable.h"

namespace KV {

RCPtr<LStringTable> LStringTable::Create(const TextMap& texts)
{
    return RCPtr<LStringTable>(new LStringTable(texts));
}

bool LStringTable::GetString(const char16_t* key, String& text) const
{
    const auto entry = mTexts.find(key ? String(key) : String());
    if (entry == mTexts.end())
        return false;
    text = entry->second;
    return true;
}

bool LStringTable::HasKey(const char16_t* key) const
{
    return mTexts.contains(key ? String(key) : String());
}

KVRESULT LStringTable::SetString(const String& key, const String& text)
{
    if (key.IsEmpty())
        return E_INVALIDARG;
    const auto [entry, added] = mTexts.insert_or_assign(key, text);
    (void)entry;
    return added ? S_OK : S_FALSE;
}

KVRESULT LStringTable::GetEntriesWithPrefix(const String& prefix, IArray<Entry>& entries) const
{
    entries.Clear();
    // Keys that begin with the prefix form one run of the ordinal order, starting at the
    // first key not less than the prefix itself.
    for (auto entry = mTexts.lower_bound(prefix); entry != mTexts.end(); ++entry)
    {
        if (!entry->first.View().starts_with(prefix.View()))
            break;
        entries.AddItem(Entry{entry->first, entry->second});
    }
    return S_OK;
}

KVRESULT LStringTable::GetEntries(IArray<Entry>& entries) const
{
    return GetEntriesWithPrefix(String(), entries);
}

} // namespace KV
