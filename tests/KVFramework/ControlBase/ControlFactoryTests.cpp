// Control classes, control creation from descriptors, and the skin's font.

#include "ControlBase/Control.h"
#include "ControlBase/FrameworkControlClasses.h"
#include "ControlBase/RootWindow.h"
#include "ControlFactoryTestSupport.h"

#include <set>

using namespace factorytest;

namespace {

RCPtr<LControl> MakeLabel(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor)
{
    return RCPtr<LControl>(new LControl(parent, descriptor->mName));
}

RCPtr<LControl> MakeOther(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor)
{
    return RCPtr<LControl>(new LControl(parent, String(u"other")));
}

RCPtr<LControlFactory> FactoryWithSkin(const std::string& skin)
{
    RCPtr<LControlFactory> factory = LControlFactory::Create(String(u"App"));
    EXPECT_EQ(factory->ParseXML(Bytes(SkinDocument("<Skins>" + skin + "</Skins>"))), S_OK);
    return factory;
}

} // namespace

TEST(ControlFactory, TheFirstRegistrationOfAClassStays)
{
    const RCPtr<LControlFactory> factory = LControlFactory::Create(String(u"App"));
    EXPECT_EQ(factory->RegisterControlClass(String(u"Framework.Button"), &MakeLabel), S_OK);
    EXPECT_EQ(factory->RegisterControlClass(String(u"Framework.Button"), &MakeOther), S_OK);
    EXPECT_EQ(factory->GetControlCreateFunction(String(u"Framework.Button")), &MakeLabel);
}

TEST(ControlFactory, AnUnregisteredClassThrowsAndCachesNothing)
{
    const RCPtr<LControlFactory> factory =
        FactoryWithSkin("<Skin Name=\"s\"><SubControl Class=\"Framework.Nothing\" Name=\"n\"/></Skin>");
    const RCPtr<LControlDescriptor> descriptor = factory->FindControlDescriptor(String(u"n"));
    ASSERT_TRUE(descriptor);
    for (int attempt = 0; attempt < 2; ++attempt)
    {
        try
        {
            factory->CreateControl(descriptor, nullptr);
            ADD_FAILURE() << "no exception";
        }
        catch (const Exception<std::runtime_error>& error)
        {
            EXPECT_EQ(std::string(error.what())
                          .rfind("Runtime Error : KV::LControlFactory::GetControlCreateFunction : ", 0),
                      0u)
                << error.what();
        }
        EXPECT_EQ(descriptor->mCreateFunction, nullptr);
    }
    RCPtr<LRootWindow> window = LRootWindow::CreateInstance(nullptr);
    EXPECT_THROW(factory->CreateControlByName(String(u"n"), window), Exception<std::runtime_error>);
}

TEST(ControlFactory, CreatesTopLevelControlsVisibleAndAttachedToTheirWindow)
{
    const RCPtr<LControlFactory> factory =
        FactoryWithSkin("<Skin Name=\"s\"><SubControl Class=\"Framework.Label\" Name=\"a\"/>"
                        "<SubControl Class=\"Framework.Label\" Name=\"b\" IsVisible=\"False\"/></Skin>");
    factory->RegisterControlClass(String(u"Framework.Label"), &MakeLabel);
    const RCPtr<LRootWindow> window = LRootWindow::CreateInstance(nullptr);

    const RCPtr<LControlDescriptor> descriptor = factory->FindControlDescriptor(String(u"b"));
    descriptor->mLayout->mIsVisible = false;
    const RCPtr<LControl> control = factory->CreateControlByName(String(u"b"), window);
    ASSERT_TRUE(control);
    EXPECT_EQ(control->GetName(), u"b");
    EXPECT_EQ(control->GetRootWindow(), window);
    EXPECT_TRUE(descriptor->mLayout->mIsVisible);
    EXPECT_EQ(descriptor->mCreateFunction, &MakeLabel);
    EXPECT_FALSE(factory->CreateControlByName(String(u"missing"), window));
    control->SetRootWindow(nullptr); // the window holds no control; the control lets go of it

    // A skin applied again finds the control's descriptor by the control's name.
    EXPECT_EQ(factory->ApplySkinToControl(control), S_OK);
    EXPECT_EQ(control->GetDescriptor(), descriptor);
    EXPECT_EQ(factory->ApplySkinToControl(nullptr), E_FAIL);
    const RCPtr<LControl> stranger(new LControl(nullptr, String(u"stranger")));
    EXPECT_EQ(factory->ApplySkinToControl(stranger), E_FAIL);

    const RCPtr<LControl> child =
        factory->CreateControl(factory->FindControlDescriptor(String(u"a")), control);
    EXPECT_EQ(child->GetParent(), control);
}

