#include "IniText.h"

namespace KV::IniFile {
namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string DecodeValue(std::string_view text)
{
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        text = text.substr(1, text.size() - 2);
    std::string value;
    value.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
    {
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (text[i] == '\\' && (next == '\\' || next == 'n' || next == 'r'))
        {
            value += next == 'n' ? '\n' : next == 'r' ? '\r' : '\\';
            ++i;
        }
        else
        {
            // Any other backslash is kept, so hand-written Windows paths read as they look.
            value += text[i];
        }
    }
    return value;
}

void AppendValue(std::string& out, std::string_view value)
{
    const bool quoted =
        !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()) || value.front() == '"');
    if (quoted)
        out += '"';
    for (char c : value)
    {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    if (quoted)
        out += '"';
}

bool ParseLine(std::string_view line, Document& document, std::string& node)
{
    line = Trim(line);
    if (line.empty() || line.front() == ';' || line.front() == '#')
        return true;
    if (line.front() == '[')
    {
        if (line.back() != ']')
            return false;
        std::optional<std::string> path = NormalizeNodePath(Trim(line.substr(1, line.size() - 2)));
        if (!path || path->empty())
            return false;
        node = std::move(*path);
        document.ProvideNode(node);
        return true;
    }
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return false;
    std::string_view name = Trim(line.substr(0, equals));
    const bool isArray = name.ends_with("[]");
    if (isArray)
        name.remove_suffix(2);
    if (!IsValidKeyName(name))
        return false;
    Entry& entry = document.ProvideEntry(KeyPath{node, std::string(name)}, isArray);
    std::string value = DecodeValue(Trim(line.substr(equals + 1)));
    if (isArray)
        entry.items.push_back(std::move(value));
    else
        entry.value = std::move(value); // a repeated key: the last one counts
    return true;
}

} // namespace

std::optional<Document> ParseIniText(std::string_view text)
{
    if (text.find('\0') != std::string_view::npos)
        return std::nullopt;
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    Document document;
    std::string node;
    while (!text.empty())
    {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (!ParseLine(line, document, node))
            return std::nullopt;
    }
    return document;
}

std::string WriteIniText(const Document& document)
{
    std::string out;
    for (const Node& node : document.GetNodes())
    {
        if (!node.path.empty())
        {
            if (!out.empty())
                out += '\n';
            out += '[';
            out += node.path;
            out += "]\n";
        }
        for (const Entry& entry : node.entries)
        {
            if (entry.isArray)
            {
                for (const std::string& item : entry.items)
                {
                    out += entry.name;
                    out += "[]=";
                    AppendValue(out, item);
                    out += '\n';
                }
            }
            else
            {
                out += entry.name;
                out += '=';
                AppendValue(out, entry.value);
                out += '\n';
            }
        }
    }
    return out;
}

} // namespace KV::IniFile
