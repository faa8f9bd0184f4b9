// Controls made from a skin: the creation sequence through the control factory, a skin
// applied again to a live tree, the create parameters, fonts that follow the parent's,
// and notifications held back until a control is created.

#include "Application/FrameworkApp.h"
#include "ControlBase/Control.h"
#include "ControlBase/RootWindow.h"
#include "ControlFactoryTestSupport.h"
#include "Controls/ControlClass.h"
#include "Controls/ToolTip.h"
#include "FakeWindowOSServices.h"
#include "Notification/Notification.h"
#include "NotificationTestSupport.h"

#include <fstream>
#include <map>
#include <string>
#include <vector>

using namespace factorytest;

namespace {

int gLiveControls = 0;
int gCreatedControls = 0;

class SkinnedControl : public LControl
{
public:
    SkinnedControl(const RCPtr<LControl>& parent, const String& name) : LControl(parent, name)
    {
        ++gLiveControls;
    }

    static RCPtr<LControl> Create(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor)
    {
        RCPtr<LControl> control(new SkinnedControl(parent, descriptor->mName));
        ++gCreatedControls;
        control->RunCreationSequence(descriptor);
        return control;
    }

protected:
    ~SkinnedControl() override { --gLiveControls; }
};

// Listens to a distributor from Initialize; the distributor sends while the creation
// sequence is still running.
class Pinged : public LControl
{
public:
    Pinged(const RCPtr<LNotificationDistributor>& sender)
        : LControl(nullptr, String(u"pinged")), mSender(sender)
    {
    }

    KVRESULT Initialize() override
    {
        const KVRESULT base = LControl::Initialize();
        mHandler->AddHandlerFor(static_cast<LNotificationHandler<LControl>::Handler>(&Pinged::OnPing),
                                mSender, u"NID_PING");
        return base;
    }
    KVRESULT PostInitialize() override
    {
        mSender->SendNotification(LNotification::Create(u"NID_PING", nullptr));
        return S_OK;
    }
    KVRESULT OnPing(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
    {
        ++mPings;
        return S_OK;
    }

    RCPtr<LNotificationDistributor> mSender;
    int mPings = 0;
};

// One look with a label, for every control of the skins below.
const std::string kLooks =
    "<Colorizers><Colorizer Name=\"c\" ColorType=\"SolidFill\" Color=\"FF102030\"/></Colorizers>"
    "<Parts><Part Name=\"fill\" ColorizerName=\"c\" Width=\"4\" Height=\"4\" "
    "ResizeType=\"Stretch\"/></Parts>"
    "<Looks><Look Name=\"plain\"><ClientPart Name=\"fill\"/>"
    "<TextProperties TextLeftRel=\"0\" TextLeftAbs=\"0\" TextRightRel=\"1\" TextRightAbs=\"0\" "
    "TextHAlign=\"0\" TextTopRel=\"0\" TextTopAbs=\"0\" TextBottomRel=\"1\" "
    "TextBottomAbs=\"0\" TextVAlign=\"0\" TextForegroundPart=\"fill\"/></Look></Looks>"
    "<LookLists><LookList Name=\"looks\" NumLooks=\"2\"><Look Name=\"plain\" Index=\"0\"/>"
    "</LookList></LookLists>";

std::string Control(const std::string& name, const std::string& attributes, const std::string& inside = "")
{
    const std::string width = attributes.find("XSizeAbs") == std::string::npos ? "XSizeAbs=\"40\" " : "";
    return "<SubControl Class=\"Test\" Name=\"" + name + "\" " + width + "YSizeAbs=\"20\" " + attributes +
           "><Skin Name=\"s\" LookList=\"looks\"/>" + inside + "</SubControl>";
}

std::string DeferCreate(const std::string& value)
{
    return "<CreateParamList><CreateParam ID=\"DEFER_CREATE\">" + value + "</CreateParam></CreateParamList>";
}

// An application whose factory read the skins and the string tables; its default font is
// the first skin's.
class SkinnedTree : public ::testing::Test
{
protected:
    void Load(const std::string& skins, const std::string& tables)
    {
        mFactory = LControlFactory::Create(String(u"App"));
        const std::string path = mFolder / "strings.xml";
        std::ofstream(path) << "<Korvan_StringTable_Definitions><Application Name=\"App\">" << tables
                            << "</Application></Korvan_StringTable_Definitions>";
        const std::string framework = mFolder / "framework.xml";
        std::ofstream(framework) << "<Korvan_StringTable_Definitions/>";
        ASSERT_EQ(mFactory->LoadStringTables(Wide(path), Wide(framework), 0x0409), S_OK);
        ASSERT_EQ(mFactory->ParseXML(Bytes(SkinDocument(kLooks + "<Skins>" + skins + "</Skins>"))), S_OK)
            << Narrow(mFactory->GetLastParseError().mText) << " line " << mFactory->GetLastParseError().mLine;
        mFactory->RegisterControlClass(String(u"Test"), &SkinnedControl::Create);
        mApp = std::make_unique<LFrameworkApp>(mFactory, nullptr, String());
        ASSERT_EQ(mApp->SetSkin(0), S_OK);
    }

