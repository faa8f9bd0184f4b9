#include "Controls/LabelBehaviour.h"

namespace KV {

KVRESULT MarkLabelNotFocusable(LControl& label)
{
    label.SetNotFocusable(true);
    return S_OK;
}

String LabelToolTipText(LControl& label, const String& ownToolTip)
{
    return label.IsLabelTextClipped() ? label.GetText() : ownToolTip;
}

} // namespace KV
