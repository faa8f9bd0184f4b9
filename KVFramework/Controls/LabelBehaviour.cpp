#include "Controls/LabelBehaviour.h"

#include "ControlBase/Look.h"

namespace KV {

KVRESULT MarkLabelNotFocusable(LControl& label)
{
    label.SetNotFocusable(true);
    return S_OK;
}

String LabelToolTipText(LControl& label, const String& ownToolTip)
{
    if (!label.IsLabelTextClipped())
        return ownToolTip;
    // Every look holds the control's text; the shown one is the one cut off.
    const RCPtr<LLook> look = label.GetLook(-1);
    return look && look->GetLabel() ? look->GetLabel()->GetText() : ownToolTip;
}

} // namespace KV
