// The skin reader: the fixture skin that uses every element, hostile documents, errors.

#include "ControlFactoryTestSupport.h"

#include <string>
#include <vector>

using namespace factorytest;

namespace {

const RCPtr<LControlDescriptor>& ChildAt(const RCPtr<LControlDescriptor>& parent, uint32_t index)
{
    return *parent->mChildren.GetAtConst(index);
}

std::vector<std::string> ChildNames(const RCPtr<LControlDescriptor>& parent)
{
    std::vector<std::string> names;
    for (uint32_t i = 0; i < parent->mChildren.GetCount(); ++i)
        names.push_back(Narrow(ChildAt(parent, i)->mName));
    return names;
}

template <class Record> RCPtr<Record> Named(const std::map<String, RCPtr<Record>>& map, const char16_t* name)
{
    const auto entry = map.find(String(name));
    return entry == map.end() ? nullptr : entry->second;
}

} // namespace

TEST(SkinReader, ColorizersAndPartsOfTheFixture)
{
    const RCPtr<LControlFactory> factory = LoadFixtureFactory();
    EXPECT_EQ(factory->GetColorizers().size(), 3u); // NoColor lacks its colour

    const RCPtr<LColorizer> solid = Named(factory->GetColorizers(), u"Solid");
    ASSERT_TRUE(solid);
    EXPECT_EQ(solid->mType, ColorType::SolidFill);
    EXPECT_EQ(solid->mColor.ToARGB(), 0xFF102030u); // the first of two definitions
    EXPECT_EQ(solid->mGradient.mEndColor.ToARGB(), 0u);

    const RCPtr<LColorizer> linear = Named(factory->GetColorizers(), u"Linear");
    ASSERT_TRUE(linear);
    EXPECT_EQ(linear->mType, ColorType::LinearGradient);
    EXPECT_EQ(linear->mGradient.mEndColor.ToARGB(), 0x80FFFFFFu);
    EXPECT_EQ(linear->mGradient.mStartY, 0.5f);
    EXPECT_EQ(linear->mGradient.mEndX, 1.0f);

    const RCPtr<LColorizer> halfRadial = Named(factory->GetColorizers(), u"HalfRadial");
    ASSERT_TRUE(halfRadial); // without GradientEndY: a solid fill of its colour
    EXPECT_EQ(halfRadial->mType, ColorType::SolidFill);
    EXPECT_EQ(halfRadial->mColor.ToARGB(), 0xFF00FF00u);
    EXPECT_EQ(halfRadial->mGradient.mEndColor.ToARGB(), 0u);

    EXPECT_EQ(factory->GetParts().size(), 3u);
    const RCPtr<LVisualPartDescriptor> background = Named(factory->GetParts(), u"Background");
    ASSERT_TRUE(background);
    EXPECT_EQ(background->mImage.mFile, u"::background main.png"); // resource names are case-blind
    EXPECT_EQ(background->mImage.mX, 16);
    EXPECT_EQ(background->mImage.mY, 4);
    EXPECT_EQ(background->mImage.mWidth, 200);
    EXPECT_EQ(background->mHeight, 100);
    EXPECT_EQ(background->mResizeType, ResizeType::Tile);
    EXPECT_EQ(background->mColorizer, solid);
    EXPECT_EQ(background->mAlphaModifier, 0.5f);
    EXPECT_EQ(background->mMask.mFile, u"::Mask.PNG");
    EXPECT_EQ(background->mMask.mX, 1);
    EXPECT_EQ(background->mMask.mHeight, 100);

    const RCPtr<LVisualPartDescriptor> fill = Named(factory->GetParts(), u"Fill");
    ASSERT_TRUE(fill);
    EXPECT_TRUE(fill->mImage.mFile.IsEmpty());
    EXPECT_EQ(fill->mWidth, 10); // the first definition
    EXPECT_EQ(fill->mHeight, 32);
    EXPECT_EQ(fill->mResizeType, ResizeType::Center);
    EXPECT_EQ(fill->mColorizer, linear);
    EXPECT_EQ(fill->mAlphaModifier, 1.0f);

    // An image without ImageLocY falls back to its colorizer; its half mask is ignored.
    const RCPtr<LVisualPartDescriptor> halfImage = Named(factory->GetParts(), u"HalfImageFilled");
    ASSERT_TRUE(halfImage);
    EXPECT_TRUE(halfImage->mImage.mFile.IsEmpty());
    EXPECT_EQ(halfImage->mResizeType, ResizeType::Stretch);
    EXPECT_EQ(halfImage->mWidth, 3);
    EXPECT_TRUE(halfImage->mMask.mFile.IsEmpty());
}

