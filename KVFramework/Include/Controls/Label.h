#pragma once
// LLabel: static text. The text is the control's own, laid out and drawn by its look's
// text properties; its size follows the text through the layout's overflow rules. A label
// never takes the focus, and when its text does not fit, its tool tip is the whole text.

#include "Controls/ControlClass.h"

namespace KV {

class LLabel : public LControl
{
public:
    LLabel(const RCPtr<LControl>& parent, const String& name);

    // Marks the label not focusable: it is never a tab stop.
    KVRESULT PostInitialize() override;
    // The full text while the first line is cut off, else the string table's tool tip.
    String GetToolTipText() override;

protected:
    ~LLabel() override;
};

} // namespace KV
