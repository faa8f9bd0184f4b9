#include "Controls/FrameworkControls.h"

#include "ControlBase/FrameworkControlClasses.h"
#include "Controls/Button.h"
#include "Controls/CheckedComboBox.h"
#include "Controls/ComboBox.h"
#include "Controls/FileDropper.h"
#include "Controls/ComboSlider.h"
#include "Controls/Knob.h"
#include "Controls/CheckedListBox.h"
#include "Controls/ComboMenu.h"
#include "Controls/Label.h"
#include "Controls/LevelMeter.h"
#include "Controls/MainMenu.h"
#include "Controls/NumericUpDown.h"
#include "Controls/ListBox.h"
#include "Controls/ListBoxItem.h"
#include "Controls/MultiColumnListBox.h"
#include "Controls/Panel.h"
#include "Controls/PopupMenu.h"
#include "Controls/ProgressBar.h"
#include "Controls/Splitter.h"
#include "Controls/Scrollbar.h"
#include "Controls/StatusBar.h"
#include "Controls/TabControl.h"
#include "Controls/TextBox.h"
#include "Controls/Slider.h"
#include "Controls/ToolTip.h"

#include <cstring>
#include <utility>

namespace KV {

namespace {

// The create function of each class built so far, by class name.
constexpr std::pair<const char*, ControlCreateFunction> kCreateFunctions[] = {
    {"LButton", &CreateControlOfClass<LButton>},
    {"LLabel", &CreateControlOfClass<LLabel>},
    {"LPanel", &CreateControlOfClass<LPanel>},
    {"LProgressBar", &CreateControlOfClass<LProgressBar>},
    {"LToolTip", &CreateControlOfClass<LToolTip>},
    {"LLevelMeter", &CreateControlOfClass<LLevelMeter>},
    {"LTextBox", &CreateControlOfClass<LTextBox>},
    {"LNumericUpDown", &CreateControlOfClass<LNumericUpDown>},
    {"LSlider", &CreateControlOfClass<LSlider>},
    {"LListBox", &CreateControlOfClass<LListBox>},
    {"LListBoxItem", &CreateControlOfClass<LListBoxItem>},
    {"LStatusBar", &CreateControlOfClass<LStatusBar>},
    {"LTabControl", &CreateControlOfClass<LTabControl>},
    {"LKnob", &CreateControlOfClass<LKnob>},
    {"LComboSlider", &CreateControlOfClass<LComboSlider>},
    {"LMultiColumnListBox", &CreateControlOfClass<LMultiColumnListBox>},
    {"LComboBox", &CreateControlOfClass<LComboBox>},
    {"LFileDropper", &CreateControlOfClass<LFileDropper>},
    {"LSplitterH", &CreateControlOfClass<LSplitterH>},
    {"LSplitterV", &CreateControlOfClass<LSplitterV>},
    {"LScrollbar", &CreateControlOfClass<LScrollbar>},
    {"LCheckedListBox", &CreateControlOfClass<LCheckedListBox>},
    {"LCheckedListBoxItem", &CreateControlOfClass<LCheckedListBoxItem>},
    {"LPopupMenu", &CreateControlOfClass<LPopupMenu>},
    {"LMenuListBoxItem", &CreateControlOfClass<LMenuListBoxItem>},
    {"LComboMenu", &CreateControlOfClass<LComboMenu>},
    {"LMainMenu", &CreateControlOfClass<LMainMenu>},
    {"LCheckedComboBox", &CreateControlOfClass<LCheckedComboBox>},
};

} // namespace

KVRESULT RegisterFrameworkControlClasses(LControlFactory& factory)
{
    for (const FrameworkControlClass& entry : kFrameworkControlClasses)
        for (const auto& [className, create] : kCreateFunctions)
            if (std::strcmp(entry.controlClass, className) == 0)
                factory.RegisterControlClass(String(entry.skinClassName), create);
    return S_OK;
}

} // namespace KV
