#include "Application/CursorNames.h"

namespace KV {

const LCursorNames& CursorNames()
{
    // Never destroyed: a window may still ask for a cursor while the process ends.
    static const LCursorNames* const names = new LCursorNames();
    return *names;
}

} // namespace KV
