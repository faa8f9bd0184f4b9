#pragma once
// The open-file dialog's filter. The application writes it as one text of label and
// pattern pieces separated by "|":
//
//   Firmware Images (*.led)|*.led|All Files (*.*)|*.*|
//
// where a pattern piece may hold several patterns separated by ";". The dialog
// programs take it in forms of their own.

#include <string>
#include <string_view>
#include <vector>

namespace KV::Platform {

struct FileFilter
{
    std::string label;
    std::vector<std::string> patterns;

    bool operator==(const FileFilter&) const = default;
};

// The label and pattern pairs of the text, in order. The list ends at the first empty
// piece, as a list of terminated pieces ends at an empty one; a label without a
// pattern piece after it is dropped. Patterns are trimmed of blanks, and empty ones
// dropped; a pair left with no pattern is dropped.
std::vector<FileFilter> ParseFileDialogFilter(std::string_view text);

// zenity's --file-selection arguments: one "--file-filter=LABEL | PATTERN PATTERN"
// per filter. Patterns are separated by blanks, so a blank inside a pattern becomes
// "?", which matches it; a "|" in a label, which would end it, becomes "_".
std::vector<std::string> ZenityFilterArguments(const std::vector<FileFilter>& filters);

// kdialog's filter argument: "PATTERN PATTERN|LABEL" per filter, one a line, with
// the same replacements (and line breaks in labels as "_").
std::string KDialogFilterArgument(const std::vector<FileFilter>& filters);

} // namespace KV::Platform
