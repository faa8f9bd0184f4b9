#include "IniDocument.h"

#include <algorithm>
#include <utility>

namespace KV::IniFile {
namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool HasControlCharacter(std::string_view text)
{
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

// Names are written bare, so they cannot begin or end with blanks (those are trimmed
// when the file is read) nor hold line breaks.
bool IsValidName(std::string_view name)
{
    return !name.empty() && !IsBlank(name.front()) && !IsBlank(name.back()) && !HasControlCharacter(name);
}

bool IsValidNodeName(std::string_view name)
{
    return IsValidName(name) && name.find_first_of("[]") == std::string_view::npos;
}

bool IsSeparator(char c)
{
    return c == '/' || c == '\\';
}

std::vector<std::string_view> SplitNames(std::string_view path)
{
    std::vector<std::string_view> names;
    size_t start = 0;
    for (size_t i = 0; i <= path.size(); ++i)
    {
        if (i == path.size() || IsSeparator(path[i]))
        {
            names.push_back(path.substr(start, i - start));
            start = i + 1;
        }
    }
    return names;
}

} // namespace

bool IsValidKeyName(std::string_view name)
{
    // "name[]=" marks an array item in the file, and a line opening with "[", ";" or "#"
    // would be read as a node or a comment, and one opening with a byte-order mark would
    // lose it at the start of a file.
    return IsValidName(name) && name.find_first_of("=/\\") == std::string_view::npos &&
           !name.starts_with("\xEF\xBB\xBF") &&
           std::string_view("[;#").find(name.front()) == std::string_view::npos && !name.ends_with("[]");
}

std::optional<std::string> NormalizeNodePath(std::string_view path)
{
    if (path.empty())
        return std::string();
    std::string normalized;
    for (std::string_view name : SplitNames(path))
    {
        if (!IsValidNodeName(name))
            return std::nullopt;
        if (!normalized.empty())
            normalized += '/';
        normalized += name;
    }
    return normalized;
}

std::optional<KeyPath> SplitKeyPath(std::string_view path)
{
    const size_t last = path.find_last_of("/\\");
    const std::string_view name = last == std::string_view::npos ? path : path.substr(last + 1);
    if (!IsValidKeyName(name))
        return std::nullopt;
    if (last == std::string_view::npos)
        return KeyPath{std::string(), std::string(name)};
    std::optional<std::string> node = NormalizeNodePath(path.substr(0, last));
    if (!node || node->empty())
        return std::nullopt;
    return KeyPath{std::move(*node), std::string(name)};
}

Document::Document() : mNodes(1) {}

bool Document::HasNode(std::string_view nodePath) const
{
    return std::any_of(mNodes.begin(), mNodes.end(), [nodePath](const Node& node) {
        return node.path.starts_with(nodePath) &&
               (node.path.size() == nodePath.size() || nodePath.empty() || node.path[nodePath.size()] == '/');
    });
}

const Node* Document::FindNode(std::string_view nodePath) const
{
    auto found = std::find_if(mNodes.begin(), mNodes.end(),
                              [nodePath](const Node& node) { return node.path == nodePath; });
    return found == mNodes.end() ? nullptr : &*found;
}

Node& Document::ProvideNode(std::string_view nodePath)
{
    if (const Node* node = FindNode(nodePath))
        return const_cast<Node&>(*node);
    return mNodes.emplace_back(Node{std::string(nodePath), {}});
}

const Entry* Document::FindEntry(const KeyPath& path, bool isArray) const
{
    const Node* node = FindNode(path.node);
    if (!node)
        return nullptr;
    auto found = std::find_if(node->entries.begin(), node->entries.end(), [&](const Entry& entry) {
        return entry.isArray == isArray && entry.name == path.name;
    });
    return found == node->entries.end() ? nullptr : &*found;
}

Entry* Document::FindEntry(const KeyPath& path, bool isArray)
{
    return const_cast<Entry*>(std::as_const(*this).FindEntry(path, isArray));
}

Entry& Document::ProvideEntry(const KeyPath& path, bool isArray)
{
    if (Entry* entry = FindEntry(path, isArray))
        return *entry;
    Entry entry;
    entry.name = path.name;
    entry.isArray = isArray;
    return ProvideNode(path.node).entries.emplace_back(std::move(entry));
}

void Document::RemoveEntry(const KeyPath& path, bool isArray)
{
    if (const Entry* entry = FindEntry(path, isArray))
    {
        std::vector<Entry>& entries = ProvideNode(path.node).entries;
        entries.erase(entries.begin() + (entry - entries.data()));
    }
}

} // namespace KV::IniFile
