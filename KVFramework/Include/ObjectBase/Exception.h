#pragma once
// The exceptions that the framework throws, and their error texts.
//
// Every exception of our own code is an Exception<E>, E being a standard exception
// class or FailedResultException. Its text joins pieces with " : ":
//   kind [: Null Pointer] [: detail] : qualified function : source : Line n
// for example "Runtime Error : KV::LRefCountedObject::SetUnshareable : ObjectBase/RefCountedObject : Line
// 29". ExceptionBase lets a handler catch every framework exception whatever E is. FailedResultException is
// deliberately not a std::runtime_error: a handler that must stop every exception catches std::exception or
// ExceptionBase.
//
// Throw with the KV_THROW... macros below; they record the function, source and line.

#include "KVResult.h"

#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <typeinfo>
#include <type_traits>

namespace KV {

struct ExceptionBase
{
    ExceptionBase() = default;
    ExceptionBase(const ExceptionBase&) = default;
    ExceptionBase& operator=(const ExceptionBase&) = default;
    virtual ~ExceptionBase() = default;

    // The same text as what() of the whole exception object.
    const char* What() const noexcept;
};

class FailedResultException : public std::exception
{
public:
    explicit FailedResultException(std::string message) : mMessage(std::move(message)) {}
    const char* what() const noexcept override { return mMessage.c_str(); }

private:
    std::string mMessage;
};

template <class E> class Exception : public E, public ExceptionBase
{
public:
    explicit Exception(const char* text) : E(text) {}
    explicit Exception(const std::string& text) : E(text) {}
    Exception(const Exception&) = default;
};

// An allocation failure carries the standard text alone, on every platform.
template <> class Exception<std::bad_alloc> : public std::bad_alloc, public ExceptionBase
{
public:
    Exception() = default;
    Exception(const Exception&) = default;
    const char* what() const noexcept override { return "bad allocation"; }
};

// "KVRESULT = 80004005": the code as unsigned 32 bits, upper-case hexadecimal, no padding.
std::string FormatResult(KVRESULT result);

// The kind word at the head of the texts of Exception<E>.
template <class E> constexpr const char* ExceptionKind()
{
    if constexpr (std::is_same_v<E, std::out_of_range>)
        return "Out of Range";
    else if constexpr (std::is_same_v<E, std::domain_error>)
        return "Domain Error";
    else if constexpr (std::is_same_v<E, std::invalid_argument>)
        return "Invalid Argument";
    else if constexpr (std::is_same_v<E, std::logic_error>)
        return "Logic Error";
    else if constexpr (std::is_same_v<E, std::runtime_error>)
        return "Runtime Error";
    else if constexpr (std::is_same_v<E, FailedResultException>)
        return "Failed Result";
    else
        static_assert(sizeof(E) == 0, "no error text kind for this exception class");
}

// Where an exception was raised. (std::source_location is not usable with every
// compiler we build with, so the macros below fill this in.)
struct SourceLocation
{
    const char* function;
    const char* file;
    unsigned line;
};

namespace Detail {

// The qualified name of the function that a source location names, as diagnostics spell
// it: "KV::RCPtrQueue<T,N>::Dequeue" without return type, parameters or template bindings.
std::string QualifiedFunctionName(std::string_view prettyFunction);

// The source file without extension, relative to the root of its tree (the framework
// folder for framework units, the application folder for the updater's).
std::string SourceNameOf(std::string_view file);

// Joins kind, optional "Null Pointer", optional detail, function, source and line.
std::string ComposeErrorText(const char* kind, bool nullPointer, std::string_view detail,
                             std::string_view function, const SourceLocation& where);

} // namespace Detail

// Builds the text and throws Exception<E>. `function` overrides the name taken from the
// location where the caller knows a better spelling (template arguments).
template <class E>
[[noreturn]] void ThrowException(std::string_view detail, const SourceLocation& where,
                                 bool nullPointer = false, std::string_view function = {})
{
    const std::string name =
        function.empty() ? Detail::QualifiedFunctionName(where.function) : std::string(function);
    throw Exception<E>(Detail::ComposeErrorText(ExceptionKind<E>(), nullPointer, detail, name, where));
}

[[noreturn]] inline void ThrowFailedResult(KVRESULT result, const SourceLocation& where)
{
    ThrowException<FailedResultException>(FormatResult(result), where);
}

[[noreturn]] inline void ThrowBadAlloc()
{
    throw Exception<std::bad_alloc>();
}

// The run-time type name spelled as error texts and ToString show it: "class KV::LControl".
std::string DemangledTypeName(const std::type_info& type);

template <class T> std::string TypeName()
{
    const std::string name = DemangledTypeName(typeid(T));
    if constexpr (std::is_enum_v<T>)
        return "enum " + name;
    else if constexpr (std::is_class_v<T>)
        return "class " + name;
    else
        return name;
}

} // namespace KV

#define KV_HERE                                                                                              \
    ::KV::SourceLocation                                                                                     \
    {                                                                                                        \
        __PRETTY_FUNCTION__, __FILE__, static_cast<unsigned>(__LINE__)                                       \
    }

// Throws Exception<E> with an optional detail (a text, or "" for none).
#define KV_THROW(E, detail) ::KV::ThrowException<E>((detail), KV_HERE)
// The "Null Pointer" form: always a runtime error with a detail naming what is missing.
#define KV_THROW_NULL_POINTER(detail) ::KV::ThrowException<std::runtime_error>((detail), KV_HERE, true)
// Throws Exception<FailedResultException> with "KVRESULT = ..." as its detail.
#define KV_THROW_FAILED_RESULT(result) ::KV::ThrowFailedResult((result), KV_HERE)
// Throws when a step of an initialisation sequence returns a failure code.
#define KV_THROW_IF_FAILED(expr)                                                                             \
    do                                                                                                       \
    {                                                                                                        \
        const KVRESULT kvResult_ = (expr);                                                                   \
        if (KV_FAILED(kvResult_))                                                                            \
            KV_THROW_FAILED_RESULT(kvResult_);                                                               \
    } while (0)
