#include "Storage/Array.h"
#include "Storage/ArrayBuffer.h"
#include "Storage/SimpleFixedArray.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

using KV::IArray;

namespace {

std::vector<int32_t> Contents(const IArray<int32_t>& array)
{
    const int32_t* data = array.GetDataConst();
    return array.GetCount() == 0 ? std::vector<int32_t>{}
                                 : std::vector<int32_t>(data, data + array.GetCount());
}

void Fill(IArray<int32_t>& array, const std::vector<int32_t>& values)
{
    ASSERT_EQ(array.SetCount(static_cast<uint32_t>(values.size())), static_cast<int32_t>(values.size()));
    for (size_t i = 0; i < values.size(); ++i)
        *array.GetAt(static_cast<uint32_t>(i)) = values[i];
}

// Columns of the result table: Array<T> answers InsertItem (and so AddItem) with the index
// and refuses empty ranges at or past the end; the buffer and fixed arrays answer with the
// new count and accept any empty range.
enum Column
{
    kVectorColumn,
    kOthersColumn,
    kColumns
};

template <class A, Column C> struct Case
{
    using Type = A;
    static constexpr Column column = C;
};

// The small inline size of ArrayBufferM makes the table cross it both ways.
using ArrayCases =
    ::testing::Types<Case<KV::Array<int32_t>, kVectorColumn>, Case<KV::ArrayBuffer<int32_t>, kOthersColumn>,
                     Case<KV::ArrayBufferM<int32_t, 4>, kOthersColumn>,
                     Case<KV::SimpleFixedArray<int32_t, 8>, kOthersColumn>>;

template <class C> class ArrayClasses : public ::testing::Test
{
};
TYPED_TEST_SUITE(ArrayClasses, ArrayCases);

constexpr int32_t kThrows = 0x40000000; // the operation throws std::out_of_range
const std::vector<int32_t> kStart = {10, 20, 30};
constexpr uint32_t kHuge = 0xFFFFFFFF;

struct Row
{
    const char* what;
    std::function<int32_t(IArray<int32_t>&)> operation;
    std::array<int32_t, kColumns> result;
    std::vector<int32_t> after;
};

// Each operation runs on an array holding kStart.
const std::vector<Row>& ResultTable()
{
    static const KV::Array<int32_t> other = [] {
        KV::Array<int32_t> a;
        a.AddItem(7);
        a.AddItem(8);
        return a;
    }();
    static const KV::Array<int32_t> none;
    static const std::vector<Row> rows = {
        {"AddItem", [](auto& a) { return a.AddItem(40); }, {3, 4}, {10, 20, 30, 40}},
        {"InsertItem inside", [](auto& a) { return a.InsertItem(1, 15); }, {1, 4}, {10, 15, 20, 30}},
        {"InsertItem of an own element",
         [](auto& a) { return a.InsertItem(0, *a.GetAt(2)); },
         {0, 4},
         {30, 10, 20, 30}},
        {"InsertItem past the end",
         [](auto& a) { return a.InsertItem(4, 40); },
         {E_INVALIDARG, E_INVALIDARG},
         kStart},
        {"InsertSpace at the end", [](auto& a) { return a.InsertSpace(3, 2); }, {5, 5}, {10, 20, 30, 0, 0}},
        {"InsertSpace of nothing past the end",
         [](auto& a) { return a.InsertSpace(5, 0); },
         {E_INVALIDARG, 3},
         kStart},
        {"InsertSpace whose count wraps",
         [](auto& a) { return a.InsertSpace(1, kHuge); },
         {E_INVALIDARG, E_INVALIDARG},
         kStart},
        {"RemoveItems", [](auto& a) { return a.RemoveItems(0, 2); }, {1, 1}, {30}},
        {"RemoveItems of nothing at the end",
         [](auto& a) { return a.RemoveItems(3, 0); },
         {E_INVALIDARG, 3},
         kStart},
        {"RemoveItems past the end",
         [](auto& a) { return a.RemoveItems(2, 2); },
         {E_INVALIDARG, E_INVALIDARG},
         kStart},
        {"RemoveItems whose count wraps",
         [](auto& a) { return a.RemoveItems(1, kHuge); },
         {E_INVALIDARG, E_INVALIDARG},
         kStart},
        {"RemoveItems whose index wraps",
         [](auto& a) { return a.RemoveItems(kHuge, 2); },
         {E_INVALIDARG, E_INVALIDARG},
         kStart},
        {"RemoveItem",
         [](auto& a) {
             int32_t out = -1;
             const int32_t result = a.RemoveItem(1, out);
             EXPECT_EQ(out, 20);
             return result;
         },
         {2, 2},
         {10, 30}},
        {"RemoveItem past the end",
         [](auto& a) {
             int32_t out = -1;
             struct Check
             {
                 int32_t& out;
                 ~Check() { EXPECT_EQ(out, -1); }
             } check{out};
             return a.RemoveItem(3, out);
         },
         {kThrows, E_INVALIDARG},
         kStart},
        {"RemoveLastItem",
         [](auto& a) {
             int32_t out = -1;
             const int32_t result = a.RemoveLastItem(out);
             EXPECT_EQ(out, 30);
             return result;
         },
         {2, 2},
         {10, 20}},
        {"Clear", [](auto& a) { return a.Clear(); }, {0, 0}, {}},
        {"SetCount up", [](auto& a) { return a.SetCount(5); }, {5, 5}, {10, 20, 30, 0, 0}},
        {"SetCount down", [](auto& a) { return a.SetCount(1); }, {1, 1}, {10}},
        {"SwapItems", [](auto& a) { return a.SwapItems(0, 2); }, {0, 0}, {30, 20, 10}},
        {"SwapItems past the end",
         [](auto& a) { return a.SwapItems(0, 3); },
         {E_INVALIDARG, E_INVALIDARG},
         kStart},
        {"AppendAll", [](auto& a) { return a.AppendAll(other); }, {5, 5}, {10, 20, 30, 7, 8}},
        {"AppendAll of nothing", [](auto& a) { return a.AppendAll(none); }, {3, 3}, kStart},
        {"AppendAll of itself", [](auto& a) { return a.AppendAll(a); }, {6, 6}, {10, 20, 30, 10, 20, 30}},
        {"AssignAll", [](auto& a) { return a.AssignAll(other); }, {2, 2}, {7, 8}},
        {"AssignAll of itself", [](auto& a) { return a.AssignAll(a); }, {3, 3}, kStart},
        {"SetRange whose count wraps",
         [](auto& a) {
             const int32_t source[] = {7, 8, 9};
             return a.SetRange(source, 1, kHuge);
         },
         {2, 2},
         {10, 7, 8}},
        {"SetRange past the end",
         [](auto& a) {
             const int32_t source[] = {7};
             return a.SetRange(source, 3, 1);
         },
         {0, 0},
         kStart},
    };
    return rows;
}

} // namespace

