#pragma once
// A status bar 200 x 20 with its label, as a skin gives it, under the harness's root panel.

#include "Controls/StatusBar.h"

#include "ControlsTestSupport.h"

namespace controltest {

inline RCPtr<LControlDescriptor> DescribeStatusBar(const char16_t* name, bool withLabel = true)
{
    RCPtr<LControlDescriptor> bar = Describe(u"Framework.StatusBar", name, 0, 80, 200, 20);
    if (withLabel)
        bar->AddChild(Describe(u"Framework.Label", u"label1", 0, 0, 200, 20));
    return bar;
}

inline std::string LabelText(const RCPtr<LStatusBar>& bar)
{
    return Narrow(bar->GetLabel()->GetText().GetText());
}

} // namespace controltest
