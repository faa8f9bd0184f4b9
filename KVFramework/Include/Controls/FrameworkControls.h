#pragma once
// The framework's control classes, registered with a control factory under their skin
// class names.

#include "ControlBase/ControlFactory.h"

namespace KV {

// Registers every framework class that is built under each of its skin class names.
// Returns 0.
KVRESULT RegisterFrameworkControlClasses(LControlFactory& factory);

} // namespace KV
