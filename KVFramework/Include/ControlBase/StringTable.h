#pragma once
// LStringTable: one named set of (key, text) pairs in one language, read from the
// string-table documents. Tables are made once and only read afterwards; the control
// factory hands out copies, so no two holders ever share texts.

#include "ObjectBase/RCPtr.h"
#include "Storage/IArray.h"
#include "Storage/Pair.h"
#include "Storage/StringT.h"

#include <map>

namespace KV {

class LStringTable : public virtual LRefCountedObject
{
public:
    using Entry = Pair<String, String>;
    using TextMap = std::map<String, String>; // ordinal order of the keys

    // A new table holding a copy of the map.
    static RCPtr<LStringTable> Create(const TextMap& texts = {});

    // True and the text when the key exists; false and `text` untouched otherwise, so a
    // caller can fill in its default first. A null key is the empty key.
    bool GetString(const char16_t* key, String& text) const;
    bool HasKey(const char16_t* key) const;
    // E_INVALIDARG for an empty key; 1 when the key's text was replaced; 0 when added.
    KVRESULT SetString(const String& key, const String& text);
    // 0; the array is emptied, then receives every pair whose key begins with the prefix
    // (exactly, letter case included), in ascending key order. An empty prefix lists all.
    KVRESULT GetEntriesWithPrefix(const String& prefix, IArray<Entry>& entries) const;
    // 0; the array is emptied, then receives every pair in ascending key order.
    KVRESULT GetEntries(IArray<Entry>& entries) const;

    const TextMap& GetTexts() const noexcept { return mTexts; }

protected:
    ~LStringTable() override = default;

private:
    explicit LStringTable(const TextMap& texts) : mTexts(texts) {}

    TextMap mTexts;
};

} // namespace KV