TEST(ControlFactory, ClonedDescriptorsShareTheirChildren)
{
    const RCPtr<LControlFactory> factory = FactoryWithSkin(
        "<Skin Name=\"s\"><SubControl Class=\"Framework.ListBox\" Name=\"list\">"
        "<SubControl Class=\"Framework.ListBoxItem\" Name=\"templateItem\">"
        "<SubControl Class=\"Framework.Label\" Name=\"text\"/></SubControl></SubControl></Skin>");
    const RCPtr<LControlDescriptor> list = factory->FindControlDescriptor(String(u"list"));
    const RCPtr<LControlDescriptor> templateItem = *list->mChildren.GetAtConst(0);
    const RCPtr<LLayoutDescriptor> layout = templateItem->mLayout->Clone();
    const RCPtr<LControlDescriptor> row =
        factory->CloneControlDescriptor(templateItem, layout, String(u"row1"));
    EXPECT_EQ(row->mName, u"row1");
    EXPECT_EQ(row->mLayout, layout);
    EXPECT_EQ(row->mParent, list.Get());
    EXPECT_EQ(templateItem->mName, u"templateItem");
    (*templateItem->mChildren.GetAt(0))->mName = String(u"changed");
    EXPECT_EQ((*row->mChildren.GetAtConst(0))->mName, u"changed");
}

TEST(ControlFactory, TheSkinFontGivesOnlyWhatTheSkinSets)
{
    const struct
    {
        const char* skin;
        bool givesNone;
        const char* face;
        float size;
        int32_t style;
    } cases[] = {
        {"<Skin Name=\"s\" FontSize=\"8.25\"/>", false, "unchanged", 8.25f, -5},
        {"<Skin Name=\"s\" FontSize=\"0.5\"/>", true, "unchanged", -1.0f, -5},
        {"<Skin Name=\"s\" FontName=\"DejaVu Sans\" FontStyle=\"3\"/>", false, "DejaVu Sans", -1.0f, 3},
        {"<Skin Name=\"s\"/>", true, "unchanged", -1.0f, -5},
        {"", true, "unchanged", -1.0f, -5}, // no skin at all
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.skin);
        const RCPtr<LControlFactory> factory = FactoryWithSkin(c.skin);
        String face(u"unchanged");
        float size = -1.0f;
        int32_t style = -5;
        EXPECT_EQ(factory->GetSkinFont(face, size, style), c.givesNone);
        EXPECT_EQ(Narrow(face), c.face);
        EXPECT_EQ(size, c.size);
        EXPECT_EQ(style, c.style);
    }
}

TEST(ControlFactory, ASkinIndexOutOfRangeFindsNothing)
{
    const RCPtr<LControlFactory> factory =
        FactoryWithSkin("<Skin Name=\"s\" FontSize=\"9\"><SubControl Class=\"A\" Name=\"a\"/></Skin>");
    for (int32_t index : {-1, 1, 1000})
    {
        factory->SetCurrentSkinIndex(index);
        String face;
        float size = 0;
        int32_t style = 0;
        EXPECT_TRUE(factory->GetSkinFont(face, size, style));
        EXPECT_FALSE(factory->FindControlDescriptor(String(u"a")));
        EXPECT_FALSE(factory->GetCurrentSkin());
    }
}

TEST(ControlFactory, TheFrameworkRegistersThirtyFiveNamesForTwentyEightClasses)
{
    std::set<std::u16string> names;
    std::set<std::string> classes;
    for (const FrameworkControlClass& entry : kFrameworkControlClasses)
    {
        EXPECT_TRUE(std::u16string_view(entry.skinClassName).starts_with(u"Framework."));
        names.insert(entry.skinClassName);
        classes.insert(entry.controlClass);
    }
    EXPECT_EQ(names.size(), 35u);
    EXPECT_EQ(classes.size(), 28u);
}
