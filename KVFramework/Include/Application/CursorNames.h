#pragma once
// The names of the cursors that controls ask the application for.
//
// Each name is one string object, made once and kept for the whole process. Code that
// asks for a cursor passes the object itself (or a copy, which shares its text), so
// that an application can tell the names apart by identity (IsCursorName) where the
// framework's own table compares their texts. The default cursor is a name of its own
// with the text of the arrow, told apart from the arrow by identity alone.

#include "Storage/StringT.h"

namespace KV {

struct LCursorNames
{
    // In the order they are made.
    String appStarting{u"UI_CURSOR_APP_STARTING"};
    String arrow{u"UI_CURSOR_ARROW"};
    String cross{u"UI_CURSOR_CROSS"};
    // The root window's cursor when a control asks for none, and after a drag.
    String defaultCursor{u"UI_CURSOR_ARROW"};
    String dropCopy{u"UI_CURSOR_DROP_COPY"};
    String dropMove{u"UI_CURSOR_DROP_MOVE"};
    String hand{u"UI_CURSOR_HAND"};
    String help{u"UI_CURSOR_HELP"};
    String iBeam{u"UI_CURSOR_IBEAM"};
    String mag{u"UI_CURSOR_MAG"};
    String magMinus{u"UI_CURSOR_MAG_MINUS"};
    String magPlus{u"UI_CURSOR_MAG_PLUS"};
    String noDrop{u"UI_CURSOR_NO_DROP"};
    String rotate{u"UI_CURSOR_ROTATE"};
    String sizeAll{u"UI_CURSOR_SIZE_ALL"};
    String sizeNESW{u"UI_CURSOR_SIZE_NESW"};
    String sizeNS{u"UI_CURSOR_SIZE_NS"};
    String sizeNWSE{u"UI_CURSOR_SIZE_NWSE"};
    String sizeWE{u"UI_CURSOR_SIZE_WE"};
    String splitH{u"UI_CURSOR_SPLIT_H"};
    String splitV{u"UI_CURSOR_SPLIT_V"};
    String upArrow{u"UI_CURSOR_UP_ARROW"};
    String wait{u"UI_CURSOR_WAIT"};
};

// The process's cursor names, made on first use and never destroyed.
const LCursorNames& CursorNames();

// Whether name is the constant itself or a copy of it, not merely the same text.
inline bool IsCursorName(const String& name, const String& constant) noexcept
{
    return name.SharesBufferWith(constant);
}

} // namespace KV
