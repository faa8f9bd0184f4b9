#pragma once
// The updater's command line: the process's arguments joined by single blanks, where an
// argument that holds a blank is written in double quotes (only its value, for an
// option of the form -NAME=value), and the look-up of options in it.

#include "Storage/StringT.h"

namespace CommandLine {

// The arguments after the program name, joined as described above.
KV::String Join(int argc, const char* const argv[]);

// Whether the option is on the command line, matched in any letter case at the start of
// a word and outside quoted values; every occurrence is examined. A switch ("-SILENT")
// matches a whole word only. For an option that ends with "=", the value follows it up
// to the next blank, or is written in double quotes (returned without them); an option
// followed by a blank has no value and does not count, one at the very end of the line
// counts with an empty value. The value is cleared first in every case.
bool FindOption(const KV::String& commandLine, const KV::String& option, KV::String& value);

} // namespace CommandLine
