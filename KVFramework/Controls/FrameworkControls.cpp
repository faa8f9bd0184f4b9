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
#include "System/DebugConsole.h"

#include <algorithm>

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

KVRESULT RegisterControlClasses(LControlFactory& factory, std::span<const FrameworkControlClass> classes)
{
    KVRESULT result = S_OK;
    for (const FrameworkControlClass& entry : classes)
    {
        const auto made =
            std::find_if(std::begin(kCreateFunctions), std::end(kCreateFunctions), [&](const auto& known) {
                return std::strcmp(entry.controlClass, known.first) == 0;
            });
        if (made == std::end(kCreateFunctions))
        {
            // A misspelt name would otherwise leave every skin that uses the class unable
            // to make it, with nothing to say why.
            CDebugLine<char>() << "No control class \"" << entry.controlClass << "\" for the skin class \""
                               << String(entry.skinClassName).ToNarrow().GetText() << "\"\n";
            result = E_FAIL;
            continue;
        }
        factory.RegisterControlClass(String(entry.skinClassName), made->second);
    }
    return result;
}

KVRESULT RegisterFrameworkControlClasses(LControlFactory& factory)
{
    return RegisterControlClasses(factory, kFrameworkControlClasses);
}

} // namespace KV
