#include "ControlBase/StringTable.h"
#include "Storage/Array.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace KV;

namespace {

RCPtr<LStringTable> MakeTable(std::initializer_list<std::pair<const char16_t*, const char16_t*>> texts)
{
    LStringTable::TextMap map;
    for (const auto& [key, text] : texts)
        map.emplace(String(key), String(text));
    return LStringTable::Create(map);
}

std::vector<std::u16string> KeysOf(const Array<LStringTable::Entry>& entries)
{
    std::vector<std::u16string> keys;
    for (uint32_t i = 0; i < entries.GetCount(); ++i)
        keys.emplace_back(entries.GetAtConst(i)->first.View());
    return keys;
}

} // namespace

TEST(StringTable, LooksUpKeysAndLeavesTheDefaultOfAMissingOne)
{
    RCPtr<LStringTable> table = MakeTable({{u"LABEL", u"Update"}});
    String text(u"default");
    EXPECT_FALSE(table->GetString(u"MISSING", text));
    EXPECT_EQ(text, u"default");
    EXPECT_FALSE(table->GetString(nullptr, text));
    EXPECT_FALSE(table->GetString(u"label", text)); // keys match exactly
    EXPECT_TRUE(table->GetString(u"LABEL", text));
    EXPECT_EQ(text, u"Update");
    EXPECT_TRUE(table->HasKey(u"LABEL"));
    EXPECT_FALSE(table->HasKey(nullptr));
}

TEST(StringTable, SetStringAddsReplacesAndRefusesTheEmptyKey)
{
    RCPtr<LStringTable> table = LStringTable::Create();
    EXPECT_EQ(table->SetString(String(), String(u"x")), E_INVALIDARG);
    EXPECT_EQ(table->SetString(String(u"A"), String(u"1")), S_OK);
    EXPECT_EQ(table->SetString(String(u"A"), String(u"2")), S_FALSE);
    String text;
    EXPECT_TRUE(table->GetString(u"A", text));
    EXPECT_EQ(text, u"2");
    EXPECT_EQ(table->GetTexts().size(), 1u);
}

TEST(StringTable, TablesMadeFromOneMapShareNoTexts)
{
    LStringTable::TextMap map{{String(u"A"), String(u"1")}};
    RCPtr<LStringTable> first = LStringTable::Create(map);
    RCPtr<LStringTable> second = LStringTable::Create(map);
    first->SetString(String(u"A"), String(u"changed"));
    String text;
    EXPECT_TRUE(second->GetString(u"A", text));
    EXPECT_EQ(text, u"1");
}

TEST(StringTable, ListsEntriesWithAPrefixInOrdinalKeyOrder)
{
    RCPtr<LStringTable> table = MakeTable({
        {u"LABEL", u"Update"},
        {u"CONTEXT_MENU0.01.NID_B", u"B"},
        {u"CONTEXT_MENU0.00.NID_A", u"A"},
        {u"CONTEXT_MENU", u"the prefix itself"},
        {u"CONTEXT_MENX", u"after the run"},
        {u"CONTEXT_MENU0.\uFF01", u"full-width mark"},
        {u"CONTEXT_MENU0.\U0001F600", u"surrogates sort by their 16-bit units, below U+FF01"},
    });
    Array<LStringTable::Entry> entries;
    entries.AddItem({String(u"stale"), String()});

    const struct
    {
        const char16_t* prefix;
        std::vector<std::u16string> keys;
    } cases[] = {
        {u"CONTEXT_MENU0.",
         {u"CONTEXT_MENU0.00.NID_A", u"CONTEXT_MENU0.01.NID_B", u"CONTEXT_MENU0.\U0001F600",
          u"CONTEXT_MENU0.\uFF01"}},
        {u"LABEL", {u"LABEL"}},
        {u"LABEL_AND_MORE_THAN_ANY_KEY", {}},
        {u"label", {}},
        {u"CONTEXT_MENU",
         {u"CONTEXT_MENU", u"CONTEXT_MENU0.00.NID_A", u"CONTEXT_MENU0.01.NID_B", u"CONTEXT_MENU0.\U0001F600",
          u"CONTEXT_MENU0.\uFF01"}},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(table->GetEntriesWithPrefix(String(c.prefix), entries), S_OK);
        EXPECT_EQ(KeysOf(entries), c.keys) << std::u16string(c.prefix).size();
    }

    EXPECT_EQ(table->GetEntries(entries), S_OK);
    EXPECT_EQ(entries.GetCount(), 7u);
    EXPECT_EQ(entries.GetAtConst(0)->first, u"CONTEXT_MENU");
    EXPECT_EQ(entries.GetAtConst(6)->first, u"LABEL");
    EXPECT_EQ(entries.GetAtConst(6)->second, u"Update");
}