TEST(SkinReader, LooksAndLookListsOfTheFixture)
{
    const RCPtr<LControlFactory> factory = LoadFixtureFactory();
    const RCPtr<LLookDescriptor> normal = Named(factory->GetLooks(), u"Normal");
    ASSERT_TRUE(normal && normal->mClientPart);
    EXPECT_EQ(normal->mClientPart->mPart, Named(factory->GetParts(), u"Background")); // the first "Normal"
    const LDockedPart::Placement& client = normal->mClientPart->mPlacement;
    EXPECT_EQ(client.mGivenOffsets, LDockedPart::kAllOffsets);
    EXPECT_EQ(client.mLeft, 2);
    EXPECT_EQ(client.mTop, 3);
    EXPECT_EQ(client.mRight, -4);
    EXPECT_EQ(client.mBottom, -5);
    EXPECT_FALSE(client.mWidthGiven);

    ASSERT_EQ(normal->mNonClientParts.GetCount(), 2u); // the undefined part is left out
    const LDockedPart::Placement& first = (*normal->mNonClientParts.GetAtConst(0))->mPlacement;
    EXPECT_EQ(first.mGivenOffsets, LDockedPart::kOffsetLeft | LDockedPart::kOffsetBottom);
    EXPECT_EQ(first.mBottom, 1);
    EXPECT_TRUE(first.mWidthGiven);
    EXPECT_EQ(first.mWidth, 10);
    EXPECT_FALSE(first.mHeightGiven);
    const LDockedPart::Placement& second = (*normal->mNonClientParts.GetAtConst(1))->mPlacement;
    EXPECT_EQ(second.mGivenOffsets, 0);
    EXPECT_FALSE(second.mHeightGiven);

    ASSERT_TRUE(normal->mHasTextProperties);
    EXPECT_EQ(normal->mText.mLeftRel, 0.1f);
    EXPECT_EQ(normal->mText.mRightAbs, -2);
    EXPECT_EQ(normal->mText.mVAlign, 0.75f);
    EXPECT_EQ(normal->mText.mForegroundPart, Named(factory->GetParts(), u"Fill"));

    const RCPtr<LLookDescriptor> pressed = Named(factory->GetLooks(), u"Pressed");
    ASSERT_TRUE(pressed);
    EXPECT_FALSE(pressed->mClientPart);        // an offset missing
    EXPECT_FALSE(pressed->mHasTextProperties); // TextVAlign missing

    const RCPtr<LLookList> buttonLooks = Named(factory->GetLookLists(), u"ButtonLooks");
    ASSERT_TRUE(buttonLooks);
    ASSERT_EQ(buttonLooks->GetCount(), 3u); // the second definition changed nothing
    EXPECT_EQ(*buttonLooks->GetAtConst(0), normal);
    EXPECT_FALSE(*buttonLooks->GetAtConst(1));
    EXPECT_EQ(*buttonLooks->GetAtConst(2), pressed);
}

