#pragma once
// What a label and a list-box row share: they never take the focus, and a text cut off by
// its look shows whole as the tool tip.

#include "ControlBase/Control.h"

namespace KV {

KVRESULT MarkLabelNotFocusable(LControl& label);
// The control's text while its first line does not fit, else the tool tip it has.
String LabelToolTipText(LControl& label, const String& ownToolTip);

} // namespace KV
