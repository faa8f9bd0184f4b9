#pragma once
// IPixelBuffer: rows of 32-bit pixels that code can address directly, whoever owns them.
// T is the type of the coordinates and extents.

#include "ObjectBase/RefCountedObject.h"

#include <cstdint>

namespace KV {

template <class T> class IPixelBuffer : public virtual LRefCountedObject
{
public:
    virtual T GetWidth() const = 0;
    virtual T GetHeight() const = 0;
    // Bytes from the start of one row to the start of the next.
    virtual T GetStride() const = 0;
    virtual const uint8_t* GetPixelAddress(T x, T y) const
    {
        return const_cast<IPixelBuffer*>(this)->GetPixelAddress(x, y);
    }
    virtual uint8_t* GetPixelAddress(T x, T y) = 0;

protected:
    ~IPixelBuffer() override = default;
};

} // namespace KV
