#pragma once
// The skin class names of the framework's controls, in the order the framework
// registers them with the control factory at start-up, each with the class it makes.
// Several names make one class and share its create function ("Framework.Panel",
// "Framework.ScrollChannel" and "Framework.ComboSlider.DropDownPanel" all make a panel).

#include <array>

namespace KV {

struct FrameworkControlClass
{
    const char16_t* skinClassName;
    const char* controlClass;
};

inline constexpr std::array<FrameworkControlClass, 35> kFrameworkControlClasses{{
    {u"Framework.Button", "LButton"},
    {u"Framework.OverlayButton", "LListBoxItem"},
    {u"Framework.ListBox", "LListBox"},
    {u"Framework.listboxNoScroll", "LListBox"},
    {u"Framework.ListBoxItem", "LListBoxItem"},
    {u"Framework.CheckedListBox", "LCheckedListBox"},
    {u"Framework.CheckedListBoxItem", "LCheckedListBoxItem"},
    {u"Framework.ListBoxWithIcons", "LCheckedListBox"},
    {u"Framework.listbox2ColumnSortable", "LMultiColumnListBox"},
    {u"Framework.ScrollBar", "LScrollbar"},
    {u"Framework.ScrollChannel", "LPanel"},
    {u"Framework.ComboBox", "LComboBox"},
    {u"Framework.ComboTextBox", "LComboBox"},
    {u"Framework.CheckedComboBox", "LCheckedComboBox"},
    {u"Framework.ComboBoxWithIcons", "LCheckedComboBox"},
    {u"Framework.ComboSlider", "LComboSlider"},
    {u"Framework.ComboSlider.DropDownPanel", "LPanel"},
    {u"Framework.Slider", "LSlider"},
    {u"Framework.Knob", "LKnob"},
    {u"Framework.TabControl", "LTabControl"},
    {u"Framework.Label", "LLabel"},
    {u"Framework.TextBox", "LTextBox"},
    {u"Framework.NumericUpDown", "LNumericUpDown"},
    {u"Framework.Panel", "LPanel"},
    {u"Framework.ToolTip", "LToolTip"},
    {u"Framework.PopupMenu", "LPopupMenu"},
    {u"Framework.MenuItem", "LMenuListBoxItem"},
    {u"Framework.ComboMenu", "LComboMenu"},
    {u"Framework.MainMenu", "LMainMenu"},
    {u"Framework.FileDropper", "LFileDropper"},
    {u"Framework.StatusBar", "LStatusBar"},
    {u"Framework.SplitterH", "LSplitterH"},
    {u"Framework.SplitterV", "LSplitterV"},
    {u"Framework.LevelMeter", "LLevelMeter"},
    {u"Framework.ProgressBar", "LProgressBar"},
}};

} // namespace KV
