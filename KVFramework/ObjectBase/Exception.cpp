#include "ObjectBase/Exception.h"

#include <cxxabi.h>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace KV {

const char* ExceptionBase::What() const noexcept
{
    if (auto* standard = dynamic_cast<const std::exception*>(this))
        return standard->what();
    return "";
}

std::string FormatResult(KVRESULT result)
{
    char digits[65];
    std::snprintf(digits, sizeof digits, "%X", static_cast<unsigned>(static_cast<uint32_t>(result)));
    return std::string("KVRESULT = ") + digits;
}

std::string DemangledTypeName(const std::type_info& type)
{
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> name(abi::__cxa_demangle(type.name(), nullptr, nullptr, &status),
                                                std::free);
    return status == 0 && name ? std::string(name.get()) : std::string(type.name());
}

namespace Detail {

std::string QualifiedFunctionName(std::string_view prettyFunction)
{
    // clang writes "(anonymous namespace)", whose blank and brackets would read as a
    // return type and a parameter list; use the spelling g++ gives it.
    std::string spelled(prettyFunction);
    for (size_t at; (at = spelled.find("(anonymous namespace)")) != std::string::npos;)
        spelled.replace(at, 21, "{anonymous}");
    std::string_view pretty = spelled;

    // "void KV::Foo<T>::Bar(int) const [with T = int]" -> "KV::Foo<T>::Bar"
    if (auto with = pretty.find(" [with "); with != std::string_view::npos)
        pretty = pretty.substr(0, with);

    // The parameter list is the first '(' outside template brackets that follows a name;
    // "operator()" keeps its own pair.
    int depth = 0;
    size_t open = std::string_view::npos;
    for (size_t i = 0; i < pretty.size(); ++i)
    {
        const char c = pretty[i];
        if (c == '<')
            ++depth;
        else if (c == '>' && depth > 0)
            --depth;
        else if (c == '(' && depth == 0)
        {
            if (pretty.substr(0, i).ends_with("operator") && pretty.substr(i).starts_with("()"))
            {
                ++i;
                continue;
            }
            open = i;
            break;
        }
    }
    std::string_view head = pretty.substr(0, open);

    // The name starts after the last blank outside template brackets (the return type ends there).
    depth = 0;
    size_t start = 0;
    for (size_t i = 0; i < head.size(); ++i)
    {
        const char c = head[i];
        if (c == '<')
            ++depth;
        else if (c == '>' && depth > 0)
            --depth;
        else if (c == ' ' && depth == 0 && !head.substr(0, i).ends_with("operator"))
            start = i + 1;
    }
    return std::string(head.substr(start));
}

std::string SourceNameOf(std::string_view file)
{
    for (std::string_view root : {"KVFramework/", "FirmwareUpdater/", "tools/", "tests/"})
    {
        if (auto at = file.rfind(root); at != std::string_view::npos)
        {
            file = file.substr(at + root.size());
            break;
        }
    }
    if (auto dot = file.rfind('.');
        dot != std::string_view::npos && file.find('/', dot) == std::string_view::npos)
        file = file.substr(0, dot);
    return std::string(file);
}

std::string ComposeErrorText(const char* kind, bool nullPointer, std::string_view detail,
                             std::string_view function, const SourceLocation& where)
{
    std::string text = kind;
    if (nullPointer)
        text += " : Null Pointer";
    if (!detail.empty())
        text.append(" : ").append(detail);
    text.append(" : ").append(function);
    text.append(" : ").append(SourceNameOf(where.file));
    text.append(" : Line ").append(std::to_string(where.line));
    return text;
}

} // namespace Detail
} // namespace KV
