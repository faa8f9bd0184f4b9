#pragma once
// A list of strings: the pieces of a split text, the entries of a folder, the table of
// interned identifiers.

#include "Storage/Array.h"
#include "Storage/StringT.h"

#include <cstdint>

namespace KV {

template <class C, class O> class StringArrayT : public Array<StringT<C, O>>
{
public:
    using StringType = StringT<C, O>;

    // The index of the first element equal to the string, -1 when none. Exact: the same
    // buffer or the same characters. Otherwise: the same characters address, or equal
    // when ASCII letters are compared without case.
    int32_t FindString(const StringType& text, bool exact) const
    {
        const uint32_t count = this->GetCount();
        for (uint32_t i = 0; i < count; ++i)
        {
            const StringType& item = *this->GetAtConst(i);
            if (exact ? item.Equals(text) : item.GetText() == text.GetText() || item.EqualsIgnoringCase(text))
                return static_cast<int32_t>(i);
        }
        return -1;
    }

    // The index of the last element whose characters lie at that very address, -1 when
    // none: identity, not content.
    int32_t FindTextPointer(const C* text) const
    {
        for (uint32_t i = this->GetCount(); i-- > 0;)
            if (this->GetAtConst(i)->GetText() == text)
                return static_cast<int32_t>(i);
        return -1;
    }
};

using StringArray = StringArrayT<char16_t, char>;

} // namespace KV
