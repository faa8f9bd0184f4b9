#pragma once
// Notification identifiers: texts such as "NID_LEFT_CLICK" interned once into one
// process-wide table. An identifier is the address of the table's copy of the text, so
// identifiers are compared by address, never by text; an identifier stays valid for
// the rest of the process. The null pointer is the identifier of the empty text.

#include "Storage/StringT.h"

namespace KV {

using NotificationId = const char16_t*;

// The identifier of a text (null for a null or empty text). Passing an identifier
// returns it again, found by its address. Callable from any thread.
NotificationId InternNotificationId(const char16_t* text);

// The identifier's text; the empty string when the pointer is not an identifier.
String GetNotificationIdText(NotificationId id);

// True when the pointer is an identifier of the table.
bool IsNotificationId(const char16_t* text);

} // namespace KV
