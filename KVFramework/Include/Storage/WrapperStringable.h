#pragma once
// A string that is also a reference-counted object, so that text can travel where an
// object is expected: the text of notifications, list rows and clipboard data.

#include "ObjectBase/RCPtr.h"
#include "ObjectBase/TaggableObject.h"
#include "Storage/StringT.h"

namespace KV {

// S is the string (the object's first part); ToStringOf gives the object's text from it.
template <class S = String, String (*ToStringOf)(const S&) = StringToString, class Base = LTaggableObject>
class LWrapperStringable : public S, public virtual Base
{
public:
    // A new object holding a copy of the string.
    static RCPtr<LWrapperStringable> Create(const S& text)
    {
        return RCPtr<LWrapperStringable>(new LWrapperStringable(text));
    }

    String ToString() const override { return ToStringOf(*this); }

protected:
    explicit LWrapperStringable(const S& text) : S(text) {}
    ~LWrapperStringable() override = default;
};

} // namespace KV
