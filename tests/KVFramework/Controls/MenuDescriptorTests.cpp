#include "Controls/MenuDescriptor.h"

#include "ControlsTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace KV;
using controltest::Narrow;

namespace {

class PlainControl : public LControl
{
public:
    using LControl::LControl;

protected:
    ~PlainControl() override = default;
};

// A menu as one line: items "text=name", a status text after "|", separators "-",
// disabled items in parentheses, checked ones with "*", submenus as "text[...]".
std::string Describe(const LMenuDescriptor& menu)
{
    std::string out;
    for (uint32_t i = 0; i < menu.GetItemCount(); ++i)
    {
        const RCPtr<LMenuItemDescriptor> item = menu.GetItem(static_cast<int32_t>(i));
        if (!out.empty())
            out += " ";
        std::string one;
        if (item->IsSeparator())
            one = "-";
        else if (item->IsSubmenu())
            one = Narrow(item->GetText().GetText()) + "[" + Describe(*item) + "]";
        else
            one = Narrow(item->GetText().GetText()) + "=" + Narrow(item->GetName().GetText());
        if (!item->GetStatusText().IsEmpty())
            one += "|" + Narrow(item->GetStatusText().GetText());
        if (item->IsChecked())
            one += "*";
        out += item->IsEnabled() ? one : "(" + one + ")";
    }
    return out;
}

// The menus a control with these texts in its string table describes, one per line.
std::vector<std::string> MenusOf(const std::vector<std::pair<const char16_t*, const char16_t*>>& texts)
{
    LStringTable::TextMap map;
    for (const auto& [key, text] : texts)
        map[String(key)] = String(text);
    RCPtr<PlainControl> control(new PlainControl(nullptr, String(u"c"), LStringTable::Create(map)));
    std::vector<RCPtr<LMenuDescriptor>> menus;
    control->BuildContextMenu(menus);
    std::vector<std::string> lines;
    for (const RCPtr<LMenuDescriptor>& menu : menus)
        lines.push_back(Describe(*menu));
    return lines;
}

TEST(MenuDescriptorTest, StringTableKeysGiveMenusByTheirPaths)
{
    using Lines = std::vector<std::string>;
    const struct
    {
        const char* what;
        std::vector<std::pair<const char16_t*, const char16_t*>> texts;
        Lines menus;
    } cases[] = {
        {"the point form wins over numbered menus",
         {{u"CONTEXT_MENU.00.A", u"A"}, {u"CONTEXT_MENU0.00.B", u"B"}},
         {"A=A"}},
        {"numbered menus in the order of their number texts",
         {{u"CONTEXT_MENU1.00.A", u"A"}, {u"CONTEXT_MENU10.00.B", u"B"}, {u"CONTEXT_MENU2.00.C", u"C"}},
         {"A=A", "B=B", "C=C"}},
        {"an item number out of sequence is dropped",
         {{u"CONTEXT_MENU0.00.A", u"A"}, {u"CONTEXT_MENU0.02.C", u"C"}},
         {"A=A"}},
        {"\"10\" sorts before \"2\" and is dropped",
         {{u"CONTEXT_MENU0.0.A", u"A"},
          {u"CONTEXT_MENU0.1.B", u"B"},
          {u"CONTEXT_MENU0.10.K", u"K"},
          {u"CONTEXT_MENU0.2.C", u"C"}},
         {"A=A B=B C=C"}},
        {"status texts after the first bar",
         {{u"CONTEXT_MENU0.00.NID_OPEN", u"Open|Opens a firmware file"}, {u"CONTEXT_MENU0.01.X", u"A|B|C"}},
         {"Open=NID_OPEN|Opens a firmware file A=X|B|C"}},
        {"a separator",
         {{u"CONTEXT_MENU0.00.A", u"A"}, {u"CONTEXT_MENU0.01.-", u""}, {u"CONTEXT_MENU0.02.B", u"B"}},
         {"A=A - B=B"}},
        {"a submenu, whatever the order of its keys",
         {{u"CONTEXT_MENU0.00.Tools.", u"Tools|More"},
          {u"CONTEXT_MENU0.01.Z", u"Z"},
          {u"CONTEXT_MENU0.Tools.00.X", u"X"},
          {u"CONTEXT_MENU0.Tools.01.-", u""}},
         {"Tools[X=X -]|More Z=Z"}},
        {"a submenu entry without a list is dropped",
         {{u"CONTEXT_MENU0.00.Sub.", u"Sub"}, {u"CONTEXT_MENU0.01.A", u"A"}},
         {"A=A"}},
        {"a submenu that names itself is cut there",
         {{u"CONTEXT_MENU0.00.Sub.", u"Sub"},
          {u"CONTEXT_MENU0.Sub.00.Sub.", u"Again"},
          {u"CONTEXT_MENU0.Sub.01.X", u"X"}},
         {"Sub[X=X]"}},
        {"two submenus naming each other (the inner one left empty)",
         {{u"CONTEXT_MENU0.00.A.", u"A"},
          {u"CONTEXT_MENU0.A.00.B.", u"B"},
          {u"CONTEXT_MENU0.B.00.A.", u"A2"}},
         {"A[B=]"}},
        {"keys without a point, with an empty first piece or too short are no items",
         {{u"CONTEXT_MENU0", u"x"}, {u"CONTEXT_MENU0..00.A", u"x"}, {u"CONTEXT_MENU0.00", u"x"}},
         {""}},
        {"no menu keys, no menus", {{u"MENU_LABEL.00", u"File"}}, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MenusOf(c.texts), c.menus) << c.what;
}

TEST(MenuDescriptorTest, ItemsBuiltInCodeGoWhereTheirIndexSays)
{
    RCPtr<LMenuDescriptor> menu = LMenuDescriptor::Create();
    EXPECT_EQ(menu->AddItem(0, String(u"B"), String(u"NID_B"), true, false), 0);
    EXPECT_EQ(menu->AddItem(0, String(u"A"), String(u"NID_A"), false, true), 0);
    EXPECT_EQ(menu->InsertSeparator(2), 2);
    EXPECT_EQ(menu->AddItem(4, String(u"Z"), String(), true, false), E_INVALIDARG);
    EXPECT_EQ(menu->InsertSeparator(-1), E_INVALIDARG);
    EXPECT_EQ(Describe(*menu), "(A=NID_A*) B=NID_B -");
    EXPECT_EQ(menu->GetItem(1)->GetParent().Get(), menu.Get());

    LMenuItemInfo info{true, true, String(u"stale")};
    EXPECT_EQ(menu->GetItemInfo(0, info), S_OK);
    EXPECT_EQ(info, (LMenuItemInfo{false, true, String(u"A")}));
    info = LMenuItemInfo{true, true, String(u"stale")};
    EXPECT_EQ(menu->GetItemInfo(3, info), E_INVALIDARG);
    EXPECT_EQ(info, LMenuItemInfo{});
}

// Destroyed with the object that carries it as its tag.
class Sentinel : public LRefCountedObject
{
public:
    explicit Sentinel(bool* gone) : mGone(gone) {}
    ~Sentinel() override { *mGone = true; }

private:
    bool* mGone;
};

TEST(MenuDescriptorTest, ACopyIsIndependentAndFreedWholeWithItsLastReference)
{
    RCPtr<LMenuDescriptor> source = LMenuDescriptor::Create();
    RCPtr<LMenuItemDescriptor> tools = LMenuItemDescriptor::Create(String(u"Tools"), String(), true, false);
    tools->AddItem(0, String(u"X"), String(u"NID_X"), true, false);
    tools->GetItem(0)->SetHotKeyLabel(String(u"Ctrl+X"));
    source->InsertItem(0, tools);
    source->AddItem(1, String(u"Open"), String(u"NID_OPEN"), true, false);
    tools.Reset();

    RCPtr<LMenuDescriptor> copy = source->Copy();
    ASSERT_EQ(Describe(*copy), Describe(*source));
    EXPECT_FALSE(copy->GetParent());
    RCPtr<LMenuItemDescriptor> copiedTools = copy->GetItem(0);
    EXPECT_NE(copiedTools.Get(), source->GetItem(0).Get());
    EXPECT_EQ(copiedTools->GetParent().Get(), copy.Get());
    EXPECT_NE(copiedTools->GetItem(0).Get(), source->GetItem(0)->GetItem(0).Get());
    EXPECT_EQ(copiedTools->GetItem(0)->GetParent().Get(), copiedTools.Get());
    EXPECT_EQ(copiedTools->GetItem(0)->GetHotKeyLabel(), String(u"Ctrl+X"));

    copiedTools->GetItem(0)->SetText(String(u"changed"));
    copiedTools->AddItem(1, String(u"Y"), String(u"NID_Y"), true, false);
    copy->InsertSeparator(0);
    EXPECT_EQ(Describe(*source), "Tools[X=NID_X] Open=NID_OPEN");
    copiedTools.Reset();

    // Every object of a menu goes with the menu's last outside reference, although items
    // and their holders point at each other.
    for (RCPtr<LMenuDescriptor>* menu : {&copy, &source})
    {
        bool gone[3] = {false, false, false};
        (*menu)->SetTag(RCPtr<LRefCountedObject>(new Sentinel(&gone[0])));
        RCPtr<LMenuItemDescriptor> entry = (*menu)->GetItem(menu == &copy ? 1 : 0);
        entry->SetTag(RCPtr<LRefCountedObject>(new Sentinel(&gone[1])));
        entry->GetItem(0)->SetTag(RCPtr<LRefCountedObject>(new Sentinel(&gone[2])));
        entry.Reset();
        menu->Reset();
        EXPECT_TRUE(gone[0] && gone[1] && gone[2]);
    }
}

TEST(MenuDescriptorTest, AnItemHeldElsewhereOutlivesItsMenuWithoutItsParent)
{
    RCPtr<LMenuDescriptor> menu = LMenuDescriptor::Create();
    RCPtr<LMenuItemDescriptor> entry = LMenuItemDescriptor::Create(String(u"Sub"), String(), true, false);
    entry->AddItem(0, String(u"X"), String(u"NID_X"), true, false);
    menu->InsertItem(0, entry);
    menu.Reset();
    EXPECT_FALSE(entry->GetParent());
    EXPECT_EQ(Describe(*entry), "X=NID_X");
    EXPECT_EQ(entry->GetItem(0)->GetParent().Get(), entry.Get());
}

} // namespace
