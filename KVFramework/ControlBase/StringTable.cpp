#include "ControlBase/StringTable.h"

namespace KV {

RCPtr<LStringTable> LStringTable::Create(const TextMap& texts)
{
    return RCPtr<LStringTable>(new LStringTable(texts));
}

KVRESULT LStringTable::SetString(const String& key, const String& text)
{
    if (key.IsEmpty())
        return E_INVALIDARG;
    const auto [entry, added] = mTexts.insert_or_assign(key, text);
    (void)entry;
    return added ? S_OK : S_FALSE;
}

KVRESULT LStringTable::GetEntries(IArray<Entry>& entries) const
{
    entries.Clear();
    for (const auto& [key, text] : mTexts)
        entries.AddItem(Entry{key, text});
    return S_OK;
}

} // namespace KV