TEST(SkinReader, SkinsAndControlsOfTheFixture)
{
    const RCPtr<LControlFactory> factory = LoadFixtureFactory();
    EXPECT_EQ(factory->GetApplicationName(), u"Spillway");
    ASSERT_EQ(factory->GetSkins().GetCount(), 2u);
    EXPECT_EQ(factory->GetCurrentSkinIndex(), 0);
    const RCPtr<LControlDescriptor> root = factory->GetCurrentSkin();
    EXPECT_EQ(root->mClassName, u"Application");
    EXPECT_EQ(root->mName, u"Spillway");
    EXPECT_EQ(root->mParent, nullptr);
    EXPECT_FALSE(root->mLayout);
    EXPECT_EQ(root->mSkin->mFontName, u"DejaVu Sans"); // translated for English
    EXPECT_EQ(ChildNames(root), (std::vector<std::string>{"mainControl", "mainControl"})); // not sorted

    const RCPtr<LControlDescriptor> main = ChildAt(root, 0);
    EXPECT_EQ(main->mParent, root.Get());
    EXPECT_TRUE(main->mLayout->mIsVisible); // a top-level control ignores IsVisible and TabStop
    EXPECT_EQ(main->mLayout->mTabStop, 0);
    EXPECT_EQ(main->mLayout->mXSize.mAbs, 400.0);
    EXPECT_EQ(main->mLayout->mXPosition.mReference, PositionReference::Parent);
    EXPECT_EQ(main->mLayout->mYPosition.mReference, PositionReference::Parent);
    EXPECT_EQ(main->mSkin->mLookList, Named(factory->GetLookLists(), u"ButtonLooks"));
    EXPECT_EQ(main->mSkin->mFontStyle, LSkinDescriptor::kFontStyleNotSet);
    EXPECT_EQ(ChildNames(main),
              (std::vector<std::string>{"labelFirst", "labelSecond", "panel", "buttonExit"}));

    const RCPtr<LControlDescriptor> button = ChildAt(main, 3);
    EXPECT_EQ(button->mClassName, u"Framework.Button");
    const LLayoutDescriptor& layout = *button->mLayout;
    EXPECT_FALSE(layout.mClipToParent); // "true" is not "True"
    EXPECT_EQ(layout.mZOrder, 3);
    EXPECT_EQ(layout.mTabStop, -1);
    EXPECT_EQ(layout.mTextDecoration, u"underline");
    EXPECT_EQ(layout.mXPosition.mPlacementAnchor, 0.5f);
    EXPECT_TRUE(layout.mXIsDocked);
    EXPECT_FALSE(layout.mYIsDocked);
    EXPECT_EQ(layout.mXPosition.mReference, PositionReference::Control);
    EXPECT_EQ(layout.mXPosition.mControlName, u"labelFirst");
    EXPECT_EQ(layout.mXPosition.mRel, 0.25f);
    EXPECT_EQ(layout.mXPosition.mAbs, 2.0); // whole pixels
    EXPECT_EQ(layout.mYPosition.mReference, PositionReference::Client);
    EXPECT_EQ(layout.mYPosition.mAbs, -3.0);
    EXPECT_EQ(layout.mXSize.mReference, SizeReference::Self);
    EXPECT_EQ(layout.mXSize.mAbs, 30.0);
    EXPECT_EQ(layout.mYSize.mReference, SizeReference::Parent);
    EXPECT_EQ(layout.mYSize.mRel, 0.75f);
    EXPECT_TRUE(layout.mXMinSize.mToControl);
    EXPECT_EQ(layout.mXMinSize.mControlName, u"Children");
    EXPECT_FALSE(layout.mXMaxSize.mToControl);
    EXPECT_EQ(layout.mXMaxSize.mRel, 2.0f);
    EXPECT_FALSE(layout.mYMinSize.mToControl);
    EXPECT_EQ(layout.mYMinSize.mAbs, 4.0);
    EXPECT_TRUE(layout.mYMaxSize.mToControl); // "Parent" is no limit word: a control's name
    EXPECT_EQ(layout.mYMaxSize.mControlName, u"Parent");
    EXPECT_EQ(layout.mTextOverflowX, TextOverflowX::Wrap);
    EXPECT_EQ(layout.mTextOverflowY, TextOverflowY::Expand);
    EXPECT_EQ(layout.mLayoutOrder, 2);

    const LSkinDescriptor& buttonSkin = *button->mSkin;
    EXPECT_EQ(buttonSkin.mName, u"buttonSkin");
    EXPECT_EQ(buttonSkin.mFontName, u"DejaVu Serif"); // the first translation of the name
    EXPECT_EQ(buttonSkin.mFontSize, 9.0f);
    EXPECT_EQ(buttonSkin.mFontStyle, 2);
    EXPECT_TRUE(buttonSkin.mFontInheritsFromParent);
    EXPECT_TRUE(buttonSkin.mFontSizeIsRelative);

    ASSERT_TRUE(button->mCreateParams);
    EXPECT_EQ(TextOf(button->mCreateParams, u"TEXT"), "a & b"); // a text Expat splits, kept whole
    EXPECT_EQ(TextOf(button->mCreateParams, u"LINES"), "one\ntwo");
    EXPECT_EQ(button->mCreateParams->GetTexts().size(), 2u); // no text and no ID store nothing

    const RCPtr<LControlDescriptor> label = ChildAt(main, 0);
    EXPECT_FALSE(label->mLayout->mIsVisible);
    EXPECT_EQ(label->mLayout->mTextOverflowX, TextOverflowX::Clip); // unknown word: unchanged
    EXPECT_EQ(label->mLayout->mXPosition.mReference, PositionReference::Control);
    EXPECT_EQ(label->mLayout->mXPosition.mControlName, u"Self"); // no position word
    EXPECT_EQ(label->mLayout->mXSize.mReference, SizeReference::Control);
    EXPECT_EQ(label->mLayout->mXSize.mControlName, u"buttonExit");
    EXPECT_FALSE(label->mSkin->mLookList);           // an undefined look list
    EXPECT_FALSE(label->mSkin->mFontSizeIsRelative); // no FontSize to be relative
    EXPECT_FALSE(ChildAt(main, 1)->mSkin);

    const RCPtr<LControlDescriptor> panel = ChildAt(main, 2);
    const RCPtr<LLookList> panelLooks = Named(factory->GetLookLists(), u"PanelLooks");
    ASSERT_TRUE(panelLooks); // a look list written inside its control, after the control's skin
    EXPECT_EQ(panel->mSkin->mLookList, panelLooks);
    EXPECT_EQ(*panelLooks->GetAtConst(1), Named(factory->GetLooks(), u"Pressed"));

    // The later of two top-level controls of one name is the one found.
    EXPECT_EQ(factory->FindControlDescriptor(String(u"mainControl"))->mClassName, u"Framework.Panel");
    EXPECT_FALSE(factory->FindControlDescriptor(String(u"buttonExit"))); // top level only
    factory->SetCurrentSkinIndex(1);
    EXPECT_EQ(factory->FindControlDescriptor(String(u"other"))->mName, u"other");
}

