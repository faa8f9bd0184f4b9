#pragma once
// The framework's control classes, registered with a control factory under their skin
// class names.

#include "ControlBase/ControlFactory.h"
#include "ControlBase/FrameworkControlClasses.h"

#include <span>

namespace KV {

// Registers every framework class under each of its skin class names. Returns 0, or E_FAIL
// when an entry names a class the framework does not make (written to the debug console
// with its skin class name; the other entries are registered).
KVRESULT RegisterFrameworkControlClasses(LControlFactory& factory);
// The same for a table of the kind of kFrameworkControlClasses.
KVRESULT RegisterControlClasses(LControlFactory& factory, std::span<const FrameworkControlClass> classes);

} // namespace KV
