#pragma once
// IStringable: an object that can give itself as text. The text is a wide string
// (Storage/StringT.h); include that header where ToString is called.

namespace KV {

template <class C, class O> class StringT;

class IStringable
{
public:
    virtual StringT<char16_t, char> ToString() const = 0;

protected:
    ~IStringable() = default;
};

} // namespace KV