TEST(SkinReader, HostileDocumentsAreReadWithoutHarm)
{
    const std::string looks = "<Parts><Part Name=\"P\" ColorizerName=\"C\" Width=\"1\" Height=\"1\" "
                              "ResizeType=\"Stretch\"/></Parts><Looks><Look Name=\"L\"/></Looks>";
    const std::string colorizer = "<Colorizers><Colorizer Name=\"C\" ColorType=\"SolidFill\" "
                                  "Color=\"FF000000\"/></Colorizers>";
    const struct
    {
        const char* what;
        std::string body;
        uint32_t skins;           // skin roots read
        uint32_t topLevel;        // top-level controls of the first skin
        const char16_t* lookList; // a look list that must not exist
    } cases[] = {
        {"a SubControl outside any Skin, with everything in it",
         "<Skins><SubControl Class=\"A\" Name=\"a\"><Skin Name=\"s\"/><SubControl Class=\"B\"/>"
         "<CreateParamList><CreateParam ID=\"X\">x</CreateParam></CreateParamList></SubControl></Skins>",
         0, 0, nullptr},
        {"parts of a look before any Look",
         "<Looks><ClientPart Name=\"P\" OffsetLeft=\"0\" OffsetTop=\"0\" OffsetRight=\"0\" "
         "OffsetBottom=\"0\"/>"
         "<NonClientPart Name=\"P\"/><TextProperties TextForegroundPart=\"P\"/></Looks>" +
             colorizer +
             "<Parts><Part Name=\"P\" ColorizerName=\"C\" Width=\"1\" Height=\"1\" "
             "ResizeType=\"Stretch\"/></Parts>",
         0, 0, nullptr},
        {"FontXLat outside a Skin and inside a SubControl",
         "<FontLocale LCID=\"0\"/><FontXLat Name=\"a\" XLat=\"b\"/><Skins><Skin Name=\"s\"><SubControl "
         "Class=\"A\" Name=\"a\"><FontXLat Name=\"c\" XLat=\"d\"/></SubControl></Skin></Skins>",
         1, 1, nullptr},
        {"a LookList inside a SubControl before its Skin",
         colorizer + looks +
             "<Skins><Skin Name=\"s\"><SubControl Class=\"A\" Name=\"a\"><LookList Name=\"Early\" "
             "NumLooks=\"2\">"
             "<Look Name=\"L\" Index=\"0\"/></LookList><Skin Name=\"inner\" LookList=\"Early\"/></SubControl>"
             "</Skin></Skins>",
         1, 1, u"Early"},
        {"look-list entries out of range",
         colorizer + looks +
             "<LookLists><LookList Name=\"LL\" NumLooks=\"2\"><Look Name=\"L\" Index=\"-1\"/><Look "
             "Name=\"L\" "
             "Index=\"2\"/><Look Name=\"L\" Index=\"99999999999\"/><Look Name=\"L\"/></LookList></LookLists>",
         0, 0, nullptr},
        {"negative and huge NumLooks",
         colorizer + looks +
             "<LookLists><LookList Name=\"Negative\" NumLooks=\"-1\"><Look Name=\"L\" "
             "Index=\"0\"/></LookList>"
             "<LookList Name=\"Huge\" NumLooks=\"99999999\"><Look Name=\"L\" Index=\"0\"/></LookList>"
             "<LookList Name=\"Hex\" NumLooks=\"0x7FFF\"/></LookLists>",
         0, 0, u"Negative"},
        {"LookLists inside a SubControl leaves nothing to close",
         "<Skins><Skin Name=\"s\"><SubControl Class=\"A\" Name=\"a\"><LookLists/></SubControl>"
         "<SubControl Class=\"B\" Name=\"b\"/></Skin></Skins>",
         1, 1, nullptr},
        {"a Skin without Name, with its controls",
         "<Skins><Skin><SubControl Class=\"A\" Name=\"a\"/><SubControl Class=\"B\"/></Skin></Skins>", 0, 0,
         nullptr},
        {"a Skin inside a top-level Skin",
         "<Skins><Skin Name=\"a\"><Skin Name=\"b\"/><SubControl Class=\"A\" Name=\"x\"/></Skin></Skins>", 1,
         0, nullptr},
        {"create parameters outside any control, and string-table elements",
         "<CreateParamList><CreateParam ID=\"X\">t</CreateParam></CreateParamList><StringTable ID=\"T\">"
         "<String ID=\"S\"><Locale LCID=\"0\">x</Locale></String></StringTable>",
         0, 0, nullptr},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        const RCPtr<LControlFactory> factory = LControlFactory::Create(String(u"App"));
        EXPECT_EQ(factory->ParseXML(Bytes(SkinDocument(c.body))), S_OK)
            << Narrow(factory->GetLastParseError().mText);
        EXPECT_EQ(factory->GetSkins().GetCount(), c.skins);
        if (c.skins > 0)
        {
            EXPECT_EQ((*factory->GetSkins().GetAtConst(0))->mChildren.GetCount(), c.topLevel);
        }
        if (c.lookList)
        {
            EXPECT_FALSE(factory->GetLookLists().contains(String(c.lookList)));
        }
        for (const auto& [name, list] : factory->GetLookLists())
            EXPECT_LE(list->GetCount(), 2u) << Narrow(name);
        EXPECT_EQ(factory->TranslateFontName(String(u"a")), u"a");
        EXPECT_EQ(factory->TranslateFontName(String(u"c")), u"c");
    }
}