    RCPtr<LControl> Child(const RCPtr<LControl>& parent, const char16_t* name)
    {
        return parent->FindChild(String(name));
    }

    TemporaryFolder mFolder;
    RCPtr<LControlFactory> mFactory;
    std::unique_ptr<LFrameworkApp> mApp;
};

std::string Strings(const std::string& table, const std::string& key, const std::string& text)
{
    return "<StringTable ID=\"" + table + "\"><String ID=\"" + key + "\"><Locale LCID=\"9\">" + text +
           "</Locale></String></StringTable>";
}

} // namespace

TEST_F(SkinnedTree, CreatedFromTheSkinThenReskinnedKeepingOnlyTheNamedChildren)
{
    Load(
        "<Skin Name=\"first\" FontName=\"DejaVu Sans\" FontSize=\"10\">" +
            Control("panel", "",
                    Control("kept", "TabStop=\"0\"") + Control("dropped", "TabStop=\"1\"") +
                        Control("deferred", "", DeferCreate(" TRUE ")) +
                        Control("notDeferred", "TabStop=\"-1\"", DeferCreate("yes"))) +
            "</Skin><Skin Name=\"second\">" +
            Control("panel", "IsVisible=\"False\"", Control("kept", "XSizeAbs=\"70\"") + Control("new", "")) +
            "</Skin>",
        Strings("App|panel", "LABEL", "Hello") + Strings("Test|kept", "TOOLTIP", "tip"));
    gCreatedControls = 0;
    FakeWindowOSServices os;
    const RCPtr<LRootWindow> window = LRootWindow::CreateInstance(&os);
    const RCPtr<LControl> panel = mFactory->CreateControlByName(String(u"panel"), nullptr);
    ASSERT_TRUE(panel);
    os.mClientSize = {300, 200};
    window->SetRootControl(panel);
    panel->RecalcLayout();
    EXPECT_TRUE(panel->IsCreated());
    EXPECT_EQ(gCreatedControls, 4);
    EXPECT_EQ(panel->GetChildren().GetCount(), 3u);
    EXPECT_FALSE(Child(panel, u"deferred"));
    ASSERT_TRUE(Child(panel, u"notDeferred"));
    EXPECT_EQ(Narrow(panel->GetText()), "Hello");
    EXPECT_EQ(Narrow(os.mTitle), "Hello"); // a root control's text is its window's title
    EXPECT_EQ(panel->GetLookCount(), 2);
    EXPECT_EQ(panel->GetShownLookIndex(), 0);
    ASSERT_TRUE(panel->GetLook(0)->GetLabel());
    EXPECT_EQ(Narrow(panel->GetLook(0)->GetLabel()->GetText()), "Hello");

    const RCPtr<LControl> kept = Child(panel, u"kept");
    RCPtr<LControl> dropped = Child(panel, u"dropped");
    EXPECT_EQ(Narrow(kept->GetToolTipText()), "tip");
    EXPECT_FALSE(kept->IsNotFocusable());
    EXPECT_TRUE(Child(panel, u"notDeferred")->IsNotFocusable());
    // What the leaving child holds of the window must go back with it.
    dropped->BeginIdleProcessing();
    dropped->SetFocus(true);
    ASSERT_EQ(window->GetFocusControl(), dropped);
    panel->SetEnabled(false);

    const int liveBefore = gLiveControls;
    mFactory->SetCurrentSkinIndex(1);
    EXPECT_EQ(mFactory->ApplySkinToControl(panel), S_OK);
    EXPECT_EQ(gCreatedControls, 4);         // "new" is not created
    EXPECT_EQ(Child(panel, u"kept"), kept); // the same control, re-skinned
    EXPECT_EQ(kept->GetRect().width, 70);
    EXPECT_EQ(panel->GetChildren().GetCount(), 1u);
    EXPECT_FALSE(dropped->GetParent());
    EXPECT_EQ(dropped->GetIdleCount(), 0);
    EXPECT_NE(window->GetFocusControl(), dropped);
    EXPECT_TRUE(panel->GetLayout()->mIsVisible); // a root control stays shown
    EXPECT_FALSE(panel->GetLayout()->mEnabled);  // a skin change does not enable
    EXPECT_EQ(Narrow(panel->GetLook(0)->GetLabel()->GetText()), "Hello");
    EXPECT_EQ(panel->GetRect().width, window->GetClientSize().width); // fills the window again
    EXPECT_EQ(gLiveControls, liveBefore - 1);                         // "notDeferred" went with the old skin

    // A child re-skinned with a hidden layout is hidden through SetVisible.
    mFactory->SetCurrentSkinIndex(0);
    const RCPtr<LControlDescriptor> hidden =
        (*mFactory->FindControlDescriptor(String(u"panel"))->mChildren.GetAtConst(0))->Clone();
    hidden->mLayout = hidden->mLayout->Clone();
    hidden->mLayout->mIsVisible = false;
    kept->ApplyDescriptor(hidden);
    EXPECT_FALSE(kept->GetLayout()->mIsVisible);
    EXPECT_FALSE(kept->IsShown(false));
}

TEST_F(SkinnedTree, CreateParameters)
{
    Load("<Skin Name=\"first\"/>", "");
    struct Row
    {
        std::map<String, String> params; // none at all: no table
        int32_t tabStop;
        bool notFocusable, wantsTab, parentToolTip;
        double value;
        int valueNotifications;
    } rows[] = {
        {{}, -1, true, false, false, 0, 0},
        {{}, 0, false, false, false, 0, 0},
        {{{u"NOT_FOCUSABLE", u" TRUE "}}, 0, true, false, false, 0, 0},
        {{{u"NOT_FOCUSABLE", u"yes"}}, -1, false, false, false, 0, 0},
        {{{u"OTHER", u"x"}}, -1, true, false, false, 0, 0},
        {{{u"WANTS_TAB", u"True"}, {u"USE_PARENT_TOOLTIP", u"\ttrue\r\n"}}, 0, false, true, true, 0, 0},
        {{{u"WANTS_TAB", u"1"}, {u"USE_PARENT_TOOLTIP", u"false"}}, 0, false, false, false, 0, 0},
        {{{u"INITIAL_VALUE", u"0.25"}}, 0, false, false, false, 0.25, 1},
        {{{u"INITIAL_VALUE", u"abc"}}, 0, false, false, false, 0, 0},
        {{{u"INITIAL_VALUE", u"7"}}, 0, false, false, false, 1, 1},
    };
    for (const Row& row : rows)
    {
        const RCPtr<LControlDescriptor> descriptor =
            LControlDescriptor::Create(String(u"Test"), String(u"c"), nullptr);
        descriptor->SetLayoutDescriptor(LLayoutDescriptor::Create());
        descriptor->mLayout->mTabStop = row.tabStop;
        if (!row.params.empty())
            descriptor->SetCreateParams(LStringTable::Create(row.params));
        const RCPtr<LControl> control(new SkinnedControl(nullptr, String(u"c")));
        const RCPtr<notiftest::Recorder> listener(new notiftest::Recorder(nullptr, "value"));
        listener->RegisterNotification(control, u"NID_VALUE_CHANGE");
        control->RunCreationSequence(descriptor);
        const std::string label = row.params.empty() ? "no table" : Narrow(row.params.begin()->second);
        EXPECT_EQ(control->IsNotFocusable(), row.notFocusable) << label;
        EXPECT_EQ(control->WantsTab(), row.wantsTab) << label;
        EXPECT_EQ(control->UsesParentToolTip(), row.parentToolTip) << label;
        EXPECT_EQ(control->GetNormalizedValue(), row.value) << label;
        EXPECT_EQ(listener->mReceived, row.valueNotifications) << label;
        listener->UnregisterAllNotifications();
    }
}

TEST_F(SkinnedTree, FontsFollowTheParentsAsTheSkinSays)
{
    const std::string inherits = "FontInheritsFromParent=\"True\" ";
    Load("<Skin Name=\"first\" FontName=\"DejaVu Sans\" FontSize=\"10\">" +
             Control("parent", "FontName=\"DejaVu Serif\" FontSize=\"12\"",
                     Control("same", inherits) +
                         Control("relative", inherits + "FontSize=\"1.5\" FontSizeIsRelative=\"True\"") +
                         Control("bold", inherits + "FontStyle=\"1\"") +
                         Control("ownSize", inherits + "FontSize=\"7\"") + Control("application", "")) +
             "</Skin>",
         "");
    const RCPtr<LControl> parent = mFactory->CreateControlByName(String(u"parent"), nullptr);
    ASSERT_TRUE(parent);
    EXPECT_EQ(Child(parent, u"same")->GetFont(), parent->GetFont()); // the parent's font object itself
    struct Row
    {
        const char16_t* child;
        std::string face;
        float size;
        int32_t style;
        std::string faceAfter; // after the parent's font became DejaVu Sans Mono 20 italic
        float sizeAfter;
        int32_t styleAfter;
    } rows[] = {
        {u"same", "DejaVu Serif", 12, 0, "DejaVu Sans Mono", 20, 2},
        {u"relative", "DejaVu Serif", 18, 0, "DejaVu Sans Mono", 30, 2},
        {u"bold", "DejaVu Serif", 12, 1, "DejaVu Sans Mono", 20, 1},
        {u"ownSize", "DejaVu Serif", 7, 0, "DejaVu Sans Mono", 7, 2},
        {u"application", "DejaVu Sans", 10, 0, "DejaVu Sans", 10, 0},
    };
    const auto check = [&](bool after) {
        for (const Row& row : rows)
        {
            const RCPtr<LFont> font = Child(parent, row.child)->GetFont();
            ASSERT_TRUE(font) << Narrow(String(row.child));
            EXPECT_EQ(Narrow(font->GetFaceName()), after ? row.faceAfter : row.face)
                << Narrow(String(row.child));
            EXPECT_EQ(font->GetSize(), after ? row.sizeAfter : row.size) << Narrow(String(row.child));
            EXPECT_EQ(font->GetStyle(), after ? row.styleAfter : row.style) << Narrow(String(row.child));
        }
    };
    check(false);
    EXPECT_EQ(parent->SetFontSpec(String(u"DejaVu Sans Mono"), 20, 2, false), S_OK);
    check(true);
    EXPECT_EQ(parent->SetFont(parent->GetFont()), S_FALSE);
    EXPECT_EQ(parent->SetFont(nullptr), E_INVALIDARG);
}

TEST_F(SkinnedTree, SetTextRepaintsOnlyAChange)
{
    Load("<Skin Name=\"first\">" + Control("root", "") + "</Skin>", "");
    FakeWindowOSServices os;
    os.mClientSize = {200, 100};
    const RCPtr<LRootWindow> window = LRootWindow::CreateInstance(&os);
    const RCPtr<LControl> root = mFactory->CreateControlByName(String(u"root"), nullptr);
    window->SetRootControl(root);
    root->RecalcLayout();
    RectRegion painted;
    window->CollectInvalidRegion(painted);
    EXPECT_EQ(root->SetText(String(u"Title")), S_OK);
    EXPECT_EQ(Narrow(os.mTitle), "Title");
    window->CollectInvalidRegion(painted);
    EXPECT_FALSE(painted.IsEmpty());
    EXPECT_EQ(root->SetText(String(u"Title")), S_FALSE);
    window->CollectInvalidRegion(painted);
    EXPECT_TRUE(painted.IsEmpty());
}

TEST_F(SkinnedTree, ToolTipIsMadeFromTheSkinForTheHoveredOwnerAndGoesWithIt)
{
    Load("<Skin Name=\"first\">" + Control("root", "") +
             "<SubControl Class=\"Framework.ToolTip\" Name=\"toolTip\" XSizeAbs=\"40\" YSizeAbs=\"12\">"
             "<Skin Name=\"s\" LookList=\"looks\"/></SubControl></Skin>",
         "");
    mFactory->RegisterControlClass(String(u"Framework.ToolTip"), &CreateControlOfClass<LToolTip>);
    const RCPtr<LControl> root = mFactory->CreateControlByName(String(u"root"), nullptr);
    const RCPtr<LControl> quiet(new SkinnedControl(root, String(u"quiet")));
    root->SetToolTipText(String(u"Root tip"));

    EXPECT_EQ(root->ShowToolTip(true), S_OK);
    const RCPtr<LToolTip> tip = RCPtr<LToolTip>(dynamic_cast<LToolTip*>(Child(root, u"toolTip").Get()));
    ASSERT_TRUE(tip);
    EXPECT_EQ(Narrow(tip->GetText()), "Root tip");
    EXPECT_EQ(tip->GetShowState(), LToolTip::ShowState::Pending);

    // Hidden, then shown again before the idle pass took the old tip away.
    root->ShowToolTip(false);
    EXPECT_EQ(tip->GetShowState(), LToolTip::ShowState::Hidden);
    root->ShowToolTip(true);
    const RCPtr<LControl> second = Child(root, u"toolTip");
    ASSERT_TRUE(second);
    EXPECT_NE(second.Get(), tip.Get());
    EXPECT_FALSE(tip->GetParent());

    // Without a text there is no tip.
    quiet->ShowToolTip(true);
    EXPECT_FALSE(Child(quiet, u"toolTip"));
    root->ShowToolTip(false);
    root->RemoveFromTree();
}

TEST_F(SkinnedTree, HandlersRunOnceTheControlIsCreatedAndHotKeysListenToTheParent)
{
    Load("<Skin Name=\"first\">" + Control("parent", "", Control("keyed", "") + Control("plain", "")) +
             "</Skin>",
         Strings("Test|keyed", "LHK.NID_GO", "Alt+VKEY_F4"));
    const RCPtr<LControl> parent = mFactory->CreateControlByName(String(u"parent"), nullptr);
    const auto siblingKeys = parent->FindClientPool(InternNotificationId(u"NID_SIBLING_KEY"));
    ASSERT_TRUE(siblingKeys);
    EXPECT_EQ(siblingKeys->GetCount(), 1);
    EXPECT_GE(siblingKeys->IndexOfClient(Child(parent, u"keyed").Get()), 0);

    const RCPtr<LControl> sender(new LControl(nullptr, String(u"sender")));
    const RCPtr<Pinged> pinged(new Pinged(sender));
    pinged->RunCreationSequence(LControlDescriptor::Create(String(u"Test"), String(u"pinged"), nullptr));
    EXPECT_EQ(pinged->mPings, 0); // sent before the control was created
    sender->SendNotification(LNotification::Create(u"NID_PING", nullptr));
    EXPECT_EQ(pinged->mPings, 1);
    pinged->UnregisterAllNotifications();
}
