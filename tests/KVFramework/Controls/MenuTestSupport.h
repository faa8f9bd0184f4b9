#pragma once
// Popup menus for tests: a popup descriptor with rows 20 high, each with a check box and
// a hot-key label, as a skin gives it, and two menus.

#include "Controls/MenuDescriptor.h"

#include "ControlsTestSupport.h"

namespace controltest {

// A popup 120 wide, at y in its parent, whose rows are 20 high.
inline RCPtr<LControlDescriptor> PopupDescriptor(const char16_t* name, double y)
{
    RCPtr<LControlDescriptor> popup = Describe(u"Framework.PopupMenu", name, 0, y, 120, 10, ColourLooks(3));
    popup->mLayout->mClipToParent = false;
    RCPtr<LControlDescriptor> row =
        Describe(u"Framework.MenuItem", u"templateItem", 0, 0, 0, 20, ColourLooks(14));
    row->mLayout->mXSize = {SizeReference::Client, String(), 1.0f, 0};
    row->AddChild(Describe(u"Framework.Button", u"checkBox", 2, 2, 16, 16, ColourLooks(14)));
    row->AddChild(Describe(u"Framework.Label", u"hotKeyLabel", 80, 0, 36, 20, ColourLooks(1)));
    popup->AddChild(row);
    return popup;
}

// "Open", the submenu "Tools" (X, Y), a separator and "Exit".
inline RCPtr<LMenuDescriptor> FileMenu()
{
    const std::vector<LStringTable::Entry> entries = {
        {String(u"00.NID_OPEN"), String(u"Open|Opens a file")},
        {String(u"01.Tools."), String(u"Tools")},
        {String(u"02.-"), String()},
        {String(u"03.NID_EXIT"), String(u"Exit")},
        {String(u"Tools.00.NID_X"), String(u"X")},
        {String(u"Tools.01.NID_Y"), String(u"Y")},
    };
    return LMenuDescriptor::BuildFromPaths(entries);
}

inline RCPtr<LMenuDescriptor> OneItemMenu(const char16_t* name)
{
    RCPtr<LMenuDescriptor> menu = LMenuDescriptor::Create();
    menu->AddItem(0, String(name), String(name), true, false);
    return menu;
}

} // namespace controltest
