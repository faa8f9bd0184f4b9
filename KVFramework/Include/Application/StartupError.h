#pragma once
// The start-up error box: what a failed start-up, or an error that left the message
// loop, tells the user.

#include "ControlBase/StringTable.h"

#include <exception>
#include <stdexcept>

namespace KV {

// A start-up failure whose text is for the user: the box shows it in place of the
// general text.
class StartupError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

struct StartupErrorBoxTexts
{
    String text;
    String caption;
};

// The texts of the framework string table ("STARTUP_ERROR", "STARTUP_ERROR_CAPTION"),
// each replaced by the built-in English one where the table lacks it; the error's own
// text when it is a StartupError.
StartupErrorBoxTexts GetStartupErrorBoxTexts(const RCPtr<LStringTable>& frameworkStrings,
                                             const std::exception* error = nullptr);

} // namespace KV