TYPED_TEST(ArrayClasses, ResultTable)
{
    for (const Row& row : ResultTable())
    {
        SCOPED_TRACE(row.what);
        typename TypeParam::Type array;
        Fill(array, kStart);
        int32_t result;
        try
        {
            result = row.operation(array);
        }
        catch (const std::out_of_range&)
        {
            result = kThrows;
        }
        EXPECT_EQ(result, row.result[TypeParam::column]);
        EXPECT_EQ(Contents(array), row.after);
    }
}

TYPED_TEST(ArrayClasses, PositionsStayInsideTheArray)
{
    typename TypeParam::Type array;
    EXPECT_EQ(array.BeginConst().position, nullptr);
    EXPECT_EQ(array.EndConst().position, nullptr);
    EXPECT_EQ(array.Advance(nullptr, 1), nullptr);

    Fill(array, kStart);
    const int32_t* first = array.BeginConst().position;
    const int32_t* end = array.EndConst().position;
    ASSERT_EQ(first, array.GetDataConst());
    ASSERT_EQ(end, first + 3);
    EXPECT_EQ(array.Advance(first, -1), first);
    EXPECT_EQ(array.Advance(first, 2), first + 2);
    EXPECT_EQ(array.Advance(first + 2, 1), end);
    EXPECT_EQ(array.Advance(first, 5), end);
    EXPECT_EQ(array.Advance(end, -3), first);
}

TEST(Array, CheckedAccessAndOwnElementsOfNonTrivialType)
{
    KV::Array<std::string> a;
    a.AddItem("one");
    a.AddItem("two");
    EXPECT_THROW(a.GetAt(2), std::out_of_range);
    EXPECT_THROW(static_cast<const KV::Array<std::string>&>(a).GetAtConst(2), std::out_of_range);

    // Each insertion may reallocate the storage its argument lives in.
    for (int i = 0; i < 20; ++i)
        ASSERT_EQ(a.InsertItem(0, *a.GetAt(a.GetCount() - 1)), 0);
    EXPECT_EQ(a.AppendAll(a), 44);
    EXPECT_EQ(*a.GetAt(0), "two");
    EXPECT_EQ(*a.GetAt(20), "one");
    EXPECT_EQ(*a.GetAt(42), "one");

    std::string out = "kept";
    KV::Array<std::string> empty;
    EXPECT_THROW(empty.RemoveLastItem(out), std::out_of_range);
    EXPECT_EQ(out, "kept");
}

