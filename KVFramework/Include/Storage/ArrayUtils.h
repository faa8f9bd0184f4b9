#pragma once
// Sorting of IArray ranges. Both sorts are stable: equal elements keep their order, so a
// predicate needs no tie-break of its own.

#include "ObjectBase/Exception.h"
#include "Storage/IArray.h"

#include <algorithm>

namespace KV::ArrayUtils {

// Sorts the elements [start, start + count) in place by `less`. Throws
// Exception<std::out_of_range> when the range passes the end, before touching the array.
template <class T, class Less> void Sort(IArray<T>& array, uint32_t start, uint32_t count, Less less)
{
    if (count < 2)
        return;
    const uint32_t total = array.GetCount();
    if (start > total || count > total - start)
        KV_THROW(std::out_of_range, "");
    T* first = array.GetAt(start);
    std::stable_sort(first, first + count, less);
}

// Fills `indexes` with start, start + 1, ..., start + count - 1 and sorts them by `less`,
// which compares two index values (it reaches the keys itself). The keys are only counted:
// the range must lie inside them, and `indexes` must be able to hold count elements,
// otherwise Exception<std::out_of_range> is thrown before either array is touched.
template <class K, class Less>
void SortIndecies(IArray<uint32_t>& indexes, const IIterable<K>& keys, uint32_t start, uint32_t count,
                  Less less)
{
    const uint32_t total = keys.GetCount();
    if (start > total || count > total - start || count > indexes.GetMaxCount())
        KV_THROW(std::out_of_range, "");
    if (indexes.SetCount(count) != static_cast<int32_t>(count))
        KV_THROW(std::out_of_range, "");
    uint32_t* first = indexes.GetData();
    for (uint32_t i = 0; i < count; ++i)
        first[i] = start + i;
    if (count < 2)
        return;
    std::stable_sort(first, first + count, less);
}

} // namespace KV::ArrayUtils
