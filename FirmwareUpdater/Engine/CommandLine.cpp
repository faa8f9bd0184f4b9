#include "CommandLine.h"

#include <string>

namespace CommandLine {
namespace {

char16_t Upper(char16_t c)
{
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

bool MatchesAt(std::u16string_view line, size_t at, std::u16string_view option)
{
    if (line.size() - at < option.size())
        return false;
    for (size_t i = 0; i < option.size(); ++i)
        if (Upper(line[at + i]) != Upper(option[i]))
            return false;
    return true;
}

} // namespace

KV::String Join(int argc, const char* const argv[])
{
    std::string line;
    for (int i = 1; i < argc; ++i)
    {
        std::string argument = argv[i];
        if (argument.find(' ') != std::string::npos)
        {
            const size_t equals = argument.find('=');
            const size_t quoteFrom =
                argument.starts_with('-') && equals != std::string::npos ? equals + 1 : 0;
            argument.insert(quoteFrom, 1, '"');
            argument += '"';
        }
        if (!line.empty())
            line += ' ';
        line += argument;
    }
    return KV::String(line.c_str());
}

bool FindOption(const KV::String& commandLine, const KV::String& option, KV::String& value)
{
    value.Clear();
    const std::u16string_view line = commandLine.View();
    const std::u16string_view name = option.View();
    if (name.size() < 2 || name[0] != u'-')
        return false;
    const bool takesValue = name.back() == u'=';

    bool quoted = false;
    for (size_t at = 0; at < line.size(); ++at)
    {
        if (line[at] == u'"')
        {
            quoted = !quoted;
            continue;
        }
        const bool wordStart = at == 0 || line[at - 1] == u' ';
        if (quoted || !wordStart || !MatchesAt(line, at, name))
            continue;
        const size_t end = at + name.size();
        if (!takesValue)
        {
            if (end == line.size() || line[end] == u' ')
                return true;
            continue; // a longer word that begins like the switch
        }
        if (end == line.size())
            return true; // the option at the very end: an empty value
        if (line[end] == u' ')
            return false;
        size_t from = end, to;
        if (line[end] == u'"')
        {
            from = end + 1;
            to = line.find(u'"', from);
        }
        else
            to = line.find(u' ', from);
        if (to == std::u16string_view::npos)
            to = line.size();
        value = KV::String(std::u16string(line.substr(from, to - from)).c_str());
        return true;
    }
    return false;
}

} // namespace CommandLine