TEST(SkinReader, ALookListKeepsOnlyEntriesInsideItsSlots)
{
    const RCPtr<LControlFactory> factory = LControlFactory::Create(String(u"App"));
    ASSERT_EQ(
        factory->ParseXML(Bytes(SkinDocument(
            "<Colorizers><Colorizer Name=\"C\" ColorType=\"SolidFill\" Color=\"FF000000\"/></Colorizers>"
            "<Looks><Look Name=\"L\"/></Looks><LookLists><LookList Name=\"LL\" NumLooks=\"3\">"
            "<Look Name=\"L\" Index=\"-1\"/><Look Name=\"L\" Index=\"3\"/><Look Name=\"L\" Index=\"2\"/>"
            "</LookList></LookLists>"))),
        S_OK);
    const RCPtr<LLookList> list = factory->GetLookLists().at(String(u"LL"));
    ASSERT_EQ(list->GetCount(), 3u);
    EXPECT_FALSE(*list->GetAtConst(0));
    EXPECT_FALSE(*list->GetAtConst(1));
    EXPECT_TRUE(*list->GetAtConst(2));
}

TEST(SkinReader, ApplicationWithoutNameAndNonFiniteNumbers)
{
    const RCPtr<LControlFactory> factory = LControlFactory::Create(String(u"Product"));
    ASSERT_EQ(factory->ParseXML(Bytes("<r><Application/><Skins><Skin Name=\"s\" FontSize=\"1e999\" "
                                      "FontStyle=\"0x\"/></Skins></r>")),
              S_OK);
    EXPECT_EQ(factory->GetApplicationName(), u"");
    String face(u"unchanged");
    float size = -1;
    int32_t style = -5;
    EXPECT_FALSE(factory->GetSkinFont(face, size, style)); // only the style of 0 is given
    EXPECT_EQ(size, -1.0f);
    EXPECT_EQ(style, 0);
    EXPECT_EQ(face, u"unchanged");
}

