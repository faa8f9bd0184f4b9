#include "Application/FrameworkApp.h"
#include "Controls/Button.h"
#include "Controls/CheckedComboBox.h"
#include "Controls/CheckedListBox.h"
#include "Controls/ComboBox.h"
#include "Controls/ComboMenu.h"
#include "Controls/ComboSlider.h"
#include "Controls/FileDropper.h"
#include "Controls/FrameworkControls.h"
#include "Controls/Knob.h"
#include "Controls/Label.h"
#include "Controls/LevelMeter.h"
#include "Controls/ListBox.h"
#include "Controls/ListBoxItem.h"
#include "Controls/MainMenu.h"
#include "Controls/MultiColumnListBox.h"
#include "Controls/NumericUpDown.h"
#include "Controls/Panel.h"
#include "Controls/PopupMenu.h"
#include "Controls/ProgressBar.h"
#include "Controls/Scrollbar.h"
#include "Controls/Slider.h"
#include "Controls/Splitter.h"
#include "Controls/StatusBar.h"
#include "Controls/TabControl.h"
#include "Controls/TextBox.h"
#include "Controls/ToolTip.h"

#include <gtest/gtest.h>

#include <typeinfo>

using namespace KV;

namespace {

// The control the factory makes for the class name, named "made"; null when it makes none.
RCPtr<LControl> Make(LControlFactory& factory, const char16_t* className)
{
    const RCPtr<LControlDescriptor> descriptor =
        LControlDescriptor::Create(String(className), String(u"made"), nullptr);
    descriptor->SetLayoutDescriptor(LLayoutDescriptor::Create());
    const RCPtr<LControl> control = factory.CreateControl(descriptor, nullptr);
    return control && control->GetName() == String(u"made") ? control : nullptr;
}

TEST(FrameworkControls, TheApplicationRegistersThemUnderEachOfTheirSkinClassNames)
{
    const RCPtr<LControlFactory> factory = LControlFactory::Create(String(u"App"));
    RCPtr<LFrameworkApp> app(new LFrameworkApp(factory, nullptr, String()));
    ASSERT_EQ(app->RunApplicationStartup(), S_OK);
    // Every class name a skin may write, spelt out as a skin writes it, with what it makes.
    const struct
    {
        const char16_t* className;
        const std::type_info& made;
    } cases[] = {
        {u"Framework.Button", typeid(LButton)},
        {u"Framework.OverlayButton", typeid(LListBoxItem)},
        {u"Framework.ListBox", typeid(LListBox)},
        {u"Framework.listboxNoScroll", typeid(LListBox)},
        {u"Framework.ListBoxItem", typeid(LListBoxItem)},
        {u"Framework.CheckedListBox", typeid(LCheckedListBox)},
        {u"Framework.CheckedListBoxItem", typeid(LCheckedListBoxItem)},
        {u"Framework.ListBoxWithIcons", typeid(LCheckedListBox)},
        {u"Framework.listbox2ColumnSortable", typeid(LMultiColumnListBox)},
        {u"Framework.ScrollBar", typeid(LScrollbar)},
        {u"Framework.ScrollChannel", typeid(LPanel)},
        {u"Framework.ComboBox", typeid(LComboBox)},
        {u"Framework.ComboTextBox", typeid(LComboBox)},
        {u"Framework.CheckedComboBox", typeid(LCheckedComboBox)},
        {u"Framework.ComboBoxWithIcons", typeid(LCheckedComboBox)},
        {u"Framework.ComboSlider", typeid(LComboSlider)},
        {u"Framework.ComboSlider.DropDownPanel", typeid(LPanel)},
        {u"Framework.Slider", typeid(LSlider)},
        {u"Framework.Knob", typeid(LKnob)},
        {u"Framework.TabControl", typeid(LTabControl)},
        {u"Framework.Label", typeid(LLabel)},
        {u"Framework.TextBox", typeid(LTextBox)},
        {u"Framework.NumericUpDown", typeid(LNumericUpDown)},
        {u"Framework.Panel", typeid(LPanel)},
        {u"Framework.ToolTip", typeid(LToolTip)},
        {u"Framework.PopupMenu", typeid(LPopupMenu)},
        {u"Framework.MenuItem", typeid(LMenuListBoxItem)},
        {u"Framework.ComboMenu", typeid(LComboMenu)},
        {u"Framework.MainMenu", typeid(LMainMenu)},
        {u"Framework.FileDropper", typeid(LFileDropper)},
        {u"Framework.StatusBar", typeid(LStatusBar)},
        {u"Framework.SplitterH", typeid(LSplitterH)},
        {u"Framework.SplitterV", typeid(LSplitterV)},
        {u"Framework.LevelMeter", typeid(LLevelMeter)},
        {u"Framework.ProgressBar", typeid(LProgressBar)},
    };
    // No name is registered that the table leaves out.
    EXPECT_EQ(std::size(cases), kFrameworkControlClasses.size());
    for (const auto& c : cases)
    {
        const RCPtr<LControl> control = Make(*factory, c.className);
        ASSERT_TRUE(control) << String(c.className).ToNarrow().GetText();
        EXPECT_EQ(typeid(*control), c.made) << String(c.className).ToNarrow().GetText();
    }
    // A dialog is no control a skin places: no class name makes one.
    EXPECT_THROW(Make(*factory, u"Framework.Dialog"), std::exception);
}

TEST(FrameworkControls, AnEntryNamingAClassThatIsNotMadeIsReportedNotSkipped)
{
    const RCPtr<LControlFactory> factory = LControlFactory::Create(String(u"App"));
    const FrameworkControlClass classes[] = {
        {u"Framework.Button", "LButon"}, // misspelt
        {u"Framework.Label", "LLabel"},
    };
    EXPECT_EQ(RegisterControlClasses(*factory, classes), E_FAIL);
    EXPECT_THROW(factory->GetControlCreateFunction(String(u"Framework.Button")), std::exception);
    EXPECT_TRUE(factory->GetControlCreateFunction(String(u"Framework.Label"))); // the rest still are
    EXPECT_EQ(RegisterFrameworkControlClasses(*factory), S_OK);
}

} // namespace
