#pragma once
// The updater's command line: the process's arguments joined by single blanks, and the
// look-up of options in it.
//
// An argument that holds a blank, or begins with a double quote, is written in double
// quotes (only its value, for an option of the form -NAME=value), with each quote in it
// doubled. A value given with quotes around it inside one argument stands for the text
// inside them. A quote opens a quoted text only at the start of a word or right after
// an option's "="; a quote anywhere else is a character like any other.

#include "Storage/StringT.h"

namespace CommandLine {

// The arguments after the program name, joined as described above. Bytes that are no
// UTF-8 are kept (DecodeSystemBytes), so a file name passes unchanged.
KV::String Join(int argc, const char* const argv[]);

// Whether the option is on the command line, matched in any letter case at the start of
// a word (quoted texts are part of their word); every occurrence is examined. A switch
// ("-SILENT") matches a whole word only. For an option that ends with "=", the value is
// the rest of the word, without its quotes when quoted; an option followed by a blank
// has no value and does not count, one at the very end of the line counts with an
// empty value. The value is cleared first in every case.
bool FindOption(const KV::String& commandLine, const KV::String& option, KV::String& value);

} // namespace CommandLine
