#include "Platform/Dialogs/FileDialogFilter.h"

namespace KV::Platform {

namespace {

std::string_view Trimmed(std::string_view text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The piece up to the next separator; text is left after it.
std::string_view NextPiece(std::string_view& text, char separator)
{
    const size_t end = text.find(separator);
    const std::string_view piece = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    return piece;
}

// The text with each character that the program's form would take for a separator
// replaced.
std::string Cleared(std::string_view text, std::string_view separators, char replacement)
{
    std::string cleared(text);
    for (char& c : cleared)
        if (separators.find(c) != std::string_view::npos)
            c = replacement;
    return cleared;
}

std::string JoinedPatterns(const FileFilter& filter)
{
    std::string joined;
    for (const std::string& pattern : filter.patterns)
    {
        if (!joined.empty())
            joined += ' ';
        // Patterns are separated by blanks: a blank inside one matches as any character.
        joined += Cleared(pattern, " |\n", '?');
    }
    return joined;
}

} // namespace

std::vector<FileFilter> ParseFileDialogFilter(std::string_view text)
{
    std::vector<FileFilter> filters;
    while (!text.empty())
    {
        const std::string_view label = NextPiece(text, '|');
        if (label.empty())
            break;
        std::string_view patterns = NextPiece(text, '|');
        if (patterns.empty())
            break;
        FileFilter filter{std::string(label), {}};
        while (!patterns.empty())
            if (const std::string_view pattern = Trimmed(NextPiece(patterns, ';')); !pattern.empty())
                filter.patterns.emplace_back(pattern);
        if (!filter.patterns.empty())
            filters.push_back(std::move(filter));
    }
    return filters;
}

std::vector<std::string> ZenityFilterArguments(const std::vector<FileFilter>& filters)
{
    std::vector<std::string> arguments;
    for (const FileFilter& filter : filters)
        arguments.push_back("--file-filter=" + Cleared(filter.label, "|", '_') + " | " +
                            JoinedPatterns(filter));
    return arguments;
}

std::string KDialogFilterArgument(const std::vector<FileFilter>& filters)
{
    std::string argument;
    for (const FileFilter& filter : filters)
    {
        if (!argument.empty())
            argument += '\n';
        argument += JoinedPatterns(filter) + "|" + Cleared(filter.label, "|\n", '_');
    }
    return argument;
}

} // namespace KV::Platform
