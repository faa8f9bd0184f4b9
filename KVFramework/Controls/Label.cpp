#include "Controls/Label.h"

#include "Controls/LabelBehaviour.h"

namespace KV {

LLabel::LLabel(const RCPtr<LControl>& parent, const String& name) : LControl(parent, name) {}

LLabel::~LLabel() = default;

KVRESULT LLabel::PostInitialize()
{
    return MarkLabelNotFocusable(*this);
}

String LLabel::GetToolTipText()
{
    return LabelToolTipText(*this, LControl::GetToolTipText());
}

} // namespace KV
