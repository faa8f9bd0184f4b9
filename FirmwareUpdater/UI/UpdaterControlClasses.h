#pragma once
// The updater's own control classes, registered with the control factory at start-up
// beside the framework's.

#include "ControlBase/ControlFactory.h"

namespace KV {

// Registers "FirmwareUpdater.MainControl". Returns 0.
KVRESULT RegisterUpdaterControlClasses(LControlFactory& factory);

} // namespace KV
