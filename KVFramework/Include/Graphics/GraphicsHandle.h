#pragma once
// The identity under which renderers cache what they derived from a drawable object
// (paths, display lists, textures, scaled bitmaps).
//
// It is a serial number drawn once per object from a process-wide 64-bit counter, never
// the object's address: an address is reused as soon as the object is freed, and a new
// object at that address would find the stale cache entry of the old one. A copy of an
// object is a new object and draws a new serial. 0 is never handed out.

#include <cstdint>

namespace KV {

using GraphicsHandle = uint64_t;

class UniqueGraphicsHandle
{
public:
    UniqueGraphicsHandle() noexcept : mValue(Next()) {}
    UniqueGraphicsHandle(const UniqueGraphicsHandle&) noexcept : mValue(Next()) {}
    // The object assigned to keeps its own identity.
    UniqueGraphicsHandle& operator=(const UniqueGraphicsHandle&) noexcept { return *this; }

    GraphicsHandle Get() const noexcept { return mValue; }

private:
    static GraphicsHandle Next() noexcept;

    GraphicsHandle mValue;
};

} // namespace KV
