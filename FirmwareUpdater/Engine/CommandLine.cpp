#include "CommandLine.h"

#include "Storage/Transcode.h"

#include <string>

namespace CommandLine {
namespace {

char16_t Upper(char16_t c)
{
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

bool StartsWith(std::u16string_view word, std::u16string_view option)
{
    if (word.size() < option.size())
        return false;
    for (size_t i = 0; i < option.size(); ++i)
        if (Upper(word[i]) != Upper(option[i]))
            return false;
    return true;
}

// The index after a quoted span that opens at open: the closing quote, where a doubled
// quote stands for a quote of the text; the end of the line when it is never closed.
size_t QuotedSpanEnd(std::u16string_view line, size_t open)
{
    for (size_t i = open + 1; i < line.size(); ++i)
    {
        if (line[i] != u'"')
            continue;
        if (i + 1 < line.size() && line[i + 1] == u'"')
            ++i;
        else
            return i + 1;
    }
    return line.size();
}

// The index after the word that starts at at. A quote opens a quoted span only at the
// start of the word or right after its first "="; anywhere else it is a character of
// the word like any other.
size_t WordEnd(std::u16string_view line, size_t at)
{
    size_t i = at < line.size() && line[at] == u'"' ? QuotedSpanEnd(line, at) : at;
    bool pastEquals = false;
    while (i < line.size() && line[i] != u' ')
    {
        if (line[i] == u'=' && !pastEquals)
        {
            pastEquals = true;
            if (i + 1 < line.size() && line[i + 1] == u'"')
            {
                i = QuotedSpanEnd(line, i + 1);
                continue;
            }
        }
        ++i;
    }
    return i;
}

// A value as written: without its quotes when it opens with one, doubled quotes read
// as one.
std::u16string Unquote(std::u16string_view value)
{
    if (value.empty() || value[0] != u'"')
        return std::u16string(value);
    std::u16string text;
    for (size_t i = 1; i < value.size(); ++i)
    {
        if (value[i] == u'"')
        {
            if (i + 1 < value.size() && value[i + 1] == u'"')
                ++i;
            else
                break;
        }
        text += value[i];
    }
    return text;
}

// The text in quotes, with its quotes doubled, when the line would otherwise split it
// or read a quote at its start as an opening one.
std::string QuoteIfNeeded(const std::string& text)
{
    if (text.find(' ') == std::string::npos && !text.starts_with('"'))
        return text;
    std::string quoted = "\"";
    for (char c : text)
    {
        quoted += c;
        if (c == '"')
            quoted += '"';
    }
    return quoted + '"';
}

// A value given with its own quotes around it ("-NAME=\"/a b\"" in one argument) means
// the text inside them.
std::string WithoutSurroundingQuotes(const std::string& value)
{
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        return value.substr(1, value.size() - 2);
    return value;
}

} // namespace

KV::String Join(int argc, const char* const argv[])
{
    std::string line;
    for (int i = 1; i < argc; ++i)
    {
        std::string argument = argv[i];
        const size_t equals = argument.find('=');
        if (argument.starts_with('-') && equals != std::string::npos)
            argument = argument.substr(0, equals + 1) +
                       QuoteIfNeeded(WithoutSurroundingQuotes(argument.substr(equals + 1)));
        else
            argument = QuoteIfNeeded(argument);
        if (!line.empty())
            line += ' ';
        line += argument;
    }
    // Every byte is kept, also in an argument that is no UTF-8: a Linux file name may
    // hold any bytes, and the options after such an argument count all the same.
    return KV::String(KV::DecodeSystemBytes(line).c_str());
}

bool FindOption(const KV::String& commandLine, const KV::String& option, KV::String& value)
{
    value.Clear();
    const std::u16string_view line = commandLine.View();
    const std::u16string_view name = option.View();
    if (name.size() < 2 || name[0] != u'-')
        return false;
    const bool takesValue = name.back() == u'=';

    for (size_t at = 0; at < line.size();)
    {
        if (line[at] == u' ')
        {
            ++at;
            continue;
        }
        const size_t end = WordEnd(line, at);
        const std::u16string_view word = line.substr(at, end - at);
        at = end;
        if (!StartsWith(word, name))
            continue;
        const std::u16string_view rest = word.substr(name.size());
        if (!takesValue)
        {
            if (rest.empty())
                return true;
            continue; // a longer word that begins like the switch
        }
        if (rest.empty())
            return end == line.size(); // at the very end: an empty value; before a blank: none
        value = KV::String(Unquote(rest).c_str());
        return true;
    }
    return false;
}

} // namespace CommandLine
