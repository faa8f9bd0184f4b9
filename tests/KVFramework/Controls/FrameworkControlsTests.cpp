#include "Application/FrameworkApp.h"
#include "Controls/Button.h"
#include "Controls/CheckedComboBox.h"
#include "Controls/ComboBox.h"
#include "Controls/ComboSlider.h"
#include "Controls/Knob.h"
#include "Controls/Label.h"
#include "Controls/LevelMeter.h"
#include "Controls/NumericUpDown.h"
#include "Controls/Panel.h"
#include "Controls/Scrollbar.h"
#include "Controls/TextBox.h"
#include "Controls/Slider.h"
#include "Controls/ToolTip.h"

#include <gtest/gtest.h>

#include <typeinfo>

using namespace KV;

namespace {

template <class T> bool MakesA(LControlFactory& factory, const char16_t* className)
{
    const RCPtr<LControlDescriptor> descriptor =
        LControlDescriptor::Create(String(className), String(u"made"), nullptr);
    descriptor->SetLayoutDescriptor(LLayoutDescriptor::Create());
    const RCPtr<LControl> control = factory.CreateControl(descriptor, nullptr);
    return control && typeid(*control) == typeid(T) && control->GetName() == String(u"made");
}

TEST(FrameworkControls, TheApplicationRegistersThemUnderEachOfTheirSkinClassNames)
{
    const RCPtr<LControlFactory> factory = LControlFactory::Create(String(u"App"));
    RCPtr<LFrameworkApp> app(new LFrameworkApp(factory, nullptr, String()));
    ASSERT_EQ(app->RunApplicationStartup(), S_OK);
    EXPECT_TRUE(MakesA<LButton>(*factory, u"Framework.Button"));
    EXPECT_TRUE(MakesA<LLabel>(*factory, u"Framework.Label"));
    EXPECT_TRUE(MakesA<LToolTip>(*factory, u"Framework.ToolTip"));
    EXPECT_TRUE(MakesA<LLevelMeter>(*factory, u"Framework.LevelMeter"));
    EXPECT_TRUE(MakesA<LTextBox>(*factory, u"Framework.TextBox"));
    EXPECT_TRUE(MakesA<LScrollbar>(*factory, u"Framework.ScrollBar"));
    EXPECT_TRUE(MakesA<LNumericUpDown>(*factory, u"Framework.NumericUpDown"));
    for (const char16_t* combo : {u"Framework.ComboBox", u"Framework.ComboTextBox"})
        EXPECT_TRUE(MakesA<LComboBox>(*factory, combo));
    for (const char16_t* combo : {u"Framework.CheckedComboBox", u"Framework.ComboBoxWithIcons"})
        EXPECT_TRUE(MakesA<LCheckedComboBox>(*factory, combo));
    EXPECT_TRUE(MakesA<LSlider>(*factory, u"Framework.Slider"));
    EXPECT_TRUE(MakesA<LKnob>(*factory, u"Framework.Knob"));
    EXPECT_TRUE(MakesA<LComboSlider>(*factory, u"Framework.ComboSlider"));
    for (const char16_t* panel :
         {u"Framework.Panel", u"Framework.ScrollChannel", u"Framework.ComboSlider.DropDownPanel"})
        EXPECT_TRUE(MakesA<LPanel>(*factory, panel));
}

} // namespace
