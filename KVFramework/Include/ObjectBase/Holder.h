#pragma once
// A shared box around one plain value (a task code, a file descriptor, a flag).

#include "ObjectBase/RCPtr.h"

namespace KV {

template <class T> class LHolder : public virtual LRefCountedObject
{
public:
    LHolder() : mValue{} {}
    explicit LHolder(const T& value) : mValue(value) {}

    static RCPtr<LHolder> Create(const T& value) { return RCPtr<LHolder>(new LHolder(value)); }
    static RCPtr<LHolder> CreateDefault() { return RCPtr<LHolder>(new LHolder()); }

    T& Value() noexcept { return mValue; }
    const T& Value() const noexcept { return mValue; }

private:
    T mValue;
};

} // namespace KV