TEST(SimpleFixedArray, NeverHoldsMoreThanItsSize)
{
    KV::SimpleFixedArray<signed char, 8> a;
    EXPECT_EQ(a.GetMaxCount(), 8u);
    EXPECT_EQ(a.SetCount(10), 8);
    EXPECT_EQ(a.AddItem(1), E_INVALIDARG);
    EXPECT_EQ(a.InsertSpace(0, 1), E_INVALIDARG);
    EXPECT_EQ(a.GetCount(), 8u);
    EXPECT_EQ(a.RemoveItems(2, 3), 5);
    EXPECT_EQ(a.InsertSpace(0, 4), E_INVALIDARG);
    EXPECT_EQ(a.InsertSpace(5, 3), 8);
}

TEST(ArrayBufferM, ElementsMoveBetweenInlineStorageAndBlock)
{
    KV::ArrayBufferM<signed char, 4> a;
    const signed char bytes[] = {1, 2, 3, 4, 5};
    ASSERT_EQ(a.SetCount(4), 4);
    a.SetRange(bytes, 0, 4);
    EXPECT_EQ(a.GetCapacity(), 0u);

    EXPECT_EQ(a.AddItem(5), 5);
    EXPECT_NE(a.GetCapacity(), 0u);
    EXPECT_EQ(std::vector<signed char>(a.GetData(), a.GetData() + 5),
              std::vector<signed char>(bytes, bytes + 5));

    signed char last = 0;
    EXPECT_EQ(a.RemoveLastItem(last), 4);
    EXPECT_EQ(last, 5);
    EXPECT_EQ(a.GetCapacity(), 0u);
    EXPECT_EQ(std::vector<signed char>(a.GetData(), a.GetData() + 4),
              std::vector<signed char>(bytes, bytes + 4));

    // Space opened inside is cleared whether it lands inline or in the block.
    EXPECT_EQ(a.InsertSpace(1, 1), 5);
    EXPECT_EQ(*a.GetAt(1), 0);
    EXPECT_EQ(a.RemoveItems(0, 2), 3);
    EXPECT_EQ(a.InsertSpace(1, 1), 4);
    EXPECT_EQ(std::vector<signed char>(a.GetData(), a.GetData() + 4), (std::vector<signed char>{2, 0, 3, 4}));
}

TEST(ArrayBufferM, FillsReachTheInlineElementsWithTheBufferRangeRules)
{
    KV::ArrayBufferM<signed char, 4> a;
    ASSERT_EQ(a.SetCount(3), 3);
    KV::IBuffer& buffer = a;
    EXPECT_EQ(buffer.FillBytes(7, 1, -1), S_OK);
    EXPECT_EQ(buffer.FillBytes(9, 3, -1), S_OK); // an empty range at the end
    EXPECT_EQ(buffer.FillBytes(9, 4, -1), E_INVALIDARG);
    EXPECT_EQ(buffer.FillBytes(9, 2, 2), E_INVALIDARG);
    EXPECT_EQ(buffer.FillWords(0x0101, 0, 2), E_INVALIDARG);
    EXPECT_EQ(std::vector<signed char>(a.GetData(), a.GetData() + 3), (std::vector<signed char>{0, 7, 7}));
    EXPECT_EQ(buffer.FillWords(0x0505, 0, -1), S_OK);
    EXPECT_EQ(std::vector<signed char>(a.GetData(), a.GetData() + 3), (std::vector<signed char>{5, 5, 7}));
}

TEST(ArrayBuffer, GrowsAndShrinksByItsGranuleAndSlack)
{
    KV::ArrayBuffer<uint32_t, 4, 4> a;
    ASSERT_EQ(a.SetCount(5), 5);
    EXPECT_EQ(a.GetCapacity(), 8 * sizeof(uint32_t));
    ASSERT_EQ(a.SetCount(4), 4);
    EXPECT_EQ(a.GetCapacity(), 8 * sizeof(uint32_t));
    ASSERT_EQ(a.SetCount(3), 3);
    EXPECT_EQ(a.GetCapacity(), 4 * sizeof(uint32_t));
    EXPECT_EQ(a.GetMaxCount(), 0x7FFFFFFFu / 4);
    EXPECT_EQ(a.SetCount(0x7FFFFFFFu / 4 + 1), E_INVALIDARG);
    EXPECT_EQ(a.GetCount(), 3u);
}
