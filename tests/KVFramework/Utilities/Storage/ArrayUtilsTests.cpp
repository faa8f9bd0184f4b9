#include "Storage/Array.h"
#include "Storage/ArrayUtils.h"
#include "Storage/Pair.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Entry = KV::Pair<int, int>; // key, then the place it was added at

KV::Array<Entry> Entries(const std::vector<int>& keys)
{
    KV::Array<Entry> a;
    for (int i = 0; i < static_cast<int>(keys.size()); ++i)
        a.AddItem({keys[i], i});
    return a;
}

std::vector<int> Places(const KV::Array<Entry>& a)
{
    std::vector<int> places;
    for (uint32_t i = 0; i < a.GetCount(); ++i)
        places.push_back(a.GetAtConst(i)->second);
    return places;
}

bool ByKey(const Entry& l, const Entry& r)
{
    return l.first < r.first;
}

std::string FunctionOf(const std::exception& e)
{
    const std::string text = e.what();
    const size_t kindEnd = text.find(" : ");
    return text.substr(kindEnd + 3, text.find(" : ", kindEnd + 3) - kindEnd - 3);
}

} // namespace

TEST(ArrayUtilsSort, IsStableAndStaysInsideItsRange)
{
    // Enough elements that an unstable sort would be seen to move equal keys.
    std::vector<int> keys;
    for (int i = 0; i < 64; ++i)
        keys.push_back((i * 7) % 3);
    KV::Array<Entry> a = Entries(keys);
    KV::ArrayUtils::Sort(a, 0, a.GetCount(), ByKey);
    for (uint32_t i = 1; i < a.GetCount(); ++i)
    {
        const Entry& l = *a.GetAt(i - 1);
        const Entry& r = *a.GetAt(i);
        ASSERT_TRUE(l.first < r.first || (l.first == r.first && l.second < r.second)) << i;
    }

    KV::Array<Entry> part = Entries({5, 4, 3, 2, 1});
    KV::ArrayUtils::Sort(part, 1, 3, ByKey);
    EXPECT_EQ(Places(part), (std::vector<int>{0, 3, 2, 1, 4}));
}

TEST(ArrayUtilsSort, RangePastTheEndThrowsBeforeTouchingTheArray)
{
    KV::Array<Entry> a = Entries({3, 2, 1});
    for (auto [start, count] :
         {std::pair<uint32_t, uint32_t>{2, 2}, {0, 4}, {0xFFFFFFFF, 2}, {1, 0xFFFFFFFF}})
    {
        try
        {
            KV::ArrayUtils::Sort(a, start, count, ByKey);
            ADD_FAILURE() << start << "," << count << " did not throw";
        }
        catch (const KV::Exception<std::out_of_range>& e)
        {
            EXPECT_EQ(FunctionOf(e), "KV::ArrayUtils::Sort");
        }
        EXPECT_EQ(Places(a), (std::vector<int>{0, 1, 2}));
    }
    // Fewer than two elements is nothing to do, wherever they are.
    EXPECT_NO_THROW(KV::ArrayUtils::Sort(a, 9, 1, ByKey));
}

TEST(ArrayUtilsSortIndecies, FillsAndSortsIndexesOfTheRange)
{
    const KV::Array<Entry> keys = Entries({9, 1, 5, 3, 5});
    auto byKey = [&keys](uint32_t l, uint32_t r) {
        return keys.GetAtConst(l)->first < keys.GetAtConst(r)->first;
    };
    KV::Array<uint32_t> indexes;

    KV::ArrayUtils::SortIndecies(indexes, keys, 2, 3, byKey);
    EXPECT_EQ(std::vector<uint32_t>(indexes.GetData(), indexes.GetData() + indexes.GetCount()),
              (std::vector<uint32_t>{3, 2, 4})); // 5 at 2 stays before 5 at 4

    KV::ArrayUtils::SortIndecies(indexes, keys, 4, 1, byKey);
    EXPECT_EQ(std::vector<uint32_t>(indexes.GetData(), indexes.GetData() + indexes.GetCount()),
              (std::vector<uint32_t>{4}));

    try
    {
        KV::ArrayUtils::SortIndecies(indexes, keys, 3, 3, byKey);
        ADD_FAILURE() << "did not throw";
    }
    catch (const KV::Exception<std::out_of_range>& e)
    {
        EXPECT_EQ(FunctionOf(e), "KV::ArrayUtils::SortIndecies");
    }
    EXPECT_EQ(indexes.GetCount(), 1u);
}
