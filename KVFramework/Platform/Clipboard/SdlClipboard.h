#pragma once
// The clipboard backend on SDL's text clipboard. SDL's video subsystem must be running
// (the window layer starts it); until then the clipboard cannot be opened.
//
// SDL offers neither a sequence number nor private formats, so both are emulated: the
// backend remembers the text it saw last and counts a change whenever the clipboard holds
// another text; the private marker is an empty clipboard that this process placed, valid
// until the clipboard changes.

#include "Platform/Clipboard/ClipboardBackend.h"

namespace KV::Platform {

std::shared_ptr<IClipboardBackend> CreateSdlClipboardBackend();

} // namespace KV::Platform
