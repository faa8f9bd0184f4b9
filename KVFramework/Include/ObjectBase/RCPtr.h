#pragma once
// Owning smart pointers to reference-counted objects.
//
// ConstRCPtr<T> hands its object out read-only; RCPtr<T> derives from it, adds no
// data, and hands the same object out writable. Both are one pointer wide.
//
// Every way of storing an object into a pointer ends in Acquire: AddRef, then, when
// the object is marked not shareable (a string buffer locked for writing), Unshare,
// which gives this holder a private copy. Assignments take the new reference before
// dropping the old one, so assigning from something the old object owns is safe.
// Conversions with a run-time type test give an empty pointer instead of throwing.

#include "ObjectBase/Exception.h"
#include "ObjectBase/RefCountedObject.h"

#include <cstddef>
#include <type_traits>
#include <utility>

namespace KV {

template <class T> class ConstRCPtr;
template <class T> RCPtr<T> DynamicRCPtrCast(const ConstRCPtr<LRefCountedObject>& object);

template <class T> class ConstRCPtr
{
    template <class U> friend class ConstRCPtr;

public:
    ConstRCPtr() noexcept = default;
    ConstRCPtr(std::nullptr_t) noexcept {}
    ConstRCPtr(const T* object) : mObject(const_cast<T*>(object)) { AcquireNew(); }
    ConstRCPtr(const ConstRCPtr& other) : mObject(other.mObject) { AcquireNew(); }
    ConstRCPtr(ConstRCPtr&& other) noexcept : mObject(std::exchange(other.mObject, nullptr)) {}

    template <class D>
    requires std::is_convertible_v<D*, T*> ConstRCPtr(const ConstRCPtr<D>& other) : mObject(other.mObject)
    {
        AcquireNew();
    }

    template <class D>
    requires std::is_convertible_v<D*, T*> ConstRCPtr(ConstRCPtr<D>&& other)
    noexcept : mObject(std::exchange(other.mObject, nullptr)) {}

    ~ConstRCPtr()
    {
        if (mObject)
            Base(mObject)->Release();
    }

    ConstRCPtr& operator=(const ConstRCPtr& other) { return Assign(other.mObject); }
    ConstRCPtr& operator=(ConstRCPtr&& other) noexcept
    {
        if (this != &other)
        {
            T* old = std::exchange(mObject, std::exchange(other.mObject, nullptr));
            if (old)
                Base(old)->Release();
        }
        return *this;
    }
    ConstRCPtr& operator=(std::nullptr_t)
    {
        Reset();
        return *this;
    }

    // Stores the object, takes a reference on it, then drops the old one. Storing the
    // object already held changes nothing.
    ConstRCPtr& Assign(const T* object)
    {
        T* fresh = const_cast<T*>(object);
        if (fresh == mObject)
            return *this;
        T* old = std::exchange(mObject, fresh);
        if (mObject)
            Acquire();
        if (old)
            Base(old)->Release();
        return *this;
    }

    // Empties the pointer first, then releases the object it held.
    void Reset()
    {
        if (T* old = std::exchange(mObject, nullptr))
            Base(old)->Release();
    }

    // Conversions. StaticCastFrom trusts the caller; DynamicCastFrom tests the class at
    // run time and gives an empty pointer when the object is not a T.
    template <class U> static ConstRCPtr StaticCastFrom(const ConstRCPtr<U>& other)
    {
        return ConstRCPtr(static_cast<const T*>(other.Get()));
    }
    template <class U> static ConstRCPtr DynamicCastFrom(const ConstRCPtr<U>& other)
    {
        return ConstRCPtr(dynamic_cast<const T*>(other.Get()));
    }
    template <class U> ConstRCPtr& AssignDynamicCast(const ConstRCPtr<U>& other)
    {
        return *this = DynamicCastFrom(other);
    }

    const T* Get() const noexcept { return mObject; }
    const T* operator->() const noexcept { return mObject; }
    const T& operator*() const noexcept { return *mObject; }
    explicit operator bool() const noexcept { return mObject != nullptr; }

    template <class U> bool operator==(const ConstRCPtr<U>& other) const noexcept
    {
        return Base(mObject) == ConstRCPtr<U>::Base(other.mObject);
    }
    bool operator==(const T* object) const noexcept { return mObject == object; }
    bool operator==(std::nullptr_t) const noexcept { return mObject == nullptr; }

protected:
    T* Mutable() const noexcept { return mObject; }

    // AddRef, then a private copy when the object must not be shared.
    [[gnu::always_inline]] void Acquire()
    {
        Base(mObject)->AddRef();
        if (!Base(mObject)->IsShareable())
            Unshare();
    }

    // Gives this holder a private copy when the object it just acquired is shared. Kept out
    // of line: it runs only for locked string buffers, and inlining it would keep Acquire
    // (every copy of every pointer) from being inlined.
    [[gnu::noinline, gnu::cold]] void Unshare();

private:
    static LRefCountedObject* Base(T* object) noexcept { return object; }

    // Acquire for a pointer under construction: if the private copy cannot be made, the
    // holder never comes to life, so the reference it took is given back.
    void AcquireNew()
    {
        if (!mObject)
            return;
        try
        {
            Acquire();
        }
        catch (...)
        {
            Reset();
            throw;
        }
    }

    T* mObject = nullptr;
};

template <class T> class RCPtr : public ConstRCPtr<T>
{
    using Base = ConstRCPtr<T>;

public:
    RCPtr() noexcept = default;
    RCPtr(std::nullptr_t) noexcept {}
    RCPtr(T* object) : Base(object) {}
    RCPtr(const RCPtr&) = default;
    RCPtr(RCPtr&&) noexcept = default;

    template <class D>
    requires std::is_convertible_v<D*, T*> RCPtr(const RCPtr<D>& other)
        : Base(static_cast<const ConstRCPtr<D>&>(other))
    {
    }
    template <class D>
    requires std::is_convertible_v<D*, T*> RCPtr(RCPtr<D>&& other)
    noexcept : Base(static_cast<ConstRCPtr<D>&&>(other)) {}

    RCPtr& operator=(const RCPtr& other)
    {
        Base::operator=(other);
        return *this;
    }
    RCPtr& operator=(RCPtr&& other) noexcept
    {
        Base::operator=(std::move(other));
        return *this;
    }
    RCPtr& operator=(std::nullptr_t)
    {
        Base::Reset();
        return *this;
    }
    RCPtr& Assign(T* object)
    {
        Base::Assign(object);
        return *this;
    }

    template <class U> static RCPtr StaticCastFrom(const ConstRCPtr<U>& other)
    {
        return RCPtr(static_cast<T*>(const_cast<U*>(other.Get())));
    }
    template <class U> static RCPtr DynamicCastFrom(const ConstRCPtr<U>& other)
    {
        return RCPtr(dynamic_cast<T*>(const_cast<U*>(other.Get())));
    }
    template <class U> RCPtr& AssignDynamicCast(const ConstRCPtr<U>& other)
    {
        return *this = DynamicCastFrom(other);
    }

    T* Get() const noexcept { return Base::Mutable(); }
    T* operator->() const noexcept { return Base::Mutable(); }
    T& operator*() const noexcept { return *Base::Mutable(); }

private:
    template <class U> friend class ConstRCPtr;
};

template <class T> void ConstRCPtr<T>::Unshare()
{
    if (!mObject || Base(mObject)->GetRefCount() <= 1)
        return;
    RCPtr<LRefCountedObject> copy = Base(mObject)->CreateCopy();
    RCPtr<T> typed = DynamicRCPtrCast<T>(copy);
    if (typed.Get() != mObject)
    {
        T* old = std::exchange(mObject, typed.Mutable());
        if (mObject)
            Base(mObject)->AddRef();
        Base(old)->Release();
    }
    if (!mObject)
        ThrowException<std::logic_error>(TypeName<T>(), KV_HERE, false,
                                         "KV::ConstRCPtr<" + TypeName<T>() + ">::Unshare");
}

// The run-time checked conversion from the base class: empty when the object is no T.
template <class T> RCPtr<T> DynamicRCPtrCast(const ConstRCPtr<LRefCountedObject>& object)
{
    return RCPtr<T>::DynamicCastFrom(object);
}

// Creates an object on the heap and wraps it at once.
template <class T, class... Args> RCPtr<T> MakeRCPtr(Args&&... args)
{
    return RCPtr<T>(new T(std::forward<Args>(args)...));
}

} // namespace KV
