#pragma once
// The contents of one settings file: nodes in file order, each holding keys with one
// text value and arrays of texts, in the order they were first stored.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace KV::IniFile {

struct Entry
{
    std::string name;
    bool isArray = false;
    std::string value;              // of a key
    std::vector<std::string> items; // of an array, never empty

    bool operator==(const Entry&) const = default;
};

struct Node
{
    std::string path; // "" for the top of the file, else names joined with "/"
    std::vector<Entry> entries;

    bool operator==(const Node&) const = default;
};

// A key or array path split into its node and its own name.
struct KeyPath
{
    std::string node;
    std::string name;
};

// A node path with "/" between its names, or nothing when a name is empty or holds a
// character that the file form cannot carry ("\" is read as "/"). "" is the top.
std::optional<std::string> NormalizeNodePath(std::string_view path);
// The node and name of a key or array; nothing when the path is empty or not valid.
std::optional<KeyPath> SplitKeyPath(std::string_view path);
// Whether a key or array can be called name in the file form.
bool IsValidKeyName(std::string_view name);

class Document
{
public:
    Document();

    const std::vector<Node>& GetNodes() const { return mNodes; }

    // A node is there when it was declared or when a node below it was.
    bool HasNode(std::string_view nodePath) const;
    const Node* FindNode(std::string_view nodePath) const;
    Node& ProvideNode(std::string_view nodePath);

    const Entry* FindEntry(const KeyPath& path, bool isArray) const;
    Entry* FindEntry(const KeyPath& path, bool isArray);
    Entry& ProvideEntry(const KeyPath& path, bool isArray);
    void RemoveEntry(const KeyPath& path, bool isArray);

    bool operator==(const Document&) const = default;

private:
    std::vector<Node> mNodes; // the top of the file first
};

} // namespace KV::IniFile