TEST(SkinReader, ASubControlWithoutNameStopsTheDocumentAndKeepsWhatWasRead)
{
    const RCPtr<LControlFactory> factory = LControlFactory::Create(String(u"App"));
    const std::string document = "<Korvan_Skin_Definitions>\n<Skins>\n<Skin Name=\"first\">\n"
                                 "<SubControl Class=\"A\" Name=\"a\"/>\n</Skin>\n<Skin Name=\"second\">\n"
                                 "<SubControl Class=\"B\"/>\n<SubControl Class=\"C\" Name=\"c\"/>\n</Skin>\n"
                                 "</Skins>\n</Korvan_Skin_Definitions>\n";
    EXPECT_EQ(factory->ParseXML(Bytes(document)), E_FAIL);
    const LControlFactory::ParseError& error = factory->GetLastParseError();
    EXPECT_EQ(Narrow(error.mText)
                  .rfind("Runtime Error : Bad Subcontrol Element : "
                         "KV::LControlFactory::XMLStartElement : ",
                         0),
              0u)
        << Narrow(error.mText);
    EXPECT_EQ(error.mElement, u"SubControl");
    EXPECT_EQ(error.mLine, 7);
    ASSERT_EQ(factory->GetSkins().GetCount(), 2u);
    EXPECT_EQ(ChildNames(*factory->GetSkins().GetAtConst(0)), std::vector<std::string>{"a"});
    EXPECT_TRUE(ChildNames(*factory->GetSkins().GetAtConst(1)).empty());
}

TEST(SkinReader, BrokenDocumentsFailWithTheParsersMessageAndLine)
{
    std::string laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE r [\n<!ENTITY l0 \"laugh\">\n";
    for (int level = 1; level <= 10; ++level)
    {
        laughs += "<!ENTITY l" + std::to_string(level) + " \"";
        for (int i = 0; i < 10; ++i)
            laughs += "&l" + std::to_string(level - 1) + ";";
        laughs += "\">\n";
    }
    laughs += "]>\n<r><Skins><Skin Name=\"s\"><SubControl Class=\"A\" Name=\"a\"><CreateParamList>"
              "<CreateParam ID=\"X\">&l10;</CreateParam></CreateParamList></SubControl></Skin></Skins></r>\n";

    const struct
    {
        const char* what;
        std::string document;
        const char* message; // the start of the parser's message
        int32_t line;
    } cases[] = {
        {"mismatched tags", "<r>\n<Skins>\n</r>\n", "mismatched tag", 3},
        {"an empty document", "", "empty document", 0},
        {"no element", "  \n", "no element found", 2},
        {"text after the root", "<r/>\ntext", "junk after document element", 2},
        {"a UTF-8 declaration on UTF-16 bytes",
         Utf16LE("<?xml version=\"1.0\" encoding=\"UTF-8\"?><r/>", true),
         "encoding specified in XML declaration is incorrect", 1},
        {"entities that expand a billion times", laughs, "limit on input amplification factor", 0},
        {"a document over 16 MiB", "<r>" + std::string(16 * 1024 * 1024, ' ') + "</r>", "document larger", 0},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        const RCPtr<LControlFactory> factory = LControlFactory::Create(String(u"App"));
        EXPECT_EQ(factory->ParseXML(Bytes(c.document)), E_FAIL);
        EXPECT_EQ(Narrow(factory->GetLastParseError().mText).rfind(c.message, 0), 0u)
            << Narrow(factory->GetLastParseError().mText);
        if (c.line > 0)
        {
            EXPECT_EQ(factory->GetLastParseError().mLine, c.line);
        }
    }
}

TEST(SkinReader, ExternalEntitiesAreNeverLoaded)
{
    TemporaryFolder folder;
    TemporaryFolder::WriteFile(folder / "secret.txt", "secret");
    const std::string document =
        "<!DOCTYPE r [<!ENTITY ext SYSTEM \"" + (folder / "secret.txt") +
        "\">]><r><Skins><Skin Name=\"s\"><SubControl Class=\"A\" Name=\"a\">"
        "<CreateParamList><CreateParam ID=\"X\">[&ext;]</CreateParam></CreateParamList>"
        "</SubControl></Skin></Skins></r>";
    const RCPtr<LControlFactory> factory = LControlFactory::Create(String(u"App"));
    EXPECT_EQ(factory->ParseXML(Bytes(document)), S_OK) << Narrow(factory->GetLastParseError().mText);
    const RCPtr<LControlDescriptor> control = factory->FindControlDescriptor(String(u"a"));
    ASSERT_TRUE(control && control->mCreateParams);
    EXPECT_EQ(TextOf(control->mCreateParams, u"X").find("secret"), std::string::npos);
}
